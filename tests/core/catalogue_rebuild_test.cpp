// The catalogue swap under a kill at every one of its steps: whatever moment
// the writer dies, the next start finds a whole catalogue, the old or the new.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/catalogue_edit.h"
#include "core/catalogue_rebuild.h"
#include "core/quake.h"
#include "platform/sys/files.h"
#include "tests/support/catalogue_file.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

QuakeRecord Quake(int month, int day, double magnitude) {
    return MakeEventRecord(nullptr, 2014, month, day, 12, 0, 0.0, 38.5, 142.25, 10.0, magnitude);
}

TimeValue TimeOf(const QuakeRecord& q) {
    TimeValue t;
    t.SetFromQuake(q);
    return t;
}

const std::vector<QuakeRecord> kOld = {Quake(8, 1, 5.0), Quake(8, 10, 5.1), Quake(8, 20, 5.2), Quake(8, 25, 5.3)};
const std::vector<QuakeRecord> kFresh = {Quake(8, 20, 5.2), Quake(8, 26, 6.0), Quake(9, 2, 4.4)};
// What the update makes of them: before 08-15 kept, the rest as fetched.
const std::vector<QuakeRecord> kNew = {Quake(8, 1, 5.0), Quake(8, 10, 5.1), Quake(8, 20, 5.2), Quake(8, 26, 6.0),
                                       Quake(9, 2, 4.4)};

// One update of CAT.HY4; the steps it went through.
std::vector<std::string> gSteps;
int gKillAt = -1;
void CountStep(const char* step) {
    if (static_cast<int>(gSteps.size()) == gKillAt) ::kill(::getpid(), SIGKILL);
    gSteps.push_back(step);
}

bool RunUpdate() {
    CatalogueRebuild rebuild;
    if (!rebuild.Open("CAT.HY4") || !rebuild.KeepBefore(TimeOf(Quake(8, 15, 0)))) return false;
    for (const QuakeRecord& q : kFresh) rebuild.Append(q);
    return rebuild.Finish().empty();
}

}  // namespace

TEST(CatalogueSwap, AnUpdateKeepsTheOldFileAndPutsTheNewInPlace) {
    TempDir dir;
    TempDir::Write("CAT.HY4", CatalogueBytes(kOld));
    gSteps.clear();
    gKillAt = -1;
    SetCatalogueStepHookForTesting(CountStep);
    EXPECT_TRUE(RunUpdate());
    SetCatalogueStepHookForTesting(nullptr);
    EXPECT_EQ(TempDir::Read("CAT.HY4"), CatalogueBytes(kNew));
    EXPECT_EQ(TempDir::Read("CAT.hyt"), CatalogueBytes(kOld));
    EXPECT_FALSE(fs::exists(kTempCatalogue));
    // The backup is made before the one rename, never by renaming the catalogue away.
    const auto link = std::find(gSteps.begin(), gSteps.end(), "link backup");
    const auto rename = std::find(gSteps.begin(), gSteps.end(), "rename");
    ASSERT_NE(link, gSteps.end());
    ASSERT_NE(rename, gSteps.end());
    EXPECT_LT(link, rename);
}

// Runs the writer in a child killed before its step 0, 1, ... until a run
// completes. After each run the catalogue is the old or the new one, before
// the start-up repair as after it, and no temporary file stays. The kills.
int KillAtEachStep(const std::string& before, const std::string& after, const std::function<bool()>& write,
                   const char* olderBackup = nullptr) {
    int kills = 0;
    bool completed = false;
    for (int step = 0; step < 200 && !completed; ++step) {
        SCOPED_TRACE("killed before step " + std::to_string(step));
        TempDir dir;
        TempDir::Write("CAT.HY4", before);
        if (olderBackup) TempDir::Write("CAT.hyt", olderBackup);
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child < 0) {
            ADD_FAILURE() << "fork failed";
            return kills;
        }
        if (child == 0) {
            gSteps.clear();
            gKillAt = step;
            SetCatalogueStepHookForTesting(CountStep);
            ::_exit(write() ? 0 : 1);
        }
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        if (WIFEXITED(status)) {
            EXPECT_EQ(WEXITSTATUS(status), 0);
            completed = true;
        } else {
            EXPECT_TRUE(WIFSIGNALED(status));
            ++kills;
        }
        const std::string now = TempDir::Read("CAT.HY4");
        EXPECT_TRUE(fs::exists("CAT.HY4"));
        EXPECT_TRUE(now == before || now == after) << now.size() << " bytes";
        if (completed) {
            EXPECT_EQ(now, after);
        }
        RecoverCatalogues({"CAT.HY4"}, {platform::CurrentDir()});
        EXPECT_EQ(TempDir::Read("CAT.HY4"), now);
        EXPECT_FALSE(fs::exists(kTempCatalogue));  // a stale temporary file goes at start
    }
    EXPECT_TRUE(completed);
    return kills;
}

