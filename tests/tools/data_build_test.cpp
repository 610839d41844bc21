#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "map/segment_file.h"
#include "tests/support/temp_dir.h"
#include "tools/data_build.h"

namespace {

std::vector<ServiceEvent> ReadText(const std::string& text, CatalogueStats* stats) {
    TempDir::Write("in.csv", text);
    std::FILE* f = std::fopen("in.csv", "rb");
    std::vector<ServiceEvent> events = ReadServiceEvents(f, stats);
    std::fclose(f);
    return events;
}

const char kHeader[] = "time,latitude,longitude,depth,mag,magType,nst,gap,dmin,rms,net,id,updated,place,type\n";

std::string Line(const char* time, double lat, double mag, const char* id, const char* updated) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "%s,%g,10,33,%g,mw,,,,,us,%s,%s,\"near a place, somewhere\",earthquake\n", time,
                  lat, mag, id, updated);
    return buf;
}

TEST(DataBuild, EventsMergeByIdKeepingTheLineUpdatedLast) {
    TempDir dir;
    CatalogueStats stats;
    auto a = ReadText(std::string(kHeader) + Line("2011-03-11T05:46:24.120Z", 38.3, 9.0, "evA", "2020-01-01T00:00:00Z") +
                          Line("2004-12-26T00:58:53.450Z", 3.3, 9.1, "evB", "2021-01-01T00:00:00Z") +
                          "not,an,event\n",
                      &stats);
    auto b = ReadText(std::string(kHeader) + Line("2011-03-11T05:46:24.120Z", 38.4, 9.1, "evA", "2022-01-01T00:00:00Z") +
                          Line("2004-12-26T00:58:53.450Z", 9.9, 9.9, "evB", "2021-01-01T00:00:00Z") +
                          Line("2011-03-11T05:46:24.120Z", 36.0, 7.0, "evC", "2022-01-01T00:00:00Z"),
                      &stats);
    EXPECT_EQ(stats.lines, 6u);  // headers are not events
    std::vector<ServiceEvent> merged = MergeServiceEvents({a, b}, &stats);
    EXPECT_EQ(stats.duplicates, 2u);
    ASSERT_EQ(merged.size(), 4u);  // evA, evB, the bad line, evC

    std::vector<QuakeRecord> records = BuildCatalogue(merged, &stats);
    EXPECT_EQ(stats.unusable, 1u);
    ASSERT_EQ(records.size(), 3u);
    // In time order; evA and evC share a time and come in id order.
    EXPECT_EQ(records[0].date, (PackedDate{2004, 12, 26}));
    EXPECT_EQ(records[0].magnitude, 91);  // a tie on "updated" keeps the earlier input
    EXPECT_EQ(records[1].magnitude, 91);            // evA as updated in 2022
    EXPECT_EQ(records[2].magnitude, 70);

    ASSERT_TRUE(WriteCatalogue("OUT.HY4", records));
    EXPECT_EQ(TempDir::Read("OUT.HY4").size(), 3u * kQuakeRecordSize);
}

std::string Solution(const char* time, double lat, double lon, double mag, const char* magType, const char* id) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "%s,%g,%g,33,%g,%s,,,,,us,%s,2020-01-01T00:00:00Z,\"a place\",earthquake\n", time, lat,
                  lon, mag, magType, id);
    return buf;
}

