#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "map/segment_file.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<unsigned char>;

Segment MakeSegment(int segmentClass, std::vector<SegmentPoint> points, PointLayout layout) {
    Segment s;
    s.header.code = static_cast<std::int16_t>(segmentClass * 1000 + 7);
    s.points = std::move(points);
    EXPECT_TRUE(SetSegmentBounds(&s, layout));
    return s;
}

Bytes Encode(const std::vector<Segment>& segments, PointLayout layout) {
    Bytes out;
    for (const auto& s : segments) EXPECT_TRUE(EncodeSegment(s, layout, &out));
    return out;
}

void PutHeader(Bytes* out, std::int16_t code, std::int16_t count) {
    SegmentHeader h;
    h.code = code;
    h.count = count;
    unsigned char b[kSegmentHeaderSize];
    EncodeSegmentHeader(h, b);
    out->insert(out->end(), b, b + sizeof b);
}

TEST(SegmentFile, Int24DecodesLittleEndianWithSignInBit23) {
    struct Case {
        unsigned char b[3];
        std::int32_t value;
    };
    const Case cases[] = {
        {{0x00, 0x00, 0x00}, 0},
        {{0x01, 0x00, 0x00}, 1},
        {{0xFF, 0xFF, 0xFF}, -1},                 // three bytes of ones: -1 arc-second
        {{0xC0, 0x1C, 0xF6}, -648000},            // 180 degrees west
        {{0x40, 0xE3, 0x09}, 648000},             // 180 degrees east
        {{0xFF, 0xFF, 0x7F}, 0x7FFFFF},
        {{0x00, 0x00, 0x80}, -0x800000},
        {{0x34, 0x12, 0x00}, 0x1234},             // byte order
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeInt24(c.b), c.value) << c.value;
        unsigned char back[3] = {};
        ASSERT_TRUE(EncodeInt24(c.value, back));
        EXPECT_EQ(Bytes(back, back + 3), Bytes(c.b, c.b + 3)) << c.value;
    }
    unsigned char untouched[3] = {1, 2, 3};
    EXPECT_FALSE(EncodeInt24(0x800000, untouched));
    EXPECT_FALSE(EncodeInt24(-0x800001, untouched));
    EXPECT_EQ(untouched[0], 1);
}

TEST(SegmentFile, LayoutIsChosenByFileName) {
    struct Case {
        const char* name;
        PointLayout layout;
    };
    const Case cases[] = {
        {"PLATES.S0", PointLayout::kFine},      {"plates.s0", PointLayout::kFine},
        {"maps/COAST.S0", PointLayout::kFine},  {"COAST.S1", PointLayout::kCoarse},
        {"COAST.S4", PointLayout::kCoarse},     {"ALL.S4", PointLayout::kCoarse},
        {"S0", PointLayout::kCoarse},           {"COAST.SO", PointLayout::kCoarse},
    };
    for (const auto& c : cases) EXPECT_EQ(LayoutForFileName(c.name), c.layout) << c.name;
    EXPECT_EQ(PointSize(PointLayout::kFine), 6);
    EXPECT_EQ(PointSize(PointLayout::kCoarse), 4);
}

TEST(SegmentFile, HeaderAndPointFieldsSitWhereTheFormatPutsThem) {
    // class 2, running number 5; 2 points; east 600, west -300, north 120, south -60.
    const Bytes bytes = {0xD5, 0x07, 0x02, 0x00, 0x58, 0x02, 0xD4, 0xFE, 0x78, 0x00, 0xC4, 0xFF,
                         0x2C, 0x01, 0xC4, 0xFF,   // coarse point: lon 300, lat -60
                         0xD4, 0xFE, 0x78, 0x00};  // lon -300, lat 120
    std::vector<Segment> segs;
    ASSERT_EQ(DecodeSegments(bytes, PointLayout::kCoarse, &segs), SegmentStatus::kEnd);
    ASSERT_EQ(segs.size(), 1u);
    const SegmentHeader& h = segs[0].header;
    EXPECT_EQ(h.SegmentClass(), 2);
    EXPECT_EQ(h.count, 2);
    EXPECT_EQ(h.east, 600);
    EXPECT_EQ(h.west, -300);
    EXPECT_EQ(h.north, 120);
    EXPECT_EQ(h.south, -60);
    EXPECT_EQ(segs[0].points, (std::vector<SegmentPoint>{{300, -60}, {-300, 120}}));

    // The same bytes as fine points: 6-byte int24 pairs, so only one whole point after the header.
    const Bytes fine = {0xD5, 0x0B, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0,
                        0xFF, 0xFF, 0xFF, 0x10, 0x0E, 0x00};  // lon -1", lat 3600"
    ASSERT_EQ(DecodeSegments(fine, PointLayout::kFine, &segs), SegmentStatus::kEnd);
    EXPECT_EQ(segs[0].points, (std::vector<SegmentPoint>{{-1, 3600}}));
}

