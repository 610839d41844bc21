#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/quake.h"
#include "core/view.h"
#include "tests/support/catalogue_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_lines.h"

namespace {

// Records a whole number of minutes into 2000-01-01, so times compare simply.
QuakeRecord AtMinute(int minute, std::uint8_t magnitude = 50) {
    QuakeRecord q;
    q.date = PackedDate{2000, 1, 1};
    q.minute = static_cast<std::uint16_t>(minute);
    q.latitude = 10 * 3600000;
    q.longitude = 20 * 3600000;
    q.depth = 1000000;
    q.magnitude = magnitude;
    return q;
}

TimeValue MinuteTime(int minute) {
    TimeValue t;
    t.SetDateMinutes(PackedDate{2000, 1, 1}, minute);
    return t;
}

void WriteCatalogue(const std::string& name, const std::vector<int>& minutes, int trailingBytes = 0) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    for (int m : minutes) ASSERT_TRUE(WriteQuakeRecord(f, AtMinute(m)));
    for (int i = 0; i < trailingBytes; ++i) std::fputc(0x7F, f);
    std::fclose(f);
}

std::string Fixture(const std::string& name) { return std::string(KESTRUNE_FIXTURES) + "/quake/" + name; }

std::vector<std::string> FixtureLines(const std::string& name) { return testsupport::TextLines(TempDir::Read(Fixture(name))); }

bool SameBytes(const QuakeRecord& a, const QuakeRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class CatalogueTest : public testing::Test {
protected:
    void SetUp() override { ResetViewSettings(); }
    void TearDown() override {
        CloseQuakeCatalogue();
        CloseEruptionCatalogue();
        ResetViewSettings();
    }
    TempDir dir;
};

}  // namespace

// ---- Records on disk ------------------------------------------------------------------

TEST(QuakeRecordFile, FieldsAreLittleEndianAtTheirOffsets) {
    QuakeRecord q;
    q.latitude = -2;
    q.longitude = 0x01020304;
    q.date = PackedDate{2011, 3, 11};
    q.minute = 346;
    q.tenths = -5;
    q.depth = 2900000;
    q.magnitude = 90;
    unsigned char b[24];
    EncodeQuakeRecord(q, b);
    const unsigned char want[24] = {0xFE, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01, 0xDB, 0x07, 3,    11,
                                    0x5A, 0x01, 0xFB, 0xFF, 0x20, 0x40, 0x2C, 0x00, 90,   0,    0,    0};
    EXPECT_EQ(std::memcmp(b, want, 24), 0);
    EXPECT_TRUE(SameBytes(DecodeQuakeRecord(b), q));
}

TEST(QuakeRecordFile, ZeroRecordMeansNoEvent) {
    EXPECT_TRUE(IsZeroRecord(QuakeRecord{}));
    QuakeRecord q;
    q.spare[2] = 1;
    EXPECT_FALSE(IsZeroRecord(q));
}

TEST(BitSet, AllSetAndBoundsIgnored) {
    BitSet bits(10);
    EXPECT_EQ(bits.bytes.size(), 2u);
    EXPECT_EQ(bits.bytes[1], 0xFF);  // spare bits of the last byte are set too
    EXPECT_TRUE(bits.Test(0));
    EXPECT_TRUE(bits.Test(9));
    EXPECT_FALSE(bits.Test(10));
    EXPECT_FALSE(bits.Test(-1));
    bits.Clear(10);
    bits.Clear(-1);
    EXPECT_EQ(bits.bytes[1], 0xFF);
    bits.Clear(9);
    EXPECT_FALSE(bits.Test(9));
    EXPECT_TRUE(bits.Test(8));
    EXPECT_EQ(bits.bytes[1], 0xFD);

    BitSet empty(0);
    EXPECT_EQ(empty.bytes.size(), 1u);
    EXPECT_FALSE(empty.Test(0));
}

TEST(AlertEventRecord, CreatedZeroed) {
    AlertEventRecord r;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&r);
    for (std::size_t i = 0; i < sizeof r; ++i) ASSERT_EQ(bytes[i], 0) << i;
}

// ---- Random access and time search -------------------------------------------------

