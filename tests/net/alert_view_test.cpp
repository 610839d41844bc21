// Alert views: the map box (date line, poles, widening by the place), names
// and dates, the annotation files of both variants, the view written and read
// back, and an alert from the feed followed through the frame to its view.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/control_panel.h"
#include "app/frame.h"
#include "app/housekeeping.h"
#include "app/layout.h"
#include "app/view_open.h"
#include "core/alert_criteria.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/borders.h"
#include "map/child_map.h"
#include "map/proj.h"
#include "net/alert.h"
#include "net/alert_view.h"
#include "net/network_wiring.h"
#include "platform/ui/headless/headless.h"
#include "tests/app/app_fixture.h"
#include "tests/net/alert_fixture.h"
#include "tests/support/temp_dir.h"

namespace ui = platform::ui;

namespace {

namespace fs = std::filesystem;
namespace hl = platform::headless;

using alerttest::CopyFixtures;
using alerttest::Fixture;

QuakeRecord Quake(int y, int mo, int d, int h, int mi, double lat, double lon, double mag = 6.3) {
    return MakeEventRecord(nullptr, y, mo, d, h, mi, 0, lat, lon, 10, mag);
}

std::vector<std::string> Lines(const std::string& name) {
    std::vector<std::string> out;
    int count = 0;
    StringListNode* lines = ReadWholeTextFileLines(name, &count);
    for (StringListNode* n = lines; n; n = n->next) out.push_back(n->text);
    FreeStringList(lines);
    return out;
}

std::vector<std::string> List(const StringListNode* head) {
    std::vector<std::string> out;
    for (; head; head = head->next) out.push_back(head->text);
    return out;
}

// East of west, 0 < span <= 360.
double Span(const AlertViewBox& b) {
    const double s = b.east - b.west;
    return s <= 0 ? s + 360 : s;
}

}  // namespace

TEST(AlertViewBox, HalfHeightsStretchAndTheFitOfThePlace) {
    constexpr auto P = AlertViewKind::kProcessor;
    constexpr auto B = AlertViewKind::kBuilder;
    // k = stretch x 800 / 500: 2.0887 at 40 N, 2.2628 at 45 N, 2.5990 at 52 N, 1.6833 at 18.1 S.
    constexpr double k40 = 2.0887154708955338;
    struct Case {
        const char* what;
        AlertViewKind kind;
        double lat, lon;
        std::optional<GeoPoint> place;  // x longitude, y latitude
        double h;
        bool placeWithin;  // in the box's longitudes afterwards
    } cases[] = {
        {"United States box, processor", P, 40, -100, std::nullopt, 3, false},
        {"United States box, builder", B, 40, -100, std::nullopt, 3, false},
        {"elsewhere, processor", P, 40, 30, std::nullopt, 10, false},
        {"elsewhere, builder", B, 40, 30, std::nullopt, 5, false},
        {"place inside", B, 40, 30, GeoPoint{32, 41}, 5, true},
        // Latitudes are compared as the box's height is measured: in Mercator units.
        {"place north", B, 40, 30, GeoPoint{30, 46}, (MercatorY(46) - MercatorY(40)) * 1.2, true},
        {"place south", P, 40, 30, GeoPoint{30, 20}, (MercatorY(40) - MercatorY(20)) * 1.2, true},
        {"30 east of the east edge", B, 40, 30, GeoPoint{30 + 5 * k40 + 30, 40}, (5 * k40 + 30) * 1.2 / k40, true},
        {"50 east of it: left out", B, 40, 30, GeoPoint{30 + 5 * k40 + 50, 40}, 5, false},
        {"30 west of the west edge: left out", B, 40, 30, GeoPoint{30 - 5 * k40 - 30, 40}, 5, false},
        {"45 west of it", B, 40, 30, GeoPoint{30 - 5 * k40 - 45, 40}, (5 * k40 + 45) * 1.2 / k40, true},
        // Across the date line the place is a few degrees away, not most of the world.
        {"Tonga from Fiji", B, -18.1, 178.4, GeoPoint{-175.2, -21.1}, 5, true},
        {"Adak from the Rat Islands", B, 51.5, 179.0, GeoPoint{-176.65, 51.88}, 5, true},
        {"Unalaska from Attu", B, 52, 173, GeoPoint{-166.5, 53.9}, 20.5 * 1.2 / 2.5989717793151725, true},
        {"Attu from Unalaska: west, within 40", B, 52, -166.5, GeoPoint{173, 52.5}, 5, false},
    };
    for (const Case& c : cases) {
        const AlertViewBox b = AlertBoxFor(c.kind, c.lat, c.lon, 800, 500, c.place);
        EXPECT_NEAR(b.halfHeight, c.h, 1e-3) << c.what;
        EXPECT_NEAR(b.north, InverseMercator(MercatorY(c.lat) + b.halfHeight), 1e-9) << c.what;
        EXPECT_NEAR(b.south, InverseMercator(MercatorY(c.lat) - b.halfHeight), 1e-9) << c.what;
        for (double lon : {b.east, b.west}) {
            EXPECT_GE(lon, -180) << c.what;
            EXPECT_LE(lon, 180) << c.what;
        }
        if (c.placeWithin) {
            EXPECT_LT(Proj::LonOffset(c.place->x, b.west), Span(b)) << c.what;
            EXPECT_LE(b.south, c.place->y) << c.what;
            EXPECT_GE(b.north, c.place->y) << c.what;
        }
    }
    // Stretch 1 within 10 degrees of the equator; the local stretch beyond.
    AlertViewBox b = AlertBoxFor(B, 5, 20, 800, 500, std::nullopt);
    EXPECT_NEAR(b.east, 28, 1e-9);
    EXPECT_NEAR(b.west, 12, 1e-9);
    b = AlertBoxFor(B, 40, 30, 800, 500, std::nullopt);
    EXPECT_NEAR(b.east - b.west, 2 * 5 * 2.0887154708955338, 1e-9);
    // Past 180 the east edge is stored west of Greenwich's antipode.
    b = AlertBoxFor(B, 45, 179, 800, 500, std::nullopt);
    EXPECT_NEAR(b.east, 179 + 5 * 2.2628278118956473 - 360, 1e-9);
    EXPECT_NEAR(b.west, 179 - 5 * 2.2628278118956473, 1e-9);
    b = AlertBoxFor(B, -18.1, 178.4, 800, 500, GeoPoint{-175.2, -21.1});
    EXPECT_LT(b.east, -170);
}

