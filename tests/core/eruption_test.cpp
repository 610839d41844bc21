#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/eruption.h"
#include "core/view.h"
#include "tests/support/temp_dir.h"

namespace {

std::string EraLine(const std::string& id, const std::string& mark, int y, int m, int d, int size,
                    const std::string& name = "Tambora") {
    // id, flags, start y m d, stop y m d, type, size, lat, lon, name, texts, magnitude code
    return id + "\t" + mark + "\t" + std::to_string(y) + "\t" + std::to_string(m) + "\t" + std::to_string(d) + "\t" +
           std::to_string(y) + "\t" + std::to_string(m) + "\t" + std::to_string(d) + "\tX\t" + std::to_string(size) +
           "\t-8.25\t118.0\t" + name + "\t" + std::to_string(y) + "\tApr\t10\t" + std::to_string(y) + "\t7\t15\tVE7\n";
}

std::vector<EruptionRecord> ReadAll(const std::string& name) {
    std::vector<EruptionRecord> out;
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) return out;
    unsigned char b[kEruptionRecordSize];
    while (std::fread(b, 1, sizeof b, f) == sizeof b) out.push_back(DecodeEruptionRecord(b));
    std::fclose(f);
    return out;
}

class EruptionTest : public testing::Test {
protected:
    void SetUp() override { ResetViewSettings(); }
    void TearDown() override {
        CloseEruptionCatalogue();
        ResetViewSettings();
    }
    TempDir dir;
};

}  // namespace

TEST(EruptionRecord, FieldsAtTheirOffsets) {
    EruptionRecord r;
    std::memcpy(r.id, "0123456789", 10);
    r.flag = 1;
    r.type = 'B';
    r.size = 5;
    r.start = PackedDate{1980, 5, 18};
    r.latitude = 46.2;
    r.longitude = -122.18;
    std::memcpy(r.name, "Mount St-Helens", 15);
    unsigned char b[kEruptionRecordSize];
    EncodeEruptionRecord(r, b);
    EXPECT_EQ(std::memcmp(b, "0123456789", 10), 0);
    EXPECT_EQ(b[12], 'B');
    EXPECT_EQ(b[13], 5);
    EXPECT_EQ(b[17], 1980 & 0xFF);
    EXPECT_EQ(b[18], 1980 >> 8);
    EXPECT_EQ(b[19], 5);
    double lat;
    std::memcpy(&lat, b + 77, 8);
    EXPECT_EQ(lat, 46.2);
    EXPECT_EQ(std::memcmp(b + 93, "Mount St-Helens", 15), 0);
    EXPECT_EQ(b[124], 0);
    EruptionRecord back = DecodeEruptionRecord(b);
    const double lon = back.longitude;  // packed fields are compared as copies
    EXPECT_EQ(lon, -122.18);
    EXPECT_EQ(FieldText(back.id, 10), "0123456789");  // a full field has no terminator
}

TEST(EruptionEvent, ParsesObservatoryLines) {
    std::string line = "46.20 N 122.18 W 800518 5";
    line.resize(48, ' ');
    line += "MOUNT ST-HELENS";
    EruptionEvent e;
    e.Parse(line, EruptionSource::Avo);
    EXPECT_EQ(+e.record.latitude, 46.20);  // read as a double, not through a float (a copy: the field is packed)
    EXPECT_EQ(+e.record.longitude, -122.18);
    EXPECT_EQ(e.record.start, (PackedDate{1980, 5, 18}));
    EXPECT_EQ(e.record.stop, e.record.start);
    EXPECT_EQ(e.record.size, 5);
    EXPECT_EQ(e.record.type, 'B');
    EXPECT_EQ(e.record.flag, 1);
    EXPECT_EQ(FieldText(e.record.name, 31), "Mount St-Helens");
    EXPECT_EQ(FieldText(e.record.startYearText, 12), "1980");
    EXPECT_EQ(e.start.t, TimeValue().SetDate(PackedDate{1980, 5, 18}));

    e.Parse("46.20 N garbage", EruptionSource::Avo);
    EXPECT_EQ(e.start.t, 0);
}

