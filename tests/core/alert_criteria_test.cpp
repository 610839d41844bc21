#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/alert_criteria.h"
#include "tests/support/temp_dir.h"

namespace {

class AlertCriteriaTest : public testing::Test {
protected:
    void SetUp() override { gAlertCriteria.clear(); }
    void TearDown() override { gAlertCriteria.clear(); }
    TempDir dir_;
};

TEST_F(AlertCriteriaTest, ReadsOneCriterionPerLineInFileOrder) {
    TempDir::Write("alert_criteria.txt",
                   "# magnitude, distance, population, country\n"
                   "/M 6.5 /DI 100 /P 250 /C us\n"
                   "\n"
                   "ab\n"
                   "/M 5 /N x\n"
                   "/M 7\r\n");
    ASSERT_TRUE(ReadAlertCriteriaFile());
    ASSERT_EQ(gAlertCriteria.size(), 3u);
    const AlertCriterion& a = *gAlertCriteria[0];
    EXPECT_DOUBLE_EQ(a.minMagnitude, 6.5);
    EXPECT_DOUBLE_EQ(a.maxDistance, 100);
    EXPECT_EQ(a.minPopulation, 250);
    EXPECT_EQ(a.country, "US");
    EXPECT_DOUBLE_EQ(a.maxDepth, 0);
    EXPECT_EQ(a.nuclearPlant, 0);
    EXPECT_EQ(gAlertCriteria[1]->nuclearPlant, 1);
    EXPECT_DOUBLE_EQ(gAlertCriteria[1]->minMagnitude, 5);
    EXPECT_EQ(gAlertCriteria[2]->nuclearPlant, 0);
    EXPECT_DOUBLE_EQ(gAlertCriteria[2]->minMagnitude, 7);
}

TEST_F(AlertCriteriaTest, MissingFileGivesNoCriteria) {
    gAlertCriteria.push_back(std::make_unique<AlertCriterion>());
    EXPECT_FALSE(ReadAlertCriteriaFile());
    EXPECT_TRUE(gAlertCriteria.empty());
}

TEST_F(AlertCriteriaTest, LineForms) {
    struct Case {
        const char* line;
        bool criterion;
        double magnitude, depth, distance;
        int population;
        const char* country;
        int nuclear;
    } cases[] = {
        {"/MAG 6 /DEPTH 70 /DIST 300 /POP 1000000 /COUNTRY jp", true, 6, 70, 300, 1000000, "JP", 0},
        {"/m 6 /de 33 /di 10", true, 6, 33, 10, 0, "", 0},
        {"/M 6 /M 7", true, 7, 0, 0, 0, "", 0},                 // a later pair wins
        {"/D 50 /X 3 /M 6", true, 6, 0, 0, 0, "", 0},           // D alone and X are not options
        {"/NUKE yes /M 5.5", true, 5.5, 0, 0, 0, "", 1},
        // Values glued to their option, as written by hand.
        {"/M6.5 /DI 100", true, 6.5, 0, 100, 0, "", 0},
        {"/M 6.5 /DI100 /P 100000", true, 6.5, 0, 100, 100000, "", 0},
        {"/M 6.5 /DE10 /DI 50", true, 6.5, 10, 50, 0, "", 0},
        {"/m6 /de33 /di10 /p5 /cjp", false, 0, 0, 0, 0, "", 0},   // "/CJP" is one option word, without a value
        {"/M 5 /N /DI 30", true, 5, 0, 30, 0, "", 1},             // the nuclear option needs no value
        // Whatever cannot be read refuses the line: dropping it would widen the criterion.
        {"/M 6 DI 100", false, 0, 0, 0, 0, "", 0},
        {"/M 6 /DI", false, 0, 0, 0, 0, "", 0},
        {"/M 6 /DI /P 1000", false, 0, 0, 0, 0, "", 0},
        {"/M 6 /DI far", false, 0, 0, 0, 0, "", 0},
        {"/M 6 /DE 10km", false, 0, 0, 0, 0, "", 0},
        {"/M 6 /P 1e6", false, 0, 0, 0, 0, "", 0},
        {"/M 6 /P", false, 0, 0, 0, 0, "", 0},
        {"/M 6 /C", false, 0, 0, 0, 0, "", 0},
        {"/M 6 /", false, 0, 0, 0, 0, "", 0},
        {"/M 1 /M 2 /M 3 /M 4 /M 5 /DI 6", false, 0, 0, 0, 0, "", 0},  // five pairs at most
        {"/M 6 /C abcdefghijklmnopqrstuvwxyz", true, 6, 0, 0, 0, "ABCDEFGHIJKLMNO", 0},  // words cut to 15
        {"/P 99999999999999 /M 5", true, 5, 0, 0, 2147483647, "", 0},
        // Without a magnitude that reads as a finite number every event would match.
        {"/P 99999999999999 /M abc", false, 0, 0, 0, 0, "", 0},
        {"/D 100", false, 0, 0, 0, 0, "", 0},
        {"/X 1", false, 0, 0, 0, 0, "", 0},
        {"/M nan", false, 0, 0, 0, 0, "", 0},
        {"/M inf /DI 50", false, 0, 0, 0, 0, "", 0},
        {"/DI 100 /P 250", false, 0, 0, 0, 0, "", 0},
        {"/M 6 /M x", false, 0, 0, 0, 0, "", 0},                 // the later pair wins, and reads as nothing
        {"  /M 6 /DI 50", true, 6, 0, 50, 0, "", 0},             // blanks before the first slash
        {"M 6 /DI 50", false, 0, 0, 0, 0, "", 0},
        {"   ", false, 0, 0, 0, 0, "", 0},
        {"/M", false, 0, 0, 0, 0, "", 0},
        {"; an old comment", false, 0, 0, 0, 0, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        auto criterion = ParseAlertCriterionLine(c.line);
        ASSERT_EQ(criterion.has_value(), c.criterion);
        if (!criterion) continue;
        EXPECT_DOUBLE_EQ(criterion->minMagnitude, c.magnitude);
        EXPECT_DOUBLE_EQ(criterion->maxDepth, c.depth);
        EXPECT_DOUBLE_EQ(criterion->maxDistance, c.distance);
        EXPECT_EQ(criterion->minPopulation, c.population);
        EXPECT_EQ(criterion->country, c.country);
        EXPECT_EQ(criterion->nuclearPlant, c.nuclear);
    }
}

// The criteria file of a kiosk with glued options: each line is read whole
// or refused with a line on stderr that says why, never read wider.
TEST_F(AlertCriteriaTest, GluedOptionsAreReadAndUnreadableOnesRefusedAloud) {
    TempDir::Write("alert_criteria.txt", "/M 6.5 /DI100 /P 100000\n/M 6.5 /DE10 /DI 50\n/M 6.0 /DI fifty\n");
    testing::internal::CaptureStderr();
    ASSERT_TRUE(ReadAlertCriteriaFile());
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_EQ(gAlertCriteria.size(), 2u);
    EXPECT_DOUBLE_EQ(gAlertCriteria[0]->maxDistance, 100);
    EXPECT_EQ(gAlertCriteria[0]->minPopulation, 100000);
    EXPECT_DOUBLE_EQ(gAlertCriteria[1]->maxDepth, 10);
    EXPECT_DOUBLE_EQ(gAlertCriteria[1]->maxDistance, 50);
    EXPECT_EQ(said,
              "Quorview: alert_criteria.txt: criterion refused (the value \"FIFTY\" of \"/DI\" is not a number): "
              "/M 6.0 /DI fifty\n");
}

TEST_F(AlertCriteriaTest, LinesThatHoldNoPairMakeNoCatchAllCriterion) {
    // Each of these once became a criterion with every field 0, which matches
    // every event above the threshold near any city.
    TempDir::Write("alert_criteria.txt", "   \nREM criteria below\n/M\n/D 100\n/X 1\n/M nan\n/M 6\n");
    ASSERT_TRUE(ReadAlertCriteriaFile());
    ASSERT_EQ(gAlertCriteria.size(), 1u);
    EXPECT_DOUBLE_EQ(gAlertCriteria[0]->minMagnitude, 6);
}

TEST_F(AlertCriteriaTest, OverlongAndBinaryLinesStayOneCriterionEach) {
    std::string longLine = "/M 6 /C " + std::string(300, 'x') + " /DI 40";
    std::string junk;
    for (int i = 1; i < 256; ++i) junk += static_cast<char>(i == '\n' ? ' ' : i);
    TempDir::Write("alert_criteria.txt",
                   longLine + "\n" + junk + "\n" + std::string("/M 4 /P 5\0/M 9", 14) + "\n");
    ASSERT_TRUE(ReadAlertCriteriaFile());
    ASSERT_EQ(gAlertCriteria.size(), 2u);
    EXPECT_DOUBLE_EQ(gAlertCriteria[0]->maxDistance, 40);
    EXPECT_EQ(gAlertCriteria[0]->country, std::string(15, 'X'));
    EXPECT_DOUBLE_EQ(gAlertCriteria[1]->minMagnitude, 4);  // a NUL ends the line
    EXPECT_EQ(gAlertCriteria[1]->minPopulation, 5);
}

TEST_F(AlertCriteriaTest, KeeperBuildHasNoNuclearOption) {
    auto criterion = ParseAlertCriterionLine("/M 5 /N x", ConfigBuild::kKeeper);
    ASSERT_TRUE(criterion);
    EXPECT_EQ(criterion->nuclearPlant, 0);
    EXPECT_DOUBLE_EQ(criterion->minMagnitude, 5);
}

}  // namespace
