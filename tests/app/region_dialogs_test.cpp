#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/region_dialogs.h"
#include "core/quake.h"
#include "core/view.h"
#include "platform/ui/controls.h"
#include "platform/ui/headless/headless.h"
#include "tests/support/temp_dir.h"

namespace ui = platform::ui;
namespace hl = platform::headless;
using platform::CivilTime;

namespace {

TimeValue At(int y, int m, int d, int h, int mi, double s = 0) {
    PackedDate date;
    date.year = static_cast<std::uint16_t>(y);
    date.month = static_cast<std::uint8_t>(m);
    date.day = static_cast<std::uint8_t>(d);
    TimeValue t;
    t.SetDateMinuteSecond(date, h * 60 + mi, s);
    return t;
}

constexpr TimeValue kTwoHours{7200};

TEST(FieldNumber, TakesTheLeadingNumberAndRefusesTextWithoutOne) {
    struct Case {
        const char* text;
        std::optional<double> value;
    } cases[] = {{"12.5", 12.5}, {" -3", -3}, {"45N", 45}, {"1e2", 100}, {"", std::nullopt},
                 {"abc", std::nullopt}, {"inf", std::nullopt}, {"nan", std::nullopt}, {"-", std::nullopt}};
    for (const Case& c : cases) EXPECT_EQ(FieldNumber(c.text), c.value) << c.text;
}

TEST(DisplayTime, TheOffsetIsAddedOnceShownAndTakenOffOnceRead) {
    const CivilTime shown{2026, 5, 5, 0, 30, 15, 0};
    const TimeValue stored = StoredTime(shown, kTwoHours);
    EXPECT_EQ(stored, At(2026, 5, 4, 22, 30, 15));
    const PackedDate date = DateOf(stored);
    EXPECT_EQ(date.day, 4);
    EXPECT_EQ(MinuteOfDay(stored), 1350);
    const CivilTime back = DisplayTime(stored, kTwoHours);
    EXPECT_EQ(back.day, 5);
    EXPECT_EQ(back.hour, 0);
    EXPECT_EQ(back.minute, 30);
    EXPECT_EQ(back.second, 15);
    EXPECT_EQ(StoredTime(shown, kTwoHours, false), At(2026, 5, 4, 22, 30));
}

TEST(CheckLatLonBox, AFlatOrUpsideDownBoxIsRefusedByName) {
    EXPECT_EQ(CheckLatLonBox({40, 30, 0, 10}, "North", "South"), "");
    EXPECT_NE(CheckLatLonBox({30, 30, 0, 10}, "North", "South").find("North and South"), std::string::npos);
    EXPECT_NE(CheckLatLonBox({30, 40, 0, 10}, "North", "South").find("South"), std::string::npos);
    // A box across the date line is a box.
    EXPECT_EQ(CheckLatLonBox({40, 30, 170, -170}, "North", "South"), "");
}

class RegionDialogs : public testing::Test {
protected:
    RegionDialogs() {
        hl::Reset();
        ResetViewSettings();
        owner_ = std::make_unique<ui::Window>(nullptr, "owner");
        owner_->MoveWindow({0, 0, 800, 600});
        EXPECT_TRUE(owner_->Create());
    }
    ~RegionDialogs() override {
        owner_.reset();
        ResetViewSettings();
        gTimeZoneOffset = TimeValue(0);
    }
    // Types the texts into the edits (id, text), then presses the button.
    static void Answer(int templateId, std::vector<std::pair<int, std::string>> typed, int button,
                       std::vector<std::string>* shown = nullptr, std::vector<int> shownIds = {}) {
        hl::ScriptDialog(templateId, [=](ui::Dialog& d) {
            if (shown)
                for (int id : shownIds) shown->push_back(d.Item<ui::Edit>(id)->text());
            for (const auto& [id, text] : typed) d.Item<ui::Edit>(id)->UserSetText(text);
            return button;
        });
    }
    std::size_t Boxes() const { return hl::MessageBoxCalls().size(); }
    std::unique_ptr<ui::Window> owner_;
    TempDir dir_;
};

TEST_F(RegionDialogs, TheMapBoxShowsNineDigitsAndStoresOnlyACheckedBox) {
    gMapNorth = 46.123456789;
    gMapSouth = 30;
    gMapWest = 128;
    gMapEast = 148;
    std::vector<std::string> shown;
    Answer(kLatLonDialogTemplate, {{101, "50"}, {104, "20"}, {103, "-200"}, {102, "150"}}, ui::IdOk, &shown,
           {101, 104, 103, 102});
    EXPECT_EQ(latlonDialog(owner_.get(), kLatLonDialogTemplate).Execute(), ui::IdOk);
    EXPECT_EQ(shown, (std::vector<std::string>{"46.1234568", "30", "128", "148"}));
    EXPECT_EQ(gMapNorth, 50);
    EXPECT_EQ(gMapSouth, 20);
    EXPECT_EQ(gMapWest, -180);  // held to what the map can show
    EXPECT_EQ(gMapEast, 150);

    struct Refused {
        const char *north, *south, *west, *named;
    } refused[] = {
        {"30", "30", "0", "North Latitude and South Latitude"},
        {"10", "40", "0", "South Latitude"},
        {"abc", "40", "0", "North Latitude"},
        {"60", "10", "", "Left Longitude"},
    };
    for (const Refused& r : refused) {
        const std::size_t before = Boxes();
        Answer(kLatLonDialogTemplate, {{101, r.north}, {104, r.south}, {103, r.west}}, ui::IdOk);
        hl::ScriptDialogAnswer(kLatLonDialogTemplate, ui::IdCancel);
        EXPECT_EQ(latlonDialog(owner_.get(), kLatLonDialogTemplate).Execute(), ui::IdCancel) << r.north;
        ASSERT_EQ(Boxes(), before + 1) << r.north;
        EXPECT_NE(hl::MessageBoxCalls().back().text.find(r.named), std::string::npos)
            << hl::MessageBoxCalls().back().text;
        // Nothing at all was stored, not even the fields that passed.
        EXPECT_EQ(gMapNorth, 50) << r.north;
        EXPECT_EQ(gMapSouth, 20) << r.north;
        EXPECT_EQ(gMapWest, -180) << r.north;
    }
    Answer(kLatLonDialogTemplate, {{101, "70"}}, ui::IdCancel);
    EXPECT_EQ(latlonDialog(owner_.get(), kLatLonDialogTemplate).Execute(), ui::IdCancel);
    EXPECT_EQ(gMapNorth, 50);
}

TEST_F(RegionDialogs, TheTemplateBoxKeepsItsRangesWithinTheGlobe) {
    Answer(kTemplateBoxDialogTemplate, {{361, "60"}, {362, "-10"}, {366, "4.5"}, {367, "400"}}, ui::IdOk);
    EXPECT_EQ(TlatlonDialog(owner_.get(), kTemplateBoxDialogTemplate).Execute(), ui::IdOk);
    EXPECT_EQ(gSearchNorth, 60);
    EXPECT_EQ(gSearchSouth, -10);
    EXPECT_EQ(gTemplateLatRange, 4.5);
    EXPECT_EQ(gTemplateLonRange, 360);
    Answer(kTemplateBoxDialogTemplate, {{361, "-20"}, {366, "9"}}, ui::IdOk);
    hl::ScriptDialogAnswer(kTemplateBoxDialogTemplate, ui::IdCancel);
    EXPECT_EQ(TlatlonDialog(owner_.get(), kTemplateBoxDialogTemplate).Execute(), ui::IdCancel);
    EXPECT_EQ(gTemplateLatRange, 4.5);
}

// A view with more digits than the dialogs show, and a period past 2099.
constexpr const char* kPrecise =
    "LEFT LONGITUDE: 128.123456789012\nRIGHT LONGITUDE: 148.98765432101\nSOUTH LATITUDE: 30.000000000001\n"
    "NORTH LATITUDE: 46.55555555555\nLEFT SEARCH LONGITUDE: -179.99999999\nTEMPLATE LATITUDE RANGE: 4.123456789\n"
    "MAXIMUM YEAR: 2100\nMAXIMUM MONTH: 12\nMAXIMUM DAY: 31\nMINIMUM YEAR: 1900\nMINIMUM MONTH: 1\n"
    "MINIMUM DAY: 1\nMINIMUM HOUR: 5\nDAYS TO LOOP: 0\nMINUTES TO LOOP: 0\n";

TEST_F(RegionDialogs, OkOnUntouchedDialogsChangesNoByteOfTheViewFile) {
    TempDir::Write("PRECISE", kPrecise);
    ASSERT_EQ(ReadViewFile("PRECISE"), 0);
    gTimeZoneOffset = TimeValue(-5 * 3600.0);
    ASSERT_TRUE(WriteViewFile());
    const std::string before = TempDir::Read("PRECISE");
    for (int id : {kLatLonDialogTemplate, kTemplateBoxDialogTemplate, kDateDialogTemplate, kInitialDateDialogTemplate})
        hl::ScriptDialogAnswer(id, ui::IdOk);
    EXPECT_EQ(latlonDialog(owner_.get(), kLatLonDialogTemplate).Execute(), ui::IdOk);
    EXPECT_EQ(TlatlonDialog(owner_.get(), kTemplateBoxDialogTemplate).Execute(), ui::IdOk);
    EXPECT_EQ(dateDialog(owner_.get(), kDateDialogTemplate).Execute(), ui::IdOk);
    EXPECT_EQ(initDateDialog(owner_.get(), kInitialDateDialogTemplate).Execute(), ui::IdOk);
    EXPECT_TRUE(hl::MessageBoxCalls().empty());
    ASSERT_TRUE(WriteViewFile());
    EXPECT_EQ(TempDir::Read("PRECISE"), before);
}

class DateDialogs : public RegionDialogs {
protected:
    DateDialogs() {
        gTimeZoneOffset = kTwoHours;
        gPeriodStart = At(2000, 1, 1, 0, 0);
        gViewEnd = At(2020, 1, 1, 0, 0);
        gAnimationTime = At(2010, 6, 1, 12, 0);
    }
    static void Pick(int templateId, std::vector<std::pair<int, CivilTime>> picks,
                     std::vector<std::pair<int, std::string>> typed, int button) {
        hl::ScriptDialog(templateId, [=](ui::Dialog& d) {
            for (const auto& [id, t] : picks) d.Item<ui::DateTimePicker>(id)->UserSetTime(t);
            for (const auto& [id, text] : typed) d.Item<ui::Edit>(id)->UserSetText(text);
            return button;
        });
    }
};

TEST_F(DateDialogs, ThePeriodIsReadInDisplayTimeAndTheCurrentTimeHeldInsideIt) {
    hl::ScriptDialog(kDateDialogTemplate, [](ui::Dialog& d) {
        const CivilTime start = d.Item<ui::DateTimePicker>(1044)->time();
        EXPECT_EQ(start.year, 2000);
        EXPECT_EQ(start.hour, 2);  // shown with the offset
        EXPECT_EQ(d.Item<ui::DateTimePicker>(1044)->format(), "yyyy/MM/dd HH:mm:ss");
        d.Item<ui::DateTimePicker>(1044)->UserSetTime({2011, 3, 1, 0, 30, 20, 0});
        d.Item<ui::Edit>(125)->UserSetText("123456");
        return ui::IdOk;
    });
    EXPECT_EQ(dateDialog(owner_.get(), kDateDialogTemplate).Execute(), ui::IdOk);
    EXPECT_EQ(gPeriodStart, At(2011, 2, 28, 22, 30, 20));  // the seconds kept
    EXPECT_EQ(gViewMinDate.day, 28);
    EXPECT_EQ(gViewMinMinute, 1350);
    EXPECT_EQ(gDaysToLoop, 12345);  // five characters read
    EXPECT_EQ(gAnimationTime, gPeriodStart);  // it was before the new start

    Pick(kDateDialogTemplate, {{1046, {2005, 1, 1, 2, 0, 0, 0}}, {1045, {2019, 1, 1, 0, 0, 0, 0}}}, {}, ui::IdOk);
    hl::ScriptDialogAnswer(kDateDialogTemplate, ui::IdCancel);
    EXPECT_EQ(dateDialog(owner_.get(), kDateDialogTemplate).Execute(), ui::IdCancel);  // start after end
    EXPECT_NE(hl::MessageBoxCalls().back().text.find("Initial"), std::string::npos);
    EXPECT_EQ(gViewEnd, At(2020, 1, 1, 0, 0));

    Pick(kDateDialogTemplate, {{1046, {2015, 1, 1, 2, 0, 0, 0}}, {1045, {2019, 1, 1, 0, 0, 0, 0}}}, {}, ui::IdOk);
    EXPECT_EQ(dateDialog(owner_.get(), kDateDialogTemplate).Execute(), ui::IdOk);
    EXPECT_EQ(gViewEnd, At(2015, 1, 1, 0, 0));
    EXPECT_EQ(gViewMaxDate.year, 2015);
    EXPECT_EQ(gAnimationTime, gViewEnd);  // it was after the new end
}

TEST_F(DateDialogs, LoopSpansThatAreNoNumbersOrNegativeAreRefusedAndNothingStored) {
    for (const auto& [id, text, named] : {std::tuple{125, "-3", "Days to Loop"}, std::tuple{126, "-1", "Minutes to Loop"},
                                          std::tuple{125, "x", "Days to Loop"}}) {
        const TimeValue start = gPeriodStart;
        Pick(kDateDialogTemplate, {{1044, {2003, 3, 3, 3, 3, 3, 0}}}, {{id, text}}, ui::IdOk);
        hl::ScriptDialogAnswer(kDateDialogTemplate, ui::IdCancel);
        EXPECT_EQ(dateDialog(owner_.get(), kDateDialogTemplate).Execute(), ui::IdCancel) << text;
        EXPECT_NE(hl::MessageBoxCalls().back().text.find(named), std::string::npos) << text;
        EXPECT_EQ(gPeriodStart, start) << text;
    }
    Pick(kDateDialogTemplate, {}, {{125, "0"}, {126, "90"}}, ui::IdOk);
    EXPECT_EQ(dateDialog(owner_.get(), kDateDialogTemplate).Execute(), ui::IdOk);
    EXPECT_EQ(gDaysToLoop, 0);
    EXPECT_EQ(gMinutesToLoop, 90);
}

TEST_F(DateDialogs, TheInitialTimeDropsItsSecondsAndEveryOkClosesTheCatalogues) {
    gQuakeCatalogue = std::tmpfile();
    Pick(kInitialDateDialogTemplate, {{1044, {2012, 5, 5, 0, 30, 45, 0}}}, {}, ui::IdOk);
    EXPECT_EQ(initDateDialog(owner_.get(), kInitialDateDialogTemplate).Execute(), ui::IdOk);
    EXPECT_EQ(gPeriodStart, At(2012, 5, 4, 22, 30));
    EXPECT_EQ(gViewMinMinute, 1350);
    EXPECT_EQ(gAnimationTime, gPeriodStart);
    EXPECT_EQ(gQuakeCatalogue, nullptr);

    gQuakeCatalogue = std::tmpfile();
    hl::ScriptDialogAnswer(kInitialDateDialogTemplate, ui::IdCancel);
    EXPECT_EQ(initDateDialog(owner_.get(), kInitialDateDialogTemplate).Execute(), ui::IdCancel);
    EXPECT_NE(gQuakeCatalogue, nullptr);  // Cancel leaves everything
    hl::ScriptDialogAnswer(kInitialDateDialogTemplate, ui::IdOk);
    EXPECT_EQ(initDateDialog(owner_.get(), kInitialDateDialogTemplate).Execute(), ui::IdOk);
    EXPECT_EQ(gQuakeCatalogue, nullptr);  // closed even when nothing changed

    Pick(kInitialDateDialogTemplate, {{1044, {2030, 1, 1, 0, 0, 0, 0}}}, {}, ui::IdOk);
    hl::ScriptDialogAnswer(kInitialDateDialogTemplate, ui::IdCancel);
    EXPECT_EQ(initDateDialog(owner_.get(), kInitialDateDialogTemplate).Execute(), ui::IdCancel);
    EXPECT_EQ(gPeriodStart, At(2012, 5, 4, 22, 30));
}

}  // namespace