TEST(AlertViewBox, PolesWideSpansAndEmptyPanes) {
    struct Case {
        const char* what;
        double lat, lon;
        std::optional<GeoPoint> place;
        int width, height;
    } cases[] = {
        {"at the north pole", 90, 0, std::nullopt, 800, 500},
        {"just off it", 89.9, 10, std::nullopt, 800, 500},
        {"at the south pole", -90, 0, std::nullopt, 800, 500},
        {"a place across the world in latitude", 80, 0, GeoPoint{0, -60}, 800, 500},
        {"a place far west: the box would pass 360", 40, 30, GeoPoint{-120, 40}, 800, 500},
        {"far west in the high north", 70, 30, GeoPoint{-110, 70}, 1600, 500},
        {"no pane yet", 40, 30, std::nullopt, 0, 0},
    };
    for (const Case& c : cases) {
        for (AlertViewKind kind : {AlertViewKind::kProcessor, AlertViewKind::kBuilder}) {
            const AlertViewBox b = AlertBoxFor(kind, c.lat, c.lon, c.width, c.height, c.place);
            for (double v : {b.north, b.south, b.east, b.west, b.halfHeight}) EXPECT_TRUE(std::isfinite(v)) << c.what;
            EXPECT_LT(b.north, 90) << c.what;
            EXPECT_GT(b.south, -90) << c.what;
            EXPECT_LT(b.south, b.north) << c.what;
            EXPECT_LT(Span(b), 360) << c.what;
            EXPECT_GT(Span(b), 0) << c.what;
        }
    }
    const AlertViewBox wide = AlertBoxFor(AlertViewKind::kProcessor, 40, 30, 800, 500, GeoPoint{-120, 40});
    EXPECT_NEAR(Span(wide), 359, 1e-9);
    // A box the width of the world is as tall as the pane shows it: near a pole
    // no strip, and the nearest place inside.
    for (const GeoPoint place : {GeoPoint{20, 70}, GeoPoint{-150, 80}}) {
        const AlertViewBox polar = AlertBoxFor(AlertViewKind::kBuilder, 85, 0, 800, 500, place);
        EXPECT_NEAR(Span(polar), 359, 1e-9);
        EXPECT_GE((MercatorY(polar.north) - MercatorY(polar.south)) / Span(polar), 500.0 / 800);
        EXPECT_LT(polar.south, place.y);
    }
    EXPECT_NEAR(wide.east, 30 + 179.5 - 360, 1e-9);  // still centred on the event
}