TEST(EruptionEvent, ParsesListLines) {
    EruptionEvent e;
    e.Parse(EraLine("ID1", "*", 1815, 4, 10, 0), EruptionSource::Era);
    EXPECT_EQ(e.record.size, 1);  // size 0 is stored as 1
    EXPECT_EQ(e.record.flag, 1);
    EXPECT_EQ(e.record.secondFlag, 1);
    EXPECT_EQ(+e.record.latitude, -8.25);
    EXPECT_EQ(std::string(e.record.magnitudeCode, 3), "VE7");
    EXPECT_EQ(FormatEruptionInfo(e.record), "Tambora\r\nStart: 1815 Apr 10\r\nStop: 1815 Jul 15\r\nMagnitude: VE7");

    e.Parse(EraLine("ID2", "+", 1991, 6, 15, 6, std::string(60, 'N')), EruptionSource::Era);
    EXPECT_EQ(e.record.flag, 1);
    EXPECT_EQ(e.record.secondFlag, 0);
    EXPECT_EQ(FieldText(e.record.name, 31).size(), 30u);  // cut, still terminated

    // Before year 1 there is no date to hold: the line is dropped, not wrapped.
    e.Parse(EraLine("OLD", "", -4350, 0, 0, 7), EruptionSource::Era);
    EXPECT_EQ(e.start.t, 0);
    e.Parse("short\tline", EruptionSource::Era);  // missing fields are empty
    EXPECT_EQ(e.start.t, 0);

    // Still going on: no stop date, and it lasts to the last date there is.
    e.Parse("ONGOING\t\t1983\t1\t3\t\t\t\tL\t0\t19.4\t-155.3\tKilauea", EruptionSource::Era);
    EXPECT_EQ(e.record.start, (PackedDate{1983, 1, 3}));
    EXPECT_EQ(e.record.stop, (PackedDate{2099, 12, 31}));
    EXPECT_EQ(e.start.t, TimeValue().SetDate(PackedDate{1983, 1, 3}));
    EXPECT_GT(e.stop.t, TimeValue().SetDate(PackedDate{2099, 1, 1}));
}

TEST(EruptionEvent, TimesSymbolBoxAndTexts) {
    EruptionRecord r;
    r.start = PackedDate{2000, 1, 1};
    r.stop = PackedDate{2000, 1, 2};
    EruptionEvent e;
    e.SetRecord(r);
    EXPECT_EQ(e.stop.t - e.start.t, 86400 + 1439 * 60);

    EXPECT_FALSE(e.OverlapsSymbolBox(0, 0, 10, 10));  // no symbol box yet
    e.display.symbolLeft = e.display.symbolTop = 10;
    e.display.symbolRight = e.display.symbolBottom = 20;
    EXPECT_FALSE(e.OverlapsSymbolBox(10, 10, 20, 20));  // its own box
    EXPECT_TRUE(e.OverlapsSymbolBox(15, 15, 25, 25));
    EXPECT_FALSE(e.OverlapsSymbolBox(20, 10, 30, 20));  // touching is not overlapping

    struct Case {
        const char* in;
        const char* out;
    } months[] = {{"4?", "Apr?"}, {"c5", "cMay"}, {"13", "Dec"}, {"late", "late"}, {"", ""}, {"0", "Jan"}};
    for (const Case& c : months) EXPECT_EQ(FormatMonthText(c.in), c.out) << c.in;
    std::string name = "MOUNT ST-HELENS  tHREE";
    TitleCaseWords(name);
    EXPECT_EQ(name, "Mount St-Helens  Three");
}

TEST_F(EruptionTest, BuildsFromTheListInStartOrderAndRenamesTheView) {
    TempDir::Write("A.ERA", "header line\n" + EraLine("B", "", 1991, 6, 15, 6) + EraLine("A", "*", 1815, 4, 10, 7) +
                                EraLine("C", "", 1991, 6, 15, 3) + EraLine("OLD", "", -200, 1, 1, 4) +
                                "not a record\n" + "D\t\t2018\t5\t3\t\t\t\tL\t0\t19.4\t-155.3\tKilauea\n");
    gMapName = "MYVIEW";
    gEruptionFileName = "a.era";
    ASSERT_TRUE(MakeEruptionFile(gEruptionFileName));
    EXPECT_EQ(gEruptionFileName, "A.ERB");
    std::vector<EruptionRecord> rs = ReadAll("A.ERB");
    ASSERT_EQ(rs.size(), 4u);
    EXPECT_EQ(FieldText(rs[0].id, 10), "A");
    EXPECT_EQ(FieldText(rs[1].id, 10), "B");  // equal starts keep the source order
    EXPECT_EQ(FieldText(rs[2].id, 10), "C");
    EXPECT_EQ(FieldText(rs[3].id, 10), "D");  // an eruption without a stop date is kept
    EXPECT_NE(TempDir::Read("MYVIEW").find("A.ERB"), std::string::npos);

    // An existing catalogue is not built again; nothing to build from gives false.
    std::string erb = "A.ERB";
    EXPECT_FALSE(MakeEruptionFile(erb));
    std::string missing = "NONE.ERB";
    EXPECT_FALSE(MakeEruptionFile(missing));
}

