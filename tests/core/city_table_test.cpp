// A new city goes into the table the readers find, in its own format and in
// sort order, with every old row kept, even when the writer is killed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/csv.h"
#include "core/helpers.h"
#include "core/places.h"
#include "core/view.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_lines.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TextLines;

const std::string kTable =
    "Berlin,Berlin,Germany,52.5244,13.4105,3426354,DE\n"
    "Kyoto,\"Kyoto, Fu\",Japan,35.0211,135.7538,1459640,JP\n"
    "Tokyo,Tokyo,Japan,35.6895,139.6917,8336599,JP\n";

NewCityRow City(std::string name) {
    NewCityRow c;
    c.name = std::move(name);
    c.region = "Region";
    c.country = "Japan";
    c.countryCode = "JP";
    c.latitude = 35.5;
    c.longitude = 139.25;
    c.population = 1200;
    return c;
}

struct CityTable : ::testing::Test {
    TempDir dir;
    void SetUp() override {
        ResetViewSettings();
        gProgramDir.clear();
        TempDir::Write(kCityTableFile, kTable);
    }
    void TearDown() override { gProgramDir.clear(); }
};

TEST_F(CityTable, RowsGoInSortOrderAndEveryOldRowStays) {
    // The name is compared with whole lines, ignoring case: "tokyo bay" sorts
    // before "Tokyo," as a blank sorts before a comma.
    struct Case {
        const char* name;
        int at;  // line of the new row
    } cases[] = {{"Aachen", 0}, {"berlin-west", 1}, {"Osaka", 2}, {"Zama", 3}, {"tokyo bay", 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir::Write(kCityTableFile, kTable);
        ASSERT_EQ(InsertCityRow(City(c.name)), CityInsert::kInserted);
        std::vector<std::string> after = TextLines(TempDir::Read(kCityTableFile));
        ASSERT_EQ(after.size(), 4u);
        EXPECT_EQ(after[static_cast<std::size_t>(c.at)],
                  std::string(c.name) + ",Region,Japan,35.500,139.250,1200,JP");
        after.erase(after.begin() + c.at);
        EXPECT_EQ(after, TextLines(kTable));
    }
}

TEST_F(CityTable, ANewRowReadsBackThroughTheTablesOwnReader) {
    NewCityRow c = City("Hakone, Old Town");
    c.region = "Kanagawa, East";
    ASSERT_EQ(InsertCityRow(c), CityInsert::kInserted);
    std::vector<std::string> names;
    ASSERT_TRUE(ForEachPlaceRow(PlaceTable::kCities, 7, [&](const std::vector<std::string>& f, double lat, double lon) {
        names.push_back(f[0]);
        if (f[0] != c.name) return;
        EXPECT_EQ(f[1], c.region);
        EXPECT_EQ(f[2], "Japan");
        EXPECT_DOUBLE_EQ(lat, 35.5);
        EXPECT_DOUBLE_EQ(lon, 139.25);
        EXPECT_EQ(f[6], "JP");
    }));
    EXPECT_EQ(names, (std::vector<std::string>{"Berlin", "Hakone, Old Town", "Kyoto", "Tokyo"}));
}

TEST_F(CityTable, TextTheReaderCannotGiveBackIsRefused) {
    for (const char* name : {"The \"Old\" Town", "", "Two\nLines"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(InsertCityRow(City(name)), CityInsert::kRefusedText);
        EXPECT_EQ(TempDir::Read(kCityTableFile), kTable);
    }
    NewCityRow c = City("Fine");
    c.country = "Quote\"Land";
    EXPECT_EQ(InsertCityRow(c), CityInsert::kRefusedText);
}

TEST_F(CityTable, TheTableIsTheOneTheReadersFind) {
    // Only the program's folder holds the table: the row goes there, and no
    // one-line table appears here to hide it.
    fs::create_directory("program");
    fs::rename(kCityTableFile, "program/" + std::string(kCityTableFile));
    gProgramDir = (fs::current_path() / "program").string();
    ASSERT_EQ(InsertCityRow(City("Nara")), CityInsert::kInserted);
    EXPECT_FALSE(fs::exists(kCityTableFile));
    EXPECT_EQ(TextLines(TempDir::Read("program/" + std::string(kCityTableFile))).size(), 4u);

    // Found as the readers find it, in another letter case.
    gProgramDir.clear();
    fs::rename("program/" + std::string(kCityTableFile), "citylatlonpop.CSV");
    ASSERT_EQ(InsertCityRow(City("Kobe")), CityInsert::kInserted);
    EXPECT_EQ(TextLines(TempDir::Read("citylatlonpop.CSV")).size(), 5u);
    EXPECT_FALSE(fs::exists(kCityTableFile));

    // No table anywhere: a new one with the row alone.
    fs::remove("citylatlonpop.CSV");
    ASSERT_EQ(InsertCityRow(City("Nikko")), CityInsert::kInserted);
    EXPECT_EQ(TempDir::Read(kCityTableFile), "Nikko,Region,Japan,35.500,139.250,1200,JP\n");
}

TEST_F(CityTable, ATableThatCannotBeReadIsLeftAlone) {
    // A folder in its place opens but does not read.
    fs::remove(kCityTableFile);
    fs::create_directory(kCityTableFile);
    EXPECT_EQ(InsertCityRow(City("Nara")), CityInsert::kUnreadable);
    EXPECT_TRUE(fs::is_directory(kCityTableFile));
}

// The writer killed at any moment of many rewrites leaves a whole table:
// every old row, each added row whole, nothing half-written.
TEST_F(CityTable, AKilledWriterLeavesAWholeTable) {
    std::string big;
    for (int i = 0; i < 20000; ++i) big += "City" + std::to_string(100000 + i) + ",R,Country,1.0,2.0,100,CC\n";
    const std::vector<std::string> old = TextLines(big);
    for (int delay : {0, 2, 5, 11, 23, 47}) {
        SCOPED_TRACE("killed after " + std::to_string(delay) + " ms");
        TempDir::Write(kCityTableFile, big);
        std::fflush(nullptr);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int n = 0;; ++n) (void)InsertCityRow(City("Added" + std::to_string(n)));
        }
        ::usleep(static_cast<useconds_t>(delay) * 1000);
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        std::vector<std::string> now = TextLines(TempDir::Read(kCityTableFile));
        std::size_t kept = 0;
        for (const std::string& l : now) {
            if (l.starts_with("Added")) {
                EXPECT_EQ(SplitCsvFields(l).size(), 7u) << l;
                continue;
            }
            ASSERT_LT(kept, old.size());
            EXPECT_EQ(l, old[kept]);
            ++kept;
        }
        EXPECT_EQ(kept, old.size());
    }
}

}  // namespace
