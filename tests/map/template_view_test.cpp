// Template views: the largest quake of the search box and time window, the
// map centred on it, and every failure leaving the current view as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/quake.h"
#include "core/view.h"
#include "map/template_view.h"
#include "platform/ui/headless/headless.h"
#include "tests/support/catalogue_file.h"
#include "tests/support/temp_dir.h"

namespace hl = platform::headless;

namespace {

QuakeRecord Quake(int year, double lat, double lon, double magnitude) {
    return MakeEventRecord(nullptr, year, 6, 1, 12, 0, 0, lat, lon, 10, magnitude);
}

// A search box of 30..40 N, 130..145 E over 1990..2010.
const char* const kTemplate =
    "NORTH SEARCH LATITUDE: 40\nSOUTH SEARCH LATITUDE: 30\nLEFT SEARCH LONGITUDE: 130\nRIGHT SEARCH LONGITUDE: 145\n"
    "TEMPLATE LATITUDE RANGE: 8\nTEMPLATE LONGITUDE RANGE: 10\nMINIMUM YEAR: 1990\nMINIMUM MONTH: 1\n"
    "MINIMUM DAY: 1\nMAXIMUM YEAR: 2010\nMAXIMUM MONTH: 12\nMAXIMUM DAY: 31\nDAYS TO LOOP: 0\n"
    "EVENT FILE: OTHER.HY4\nTITLE: Near Japan\n";

class TemplateView : public testing::Test {
protected:
    TemplateView() {
        hl::Reset();
        ResetViewSettings();
    }
    ~TemplateView() override {
        CloseQuakeCatalogue();
        ResetViewSettings();
    }
    // The search over these records with the template's settings.
    TemplateSearch Search(const std::vector<QuakeRecord>& records) {
        EXPECT_TRUE(WriteQuakeFile("S.HY4", records));
        EXPECT_EQ(ReadViewFile("T"), 0);
        std::FILE* f = std::fopen("S.HY4", "rb");
        const TemplateSearch s = FindLargestInTemplate(f);
        std::fclose(f);
        return s;
    }
    // The current view: a named view on a long catalogue name.
    void OpenCurrent() {
        TempDir::Write("CURRENT", "TITLE: Current\nEVENT FILE: " + kCatalogue + "\nEARTHQUAKES: YES\n"
                                  "LEFT LONGITUDE: -20\nRIGHT LONGITUDE: 20\n");
        ASSERT_EQ(ReadViewFile("CURRENT"), 0);
        gMapWest = -21.123456789012;  // a zoom in memory, not in the file
        gViewZoomed = true;
    }
    TempDir dir_;
    const std::string kCatalogue = "A_CATALOGUE_WITH_A_NAME_LONGER_THAN_THIRTY_ONE.HY4";
};

TEST_F(TemplateView, TheFirstLargestInsideTheBoxAndWindowIsChosen) {
    TempDir::Write("T", kTemplate);
    struct Case {
        const char* name;
        std::vector<QuakeRecord> records;
        std::int32_t index;
        const char* failure;
    } cases[] = {
        {"equal magnitudes: the earlier", {Quake(1995, 35, 135, 7.0), Quake(2000, 36, 140, 7.0)}, 0, ""},
        {"a larger one later wins", {Quake(1995, 35, 135, 7.0), Quake(2000, 36, 140, 7.1)}, 1, ""},
        {"the box's edges count", {Quake(1995, 35, 135, 6.0), Quake(1996, 40, 145, 6.5), Quake(1997, 30, 130, 6.2)}, 1, ""},
        {"outside the box or window: left out",
         {Quake(1980, 35, 135, 9.0), Quake(1995, 41, 135, 8.0), Quake(1996, 35, 146, 8.0), Quake(1997, 35, 135, 5.0),
          Quake(2015, 35, 135, 9.5)},
         3, ""},
        {"nothing in the box", {Quake(1995, 10, 10, 7.0)}, -1, "No events in this region in time"},
        {"magnitude 0 does not count", {Quake(1995, 35, 135, 0.0)}, -1, "No events in this region in time"},
        {"all after the window", {Quake(2015, 35, 135, 7.0)}, -1, "No events in time interval"},
        {"all before the window", {Quake(1980, 35, 135, 7.0)}, -1, "No events in time interval"},
        {"an empty catalogue", {}, -1, "No events in time interval"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TemplateSearch s = Search(c.records);
        EXPECT_EQ(s.index, c.index);
        EXPECT_EQ(s.failure, c.failure);
    }
}

TEST_F(TemplateView, DaysToLoopSearchesBackFromNow) {
    // The virtual clock says 2026-01-01.
    TempDir::Write("T", std::string(kTemplate) + "DAYS TO LOOP: 30\n");
    EXPECT_EQ(Search({Quake(2000, 35, 135, 7.0)}).failure,
              "Last event in file is earlier than present time minus number of days to loop");
    const QuakeRecord recent = MakeEventRecord(nullptr, 2025, 12, 20, 0, 0, 0, 35, 135, 10, 5.0);
    const TemplateSearch s = Search({Quake(2000, 35, 135, 9.0), recent});
    EXPECT_EQ(s.index, 1);
}

TEST_F(TemplateView, TheMapIsCentredOnTheEventAcrossTheDateLine) {
    struct Case {
        double lat, lon, latRange, lonRange;
        MapBounds want;
    } cases[] = {
        {35, 140, 8, 10, {39, 31, 145, 135}},
        {-20, 178, 4, 6, {-18, -22, -179, 175}},
        {10, -178, 4, 6, {12, 8, -175, 179}},
    };
    for (const Case& c : cases) {
        const MapBounds b = TemplateBoundsAround(c.lat, c.lon, c.latRange, c.lonRange);
        EXPECT_DOUBLE_EQ(b.north, c.want.north);
        EXPECT_DOUBLE_EQ(b.south, c.want.south);
        EXPECT_DOUBLE_EQ(b.east, c.want.east);
        EXPECT_DOUBLE_EQ(b.west, c.want.west);
    }
}

TEST_F(TemplateView, AppliedItKeepsTheCataloguesWholeNameAndSavesTheBounds) {
    TempDir::Write("TEMPLAT2", kTemplate);
    ASSERT_TRUE(WriteQuakeFile(kCatalogue, {Quake(1995, 35.5, 139.25, 7.2), Quake(2000, 10, 10, 8.0)}));
    OpenCurrent();
    EXPECT_EQ(ApplyTemplateView(2, nullptr), "TEMPLAT2");
    EXPECT_TRUE(hl::MessageBoxCalls().empty());
    ASSERT_EQ(ReadViewFile("TEMPLAT2"), 0);
    EXPECT_EQ(gEventFileName, kCatalogue);
    EXPECT_DOUBLE_EQ(gMapNorth, 39.5);
    EXPECT_DOUBLE_EQ(gMapSouth, 31.5);
    EXPECT_DOUBLE_EQ(gMapEast, 144.25);
    EXPECT_DOUBLE_EQ(gMapWest, 134.25);
    EXPECT_EQ(gViewTitle, "Near Japan");
}

TEST_F(TemplateView, AFailureLeavesTheCurrentViewAsItWas) {
    ASSERT_TRUE(WriteQuakeFile(kCatalogue, {Quake(1995, 10, 10, 7.2)}));
    TempDir::Write("TEMPLAT4", kTemplate);  // nothing in its box
    TempDir::Write("TEMPLAT5", std::string(kTemplate) + "TEMPLATE LONGITUDE RANGE: 0\n");
    struct Case {
        int n;
        const char* caption;
        const char* text;
    } cases[] = {
        {3, "Cannot find file:", "TEMPLAT3"},
        {4, "No events in this region in time", ""},
        {5, "Template range is 0", nullptr},
    };
    for (const bool saved : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(c.n) + (saved ? " over a saved view" : " over a new view"));
            if (saved) {
                OpenCurrent();
            } else {
                ReadViewFile(nullptr);  // a new view: no file to read it back from
                gEventFileName = kCatalogue;
                gViewTitle = "Unsaved";
                gMapNorth = 12.345678912345;
            }
            const std::string before = TakeViewSnapshot().settings;
            const std::string name = gMapName;
            const double west = gMapWest, north = gMapNorth;
            EXPECT_EQ(ApplyTemplateView(c.n, nullptr), "");
            ASSERT_FALSE(hl::MessageBoxCalls().empty());
            EXPECT_EQ(hl::MessageBoxCalls().back().caption, c.caption);
            if (c.text) {
                EXPECT_EQ(hl::MessageBoxCalls().back().text, c.text);
            }
            EXPECT_EQ(TakeViewSnapshot().settings, before);
            EXPECT_EQ(gMapName, name);
            EXPECT_EQ(gMapWest, west);
            EXPECT_EQ(gMapNorth, north);
            EXPECT_EQ(gEventFileName, kCatalogue);
            EXPECT_NE(gQuakeCatalogue, nullptr);  // reopened
        }
    }
    EXPECT_EQ(TempDir::Read("TEMPLAT4"), kTemplate);
}

}  // namespace