TEST(AlertViewNames, DatesAndSafeNames) {
    const QuakeRecord q = Quake(2024, 5, 1, 11, 20, 34, 139);
    struct {
        const char* place;
        const char* name;
    } names[] = {
        {"Alphaville", "2024-05-01-11 Alphaville"},
        {"", "2024-05-01-11"},
        {"   ", "2024-05-01-11"},
        {" Port Moresby ", "2024-05-01-11 Port Moresby"},
        {"../../etc/passwd", "2024-05-01-11 ..-..-etc-passwd"},
        {"C:\\x?y*z", "2024-05-01-11 C--x-y-z"},
        {"two\nlines\r", "2024-05-01-11 two-lines"},
        {"<a|b>\"c\"", "2024-05-01-11 -a-b--c-"},
        {"S\xe3o Paulo", "2024-05-01-11 S\xe3o Paulo"},  // Windows-1252 letters stay
    };
    for (const auto& c : names) EXPECT_EQ(AlertViewName(q, c.place), c.name) << c.place;
    EXPECT_EQ(AlertViewName(Quake(2024, 12, 31, 23, 59, 0, 0), "X"), "2024-12-31-23 X");
    EXPECT_EQ(AlertViewName(q, std::string(200, 'n')).size(), 14 + kPlaceTextMax);

    struct {
        PackedDate in, out;
    } earlier[] = {
        {{2024, 5, 1}, {2024, 4, 1}},   {{2024, 1, 15}, {2023, 12, 15}}, {{2024, 3, 31}, {2024, 2, 29}},
        {{2023, 3, 31}, {2023, 2, 28}}, {{2024, 5, 31}, {2024, 4, 30}},  {{2024, 12, 31}, {2024, 11, 30}},
        {{2100, 3, 30}, {2100, 2, 28}},
    };
    for (const auto& c : earlier) {
        EXPECT_EQ(MonthEarlier(c.in), c.out) << c.in.year << "-" << int{c.in.month} << "-" << int{c.in.day};
    }
    EXPECT_EQ(InYear({2024, 2, 29}, 2025), (PackedDate{2025, 2, 28}));
    EXPECT_EQ(InYear({2024, 2, 29}, 2028), (PackedDate{2028, 2, 29}));
    EXPECT_EQ(InYear({2024, 7, 4}, 2025), (PackedDate{2025, 7, 4}));
}

TEST(AlertViewFiles, TheProcessorsAnnotation) {
    TempDir dir;
    const QuakeRecord q = Quake(2024, 5, 1, 11, 20, 34, 139);
    AlertAnnotation note;
    note.quake = &q;
    note.cityAlert = true;
    note.plantAlert = true;
    note.city.name = "Alphaville";
    note.city.latitude = 35;
    note.city.longitude = 139;
    note.plant = PlaceRecord("Kappa", "", 34, 138, true);
    note.closestCity = "Betatown";
    note.closestLatitude = 34;
    note.closestLongitude = 139.5;
    note.viewPlace = "Alphaville";
    EXPECT_EQ(WriteAlertAnnotation(note), "2024-05-01-11 Alphaville");
    EXPECT_EQ(TempDir::Read("2024-05-01-11 Alphaville.caf"),
              "symbol: circle\ncolor: white\nthickness: 3\nvertical justify: center\n"
              " 34.000  138.000 Kappa /d20\n 35.000  139.000 Alphaville /d6\n 34.000  139.500 Betatown /d6\n");
    EXPECT_EQ(TempDir::Read("2024-05-01-11 Alphaville.npp.txt"), " 34.000  138.000 Kappa /o1\n");

    // A city alert whose closest city is the alert's own: one place line, no plant file.
    note.plantAlert = false;
    note.closestCity = "Alphaville";
    note.city.longitude = -139.25;
    note.viewPlace = "Alpha/ville";
    EXPECT_EQ(WriteAlertAnnotation(note), "2024-05-01-11 Alpha-ville");
    EXPECT_EQ(Lines("2024-05-01-11 Alpha-ville.caf").back(), " 35.000 -139.250 Alphaville /d6");
    EXPECT_EQ(Lines("2024-05-01-11 Alpha-ville.caf").size(), 5u);
    EXPECT_FALSE(fs::exists("2024-05-01-11 Alpha-ville.npp.txt"));

    // A NUL in a table's name would have ended the place line where it stood.
    note.plantAlert = true;
    note.plant = PlaceRecord(std::string("Kap\0pa", 6), "", 34, 138, false);
    note.viewPlace = "Kappa";
    EXPECT_EQ(WriteAlertAnnotation(note), "2024-05-01-11 Kappa");
    EXPECT_EQ(TempDir::Read("2024-05-01-11 Kappa.npp.txt"), " 34.000  138.000 Kappa /o0\n");
    EXPECT_EQ(Lines("2024-05-01-11 Kappa.caf")[4], " 34.000  138.000 Kappa /d20");
}