TEST_F(EruptionTest, OpensSearchesAndRepositions) {
    TempDir::Write("V.ERA", "h\n" + EraLine("1", "", 1900, 1, 1, 2) + EraLine("2", "", 1950, 1, 1, 2) +
                                EraLine("3", "", 2000, 1, 1, 2));
    gEruptionFileName = "V.ERA";
    gShowEruptions = true;
    gAnimationTime.SetDate(PackedDate{1900, 1, 1});
    EXPECT_EQ(OpenEruptionCatalogue(), 0);
    ASSERT_NE(gEruptionCatalogue, nullptr);
    EXPECT_EQ(gEruptionCount, 3);
    EXPECT_EQ(gEruptionIndex, 0);

    struct Case {
        PackedDate when;
        int result, index;
        bool exact;
    } cases[] = {{{1800, 1, 1}, -1, 0, false}, {{1900, 1, 1}, 0, 0, true}, {{1950, 1, 1}, 0, 1, true},
                 {{1960, 1, 1}, 0, 2, false},  {{2000, 1, 1}, 0, 2, true},  {{2010, 1, 1}, 1, 3, false}};
    for (const Case& c : cases) {
        TimeValue t;
        t.SetDate(c.when);
        bool exact = !c.exact;
        std::int32_t index = -5;
        EXPECT_EQ(FindEruptionIndex(gEruptionCatalogue, &t, &exact, &index), c.result) << c.when.year;
        EXPECT_EQ(index, c.index) << c.when.year;
        EXPECT_EQ(exact, c.exact) << c.when.year;
    }

    // Past the end the opener steps back to the last record; refreshing does not.
    CloseEruptionCatalogue();
    gAnimationTime.SetDate(PackedDate{2020, 1, 1});
    EXPECT_EQ(OpenEruptionCatalogue(), 1);
    EXPECT_EQ(gEruptionIndex, 2);
    RefreshEruptionPositions();
    EXPECT_EQ(gEruptionIndex, 3);

    EruptionRecord r;
    EXPECT_EQ(ReadEruptionAt(gEruptionCatalogue, -1, kFromEnd, &r).t, TimeValue().SetDate(PackedDate{2000, 1, 1}));
    EXPECT_EQ(ReadEruptionAt(gEruptionCatalogue, 3, kFromStart, &r).t, 0);
    EXPECT_EQ(ReadEruptionAt(nullptr, 0, kFromStart, &r).t, 0);

    EruptionEvent e;
    e.ReadAt(gEruptionCatalogue, 1);
    EXPECT_EQ(+e.record.start.year, 1950);
    e.ReadAt(gEruptionCatalogue, 7);
    EXPECT_EQ(e.start.t, 0);
}

TEST_F(EruptionTest, AMissingOrDamagedCatalogueIsNamedAndNotUsed) {
    TempDir::Write("TEXT.ERB", std::string(3 * 125, 'x'));
    for (const char* name : {"NOTHING.ERB", "TEXT.ERB"}) {
        SCOPED_TRACE(name);
        ReadViewFile();
        gEruptionFileName = name;
        gShowEruptions = true;
        testing::internal::CaptureStderr();
        EXPECT_EQ(OpenEruptionCatalogue(), 0);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(said.rfind(std::string("Quorview: ") + name + ": ", 0), 0u) << said;
        EXPECT_NE(said.find("the view runs without eruptions"), std::string::npos) << said;
        EXPECT_FALSE(gShowEruptions);
        EXPECT_EQ(gEruptionCatalogue, nullptr);
    }
}

TEST_F(EruptionTest, MissingCatalogueSwitchesEruptionsOff) {
    gEruptionFileName = "NOTHING.ERB";
    gShowEruptions = true;
    EXPECT_EQ(OpenEruptionCatalogue(), 0);
    EXPECT_FALSE(gShowEruptions);
    EXPECT_EQ(gEruptionCatalogue, nullptr);
}