TEST_F(CatalogueTest, ReadQuakeAtCountsFromEachOrigin) {
    WriteCatalogue("c.hy4", {10, 20, 30}, 7);  // a truncated fourth record
    std::FILE* f = std::fopen("c.hy4", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(QuakeRecordCount(f), 3);

    QuakeRecord q = AtMinute(999);
    EXPECT_EQ(ReadQuakeAt(f, 3, kFromStart, &q), TimeValue());  // index = count, and the partial record
    EXPECT_TRUE(IsZeroRecord(q));

    EXPECT_EQ(ReadQuakeAt(f, -1, kFromEnd, &q), MinuteTime(30));
    EXPECT_EQ(q.minute, 30);

    EXPECT_EQ(ReadQuakeAt(f, 0, kFromStart, &q), MinuteTime(10));
    EXPECT_EQ(ReadQuakeAt(f, 1, kFromCurrent, &q), MinuteTime(30));  // the file stood after record 0

    EXPECT_EQ(ReadQuakeAt(f, -5, kFromStart, &q), TimeValue());
    EXPECT_EQ(std::ftell(f), 0);
    EXPECT_EQ(ReadQuakeAt(f, 50, kFromStart, &q), TimeValue());
    EXPECT_EQ(std::ftell(f), 3 * 24 + 7);
    EXPECT_TRUE(IsZeroRecord(q));

    EXPECT_EQ(q.ReadAt(f, 1), MinuteTime(20));
    std::fclose(f);

    QuakeRecord kept = AtMinute(5);
    EXPECT_EQ(ReadQuakeAt(nullptr, 0, kFromStart, &kept), TimeValue());
    EXPECT_EQ(kept.minute, 5);  // no file: the record is left alone
}

// The replay's reads in order take the stream's own position; every other
// read, and every read after the position was moved, still lands right.
TEST_F(CatalogueTest, ReadsInOrderAndOutOfOrderAgree) {
    WriteCatalogue("c.hy4", {10, 20, 30, 40}, 5);  // a partial fifth record
    std::FILE* f = std::fopen("c.hy4", "rb");
    ASSERT_NE(f, nullptr);
    QuakeRecord q;
    struct Step {
        std::int32_t n;
        int minute;  // 0: no record
        long after;  // stream position afterwards
    } steps[] = {
        {0, 10, 24}, {1, 20, 48}, {2, 30, 72}, {3, 40, 96},
        {4, 0, 96},             // the partial record: none, and the stream stays on it
        {4, 0, 96},             // asked again from there
        {1, 20, 48}, {2, 30, 72},  // back, then on in order
        {0, 10, 24},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.n);
        EXPECT_EQ(ReadQuakeAt(f, s.n, kFromStart, &q), s.minute ? MinuteTime(s.minute) : TimeValue());
        EXPECT_EQ(q.minute, s.minute ? s.minute : 0);
        EXPECT_EQ(std::ftell(f), s.after);
    }
    // Moved behind the reader's back: the next read follows the record number.
    std::fseek(f, 72, SEEK_SET);
    EXPECT_EQ(ReadQuakeAt(f, 1, kFromStart, &q), MinuteTime(20));
    std::fclose(f);

    // A stream that writes is settled before it is read.
    f = std::fopen("c.hy4", "r+b");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ReadQuakeAt(f, 0, kFromStart, &q), MinuteTime(10));
    std::fseek(f, 24, SEEK_SET);
    ASSERT_TRUE(WriteQuakeRecord(f, AtMinute(25)));
    EXPECT_EQ(ReadQuakeAt(f, 2, kFromStart, &q), MinuteTime(30));
    EXPECT_EQ(ReadQuakeAt(f, 1, kFromStart, &q), MinuteTime(25));
    std::fclose(f);
}