namespace {

// A headless map pane of 800 x 500 with small border sets:
// TESTLAND 30..40 N, 130..145 E; PACIFIC 20..50 N, 146..170 E and across the
// date line; KANSAS 37..40 N, 102..95 W inside a country USA.
class AlertViewPane : public ::testing::Test {
protected:
    void SetUp() override {
        hl::Reset();
        CopyFixtures();
        ResetConfigValues();
        ResetViewSettings();
        ResetAlertState();
        BuildMercatorTable();
        hl::VirtualClock().SetUtc({2024, 5, 1, 12, 0, 0, 0});
        gSaveThreshold = 4.5;
        gMapName = "WORLD";
        FreeStringList(&gMapFiles);
        AppendStringNode(&gMapFiles, "COAST.S1");
        AppendStringNode(&gMapFiles, "STATE.S1");
        AppendStringNode(&gSymbolFiles, "WORLD.CAF");
        AppendStringNode(&gTextFiles, "WORLD.country.txt");
        gFloatingLegend = true;
        gQmxScale = true;
        gViewMaxDate = {2024, 2, 29};
        TempDir::Write("c.txt", "    4 TESTLAND\n30 130\n40 130\n40 145\n30 145\n"
                                "    4 USA\n25 -125\n49 -125\n49 -67\n25 -67\n");
        TempDir::Write("o.txt", "    4 PACIFIC\n20 146\n50 146\n50 170\n20 170\n"
                                "    4 DATELINE SEA\n-30 178\n-10 178\n-10 180\n-30 180\n"
                                "    4 DATELINE SEA\n-30 -180\n-10 -180\n-10 -170\n-30 -170\n");
        TempDir::Write("s.txt", "    4 KANSAS\n37 -102\n40 -102\n40 -95\n37 -95\n");
        pane_ = alerttest::MakeRenderedPane(owner_);
        ASSERT_NE(pane_, nullptr);
        pane_->SetBorderSets(std::make_unique<BorderSet>("s.txt"), std::make_unique<BorderSet>("c.txt"),
                             std::make_unique<BorderSet>("o.txt"));
    }
    void TearDown() override {
        owner_.reset();
        SetMissingSeamHandler(nullptr);
        InstallNetworkLink(nullptr);
        InstallMapPaneSeams(nullptr);
        ResetAlertState();
        ResetViewSettings();
        ResetConfigValues();
    }

    TempDir dir_;
    std::unique_ptr<ui::Window> owner_;
    childMap* pane_ = nullptr;
};

}  // namespace

