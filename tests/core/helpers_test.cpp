#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/config.h"
#include "core/helpers.h"
#include "core/indexed_array.h"
#include "platform/sys/resources.h"
#include "tests/support/test_clock.h"
#include "tests/support/temp_dir.h"


namespace {

std::vector<std::string> Texts(const StringListNode* head) {
    std::vector<std::string> out;
    for (; head; head = head->next) {
        EXPECT_EQ(head->length, static_cast<int>(head->text.size()));
        out.push_back(head->text);
    }
    return out;
}

struct ListGuard {
    StringListNode* head = nullptr;
    ~ListGuard() { FreeStringList(head); }
};

}  // namespace

TEST(StringList, AppendFindRemove) {
    ListGuard l;
    EXPECT_EQ(AppendStringNode(&l.head, static_cast<const char*>(nullptr)), 1);
    EXPECT_EQ(l.head, nullptr);
    for (const char* t : {"Alpha", "beta", "Gamma beta"}) EXPECT_EQ(AppendStringNode(&l.head, t), 0);
    EXPECT_EQ(Texts(l.head), (std::vector<std::string>{"Alpha", "beta", "Gamma beta"}));

    EXPECT_EQ(FindStringNode(l.head, "ALPHA"), l.head);
    EXPECT_EQ(FindStringNode(l.head, "Alph"), nullptr);
    EXPECT_EQ(FindStringNodeContaining(l.head, "beta"), l.head->next);
    EXPECT_EQ(FindStringNodeContaining(l.head, "BETA"), nullptr);

    StringListNode stranger;
    RemoveStringNode(&l.head, &stranger);  // not in the list: nothing happens
    EXPECT_EQ(StringListCount(l.head), 3);
    RemoveStringNode(&l.head, l.head->next);
    EXPECT_EQ(Texts(l.head), (std::vector<std::string>{"Alpha", "Gamma beta"}));
    RemoveStringNode(&l.head, l.head);
    EXPECT_EQ(Texts(l.head), (std::vector<std::string>{"Gamma beta"}));
}

TEST(StringList, ReadAndWriteFiles) {
    TempDir dir;
    std::string longLine(100, 'x');
    longLine[79] = 'y';
    TempDir::Write("lines.txt", "one\r\n" + longLine + "\n" + std::string(79, 'z') + "\nlast");
    TempDir::Write("empty.txt", "");

    ListGuard pieces;
    int count = -1;
    pieces.head = ReadTextFileLines("lines.txt", &count);
    ASSERT_EQ(count, 5);
    std::vector<std::string> t = Texts(pieces.head);
    EXPECT_EQ(t[0], "one");
    EXPECT_EQ(t[1], std::string(79, 'x'));
    EXPECT_EQ(t[2], "y" + std::string(20, 'x'));
    EXPECT_EQ(t[3], std::string(79, 'z'));  // exactly 79: no empty piece after it
    EXPECT_EQ(t[4], "last");

    ListGuard whole;
    whole.head = ReadWholeTextFileLines("lines.txt", &count);
    EXPECT_EQ(Texts(whole.head), (std::vector<std::string>{"one", longLine, std::string(79, 'z'), "last"}));

    EXPECT_EQ(ReadTextFileLines("empty.txt", &count), nullptr);
    EXPECT_EQ(count, 0);
    count = 7;
    EXPECT_EQ(ReadTextFileLines("missing.txt", &count), nullptr);
    EXPECT_EQ(count, 0);

    // Rewriting a read list keeps long lines whole.
    ASSERT_TRUE(WriteStringList(whole.head, "copy.txt"));
    EXPECT_EQ(TempDir::Read("copy.txt"), "one\n" + longLine + "\n" + std::string(79, 'z') + "\nlast\n");
    EXPECT_FALSE(WriteStringList(whole.head, "no-such-folder/copy.txt"));
}

TEST(Lines, ReadLineRemovesEitherLineEnd) {
    TempDir dir;
    TempDir::Write("t.csv", "a,b,US\r\nc,d,JP\n\r\nend");
    std::FILE* f = std::fopen("t.csv", "rb");
    ASSERT_NE(f, nullptr);
    char buf[128];
    std::vector<std::string> got;
    while (ReadLine(buf, sizeof buf, f)) got.push_back(buf);
    std::fclose(f);
    EXPECT_EQ(got, (std::vector<std::string>{"a,b,US", "c,d,JP", "", "end"}));

    // A line end right behind a piece that fills the buffer ends the line once.
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    } cases[] = {
        {"abc\r\nxyz\n", {"abc", "xyz"}},        // "\r\n" split across two pieces
        {"abcd\r\nxyz\n", {"abcd", "xyz"}},      // "\r\n" wholly behind a full piece
        {"abcd\nxyz\r\n", {"abcd", "xyz"}},
        {"abcd\rxy\n", {"abcd", "\rxy"}},        // a lone '\r' is no line end
        {"abcdefgh\r\n\r\n", {"abcd", "efgh", ""}},
    };
    for (const Case& c : cases) {
        TempDir::Write("split.txt", c.text);
        f = std::fopen("split.txt", "rb");
        char small[5];
        got.clear();
        while (ReadLine(small, sizeof small, f)) got.push_back(small);
        EXPECT_EQ(ReadLine(buf, 1, f), nullptr);
        std::fclose(f);
        EXPECT_EQ(got, c.lines) << c.text;
    }
}

