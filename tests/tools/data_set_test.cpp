// The committed data/ must be what the program can read: a sorted, valid
// catalogue holding every source event once, configuration and views that
// read back (and that the writers would write the same), segment files that
// decode to their end, and place tables the place readers use.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/alert_criteria.h"
#include "core/config.h"
#include "core/csv.h"
#include "core/energy.h"
#include "core/eruption.h"
#include "core/helpers.h"
#include "core/places.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/borders.h"
#include "map/segment_file.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kRoot = fs::path(KESTRUNE_FIXTURES).parent_path().parent_path();
const fs::path kData = kRoot / "data";
const fs::path kSources = kRoot / "tools" / "sources";

std::string DataFile(const std::string& name) { return TempDir::Read((kData / name).string()); }

// A scratch folder holding copies of some data files.
struct DataCopy {
    TempDir dir;
    explicit DataCopy(std::initializer_list<std::string> names) {
        ResetConfigValues();
        ResetViewSettings();
        for (const auto& n : names) TempDir::Write(n, DataFile(n));
    }
    ~DataCopy() {
        ResetConfigValues();
        ResetViewSettings();
    }
};

std::vector<std::string> ViewNames() {
    std::vector<std::string> names;
    std::istringstream in(DataFile("WORLD.VUS"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string name;
        if (words >> name) names.push_back(name);
    }
    return names;
}

TEST(DataSet, CatalogueHoldsEverySourceEventOnceInTimeOrder) {
    const std::string bytes = DataFile("WORLD.HY4");
    ASSERT_EQ(bytes.size() % kQuakeRecordSize, 0u);
    const std::size_t n = bytes.size() / kQuakeRecordSize;

    std::set<std::string> ids;
    for (const char* src : {"usgs-comcat-m6-1900-2023.csv", "usgs-comcat-m5-2013-2023.csv"}) {
        std::FILE* f = std::fopen((kSources / src).c_str(), "rb");
        ASSERT_NE(f, nullptr) << src;
        std::string line;
        ReadWholeLine(f, line);  // header
        while (ReadWholeLine(f, line)) {
            int count = 0;
            StringListNode* head = SplitCsvLine(line, &count);
            StringListNode* node = head;
            for (int i = 0; node && i < 11; ++i) node = node->next;
            ASSERT_NE(node, nullptr) << line;
            ids.insert(node->text);
            FreeStringList(head);
        }
        std::fclose(f);
    }
    // Every source event once, but for the second solutions of one quake,
    // whose number data/README.md gives.
    const std::string readme = DataFile("README.md");
    const std::string said = " events were dropped so.";
    const std::size_t at = readme.find(said);
    ASSERT_NE(at, std::string::npos);
    const std::size_t from = readme.find_last_of(" \n", at - 1) + 1;
    const std::size_t dropped = std::stoul(readme.substr(from, at - from));
    EXPECT_GT(dropped, 0u);
    EXPECT_EQ(n + dropped, ids.size());

    double previous = 0;
    std::vector<QuakeRecord> recent;  // the records of the last two minutes
    for (std::size_t i = 0; i < n; ++i) {
        QuakeRecord q = DecodeQuakeRecord(reinterpret_cast<const unsigned char*>(bytes.data()) + i * kQuakeRecordSize);
        SCOPED_TRACE("record " + std::to_string(i));
        ASSERT_FALSE(IsZeroRecord(q));
        ASSERT_GE(q.date.year, 1900);
        ASSERT_LE(q.date.year, 2023);
        ASSERT_GE(q.date.month, 1);
        ASSERT_LE(q.date.month, 12);
        ASSERT_GE(q.date.day, 1);
        ASSERT_LE(q.date.day, 31);
        ASSERT_LT(q.minute, 1440);
        ASSERT_GE(q.tenths, 0);
        ASSERT_LT(q.tenths, 600);
        ASSERT_LE(std::abs(q.latitude), 90 * 3600000);
        ASSERT_LE(std::abs(q.longitude), 180 * 3600000);
        ASSERT_GE(q.magnitude, 50);  // both sources start at M5
        ASSERT_EQ(q.spare[0] | q.spare[1] | q.spare[2], 0);
        TimeValue t;
        double now = t.SetFromQuake(q);
        ASSERT_LE(previous, now);
        previous = now;
        // No quake is left in twice.
        std::erase_if(recent, [&](const QuakeRecord& r) { return now - TimeValue().SetFromQuake(r) > 120.0; });
        for (const QuakeRecord& r : recent) ASSERT_EQ(MatchSimilarEvent(r, q), 0);
        recent.push_back(q);
    }

    // The program's own search finds its way in it.
    std::FILE* f = std::fopen((kData / "WORLD.HY4").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    TimeValue t;
    t.SetDate({2011, 3, 11});
    bool exact = false;
    std::int32_t index = 0;
    EXPECT_EQ(FindQuakeIndex(f, &t, &exact, &index), 0);
    QuakeRecord q;
    ReadQuakeAt(f, index, kFromStart, &q);
    EXPECT_EQ(q.date, (PackedDate{2011, 3, 11}));
    std::fclose(f);
}

TEST(DataSet, EruptionCatalogueIsSortedAndValid) {
    std::FILE* f = std::fopen((kData / "WORLD.ERB").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    const std::size_t bytes = fs::file_size(kData / "WORLD.ERB");
    ASSERT_EQ(bytes % kEruptionRecordSize, 0u);
    const auto n = static_cast<std::int32_t>(bytes / kEruptionRecordSize);
    EXPECT_GT(n, 3000);
    std::set<std::string> ids;
    std::vector<std::string> etna;
    TimeValue previous;
    for (std::int32_t i = 0; i < n; ++i) {
        SCOPED_TRACE("record " + std::to_string(i));
        EruptionRecord r;
        TimeValue start = ReadEruptionAt(f, i, kFromStart, &r);
        ASSERT_NE(start.t, 0.0);
        ASSERT_LE(previous, start);
        previous = start;
        ASSERT_GE(+r.start.year, 1900);  // a copy: the field is packed
        TimeValue stop;
        ASSERT_LE(start.t, stop.SetDate(r.stop));
        ASSERT_GE(r.size, 1);
        ASSERT_NE(std::string("ELU").find(r.type), std::string::npos);
        ASSERT_LE(std::abs(r.latitude), 90.0);
        ASSERT_LE(std::abs(r.longitude), 180.0);
        ASSERT_FALSE(FieldText(r.name, sizeof r.name).empty());
        const std::string id = FieldText(r.id, sizeof r.id);
        ids.insert(id);
        if (FieldText(r.name, sizeof r.name) == "Etna" && (r.start.year == 1941 || r.start.year == 1942))
            etna.push_back(id);
    }
    std::fclose(f);
    // Identifiers are volcano numbers, so that one volcano shows one eruption
    // at a time: Etna's overlapping eruptions of 1941-44 and 1942 share one.
    EXPECT_LT(ids.size(), static_cast<std::size_t>(n) / 2);
    ASSERT_EQ(etna.size(), 2u);
    EXPECT_EQ(etna[0], etna[1]);
}

TEST(DataSet, ConfigurationReadsBackAndIsWhatTheWriterWrites) {
    DataCopy copy({"QUORVEL.INI", "alert_criteria.txt"});
    ASSERT_EQ(ReadConfigFile(), 0);
    EXPECT_EQ(gControls[kControlMenuBar], 1);
    EXPECT_EQ(gControls[kControlWelcomeScreen], 0);
    EXPECT_EQ(gControls[kControlStartScreen], 0);
    EXPECT_EQ(gAlertCriteria.size(), 3u);
    ASSERT_EQ(gUpdateFiles.Count(), 1);
    EXPECT_TRUE(fs::exists(kData / gUpdateFiles[0].name)) << gUpdateFiles[0].name;
    ASSERT_EQ(WriteConfigFile(), 0);
    EXPECT_EQ(TempDir::Read("QUORVEL.INI"), DataFile("QUORVEL.INI"));
}

TEST(DataSet, ViewsReadBackAndNameFilesThatExist) {
    const std::vector<std::string> names = ViewNames();
    ASSERT_GE(names.size(), 8u);
    for (const char* required : {"WORLD", "WORLD-ALT", "PACIFIC", "JAPAN", "CHILE", "ALASKA", "INDONESIA",
                                 "MEDITERRANEAN"})
        EXPECT_NE(std::find(names.begin(), names.end(), required), names.end()) << required;

    for (const auto& name : std::set<std::string>(names.begin(), names.end())) {
        SCOPED_TRACE(name);
        DataCopy copy({name});
        ASSERT_EQ(ReadViewFile(name), 0);
        EXPECT_EQ(gMapView + g3DView + gCrossSectionView, 1) << "one kind of view";
        // The overlay files a map view names are there, and so are the symbol definitions they name.
        for (StringListNode* list : {gTextFiles, gSymbolFiles})
            for (StringListNode* n = gMapView ? list : nullptr; n; n = n->next)
                EXPECT_TRUE(fs::exists(kData / n->text)) << n->text;
        EXPECT_LT(gMapSouth, gMapNorth);
        // Up to the present, so updated quakes are seen; one floor throughout
        // the catalogue (its M5 events begin in 2013).
        TimeValue future;
        future.SetDate({2099, 1, 1});
        EXPECT_GT(gViewEnd.t, future.t);
        EXPECT_EQ(gMagnitudeCutoff, 6.0);
        EXPECT_TRUE(fs::exists(kData / gEventFileName)) << gEventFileName;
        if (gShowEruptions) {
            EXPECT_TRUE(fs::exists(kData / gEruptionFileName)) << gEruptionFileName;
        }
        int mapFiles = 0;
        for (StringListNode* n = gMapFiles; n; n = n->next, ++mapFiles) {
            std::string file = n->text;
            const std::size_t q = file.find('?');
            for (char digit : std::string(q == std::string::npos ? "x" : "1234")) {
                if (q != std::string::npos) file[q] = digit;
                EXPECT_TRUE(fs::exists(kData / file)) << file;
            }
        }
        EXPECT_GE(mapFiles, 2);
        if (gShowPlates) {
            EXPECT_TRUE(fs::exists(kData / "PLATES.S0"));
        }
        ASSERT_TRUE(WriteViewFile());
        EXPECT_EQ(TempDir::Read(name), DataFile(name)) << "the view writer would change the file";
    }
}

TEST(DataSet, SegmentFilesDecodeToTheirEnd) {
    int files = 0;
    for (const auto& entry : fs::directory_iterator(kData)) {
        const std::string name = entry.path().filename().string();
        if (name.size() < 3 || name[name.size() - 3] != '.' || name[name.size() - 2] != 'S') continue;
        SCOPED_TRACE(name);
        ++files;
        const PointLayout layout = LayoutForFileName(name);
        const std::string bytes = DataFile(name);
        std::vector<Segment> segs;
        ASSERT_EQ(DecodeSegments({reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()}, layout, &segs),
                  SegmentStatus::kEnd);
        ASSERT_FALSE(segs.empty());
        const int u = UnitsPerDegree(layout);
        std::set<int> classes;
        for (const auto& s : segs) {
            classes.insert(s.header.SegmentClass());
            ASSERT_GE(s.points.size(), 2u);
            for (const auto& p : s.points) {
                ASSERT_LE(std::abs(p.lon), 180 * u);
                ASSERT_LE(std::abs(p.lat), 90 * u);
                ASSERT_GE(p.lat * 60, s.header.south * u);
                ASSERT_LE(p.lat * 60, s.header.north * u);
            }
            Segment again = s;
            ASSERT_TRUE(SetSegmentBounds(&again, layout));
            ASSERT_EQ(again.header.east, s.header.east);
            ASSERT_EQ(again.header.west, s.header.west);
        }
        const std::string family = name.substr(0, name.size() - 3);
        const std::set<int> expected = family == "COAST"    ? std::set<int>{1}
                                       : family == "COUNTRY" ? std::set<int>{2}
                                       : family == "STATE"   ? std::set<int>{4}
                                       : family == "RIVER"   ? std::set<int>{7}
                                       : family == "ALL"     ? std::set<int>{1, 2}
                                                             : std::set<int>{3, 9, 10, 11};
        EXPECT_EQ(classes, expected);
    }
    EXPECT_EQ(files, 18);  // four families at four resolutions, ALL.S4, PLATES.S0
}

TEST(DataSet, CountryBordersFindTheCountryOfAPlace) {
    const BorderSet set((kData / kCountryBorderFile).string());
    const struct {
        const char* place;
        double lat, lon;
        const char* country;  // nullptr: open sea
    } places[] = {
        // Russia's outline crosses 180 degrees. Anadyr's own point (177.5 E) lies
        // in its estuary on this coastline: the town's western edge.
        {"Anadyr", 64.73, 177.4, "RUSSIA"},
        {"Wrangel Island", 71.2, -179.5, "RUSSIA"},
        {"Wrangel Island, west", 71.25, 179.5, "RUSSIA"},
        {"Egvekinot", 66.32, 179.12, "RUSSIA"},
        {"Chukotka, east of 180", 66.0, -175.0, "RUSSIA"},
        {"Moscow", 55.75, 37.62, "RUSSIA"},
        {"Taveuni", -16.85, -179.95, "FIJI"},
        {"Tokyo", 35.69, 139.69, "JAPAN"},
        {"Wichita", 37.69, -97.34, "UNITED STATES OF AMERICA"},
        {"Bering Sea", 60.0, 179.9, nullptr},
        {"mid-Pacific", 0.0, -150.0, nullptr},
    };
    for (const auto& p : places) {
        const BorderPolygon* found = set.FindContainingPoint(p.lat, p.lon);
        EXPECT_EQ(found ? found->name : "-", p.country ? p.country : "-") << p.place;
    }
}

TEST(DataSet, PlaceTablesServeThePlaceReaders) {
    DataCopy copy({kCityTableFile, kPlantTableFile});
    for (const char* table : {kCityTableFile, kPlantTableFile}) {
        std::FILE* f = std::fopen(table, "rb");
        ASSERT_NE(f, nullptr);
        std::string line;
        bool header = std::string(table) == kPlantTableFile;
        int rows = 0;
        while (ReadWholeLine(f, line)) {
            int fields = 0;
            FreeStringList(SplitCsvLine(line, &fields));
            if (header) {
                header = false;
                continue;
            }
            ++rows;
            // The nearest-city search reads 126 characters a line, the plant readers 178.
            EXPECT_LT(line.size(), std::string(table) == kCityTableFile ? 127u : 179u) << line;
            EXPECT_EQ(fields, std::string(table) == kCityTableFile ? 7 : 11) << line;
        }
        std::fclose(f);
        EXPECT_GT(rows, 300) << table;
    }

    gMapSouth = 30;
    gMapNorth = 46;
    gMapWest = 128;
    gMapEast = 146;
    EXPECT_GT(ReadCitiesInView().size(), 500u);
    bool fukushima = false;
    for (const auto& p : ReadPlantsInView()) fukushima = fukushima || p->name == "Fukushima Daiichi";
    EXPECT_TRUE(fukushima);

    double distance = 0;
    int compass = 0;
    std::string name;
    GeoPoint where;
    bool operating = true;
    ASSERT_TRUE(FindClosestNPP(37.5, 141.1, &distance, &compass, &name, &where, &operating));
    EXPECT_EQ(name, "Fukushima Daiichi");
    EXPECT_FALSE(operating);
    ASSERT_TRUE(FindClosestCity(-33.45, -70.67, &distance, &compass, &name, &where));
    EXPECT_EQ(name, "Santiago");
}

}  // namespace