TEST_F(AlertViewPane, TheProcessorsViewOnDiskWhileTheRunningViewKeepsItsOwn) {
    const QuakeRecord q = Quake(2024, 5, 1, 11, 20, 34, 139);
    AlertAnnotation note;
    note.quake = &q;
    note.cityAlert = true;
    note.city.name = "Alphaville";
    note.city.latitude = 35;
    note.city.longitude = 139;
    note.viewPlace = "Alphaville";
    const std::string name = WriteAlertAnnotation(note);
    gSpeed = TimeValue(86400.0 * 365);
    gPeriodStart.SetDate({1990, 1, 1});
    RunAtSpeed(gSpeed);
    const TimeValue speed = gSpeed, start = gPeriodStart;
    ApplyAlertView(*pane_, AlertViewKind::kProcessor, q, name, GeoPoint{139, 35});

    // Not opened yet: the running view goes on with its own period, speed and files.
    EXPECT_EQ(gMapName, "WORLD");
    EXPECT_EQ(gSpeed, speed);
    EXPECT_EQ(gPeriodStart, start);
    EXPECT_EQ(SpeedToStore(), speed);
    EXPECT_TRUE(gFloatingLegend);
    EXPECT_EQ(gViewMaxDate, (PackedDate{2024, 2, 29}));
    EXPECT_EQ(List(gSymbolFiles), std::vector<std::string>{"WORLD.CAF"});
    EXPECT_EQ(List(gMapFiles), (std::vector<std::string>{"COAST.S1", "STATE.S1"}));
    EXPECT_FALSE(fs::exists("WORLD"));

    ResetViewSettings();
    ASSERT_EQ(ReadViewFile(name), 0);
    const AlertViewBox box = AlertBoxFor(AlertViewKind::kProcessor, 34, 139, gPaneWidth, gPaneHeight, GeoPoint{139, 35});
    EXPECT_NEAR(gMapNorth, box.north, 1e-6);
    EXPECT_NEAR(gMapSouth, box.south, 1e-6);
    EXPECT_NEAR(gMapEast, box.east, 1e-6);
    EXPECT_NEAR(gMapWest, box.west, 1e-6);
    EXPECT_EQ(gMapName, name);
    EXPECT_FALSE(gFloatingLegend);
    EXPECT_FALSE(gQmxScale);
    EXPECT_EQ(gViewMaxDate, (PackedDate{2025, 2, 28}));
    EXPECT_EQ(gViewMinDate, (PackedDate{2024, 4, 1}));
    TimeValue midnight;
    midnight.SetDate({2024, 4, 1});  // its MINIMUM date, as the file holds the period
    EXPECT_EQ(gPeriodStart, midnight);
    EXPECT_EQ(gSpeed, TimeValue(3600));
    EXPECT_DOUBLE_EQ(gMagnitudeCutoff, 4.5);
    EXPECT_EQ(gMinMagnitude, 4);
    EXPECT_EQ(gTargetEventFile, name + ".hyp");
    EXPECT_EQ(gMapImageFile, name + ".jpg");
    EXPECT_EQ(List(gSymbolFiles), std::vector<std::string>{name + ".caf"});
    EXPECT_EQ(List(gMapFiles), (std::vector<std::string>{"COAST.S1", "STATE.S1"}));  // state.s1 there already
    ASSERT_EQ(gAlertEvent, &gBuiltAlertQuake);
    EXPECT_EQ(gBuiltAlertQuake.latitude, q.latitude);
    EXPECT_EQ(TempDir::Read("Alert_View_Filename.txt"), name + "\n");
    unsigned char bytes[kQuakeRecordSize];
    EncodeQuakeRecord(q, bytes);
    EXPECT_EQ(TempDir::Read(name + ".hyp"), std::string(reinterpret_cast<const char*>(bytes), sizeof bytes));

    // Region labels, each region once: the sea (0, h) east and the land (b, 0) north.
    const std::vector<std::string> ocean = Lines(name + ".ocean.txt");
    ASSERT_EQ(ocean.size(), 3u);
    EXPECT_EQ(ocean[2], "34.00 149.00 PACIFIC /CENTROID");
    const std::vector<std::string> country = Lines(name + ".country.txt");
    ASSERT_EQ(country.size(), 3u);
    EXPECT_EQ(country[2].substr(5), " 139.00 TESTLAND /CENTROID");
    EXPECT_FALSE(fs::exists(name + ".state.txt"));

    const std::vector<std::string> texts = List(gTextFiles);
    for (const std::string& f : {name + ".caf", name + ".ocean.txt", name + ".country.txt", name + ".npp.txt"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), f), texts.end()) << f;
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "WORLD.country.txt"), texts.end());
}