TEST_F(CatalogueTest, FindQuakeIndexCases) {
    struct Case {
        const char* name;
        std::vector<int> minutes;
        int trailing;
        int request;   // minute; -1: time 0
        int index;
        int time;      // minute of the answer; -1: time 0
        int result;
        bool exact;
    } cases[] = {
        {"empty", {}, 0, 15, 0, -1, -1, false},
        {"empty with a partial record", {}, 23, 15, 0, -1, -1, false},
        {"one record, before", {10}, 0, 5, 0, 10, -1, false},
        {"one record, equal", {10}, 0, 10, 0, 10, -1, false},
        {"one record, after", {10}, 0, 15, 1, 10, 1, false},
        {"equal pair, on it", {10, 20, 20, 30}, 0, 20, 1, 20, 0, true},
        {"between", {10, 20, 20, 30}, 0, 25, 3, 30, 0, false},
        {"after the last", {10, 20, 20, 30}, 0, 35, 4, 30, 1, false},
        {"before the first", {10, 20, 20, 30}, 0, 5, 0, 10, -1, false},
        {"on the first", {10, 20, 20, 30}, 0, 10, 0, 10, -1, false},
        {"on the last", {10, 20, 20, 30}, 0, 30, 3, 30, 0, true},
        {"last time shared", {10, 30, 30}, 0, 30, 2, 30, 0, true},
        {"just before a shared last time", {10, 30, 30}, 0, 29, 1, 30, 0, false},
        {"run of equal times", {10, 20, 20, 20, 20, 20, 30}, 0, 20, 1, 20, 0, true},
        {"before a run", {10, 20, 20, 20, 20, 20, 30}, 0, 15, 1, 20, 0, false},
        {"all equal", {20, 20, 20, 20}, 0, 20, 0, 20, -1, false},
        {"all equal, after", {20, 20, 20, 20}, 0, 21, 4, 20, 1, false},
        {"truncated, after", {10, 20, 30}, 11, 35, 3, 30, 1, false},
        {"truncated, between", {10, 20, 30}, 11, 25, 2, 30, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteCatalogue("c.hy4", c.minutes, c.trailing);
        std::FILE* f = std::fopen("c.hy4", "rb");
        ASSERT_NE(f, nullptr);
        TimeValue t = MinuteTime(c.request);
        bool exact = !c.exact;
        std::int32_t index = -7;
        EXPECT_EQ(FindQuakeIndex(f, &t, &exact, &index), c.result);
        EXPECT_EQ(index, c.index);
        EXPECT_EQ(t, c.time < 0 ? TimeValue() : MinuteTime(c.time));
        EXPECT_EQ(exact, c.exact);
        std::fclose(f);
    }
}

TEST_F(CatalogueTest, FindQuakeIndexWithoutFile) {
    TimeValue t = MinuteTime(5);
    std::int32_t index = 9;
    EXPECT_EQ(FindQuakeIndex(nullptr, &t, nullptr, &index), -1);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(t, TimeValue());
}

// ---- Opening the view's catalogue ------------------------------------------------------

TEST_F(CatalogueTest, OpenPositionsAtTheAnimationTime) {
    WriteCatalogue("quakes.hy4", {10, 20, 30, 40});
    gEventFileName = "quakes.hy4";
    gAnimationTime = MinuteTime(25);
    QuakeDisplayRecord* shown = OpenQuakeCatalogue(false);
    ASSERT_NE(shown, nullptr);
    ASSERT_NE(gQuakeCatalogue, nullptr);
    EXPECT_EQ(gQuakeCount, 4);
    EXPECT_EQ(gQuakeIndex, 2);
    EXPECT_EQ(gNextQuakeTime, MinuteTime(30));
    EXPECT_EQ(shown->quake.minute, 30);
    EXPECT_EQ(gAnimationTime, MinuteTime(25));  // searched with a copy
    ASSERT_NE(gQuakeVisibleBits, nullptr);
    EXPECT_EQ(gQuakeVisibleBits->Count(), 4);
    EXPECT_TRUE(gQuakeVisibleBits->Test(3));

    EXPECT_EQ(OpenQuakeCatalogue(false), nullptr);  // already open
    CloseQuakeCatalogue();
    EXPECT_EQ(gQuakeCatalogue, nullptr);
    CloseQuakeCatalogue();  // closing twice is harmless
}

TEST_F(CatalogueTest, MissingOrSwitchedOffCatalogueOpensNothing) {
    gShowEarthquakes = false;
    WriteCatalogue("quakes.hy4", {10});
    gEventFileName = "quakes.hy4";
    EXPECT_EQ(OpenQuakeCatalogue(false), nullptr);
    EXPECT_EQ(gQuakeCatalogue, nullptr);

    gShowEarthquakes = true;
    gEventFileName = "absent.hy4";
    EXPECT_EQ(OpenQuakeCatalogue(false), nullptr);
    EXPECT_FALSE(gShowEarthquakes);
}

// A catalogue that is missing or damaged is named once per view on stderr and
// in the debug log; a damaged one is not used, one with a partial record at
// its end is, for its whole records.
TEST_F(CatalogueTest, MissingOrDamagedCatalogueIsNamedOncePerView) {
    gControls[kControlDebug] = 1;
    WriteCatalogue("GOOD.HY4", {10, 20});
    WriteCatalogue("TAIL.HY4", {10, 20}, 5);
    TempDir::Write("SHORT.HY4", "0123456789");
    TempDir::Write("EMPTY.HY4", "");
    TempDir::Write("TEXT.HY4", TempDir::Read(std::string(KESTRUNE_FIXTURES) + "/malformed/text_named.hy4"));
    struct Case {
        const char* file;
        bool opened;
        const char* said;  // empty: nothing
    };
    const Case cases[] = {
        {"GOOD.HY4", true, ""},
        {"EMPTY.HY4", true, ""},
        {"ABSENT.HY4", false, "ABSENT.HY4: earthquake catalogue not found; the view runs without earthquakes"},
        {"TEXT.HY4", false, "TEXT.HY4: record 1 is not a catalogue record"},
        {"SHORT.HY4", false, "SHORT.HY4: shorter than one record of 24 bytes"},
        {"TAIL.HY4", true, "TAIL.HY4: 5 bytes after the last whole record are ignored"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        for (int view = 0; view < 2; ++view) {
            ReadViewFile();  // a view read: every file may be named again
            gControls[kControlDebug] = 1;
            for (int open = 0; open < 2; ++open) {
                gEventFileName = c.file;
                gShowEarthquakes = true;
                testing::internal::CaptureStderr();
                const bool opened = OpenQuakeCatalogue(false) != nullptr;
                const std::string said = testing::internal::GetCapturedStderr();
                CloseQuakeCatalogue();
                EXPECT_EQ(opened, c.opened);
                EXPECT_EQ(gShowEarthquakes, c.opened);
                if (open == 1 || !*c.said) {
                    EXPECT_EQ(said, "");
                } else {
                    EXPECT_EQ(said.rfind(std::string("Quorview: ") + c.said, 0), 0u) << said;
                    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
                }
            }
        }
        const std::string log = TempDir::Read("Debug.txt");
        if (*c.said) {
            EXPECT_NE(log.find(c.said), std::string::npos);
        }
        std::remove("Debug.txt");
    }
    gControls[kControlDebug] = 0;
}

TEST_F(CatalogueTest, OldCatalogueNameBecomesHy4AndTheViewIsSaved) {
    WriteCatalogue("OLD.HY4", {10});
    TempDir::Write("MYVIEW", "EVENT FILE: OLD.HY3.BAK\n");
    ASSERT_EQ(ReadViewFile("MYVIEW"), 0);
    ASSERT_EQ(gEventFileName, "OLD.HY3.BAK");
    ASSERT_NE(OpenQuakeCatalogue(false), nullptr);
    EXPECT_EQ(gEventFileName, "OLD.HY4");
    EXPECT_NE(TempDir::Read("MYVIEW").find("EVENT FILE: OLD.HY4\n"), std::string::npos);
}

TEST_F(CatalogueTest, UpdateModeOpensForWriting) {
    WriteCatalogue("quakes.hy4", {10, 20});
    gEventFileName = "quakes.hy4";
    ASSERT_NE(OpenQuakeCatalogue(true), nullptr);
    ASSERT_EQ(std::fseek(gQuakeCatalogue, 24, SEEK_SET), 0);
    EXPECT_TRUE(WriteQuakeRecord(gQuakeCatalogue, AtMinute(25)));
    CloseQuakeCatalogue();
    std::FILE* f = std::fopen("quakes.hy4", "rb");
    EXPECT_EQ(ReadQuakeAt(f, 1), MinuteTime(25));
    std::fclose(f);
}

TEST_F(CatalogueTest, RefreshMovesBothCursorsAndLeavesAnIndexPastTheEnd) {
    WriteCatalogue("quakes.hy4", {10, 20, 30});
    gEventFileName = "quakes.hy4";
    WriteEruptionCatalogueFile("eruptions.erb", {1900, 2000});
    gEruptionFileName = "eruptions.erb";

    gAnimationTime = MinuteTime(15);
    RefreshCataloguePositions();  // not open yet: opens it
    ASSERT_NE(gQuakeCatalogue, nullptr);
    EXPECT_EQ(gQuakeIndex, 1);
    EXPECT_EQ(gEruptionCatalogue, nullptr);  // VOLCANOES is off

    gShowEruptions = true;
    gAnimationTime = MinuteTime(45);
    RefreshCataloguePositions();
    EXPECT_EQ(gQuakeIndex, 3);
    EXPECT_EQ(gNextQuakeTime, TimeValue());  // nothing left to show
    EXPECT_NE(gEruptionCatalogue, nullptr);  // the eruption side opened at the same time

    gAnimationTime = MinuteTime(0);
    RefreshCataloguePositions();
    EXPECT_EQ(gQuakeIndex, 0);
    EXPECT_EQ(gNextQuakeTime, MinuteTime(10));
}

// ---- Text forms ------------------------------------------------------------------------

TEST_F(CatalogueTest, ListLineAndLabel) {
    QuakeRecord q;
    ASSERT_TRUE(ParseQuakeLine("2011/3/11 5:46:23.4 38.30N 142.37E 29.0 9.0", &q));
    EXPECT_EQ(FormatQuakeListLine(q, false), " 2011/03/11 05:46:23 38.3N 142.4E  29 9.0 ");

    gTimeZoneOffset = TimeValue(-5 * 3600.0);
    gTimeZoneName = "EST";
    EXPECT_EQ(FormatQuakeListLine(q, true), " 2011/03/11 00:46:23 EST 38.3N 142.4E  29 9.0 ");
    EXPECT_EQ(FormatQuakeLabel(q),
              "Date: 2011 Mar 11\r\nTime: 00:46:23.4 EST\r\nLatitude: 38.3N\r\nLongitude: 142.4E\r\n"
              "Depth:   29 km\r\nMagnitude:  9.0");
    gScaleInKm = false;
    EXPECT_NE(FormatQuakeLabel(q).find("\r\nDepth:   18 mi.\r\n"), std::string::npos);

    EXPECT_EQ(FormatQuakeListLine(QuakeRecord{}, false), "");
    EXPECT_EQ(FormatQuakeLabel(QuakeRecord{}), "");
}

TEST(QuakeText, SouthAndWestLetters) {
    QuakeRecord q = MakeEventRecord(nullptr, 2001, 6, 23, 20, 33, 14.0, -10.5, -75.5, 33.0, 8.4);
    std::string line = FormatQuakeListLine(q, false);
    EXPECT_NE(line.find("10.5S"), std::string::npos) << line;
    EXPECT_NE(line.find(" 75.5W"), std::string::npos) << line;

    QuakeRecord zero = MakeEventRecord(nullptr, 2001, 6, 23, 0, 0, 0.0, 0.0, 0.0, 10.0, 5.0);
    line = FormatQuakeListLine(zero, false);
    EXPECT_NE(line.find(" 0.0N   0.0E"), std::string::npos) << line;
}

// ---- Builders and parsers ------------------------------------------------------------------

TEST(MakeEventRecord, TruncatesEveryConversion) {
    QuakeRecord q = AtMinute(3);
    QuakeRecord out = MakeEventRecord(&q, 2016, 1, 2, 3, 4, 5.67, -0.0000001, 10.99999999, 12.345678, 6.19);
    EXPECT_TRUE(SameBytes(q, out));
    EXPECT_EQ(q.date, (PackedDate{2016, 1, 2}));
    EXPECT_EQ(q.minute, 184);
    EXPECT_EQ(q.tenths, 56);
    EXPECT_EQ(q.latitude, 0);
    EXPECT_EQ(q.longitude, 39599999);
    EXPECT_EQ(q.depth, 1234567);
    EXPECT_EQ(q.magnitude, 61);
    EXPECT_EQ(q.spare[0] | q.spare[1] | q.spare[2], 0);
}

TEST(MakeEventRecord, MagnitudesAreHeldToTheByteAndBadValuesRefused) {
    EXPECT_EQ(MakeEventRecord(nullptr, 2020, 1, 1, 0, 0, 0, 1, 1, 1, -0.4).magnitude, 0);  // never 25.2
    EXPECT_EQ(MakeEventRecord(nullptr, 2020, 1, 1, 0, 0, 0, 1, 1, 1, 25.5).magnitude, 255);
    EXPECT_EQ(MakeEventRecord(nullptr, 2020, 1, 1, 0, 0, 0, 1, 1, 1, 99.0).magnitude, 255);

    struct Case {
        const char* name;
        int year, month, day, hour, minute;
        double seconds, lat, lon, depth, mag;
    } refused[] = {
        {"latitude beyond 90", 2020, 1, 1, 0, 0, 0, 90.5, 0, 10, 5},
        {"longitude beyond 180", 2020, 1, 1, 0, 0, 0, 0, -180.01, 10, 5},
        {"month 13", 2020, 13, 1, 0, 0, 0, 0, 0, 10, 5},
        {"day 0", 2020, 1, 0, 0, 0, 0, 0, 0, 10, 5},
        {"hour 24", 2020, 1, 1, 24, 0, 0, 0, 0, 10, 5},
        {"minute 60", 2020, 1, 1, 0, 60, 0, 0, 0, 10, 5},
        {"seconds past the minute", 2020, 1, 1, 0, 0, 3276.7, 0, 0, 10, 5},
        {"seconds below 0", 2020, 1, 1, 0, 0, -0.5, 0, 0, 10, 5},
        {"year beyond the field", 70000, 1, 1, 0, 0, 0, 0, 0, 10, 5},
        {"depth beyond the field", 2020, 1, 1, 0, 0, 0, 0, 0, 30000, 5},
        {"not a number", 2020, 1, 1, 0, 0, 0, std::nan(""), 0, 10, 5},
    };
    for (const Case& c : refused) {
        QuakeRecord q = AtMinute(7);
        MakeEventRecord(&q, c.year, c.month, c.day, c.hour, c.minute, c.seconds, c.lat, c.lon, c.depth, c.mag);
        EXPECT_TRUE(IsZeroRecord(q)) << c.name;
    }
    // The edges themselves are places.
    EXPECT_FALSE(IsZeroRecord(MakeEventRecord(nullptr, 2020, 1, 1, 0, 0, 0, -90, 180, 10, 5)));
}

TEST(ParseQuakeLine, UpdateLinkLine) {
    QuakeRecord q;
    ASSERT_TRUE(ParseQuakeLine("2011/3/11 5:46:23.4 38.30N 142.37E 29.0 9.0", &q));
    EXPECT_EQ(q.latitude, 137880000);
    EXPECT_EQ(q.longitude, 512532000);
    EXPECT_EQ(q.date, (PackedDate{2011, 3, 11}));
    EXPECT_EQ(q.minute, 346);
    EXPECT_EQ(q.tenths, 234);
    EXPECT_EQ(q.depth, 2900000);
    EXPECT_EQ(q.magnitude, 90);

    ASSERT_TRUE(ParseQuakeLine("1999/12/31 23:59:59.96 12.5S 70.25W 600 -1.2", &q));
    EXPECT_EQ(q.latitude, -45000000);
    EXPECT_EQ(q.longitude, -252900000);
    EXPECT_EQ(q.tenths, 600);  // rounded to the nearest tenth
    EXPECT_EQ(q.magnitude, 0);  // negative magnitudes are not wrapped

    ASSERT_TRUE(ParseQuakeLine("2000/1/1 0:0:0 -12.5 70.25 10 30", &q));  // words without letters keep their sign
    EXPECT_EQ(q.latitude, -45000000);
    EXPECT_EQ(q.longitude, 252900000);
    EXPECT_EQ(q.magnitude, 255);
}

TEST(ParseQuakeLine, RefusedLinesLeaveTheRecordAlone) {
    const char* lines[] = {
        "2011/13/11 5:46:23.4 38.30N 142.37E 29.0 9.0",   // month 13
        "2011/3/0 5:46:23.4 38.30N 142.37E 29.0 9.0",     // day 0
        "2011/3/11 5:46:23.4 38.30N 142.37E 29.0",        // a value missing
        "2011/3/11 5:46:23.4 abcN 142.37E 29.0 9.0",      // not a number
        "2011/3/11 5:46:23.4 38.30Q 142.37E 29.0 9.0",    // trailing junk in a word
        "2011/3/11 5:46:23.4 91.00N 142.37E 29.0 9.0",    // beyond the pole
        "2011/3/11 5:46:23.4 38.30N 180.01W 29.0 9.0",    // beyond the date line
        "2011/3/11 5:46:23.4 38.3000000000000N 142.37E 29.0 9.0",  // word over 15 characters
        "2011/3/11 -5:46:23.4 38.30N 142.37E 29.0 9.0",   // minute of day below 0
        "2011/3/11 25:46:23.4 38.30N 142.37E 29.0 9.0",   // hour 25: the next day's
        "2011/3/11 5:60:23.4 38.30N 142.37E 29.0 9.0",    // minute 60
        "2011/3/11 5:46:3276.7 38.30N 142.37E 29.0 9.0",  // seconds past the minute
        "2011/3/11 5:46:-1 38.30N 142.37E 29.0 9.0",      // seconds below 0
        "",
        "quake",
    };
    for (const char* line : lines) {
        QuakeRecord q = AtMinute(77);
        EXPECT_FALSE(ParseQuakeLine(line, &q)) << line;
        EXPECT_EQ(q.minute, 77) << line;
    }
    std::string junk(5000, '\xFF');
    junk[100] = '/';
    QuakeRecord q;
    EXPECT_FALSE(ParseQuakeLine(junk, &q));
}

TEST(ParseFdsnCsvLine, EventServiceLines) {
    std::vector<std::string> lines = FixtureLines("comcat-sample.csv");
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_TRUE(IsZeroRecord(ParseFdsnCsvLine(nullptr, lines[0])));  // the header line

    struct Want {
        PackedDate date;
        int minute, tenths, lat, lon, depth, mag;
    } want[] = {
        {{2023, 9, 21}, 21 * 60 + 11, 499, -50414040, 601883280, 18841900, 61},
        {{2023, 9, 20}, 14 * 60 + 45, 586, -16497360, -380337480, 1000000, 60},
        {{2011, 3, 11}, 5 * 60 + 46, 241, 137869200, 512542799, 2900000, 91},
        {{2013, 7, 26}, 21 * 60 + 32, 599, -208494000, -85827600, 1300000, 63},
        {{2023, 7, 16}, 6 * 60 + 48, 211, 195813360, -578743200, 2500000, 72},
        {{1900, 10, 9}, 12 * 60 + 25, 0, 205524000, -552528000, 0, 78},  // no depth given
    };
    for (std::size_t i = 0; i < std::size(want); ++i) {
        SCOPED_TRACE(lines[i + 1]);
        QuakeRecord q = AtMinute(1);
        QuakeRecord out = ParseFdsnCsvLine(&q, lines[i + 1]);
        EXPECT_TRUE(SameBytes(q, out));
        EXPECT_EQ(q.date, want[i].date);
        EXPECT_EQ(q.minute, want[i].minute);
        EXPECT_EQ(q.tenths, want[i].tenths);
        EXPECT_EQ(q.latitude, want[i].lat);
        EXPECT_EQ(q.longitude, want[i].lon);
        EXPECT_EQ(q.depth, want[i].depth);
        EXPECT_EQ(q.magnitude, want[i].mag);
    }
}

TEST(ParseFdsnCsvLine, MalformedLinesGiveZeroRecords) {
    std::vector<std::string> lines = FixtureLines("malformed.csv");
    ASSERT_GE(lines.size(), 10u);
    for (const std::string& line : lines) {
        QuakeRecord q = AtMinute(5);
        EXPECT_TRUE(IsZeroRecord(ParseFdsnCsvLine(&q, line))) << line;
        EXPECT_TRUE(IsZeroRecord(q)) << line;
    }
    std::string overlong = "2020-01-01T00:00:00.000Z,1,2,3,4," + std::string(100000, 'x');
    EXPECT_FALSE(IsZeroRecord(ParseFdsnCsvLine(nullptr, overlong)));
}

TEST(ParseFdsnCsvLine, MagnitudesOutsideTheByte) {
    EXPECT_EQ(ParseFdsnCsvLine(nullptr, "2020-01-01T00:00:00Z,1,2,3,-0.3,ml").magnitude, 0);
    EXPECT_EQ(ParseFdsnCsvLine(nullptr, "2020-01-01T00:00:00Z,1,2,3,31.2,ml").magnitude, 255);
}

// Thousands of service lines in the forms the service writes numbers in (whole,
// short and long fractions, signs, exponents, empty fields), pinned by the
// bytes of the records they make.
TEST(ParseFdsnCsvLine, ManyLinesMakeTheSameRecordBytes) {
    std::uint64_t h = 1469598103934665603ULL, seed = 99;
    auto next = [&seed](int n) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((seed >> 33) % static_cast<std::uint64_t>(n));
    };
    int made = 0;
    for (int i = 0; i < 5000; ++i) {
        // One draw per statement: the order of arguments is unspecified.
        int v[20];
        for (int& x : v) x = next(100000);
        char depth[32] = "";
        const int d = v[0] % 6;
        const int whole = v[1] % 700, part = v[2] % 1000;
        switch (d) {
            case 0: std::snprintf(depth, sizeof depth, "%d", whole); break;
            case 1: std::snprintf(depth, sizeof depth, "%d.%d", whole, part); break;
            case 2: std::snprintf(depth, sizeof depth, "%d.%03d", whole, part); break;
            case 3: std::snprintf(depth, sizeof depth, "-%d.%d", whole, part); break;
            case 4: std::snprintf(depth, sizeof depth, "%de0", whole); break;
            default: break;  // no depth
        }
        char line[400];
        std::snprintf(line, sizeof line,
                      "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ,%s%d.%0*d,%s%d.%0*d,%s,%d.%d,mb,,,,,us,us%07d,"
                      "2024-01-01T00:00:00.000Z,\"%d km W of Town, Land\",earthquake,,,,,reviewed,us,us",
                      1900 + v[3] % 125, 1 + v[4] % 12, 1 + v[5] % 28, v[6] % 24, v[7] % 60, v[8] % 60, v[9] % 1000,
                      v[10] % 2 ? "-" : "", v[11] % 90, 1 + v[12] % 5, v[13], v[14] % 2 ? "-" : "", v[15] % 180,
                      1 + v[16] % 5, v[17], depth, v[18] % 10, v[19] % 10, i, v[1] % 300);
        const QuakeRecord q = ParseFdsnCsvLine(nullptr, line);
        unsigned char b[kQuakeRecordSize];
        EncodeQuakeRecord(q, b);
        for (unsigned char c : b) h = (h ^ c) * 1099511628211ULL;
        made += IsZeroRecord(q) ? 0 : 1;
    }
    EXPECT_EQ(made, 5000);
    EXPECT_EQ(h, 0x2193e9978ca85ef4ULL) << std::hex << h;
}

TEST(ParseFeedCsvLine, FeedFields) {
    std::vector<std::string> lines = FixtureLines("comcat-sample.csv");
    AlertEventRecord r;
    ParseFeedCsvLine(&r, lines[1]);
    EXPECT_EQ(r.quake.magnitude, 61);
    EXPECT_STREQ(r.network, "US");
    EXPECT_STREQ(r.id, "us7000kx7j");
    EXPECT_EQ(+r.update, 2023);  // the leading digits of an ISO time (a copy: the field is packed)
    EXPECT_EQ(r.Line(), lines[1]);

    AlertEventRecord tohoku;
    ParseFeedCsvLine(&tohoku, lines[3]);
    EXPECT_STREQ(tohoku.network, "OF");
    EXPECT_STREQ(tohoku.id, "official20");  // cut at 10 characters
    EXPECT_EQ(tohoku.Line(), lines[3]);

    AlertEventRecord numeric;
    ParseFeedCsvLine(&numeric, "2020-01-01T00:00:00Z,1,2,3,4.5,ml,,,,,ak,ak0123,1577836800123");
    EXPECT_EQ(+numeric.update, 1577836800123LL);

    AlertEventRecord shortLine;
    ParseFeedCsvLine(&shortLine, "2020-01-01T00:00:00Z,1,2,3,4.5");
    EXPECT_STREQ(shortLine.network, "");
    EXPECT_STREQ(shortLine.id, "");
    EXPECT_EQ(+shortLine.update, 0);
}

TEST(ParseFeedCsvLine, LongLinesAreCutAndBadLinesLeaveTheRecord) {
    std::string line = "2020-01-01T00:00:00Z,1,2,3,4.5,ml,,,,,us,abc,2020-01-02,\"" + std::string(400, 'p') + "\"";
    AlertEventRecord r;
    ParseFeedCsvLine(&r, line);
    EXPECT_EQ(r.Line(), line.substr(0, 256));

    for (const std::string& bad : FixtureLines("malformed.csv")) {
        AlertEventRecord kept;
        kept.id[0] = 'K';
        kept.quake.minute = 9;
        ParseFeedCsvLine(&kept, bad);
        EXPECT_STREQ(kept.id, "K") << bad;
        EXPECT_EQ(kept.quake.minute, 9) << bad;
    }
}
