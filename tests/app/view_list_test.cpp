#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/view_list.h"
#include "tests/support/temp_dir.h"

namespace {

// One line per entry: level, name, title, parent and group flag.
std::string Describe(const IndexedArray<ViewListEntry>& list) {
    std::ostringstream s;
    for (const ViewListEntry& e : list)
        s << e.level << " " << e.viewName << " [" << e.title << "] p" << e.parentIndex << (e.hasChildren ? " group" : "")
          << "\n";
    return s.str();
}

struct IndentCase {
    const char* name;
    const char* line;
    int level;
    std::size_t textStart;
};

TEST(ViewListIndent, BlanksCountInPairsAndTabsOnlyAtLevelZero) {
    const IndentCase cases[] = {
        {"none", "WORLD", 0, 0},
        {"one blank", " WORLD", 0, 1},
        {"two blanks", "  WORLD", 1, 2},
        {"three blanks", "   WORLD", 1, 3},
        {"four blanks", "    WORLD", 2, 4},
        {"one tab", "\tWORLD", 1, 1},
        {"three tabs", "\t\t\tWORLD", 3, 3},
        {"blank then tab", " \tWORLD", 1, 2},
        // A tab after a level of blanks adds none, but it is skipped before the name.
        {"four blanks then tab", "    \tWORLD", 2, 5},
        {"tab then blanks", "\t  WORLD", 1, 3},
        {"twenty-two blanks capped", "                      WORLD", 9, 22},
        {"twelve tabs capped", "\t\t\t\t\t\t\t\t\t\t\t\tWORLD", 9, 12},
    };
    for (const IndentCase& c : cases) {
        const ViewListIndent got = ViewListLineIndent(c.line);
        EXPECT_EQ(got.level, c.level) << c.name;
        EXPECT_EQ(got.textStart, c.textStart) << c.name;
    }
}

class ViewListFiles : public testing::Test {
protected:
    TempDir dir_;
};

struct EntryCase {
    const char* name;
    const char* text;
    const char* viewName;
    std::string title;
};

TEST_F(ViewListFiles, EntryNameAndTitle) {
    const EntryCase cases[] = {
        {"name alone", "WORLD", "WORLD", "WORLD"},
        {"name and title", "JAPAN Japan and Korea", "JAPAN", "Japan and Korea"},
        {"blanks and tabs before the title", "JAPAN \t  Japan", "JAPAN", "Japan"},
        {"long name alone: 15 characters", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "ABCDEFGHIJKLMNOPQRSTUVWXYZ",
         "ABCDEFGHIJKLMNO"},
        {"long title: 63 characters", "X 123456789012345678901234567890123456789012345678901234567890123456789", "X",
         "123456789012345678901234567890123456789012345678901234567890123"},
        {"tab ends the name", "CHILE\tChile", "CHILE", "Chile"},
    };
    for (const EntryCase& c : cases) {
        ViewListEntry e;
        ParseViewListEntry(e, c.text);
        EXPECT_EQ(e.viewName, c.viewName) << c.name;
        EXPECT_EQ(e.title, c.title) << c.name;
        EXPECT_EQ(e.imageName, std::string(c.viewName) + ".jpg") << c.name;
    }
}

struct BoundsCase {
    const char* name;
    std::optional<std::string> file;  // none: no view file
    double south, north, west, east;
};

TEST_F(ViewListFiles, EntryBoundsFromTheViewFile) {
    const BoundsCase cases[] = {
        {"all four keys", "LEFT LONGITUDE: 125\nRIGHT LONGITUDE: 150\nSOUTH LATITUDE: 28\nNORTH LATITUDE: 47\n", 28, 47,
         125, 150},
        {"no view file", std::nullopt, -30, 30, -20, 20},
        // Keys left out start from the defaults rather than from whatever was there.
        {"only north", "NORTH LATITUDE: 10\n", -30, 10, -20, 20},
        {"no keys at all", "MINIMUM MAGNITUDE: 5\n", -30, 30, -20, 20},
        {"across the date line", "LEFT LONGITUDE: 170\nRIGHT LONGITUDE: -130\nSOUTH LATITUDE: 50\nNORTH LATITUDE: 66\n",
         50, 66, 170, 230},
        {"whole world, same edges", "LEFT LONGITUDE: 20\nRIGHT LONGITUDE: 20\nSOUTH LATITUDE: -70\nNORTH LATITUDE: 75\n",
         -70, 75, 20, 380},
        {"east several turns behind: whole turns at once",
         "LEFT LONGITUDE: 100\nRIGHT LONGITUDE: -1000\nNORTH LATITUDE: 1\n", -30, 1, 100, 440},
        {"a bound that is no number takes its default",
         "LEFT LONGITUDE: nan\nRIGHT LONGITUDE: inf\nSOUTH LATITUDE: 1\nNORTH LATITUDE: 2\n", 1, 2, -20, 20},
        // Reading stops at north: a later key does not count.
        {"north ends the reading", "NORTH LATITUDE: 5\nLEFT LONGITUDE: 1\n", -30, 5, -20, 20},
        {"keys must begin the line", " LEFT LONGITUDE: 1\nNORTH LATITUDE: 5\n", -30, 5, -20, 20},
        {"long lines are read whole", "LEFT LONGITUDE:" + std::string(40, ' ') + "125\nNORTH LATITUDE: 5\n",
         -30, 5, 125, 380},
        {"bounds beyond a million degrees take their defaults",
         "LEFT LONGITUDE: 1e60\nRIGHT LONGITUDE: -1e300\nSOUTH LATITUDE: -2e6\nNORTH LATITUDE: 5\n", -30, 5, -20, 20},
    };
    for (const BoundsCase& c : cases) {
        std::remove("V");
        if (c.file) TempDir::Write("V", *c.file);
        ViewListEntry e;
        ParseViewListEntry(e, "V");
        EXPECT_DOUBLE_EQ(e.south, c.south) << c.name;
        EXPECT_DOUBLE_EQ(e.north, c.north) << c.name;
        EXPECT_DOUBLE_EQ(e.west, c.west) << c.name;
        EXPECT_DOUBLE_EQ(e.east, c.east) << c.name;
        EXPECT_GT(e.east, e.west + 0.01) << c.name;
    }
}

TEST(ViewListBounds, EastComesOutBeyondWestInOneStep) {
    const double cases[][3] = {
        // west, east, expected east
        {359.995, 20, 380}, {1e6, -1e6, -1e6 + 5556 * 360.0}, {0, 0.01, 360.01}, {-180, 180, 180}, {10, 10.02, 10.02},
    };
    for (const auto& c : cases) {
        ViewBounds b;
        b.west = c[0];
        b.east = c[1];
        NormaliseViewBounds(b);
        EXPECT_DOUBLE_EQ(b.east, c[2]) << c[0] << " " << c[1];
        EXPECT_GT(b.east, b.west + 0.01);
    }
}

struct TreeCase {
    const char* name;
    const char* text;
    const char* tree;
};

TEST_F(ViewListFiles, TreeOfLevelsGroupsAndParents) {
    const TreeCase cases[] = {
        {"flat group under the root", "WORLD World\n  JAPAN Japan\n  CHILE Chile\n",
         "0 WORLD [World] p0 group\n1 JAPAN [Japan] p0\n1 CHILE [Chile] p0\n"},
        {"back to a shallower level", "WO\n  A\n    A1\n    A2\n  B\n",
         "0 WO [WO] p0 group\n1 A [A] p0 group\n2 A1 [A1] p1\n2 A2 [A2] p1\n1 B [B] p0\n"},
        // A jump of two levels still takes the line before it as parent, and
        // a later line at the skipped level belongs to that same line.
        {"jump of two levels", "WO\n  A\n      DEEP\n    MID\n  B\n",
         "0 WO [WO] p0 group\n1 A [A] p0 group\n3 DEEP [DEEP] p1\n2 MID [MID] p1\n1 B [B] p0\n"},
        {"second line of level 0 ends the top", "WO\n  A\nXX\n  B\n",
         "0 WO [WO] p0 group\n1 A [A] p0\n0 XX [XX] p0 group\n1 B [B] p2\n"},
        {"tabs and blanks mixed", "WO\n\tA\n  B\n \tC\n\t\tD\n",
         "0 WO [WO] p0 group\n1 A [A] p0\n1 B [B] p0\n1 C [C] p0 group\n2 D [D] p3\n"},
        {"short and blank lines skipped", "WO\n\n \n  \t \n  A\nx\n",
         "0 WO [WO] p0 group\n1 A [A] p0\n"},
        {"CR LF line ends", "WO World\r\n  A Alpha\r\n", "0 WO [World] p0 group\n1 A [Alpha] p0\n"},
        {"every CR before the end goes", "WO\r\r\nR\r\r\n  A\r\r\n", "0 WO [WO] p0 group\n1 A [A] p0\n"},
        {"levels beyond nine held at nine", "WO\n  A\n                        Z\n",
         "0 WO [WO] p0 group\n1 A [A] p0 group\n9 Z [Z] p1\n"},
    };
    for (const TreeCase& c : cases) {
        IndexedArray<ViewListEntry> list;
        ParseViewListText(c.text, list);
        EXPECT_EQ(Describe(list), c.tree) << c.name;
        // The file the program reads gives the same tree.
        TempDir::Write("CASE.VUS", c.text);
        ASSERT_TRUE(ReadViewListFile("CASE.VUS", list));
        EXPECT_EQ(Describe(list), c.tree) << c.name << " (file)";
    }
}

TEST_F(ViewListFiles, LongLinesAreOneEntryEach) {
    // Read in 78-character pieces, the rest of a line would be a bogus entry of level 0.
    const std::string title(100, 't');
    TempDir::Write("LIST.VUS", "WO\n  " + std::string(90, 'N') + " " + title + "\n  B\n");
    IndexedArray<ViewListEntry> list;
    ASSERT_TRUE(ReadViewListFile("LIST.VUS", list));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.At(1)->viewName, std::string(90, 'N'));
    EXPECT_EQ(list.At(1)->title, std::string(63, 't'));
    EXPECT_EQ(list.At(2)->viewName, "B");
    EXPECT_EQ(list.At(2)->level, 1);
}

TEST_F(ViewListFiles, AMissingFileIsReportedAndEmptiesTheList) {
    IndexedArray<ViewListEntry> list;
    ParseViewListText("AA\n  B\n", list);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_FALSE(ReadViewListFile("NONE.VUS", list));
    EXPECT_TRUE(list.IsEmpty());
    // Looked up as the other files are: any letter case.
    TempDir::Write("world.vus", "WORLD\n");
    EXPECT_TRUE(ReadViewListFile("WORLD.VUS", list));
    EXPECT_EQ(list.Count(), 1);
}

TEST(ViewListEntryAt, OnlyEntriesThatWereAdded) {
    IndexedArray<ViewListEntry> list(10);
    EXPECT_EQ(ViewListEntryAt(list, 0), nullptr);
    list.Add(ViewListEntry{});
    EXPECT_NE(ViewListEntryAt(list, 0), nullptr);
    // Slots grown past the last entry are no entries.
    EXPECT_EQ(ViewListEntryAt(list, 1), nullptr);
    EXPECT_EQ(ViewListEntryAt(list, 9), nullptr);
    EXPECT_EQ(ViewListEntryAt(list, -1), nullptr);
}

}  // namespace