TEST(SegmentFile, RoundTripThroughBytesAndFiles) {
    TempDir dir;
    for (PointLayout layout : {PointLayout::kCoarse, PointLayout::kFine}) {
        const int u = UnitsPerDegree(layout);
        std::vector<Segment> segments = {
            MakeSegment(1, {{-10 * u, 5 * u}, {-9 * u, 6 * u}, {-8 * u + 1, 6 * u - 1}}, layout),
            MakeSegment(9, {{179 * u, -20 * u}, {-179 * u, -21 * u}}, layout),  // crosses 180
            MakeSegment(12, {{0, 0}}, layout),
        };
        Bytes bytes = Encode(segments, layout);
        ASSERT_EQ(bytes.size(), 3 * 12 + 6u * PointSize(layout));

        const char* name = layout == PointLayout::kFine ? "T.S0" : "T.S1";
        std::FILE* f = std::fopen(name, "wb");
        ASSERT_NE(f, nullptr);
        for (const auto& s : segments) ASSERT_TRUE(WriteSegment(f, s, layout));
        std::fclose(f);
        EXPECT_EQ(TempDir::Read(name), std::string(bytes.begin(), bytes.end()));

        f = std::fopen(name, "rb");
        std::vector<Segment> back;
        ASSERT_EQ(ReadSegmentFile(f, LayoutForFileName(name), &back), SegmentStatus::kEnd);
        std::fclose(f);
        ASSERT_EQ(back.size(), segments.size());
        for (std::size_t i = 0; i < back.size(); ++i) {
            EXPECT_EQ(back[i].header.code, segments[i].header.code);
            EXPECT_EQ(back[i].header.east, segments[i].header.east);
            EXPECT_EQ(back[i].header.west, segments[i].header.west);
            EXPECT_EQ(back[i].header.north, segments[i].header.north);
            EXPECT_EQ(back[i].header.south, segments[i].header.south);
            EXPECT_EQ(back[i].points, segments[i].points);
        }
    }
}

TEST(SegmentFile, BoundsAreArcMinutesAndCrossing180GivesEastBelowWest) {
    Segment s = MakeSegment(1, {{10740, 100}, {-10740, 160}, {-10700, 130}}, PointLayout::kCoarse);
    EXPECT_EQ(s.header.west, 10740);
    EXPECT_EQ(s.header.east, -10700);
    EXPECT_EQ(s.header.south, 100);
    EXPECT_EQ(s.header.north, 160);

    // Fine points round outward to whole arc-minutes.
    s = MakeSegment(3, {{-61, 59}, {61, 121}}, PointLayout::kFine);
    EXPECT_EQ(s.header.west, -2);
    EXPECT_EQ(s.header.east, 2);
    EXPECT_EQ(s.header.south, 0);
    EXPECT_EQ(s.header.north, 3);

    // A line once around the globe covers every longitude.
    std::vector<SegmentPoint> around;
    for (int lon = -10800; lon <= 10800 + 21600; lon += 3600) around.push_back({lon > 10800 ? lon - 21600 : lon, 0});
    s = MakeSegment(1, around, PointLayout::kCoarse);
    EXPECT_EQ(s.header.west, -10800);
    EXPECT_EQ(s.header.east, 10800);
}

TEST(SegmentFile, EncoderRefusesWhatTheFormatCannotHold) {
    Bytes out;
    Segment s = MakeSegment(1, {{0, 0}, {1, 1}}, PointLayout::kCoarse);
    s.header.code = 13000;  // class 13
    EXPECT_FALSE(EncodeSegment(s, PointLayout::kCoarse, &out));
    s.header.code = 1000;
    s.header.count = 3;  // disagrees with the points
    EXPECT_FALSE(EncodeSegment(s, PointLayout::kCoarse, &out));
    s = MakeSegment(1, {{40000, 0}}, PointLayout::kFine);
    EXPECT_FALSE(EncodeSegment(s, PointLayout::kCoarse, &out));  // beyond int16
    EXPECT_TRUE(out.empty());

    Segment big;
    big.header.code = 1000;
    big.points.resize(kSegmentMaxPoints + 1);
    EXPECT_FALSE(SetSegmentBounds(&big, PointLayout::kCoarse));
}