// Two solutions of one quake under different ids (within 120 s and 2 degrees
// by the program's similar-event test) keep one record: a moment magnitude
// first, then the larger magnitude.
TEST(DataBuild, SecondSolutionsOfAQuakeAreDropped) {
    struct Case {
        const char* name;
        std::string lines;
        std::vector<int> magnitudes;  // what stays, in time order
        std::size_t dropped;
    };
    const Case cases[] = {
        {"one quake twice: the moment magnitude stays",
         Solution("1905-02-14T08:46:00.000Z", 50.73, -178.55, 7.3, "ms", "ushis433") +
             Solution("1905-02-14T08:46:34.490Z", 51.89, -176.702, 7.59, "mw", "iscgem16957835"),
         {75}, 1},
        {"the moment magnitude stays even when smaller",
         Solution("2023-10-16T11:35:30.000Z", 40, 20, 6.7, "Mi", "pt1") +
             Solution("2023-10-16T11:35:31.370Z", 40.1, 20.1, 6.4, "mww", "us1"),
         {64}, 1},
        {"same kind: the larger magnitude stays",
         Solution("2023-08-28T20:06:53.008Z", 10, 120, 5.5, "mb", "a") +
             Solution("2023-08-28T20:08:06.461Z", 11, 121, 5.7, "mb", "b"),
         {57}, 1},
        {"more than 120 s apart: two quakes",
         Solution("2020-01-01T00:00:00.000Z", 10, 10, 6.0, "mw", "a") +
             Solution("2020-01-01T00:02:00.100Z", 10, 10, 6.0, "mw", "b"),
         {60, 60}, 0},
        {"more than 2 degrees apart: two quakes",
         Solution("2020-01-01T00:00:00.000Z", 10, 10, 6.0, "mw", "a") +
             Solution("2020-01-01T00:00:10.000Z", 10, 12.1, 6.1, "mw", "b"),
         {60, 61}, 0},
        {"a chain of three is one quake",
         Solution("2020-01-01T00:00:00.000Z", 10, 10, 6.0, "mb", "a") +
             Solution("2020-01-01T00:01:00.000Z", 10.5, 10, 6.2, "mww", "b") +
             Solution("2020-01-01T00:01:30.000Z", 10, 10.5, 6.1, "mb", "c"),
         {62}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        CatalogueStats stats;
        std::vector<QuakeRecord> records = BuildCatalogue(ReadText(std::string(kHeader) + c.lines, &stats), &stats);
        std::vector<int> magnitudes;
        for (const QuakeRecord& q : records) magnitudes.push_back(q.magnitude);
        EXPECT_EQ(magnitudes, c.magnitudes);
        EXPECT_EQ(stats.sameQuake, c.dropped);
        EXPECT_EQ(stats.events, records.size());
    }
}

TEST(DataBuild, PolylineTextNamesTheLineItCannotRead) {
    TempDir dir;
    TempDir::Write("ok.txt", "# comment\nS 1\n0 0\n60 60\nS 7\n1 2\n3 4\n");
    std::FILE* f = std::fopen("ok.txt", "rb");
    std::vector<Polyline> lines;
    int bad = 0;
    ASSERT_TRUE(ReadPolylineText(f, &lines, &bad));
    std::fclose(f);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].segmentClass, 7);
    EXPECT_EQ(lines[1].points, (std::vector<SegmentPoint>{{1, 2}, {3, 4}}));

    for (const char* text : {"S 1\n0 0\nx y\n", "0 0\n"}) {
        TempDir::Write("bad.txt", text);
        f = std::fopen("bad.txt", "rb");
        EXPECT_FALSE(ReadPolylineText(f, &lines, &bad)) << text;
        std::fclose(f);
        EXPECT_EQ(bad, std::string(text).size() > 5 ? 3 : 1) << text;
    }
}

TEST(DataBuild, LongLinesAreCutIntoPiecesTheFormatAndTheSkipTestTake) {
    // A line along the equator from 100 E eastward across 180 to 100 W: 160 degrees.
    Polyline line{1, {}};
    for (int lon = 100 * 60; lon <= 260 * 60; lon += 30)
        line.points.push_back({lon > 180 * 60 ? lon - 360 * 60 : lon, 0});
    std::vector<Polyline> pieces = SplitPolyline(line, PointLayout::kCoarse, 90);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].points.back(), pieces[1].points.front()) << "pieces share their joint";
    std::size_t total = 0;
    for (const auto& p : pieces) {
        Segment s{{}, p.points};
        s.header.code = 1000;
        ASSERT_TRUE(SetSegmentBounds(&s, PointLayout::kCoarse));
        int span = s.header.east - s.header.west;
        if (span < 0) span += 360 * 60;
        EXPECT_LE(span, 90 * 60);
        total += p.points.size();
    }
    EXPECT_EQ(total, line.points.size() + 1);

    Polyline many{2, std::vector<SegmentPoint>(kSegmentMaxPoints * 2 + 5, SegmentPoint{0, 0})};
    pieces = SplitPolyline(many, PointLayout::kFine, 90);
    ASSERT_EQ(pieces.size(), 3u);
    for (const auto& p : pieces) EXPECT_LE(p.points.size(), static_cast<std::size_t>(kSegmentMaxPoints));

    TempDir dir;
    std::size_t written = 0;
    ASSERT_TRUE(WriteSegmentFileFromPolylines("T.S1", {line, Polyline{4, {{5, 5}}}}, PointLayout::kCoarse, &written));
    EXPECT_EQ(written, 2u) << "a one-point line is no segment";
    std::FILE* f = std::fopen("T.S1", "rb");
    std::vector<Segment> segs;
    EXPECT_EQ(ReadSegmentFile(f, PointLayout::kCoarse, &segs), SegmentStatus::kEnd);
    std::fclose(f);
    ASSERT_EQ(segs.size(), 2u);
    EXPECT_EQ(segs[0].header.code, 1000);
    EXPECT_EQ(segs[1].header.code, 1001);  // running numbers per file
}

}  // namespace