TEST(Lines, ReadWholeLineKeepsEveryByteOfLongLines) {
    TempDir dir;
    const std::string longLine(100000, 'x');
    const std::string withNul("nul\0inside\r", 12);
    TempDir::Write("w.csv", "a\r\n\n\r\n" + longLine + "\n" + withNul + "\r\nlast");
    std::FILE* f = std::fopen("w.csv", "rb");
    ASSERT_NE(f, nullptr);
    std::vector<std::string> got;
    std::string line = "stale";
    while (ReadWholeLine(f, line)) got.push_back(line);
    EXPECT_TRUE(line.empty());
    std::fclose(f);
    const std::vector<std::string> want{"a", "", "", longLine, withNul, "last"};
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) EXPECT_TRUE(got[i] == want[i]) << "line " << i << " of " << got[i].size();
    EXPECT_FALSE(ReadWholeLine(nullptr, line));
}

TEST(Lines, TrimTrailingBlanks) {
    char text[] = "name \t  ";
    EXPECT_EQ(TrimTrailingBlanks(text), 6);  // only blanks, not tabs
    EXPECT_STREQ(text, "name \t");
    std::string s = "   ";
    EXPECT_EQ(TrimTrailingBlanks(s), 0);
}

TEST(Paths, JoinAndSplit) {
    struct Case {
        const char* folder;
        const char* name;
        const char* joined;
    } cases[] = {
        {"C:", "A.TXT", "C:A.TXT"},
        {"", "A.TXT", "A.TXT"},
        {"D:\\DATA", "A.TXT", "D:\\DATA/A.TXT"},
        {"D:\\DATA\\", "A.TXT", "D:\\DATA\\A.TXT"},
        {"/opt/kestrune", "A.TXT", "/opt/kestrune/A.TXT"},
        {"/opt/kestrune/", "A.TXT", "/opt/kestrune/A.TXT"},
    };
    for (const Case& c : cases) EXPECT_STREQ(JoinPath(c.folder, c.name), c.joined) << c.folder;
    std::string big(5000, 'd');
    EXPECT_EQ(std::strlen(JoinPath(big, big)), 10001u);  // no fixed buffer to overflow

    EXPECT_STREQ(FileNamePart("C:\\A\\B\\C.TXT"), "C.TXT");
    EXPECT_STREQ(FileNamePart("C:D.TXT"), "D.TXT");
    EXPECT_STREQ(FileNamePart("data/maps/COAST.S1"), "COAST.S1");
    EXPECT_STREQ(FileNamePart("plain"), "plain");

    std::string p = "C:";
    AppendBackslash(p);
    EXPECT_EQ(p, "C:");
    p = "dir";
    AppendBackslash(p);
    EXPECT_EQ(p, "dir/");
    p.clear();
    AppendBackslash(p);
    EXPECT_EQ(p, "");
}

