// The place dialogs on the headless backend: what they show, what OK hands
// back, and that Cancel touches nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/city_dialogs.h"
#include "platform/ui/headless/headless.h"

namespace {

namespace hl = platform::headless;
namespace ui = platform::ui;

CityRecord City(std::string name, std::string region, std::string country) {
    CityRecord c;
    c.name = std::move(name);
    c.region = std::move(region);
    c.country = std::move(country);
    return c;
}

struct PlaceDialogs : ::testing::Test {
    void SetUp() override {
        hl::Reset();
        ASSERT_TRUE(owner.Create());
    }
    ui::Window owner{nullptr, "owner"};
};

TEST_F(PlaceDialogs, TheNewCityDialogShowsItsBuffersAndReadsThemBackAtOk) {
    std::string name, region = "Kanagawa", code, country = "Japan", countryCode = "JP";
    double lat = 12.3456, lon = -5.0;
    int population = 0;
    hl::ScriptDialog(kNewCityTemplate, [&](ui::Dialog& d) {
        EXPECT_EQ(d.caption(), "Add New City");
        EXPECT_EQ(d.Item<ui::Edit>(126)->text(), " 12.346");
        EXPECT_EQ(d.Item<ui::Edit>(127)->text(), " -5.000");
        EXPECT_EQ(d.Item<ui::Edit>(109)->text(), "0");
        EXPECT_EQ(d.Item<ui::Edit>(1047)->text(), "Kanagawa");
        d.Item<ui::Edit>(1045)->UserType("Hakone");
        d.Item<ui::Edit>(1048)->UserType("kng");  // a code holds two letters
        d.Item<ui::Edit>(126)->SetText("north");  // not a number: 0
        d.Item<ui::Edit>(127)->SetText("139.1E");
        d.Item<ui::Edit>(109)->SetText("12000 people");
        return ui::IdOk;
    });
    newCityDialog dialog(&owner, kNewCityTemplate, &name, &region, &code, &country, &countryCode, &lat, &lon,
                         &population);
    ASSERT_EQ(dialog.Execute(), ui::IdOk);
    EXPECT_EQ(name, "Hakone");
    EXPECT_EQ(code, "KN");
    EXPECT_EQ(lat, 0);
    EXPECT_DOUBLE_EQ(lon, 139.1);
    EXPECT_EQ(population, 12000);

    hl::ScriptDialog(kNewCityTemplate, [](ui::Dialog& d) {
        d.Item<ui::Edit>(1045)->SetText("Other");
        return ui::IdCancel;
    });
    newCityDialog again(&owner, kNewCityTemplate, &name, &region, &code, &country, &countryCode, &lat, &lon,
                        &population);
    EXPECT_EQ(again.Execute(), ui::IdCancel);
    EXPECT_EQ(name, "Hakone");
}

TEST_F(PlaceDialogs, TheCityListShowsStatesInTheUnitedStatesAndHandsBackTheChosenInOrder) {
    std::vector<CityRecord> cities;
    for (int i = 0; i < 10; ++i) cities.push_back(City("C" + std::to_string(i), "R", "Japan"));
    cities[1] = City("Boise", "Idaho", "UNITED STATES");
    cities[2] = City("Leon", "Guanajuato", "Mexico");
    std::vector<const CityRecord*> offered;
    for (const CityRecord& c : cities) offered.push_back(&c);

    std::vector<std::string> shown;
    hl::ScriptDialog(kPlacesFromListTemplate, [&](ui::Dialog& d) {
        auto* list = d.Item<ui::ListBox>(1046);
        for (int i = 0; i < list->count(); ++i) shown.push_back(list->String(i));
        for (int i : {5, 2, 9}) list->UserClick(i);
        return ui::IdOk;
    });
    std::vector<const CityRecord*> chosen = {&cities[0]};
    ASSERT_EQ(CityFromListDialog(&owner, kPlacesFromListTemplate, offered, &chosen).Execute(), ui::IdOk);
    ASSERT_EQ(shown.size(), 10u);
    EXPECT_EQ(shown[1], "Boise, Idaho");
    EXPECT_EQ(shown[2], "Leon, Mexico");
    EXPECT_EQ(chosen, (std::vector<const CityRecord*>{&cities[2], &cities[5], &cities[9]}));

    // OK with nothing chosen empties the result; Cancel leaves it.
    hl::ScriptDialogAnswer(kPlacesFromListTemplate, ui::IdOk);
    ASSERT_EQ(CityFromListDialog(&owner, kPlacesFromListTemplate, offered, &chosen).Execute(), ui::IdOk);
    EXPECT_TRUE(chosen.empty());
    chosen = {&cities[3]};
    hl::ScriptDialog(kPlacesFromListTemplate, [](ui::Dialog& d) {
        d.Item<ui::ListBox>(1046)->UserClick(1);
        return ui::IdCancel;
    });
    EXPECT_EQ(CityFromListDialog(&owner, kPlacesFromListTemplate, offered, &chosen).Execute(), ui::IdCancel);
    EXPECT_EQ(chosen, (std::vector<const CityRecord*>{&cities[3]}));
}

TEST_F(PlaceDialogs, ThePlantListNamesItsCaptionAndShowsTheRegionFirst) {
    PlaceRecord a("Genkai", "Japan", 33.5, 129.8, true), b("Hanul", "South Korea", 37.1, 129.4, true);
    std::vector<const PlaceRecord*> chosen;
    hl::ScriptDialog(kPlacesFromListTemplate, [&](ui::Dialog& d) {
        EXPECT_EQ(d.caption(), "Nuclear Power Plants contained in this view");
        EXPECT_NE(d.control(1049)->text().find("Nuclear Power Plants you want to add"), std::string::npos);
        auto* list = d.Item<ui::ListBox>(1046);
        EXPECT_EQ(list->String(0), "Japan, Genkai");
        EXPECT_EQ(list->String(1), "South Korea, Hanul");
        list->UserClick(1);
        return ui::IdOk;
    });
    ASSERT_EQ(NPPFromListDialog(&owner, kPlacesFromListTemplate, {&a, &b}, &chosen).Execute(), ui::IdOk);
    EXPECT_EQ(chosen, (std::vector<const PlaceRecord*>{&b}));
}

}  // namespace