TEST(CatalogueSwap, AWriterKilledAtAnyStepLeavesAWholeCatalogue) {
    // Every file operation of the update is a place to die.
    EXPECT_GE(KillAtEachStep(CatalogueBytes(kOld), CatalogueBytes(kNew), RunUpdate, "an older backup"), 8);
}

// The editor's rewrites go through the same swap: killed at any of their
// steps, they leave the old catalogue or the edited one, never a mix.
TEST(CatalogueSwap, AnEditKilledAtAnyStepLeavesTheOldOrTheNewCatalogue) {
    struct Case {
        const char* name;
        CatalogueEdit (*edit)();
        std::vector<QuakeRecord> after;
    } cases[] = {
        {"add", [] { return AddQuakeRecord("CAT.HY4", Quake(8, 15, 4.0)); },
         {kOld[0], kOld[1], Quake(8, 15, 4.0), kOld[2], kOld[3]}},
        {"edit", [] { return ReplaceQuakeRecord("CAT.HY4", 3, Quake(8, 5, 7.0)); },
         {kOld[0], Quake(8, 5, 7.0), kOld[1], kOld[2]}},
        {"delete", [] { return DeleteQuakeRecord("CAT.HY4", 1); }, {kOld[0], kOld[2], kOld[3]}},
        {"delete the only record", [] { return DeleteQuakeRecord("CAT.HY4", 0); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = c.after.empty() ? CatalogueBytes({kOld[0]}) : CatalogueBytes(kOld);
        EXPECT_GE(KillAtEachStep(before, CatalogueBytes(c.after), [&c] { return c.edit().error.empty(); }), 6);
    }
}

// A catalogue renamed away to its ".hyt" by an older program that died before
// it renamed the new file in: the start puts a whole catalogue back.
TEST(CatalogueSwap, StartRestoresACatalogueLostBetweenTwoRenames) {
    struct Case {
        const char* name;
        std::string temp;
        std::string restored;
    } cases[] = {
        {"the new file is whole: it is taken", CatalogueBytes(kNew), CatalogueBytes(kNew)},
        {"the new file is cut: the backup is taken", CatalogueBytes(kNew).substr(0, 30), CatalogueBytes(kOld)},
        {"the new file is out of order: the backup is taken", CatalogueBytes({kNew[3], kNew[0]}), CatalogueBytes(kOld)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        TempDir::Write("CAT.hyt", CatalogueBytes(kOld));
        TempDir::Write(kTempCatalogue, c.temp);
        const std::vector<std::string> said = RecoverCatalogues({"CAT.HY4"}, {platform::CurrentDir()});
        EXPECT_EQ(TempDir::Read("CAT.HY4"), c.restored);
        EXPECT_EQ(TempDir::Read("CAT.hyt"), CatalogueBytes(kOld));
        EXPECT_FALSE(fs::exists(kTempCatalogue));
        EXPECT_FALSE(said.empty());
    }
    // Nothing is touched while the catalogue is there, and nothing is made without a backup.
    TempDir dir;
    TempDir::Write("CAT.HY4", CatalogueBytes(kOld));
    TempDir::Write("CAT.hyt", CatalogueBytes(kNew));
    RecoverCatalogues({"CAT.HY4", "GONE.HY4"}, {platform::CurrentDir()});
    EXPECT_EQ(TempDir::Read("CAT.HY4"), CatalogueBytes(kOld));
    EXPECT_FALSE(fs::exists("GONE.HY4"));
}