// A damaged file stops reading where it is damaged; the segments before stand.
TEST(SegmentFile, DamagedFilesStopCleanly) {
    const PointLayout layout = PointLayout::kCoarse;
    const Bytes good = Encode({MakeSegment(1, {{0, 0}, {60, 60}}, layout),
                               MakeSegment(7, {{120, 0}, {180, 60}, {240, 0}}, layout)},
                              layout);
    struct Case {
        const char* what;
        Bytes bytes;
        std::size_t whole;  // segments read before the fault
        SegmentStatus status;
    };
    std::vector<Case> cases;
    cases.push_back({"intact", good, 2, SegmentStatus::kEnd});
    cases.push_back({"last point cut", Bytes(good.begin(), good.end() - 1), 1, SegmentStatus::kTruncated});
    cases.push_back({"second header cut", Bytes(good.begin(), good.begin() + 12 + 8 + 5), 1,
                     SegmentStatus::kCutHeader});
    for (auto [what, code, count, status] :
         {std::tuple{"negative count", std::int16_t{1000}, std::int16_t{-2}, SegmentStatus::kBadCount},
          std::tuple{"count beyond the file", std::int16_t{1000}, std::int16_t{32767}, SegmentStatus::kTruncated},
          std::tuple{"class 0", std::int16_t{999}, std::int16_t{0}, SegmentStatus::kBadClass},
          std::tuple{"class 13", std::int16_t{13000}, std::int16_t{0}, SegmentStatus::kBadClass},
          std::tuple{"negative class", std::int16_t{-3000}, std::int16_t{0}, SegmentStatus::kBadClass}}) {
        Bytes b = good;
        PutHeader(&b, code, count);
        b.insert(b.end(), 8, 0);  // a little data behind the bad header
        cases.push_back({what, b, 2, status});
    }
    for (const auto& c : cases) {
        std::vector<Segment> segs;
        EXPECT_EQ(DecodeSegments(c.bytes, layout, &segs), c.status) << c.what;
        EXPECT_EQ(segs.size(), c.whole) << c.what;

        SegmentReader reader(c.bytes, layout);
        SegmentHeader h;
        while (reader.NextHeader(&h) == SegmentStatus::kOk) {
            ASSERT_GE(h.SegmentClass(), kSegmentClassFirst);
            ASSERT_LE(h.SegmentClass(), kSegmentClassLast);
        }
        EXPECT_EQ(reader.status(), c.status) << c.what;
        EXPECT_EQ(reader.NextHeader(&h), c.status) << c.what << ": a stopped reader stays stopped";
    }
}

TEST(SegmentFile, SkippedSegmentsLeaveTheReaderOnTheNextHeader) {
    const PointLayout layout = PointLayout::kFine;
    const Bytes bytes = Encode({MakeSegment(1, {{0, 0}, {60, 60}}, layout), MakeSegment(2, {{1, 2}}, layout),
                                MakeSegment(3, {{3, 4}, {5, 6}}, layout)},
                               layout);
    TempDir dir;
    TempDir::Write("P.S0", std::string(bytes.begin(), bytes.end()));
    std::FILE* f = std::fopen("P.S0", "rb");
    ASSERT_NE(f, nullptr);
    SegmentReader reader(f, layout);
    SegmentHeader h;
    std::vector<SegmentPoint> pts;
    ASSERT_EQ(reader.NextHeader(&h), SegmentStatus::kOk);
    ASSERT_EQ(reader.SkipPoints(), SegmentStatus::kOk);
    ASSERT_EQ(reader.NextHeader(&h), SegmentStatus::kOk);  // points not read: skipped by the next header
    ASSERT_EQ(reader.NextHeader(&h), SegmentStatus::kOk);
    EXPECT_EQ(h.SegmentClass(), 3);
    ASSERT_EQ(reader.ReadPoints(&pts), SegmentStatus::kOk);
    EXPECT_EQ(pts, (std::vector<SegmentPoint>{{3, 4}, {5, 6}}));
    EXPECT_EQ(reader.NextHeader(&h), SegmentStatus::kEnd);
    std::fclose(f);
}

}  // namespace