TEST(DataFiles, CurrentFolderThenProgramFolderThenOtherCase) {
    TempDir dir;
    TempDir::Write("prog/WORLD", "from program folder");
    TempDir::Write("prog/Maps/COAST.S1", "coast");
    TempDir::Write("work/WORLD", "from current folder");
    TempDir::Write("work/cities.csv", "cities");
    gProgramDir = dir.path() + "/prog";
    std::filesystem::current_path("work");

    auto readAll = [](std::FILE* f) {
        std::string s;
        if (!f) return std::string("<null>");
        char buf[64];
        while (std::size_t n = std::fread(buf, 1, sizeof buf, f)) s.append(buf, n);
        std::fclose(f);
        return s;
    };
    EXPECT_EQ(readAll(OpenDataFile("WORLD", "rt")), "from current folder");
    EXPECT_EQ(readAll(OpenDataFile("world", "rt")), "from current folder");
    EXPECT_EQ(readAll(OpenDataFile("CITIES.CSV", "rt")), "cities");
    EXPECT_EQ(readAll(OpenDataFile("maps\\coast.s1", "rb")), "coast");
    EXPECT_EQ(readAll(OpenDataFile("nothing", "rt")), "<null>");
    std::filesystem::remove("WORLD");
    EXPECT_EQ(readAll(OpenDataFile("World", "rt")), "from program folder");

    EXPECT_TRUE(FileExists("Cities.CSV"));
    EXPECT_FALSE(FileExists("nothing"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_EQ(GetFileLength("cities.csv"), 6);
    EXPECT_EQ(GetFileLength("nothing"), 0);
    gProgramDir.clear();
    EXPECT_EQ(readAll(OpenDataFile("World", "rt")), "<null>");
}

TEST(Text, CopyBoundedFitsCutsAndPads) {
    struct Case {
        const char* what;
        std::string_view src;
        TextEnd end;
        std::string_view expected;  // all 6 bytes of the buffer
    } const cases[] = {
        {"empty", "", TextEnd::Terminated, std::string_view("\0\0\0\0\0\0", 6)},
        {"short, padded", "ab", TextEnd::Terminated, std::string_view("ab\0\0\0\0", 6)},
        {"exact fit with its terminator", "abcde", TextEnd::Terminated, std::string_view("abcde\0", 6)},
        {"one too long is cut for the terminator", "abcdef", TextEnd::Terminated, std::string_view("abcde\0", 6)},
        {"much too long", "abcdefghij", TextEnd::Terminated, std::string_view("abcde\0", 6)},
        {"fills a fixed-width field", "abcdef", TextEnd::MayFillWidth, "abcdef"},
        {"cut to a fixed width", "abcdefghij", TextEnd::MayFillWidth, "abcdef"},
        {"short in a fixed width", "ab", TextEnd::MayFillWidth, std::string_view("ab\0\0\0\0", 6)},
        {"NUL inside the text is copied", std::string_view("a\0b", 3), TextEnd::Terminated,
         std::string_view("a\0b\0\0\0", 6)},
    };
    for (const Case& c : cases) {
        char buffer[8];
        std::memset(buffer, 'x', sizeof buffer);  // what a used buffer holds
        CopyBounded(buffer, 6, c.src, c.end);
        EXPECT_EQ(std::string_view(buffer, 6), c.expected) << c.what;
        EXPECT_EQ(std::string_view(buffer + 6, 2), "xx") << c.what << ": wrote past its size";
    }
    char untouched[2] = {'x', 'x'};
    CopyBounded(untouched, 0, "abc");
    EXPECT_EQ(std::string_view(untouched, 2), "xx") << "a size of 0 wrote";
    char field[4];
    CopyBounded(field, "abcdef");
    EXPECT_STREQ(field, "abc");
}

TEST(Text, StartsWithIgnoringCase) {
    struct Case {
        std::string_view text, prefix;
        bool starts;
    } const cases[] = {
        {"TITLE AT END: x", "TITLE AT END", true},
        {"title at end: x", "TITLE AT END", true},
        {"TiTlE", "tItLe", true},
        {"TITLE", "TITLE", true},
        {"TITL", "TITLE", false},  // a prefix longer than the text
        {"", "T", false},
        {"anything", "", true},
        {"", "", true},
        {"TITLES", "TITLE ", false},
        {"[TITLE", "TITLE", false},
        {"\xC9t\xE9", "\xE9T\xC9", false},  // letters beyond ASCII keep their case
        {"out12", "OUT", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StartsWithIgnoringCase(c.text, c.prefix), c.starts) << '"' << c.text << "\" \"" << c.prefix << '"';
}

TEST(Flags, YesNo) {
    EXPECT_STREQ(YesNoText(0), "NO");
    EXPECT_STREQ(YesNoText(1), "YES");
    struct Case {
        const char* text;
        bool yes;
    } cases[] = {{"YES", true}, {"yes", true}, {"yEs", true}, {" YES", false}, {"YES ", false},
                 {"Y", false},  {"true", false}, {"1", false}, {"YESS", false}, {"", false}};
    for (const Case& c : cases) EXPECT_EQ(IsYes(c.text), c.yes) << '"' << c.text << '"';
}

TEST(Numbers, DegreesAndMilliArcSeconds) {
    EXPECT_EQ(DegreesToMas(-0.0000001), 0);
    EXPECT_EQ(DegreesToMas(12.5), 45000000);
    EXPECT_EQ(MasToDegrees(DegreesToMas(12.5)), 12.5);
    EXPECT_EQ(DegreesToMas(-38.0000009), -136800003);  // toward zero, not rounded
    EXPECT_EQ(DegreesToMas(1e10), INT32_MAX);          // clamped, never wrapped
    EXPECT_EQ(DegreesToMas(std::nan("")), 0);
    void* c = CallocNonZero(0, 0);
    EXPECT_NE(c, nullptr);
    std::free(c);
    void* p = MallocNonZero(0);
    EXPECT_NE(p, nullptr);
    std::free(p);
}

TEST(Numbers, SphereImagePixels) {
    std::int32_t x1, y1, x2, y2;
    LatLonToMapPixel(10, 540, &x1, &y1);
    LatLonToMapPixel(10, 180, &x2, &y2);
    EXPECT_EQ(x1, x2);
    EXPECT_EQ(y1, y2);
    LatLonToMapPixel(90, 0, &x1, &y1);
    LatLonToMapPixel(-90, -180, &x2, &y2);
    EXPECT_EQ(y1, 0);
    EXPECT_EQ(x1, 2048);
    EXPECT_EQ(y2, 2048);
    EXPECT_EQ(x2, 0);
    LatLonToMapPixel(0, 1e200, &x1, &y1);  // must come back at once
    LatLonToMapPixel(0, std::nan(""), &x1, &y1);
    EXPECT_EQ(x1, 0);
    for (double lon : {HUGE_VAL, -HUGE_VAL}) {  // no place: the column of NaN
        LatLonToMapPixel(0, lon, &x1, &y1);
        EXPECT_EQ(x1, 0) << lon;
    }
}

TEST(ResStrings, LoadIntoTheSharedBuffer) {
    platform::RegisterString(32540, "Unable to open view: %s");
    EXPECT_STREQ(LoadResString(32540), "Unable to open view: %s");
    EXPECT_STREQ(LoadResString(1), "");
    platform::RegisterString(2, std::string(400, 'r'));
    EXPECT_EQ(std::strlen(LoadResString(2)), 255u);
}

TEST(DebugLog, WritesOnlyWhenOnAndNeverReformats) {
    TempDir dir;
    gControls[kControlDebug] = 0;
    DebugLog("%s", "quiet");
    EXPECT_FALSE(std::filesystem::exists("Debug.txt"));

    gControls[kControlDebug] = 1;
    testsupport::TestClock().SetUtc({2023, 2, 6, 1, 17, 35, 42});
    const char* message = "100% done %s %n";
    DebugLog("%s", message);
    DebugLog("Error %d has occurred.", 12007);
    DebugLog("%s", std::string(6000, 'L').c_str());
    gControls[kControlDebug] = 0;

    std::string log = TempDir::Read("Debug.txt");
    std::string first = "2023-02-06 01:17:35.042: 100% done %s %n\n";
    std::string second = "2023-02-06 01:17:35.042: Error 12007 has occurred.\n";
    ASSERT_GT(log.size(), first.size() + second.size());
    EXPECT_EQ(log.substr(0, first.size() + second.size()), first + second);
    std::string third = log.substr(first.size() + second.size());
    EXPECT_EQ(third.size(), 4199u + 1);  // cut to the line limit, newline kept
}

TEST(HelpText, PreTags) {
    char line[] = "<A NAME=\"topic_with_a_very_long_name\">Rest of line";
    const char* name = ExtractPreTag(line, "a name");
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, "topic_with_a_ver");  // at most 16 characters, terminated
    EXPECT_STREQ(line, "Rest of line");

    char plain[] = "no tag here";
    EXPECT_EQ(ExtractPreTag(plain, "A"), nullptr);
    char other[] = "<B>bold";
    EXPECT_EQ(ExtractPreTag(other, "A"), nullptr);
    char unnamed[] = "x<ahref>tail";
    EXPECT_STREQ(ExtractPreTag(unnamed, "A"), "");
    EXPECT_STREQ(unnamed, "xtail");

    TempDir dir;
    TempDir::Write("HELP.TXT", "<pre>\nLine one\n</PRE>\nLine two\n");
    std::string text;
    ASSERT_TRUE(ReadPreTextFile("HELP.TXT", text));
    EXPECT_EQ(text, "Line one\n\r\nLine two\n");
    EXPECT_FALSE(ReadPreTextFile("NOHELP.TXT", text));
}

TEST(IndexedArray, GrowsByStepAndBelowTheLowerBound) {
    IndexedArray<int> a(10);
    a.GrowToIndex(0);
    EXPECT_EQ(a.ArraySize(), 10);
    a.GrowToIndex(10);
    EXPECT_EQ(a.ArraySize(), 20);
    a.GrowToIndex(-3);
    EXPECT_EQ(a.LowerBound(), -3);
    EXPECT_EQ(a.ArraySize(), 23);
    EXPECT_TRUE(a.IsValid(-3));
    EXPECT_FALSE(a.IsValid(-4));

    IndexedArray<int> noStep(0);
    noStep.GrowToIndex(4);
    EXPECT_EQ(noStep.ArraySize(), 5);

    IndexedArray<std::unique_ptr<std::string>> owned(4);
    owned.Add(std::make_unique<std::string>("a"));
    owned.Add(std::make_unique<std::string>("b"));
    EXPECT_EQ(owned.Count(), 2);
    EXPECT_EQ(*owned[1], "b");
    owned.Flush();
    EXPECT_TRUE(owned.IsEmpty());
}