TEST_F(AlertViewPane, StateLabelsInsideTheUnitedStatesAndLabelsAcrossTheDateLine) {
    const QuakeRecord kansas = Quake(2024, 5, 1, 11, 20, 38.5, -98);
    FreeStringList(&gMapFiles);
    ApplyAlertView(*pane_, AlertViewKind::kProcessor, kansas, "K", GeoPoint{-98, 38.6});
    const std::vector<std::string> state = Lines("K.state.txt");
    ASSERT_EQ(state.size(), 3u);
    EXPECT_NE(state[2].find("KANSAS /CENTROID"), std::string::npos);
    EXPECT_FALSE(fs::exists("K.country.txt"));  // a state label was added
    ASSERT_EQ(ReadViewFile("K"), 0);
    EXPECT_EQ(List(gMapFiles), std::vector<std::string>{"state.s1"});
    // No ".caf" was written for "K": none is named.
    EXPECT_EQ(gSymbolFiles, nullptr);

    // A builder's view at 20 S, 177 E: the sea east of it lies across 180 degrees.
    const QuakeRecord fiji = Quake(2024, 5, 1, 11, 20, -20, 177);
    ApplyAlertView(*pane_, AlertViewKind::kBuilder, fiji, "F", std::nullopt);
    const std::vector<std::string> sea = Lines("F.ocean.txt");
    ASSERT_EQ(sea.size(), 3u);  // one region, however many points fall in its two halves
    EXPECT_EQ(sea[2], "-20.00 -179.25 DATELINE SEA /CENTROID");
}

TEST_F(AlertViewPane, TheBuildersViewNamesOnlyTheFilesItWrote) {
    pane_->SetHighlightShown(false);
    const QuakeRecord q = Quake(2024, 5, 1, 11, 0, 34, 139);
    std::vector<std::string> missing;
    SetMissingSeamHandler([&](const std::string& step) { missing.push_back(step); });
    InstallEventStepping();  // the application's seams, without the network link
    pane_->BuildAlertView(q);  // no builder installed: reported, nothing built
    EXPECT_EQ(gMapName, "WORLD");
    EXPECT_EQ(missing, std::vector<std::string>{"alert view builder"});
    InstallNetworkWiring();

    // No city table: the short name, no ".caf", and a stale one of that name is not taken up.
    fs::remove("CityLatLonPop.csv");
    TempDir::Write("2024-05-01-11.caf", "stale\n");
    pane_->BuildAlertView(q);
    EXPECT_EQ(gMapName, "WORLD");  // the view shown runs on until the alert view is opened
    ASSERT_EQ(ReadViewFile("2024-05-01-11"), 0);
    EXPECT_EQ(TempDir::Read("2024-05-01-11.caf"), "stale\n");
    EXPECT_EQ(List(gSymbolFiles), std::vector<std::string>{"WORLD.CAF"});
    const std::vector<std::string> texts = List(gTextFiles);
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "2024-05-01-11.caf"), texts.end());
    EXPECT_TRUE(fs::exists("2024-05-01-11"));
    EXPECT_EQ(gAlertEvent, &gBuiltAlertQuake);
    EXPECT_TRUE(pane_->highlightShown());

    // With the table: its closest city names the view and is fitted and circled.
    CopyFixtures();
    pane_->BuildAlertView(q);
    const std::string name = "2024-05-01-11 Betatown";
    EXPECT_EQ(gMapName, "2024-05-01-11");
    ASSERT_EQ(ReadViewFile(name), 0);
    EXPECT_EQ(Lines(name + ".caf").back(), " 34.000  139.500 Betatown");
    EXPECT_FALSE(fs::exists(name + ".npp.txt"));
    EXPECT_EQ(List(gSymbolFiles), (std::vector<std::string>{"WORLD.CAF", name + ".caf"}));
    EXPECT_EQ(gSpeed, TimeValue(60));
    EXPECT_EQ(gViewMinDate, (PackedDate{2024, 4, 29}));
    EXPECT_TRUE(gFloatingLegend);  // the builder leaves the legend alone
    EXPECT_EQ(gViewMaxDate, (PackedDate{2024, 2, 29}));
    const AlertViewBox box = AlertBoxFor(AlertViewKind::kBuilder, 34, 139, gPaneWidth, gPaneHeight, GeoPoint{139.5, 34});
    EXPECT_NEAR(gMapEast, box.east, 1e-6);
    EXPECT_DOUBLE_EQ(box.halfHeight, 5);
}

// ---- The alert path through the frame ---------------------------------------------------

namespace {

class AlertPath : public apptest::AppTest {
protected:
    AlertPath() {
        CopyFixtures();
        ResetViewSettings();
        ResetAlertState();
        ResetHousekeepingState();
        SetMapPaneMaker(nullptr);
        BuildMercatorTable();
        hl::VirtualClock().SetUtc({2024, 5, 1, 12, 0, 0, 0});
        gControls[kControlAutoStartView] = 1;
        EXPECT_TRUE(alerttest::UseAlertSettings(30, 2));
        // Centred on the Pacific, so that the event at 139 E is not at the map's edge.
        TempDir::Write("WORLD", "LEFT LONGITUDE: 60\nRIGHT LONGITUDE: -120\nSOUTH LATITUDE: -70\n"
                                "NORTH LATITUDE: 75\nDAYS TO LOOP: 7\nDAYS PER SECOND: 0\n"
                                "MINUTES PER SECOND: 0\nSECONDS PER SECOND: 10\n");
    }
    ~AlertPath() override {
        gFeedLines.clear();
        gAlertCriteria.clear();
        ResetAlertState();
        ResetHousekeepingState();
        ResetViewSettings();
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) hl::Advance(1000);
    }
};

}  // namespace

TEST_F(AlertPath, AnAlertFromTheFeedZoomsToItsViewAndTheAnimationGoesOn) {
    InstallNetworkWiring();
    struct FeedPutInPlace : ProgramNetworkLink {
        int RequestFeed(const std::string&, const std::string&) override { return 1; }  // the test sets the lines
        bool StartSockets(bool, bool) override { return true; }
    } link;
    testsupport::ScopedNetworkLink installed(link);
    myFrame* f = Start();
    ASSERT_NE(f, nullptr);
    f->OpenView("WORLD");
    ASSERT_NE(f->layout(), nullptr);
    ASSERT_NE(f->layout()->mapPane(), nullptr);
    EXPECT_EQ(gMapName, "WORLD");

    const std::string text = TempDir::Read(Fixture("feed-alert.csv").string());
    gFeedLines = {text.substr(0, text.find('\n')), text.substr(text.find('\n') + 1)};
    gFeedLines.back().erase(gFeedLines.back().find_last_not_of("\r\n") + 1);
    const TimeValue speed = gSpeed, start = gPeriodStart, end = gPeriodEnd;
    Ticks(2);  // the first fill, then the report
    // Until the zoom, WORLD runs on with its own period and speed.
    EXPECT_EQ(gMapName, "WORLD");
    EXPECT_EQ(gSpeed, speed);
    EXPECT_EQ(gPeriodStart, start);
    EXPECT_EQ(gPeriodEnd, end);
    const std::string name = "2024-05-01-11 Alphaville";
    EXPECT_EQ(TempDir::Read("Alert_View_Filename.txt"), name + "\n");
    for (const char* ext : {"", ".caf", ".npp.txt", ".hyp"}) EXPECT_TRUE(fs::exists(name + ext)) << ext;
    EXPECT_EQ(Lines(name + ".caf").size(), 7u);  // the plant, the alert's city and the closest city
    EXPECT_EQ(gOpenedViewName, "WORLD");         // shown only once the pause is over

    Ticks(gAlertPause);
    EXPECT_EQ(gOpenedViewName, name);
    EXPECT_TRUE(EqualsIgnoringCase(gMapName, name));
    const AlertViewBox box = AlertBoxFor(AlertViewKind::kProcessor, 34, 139, gPaneWidth, gPaneHeight,
                                         GeoPoint{139, 35});
    EXPECT_NEAR(gMapNorth, box.north, 1e-6);
    EXPECT_NEAR(gMapEast, box.east, 1e-6);
    EXPECT_EQ(gAlertEvent, &gBuiltAlertQuake);
    EXPECT_EQ(gBuiltAlertQuake.magnitude, 63);
    EXPECT_EQ(gSpeed, TimeValue(3600));
    // The animation runs on in the alert view, and time moves.
    const TimeValue before = gAnimationTime;
    hl::Advance(500);
    EXPECT_TRUE(f->animationTimerRunning());
    EXPECT_GT(gAnimationTime, before);
    EXPECT_TRUE(fs::exists("WORLD"));
    EXPECT_NE(TempDir::Read("WORLD").find("LEFT LONGITUDE: 60\n"), std::string::npos);
}
