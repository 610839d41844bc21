#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/sys/process.h"
#include "platform/ui/frame.h"
#include "platform/ui/headless/headless.h"
#include "tests/support/temp_dir.h"

TEST(Clock, CivilConversionMatchesTheStandardCalendar) {
    using namespace std::chrono;
    for (int y : {1, 1582, 1899, 1900, 1969, 1970, 2000, 2024, 2099, 2400}) {
        for (unsigned m : {1u, 2u, 3u, 12u}) {
            sys_days d = year_month_day{year{y}, month{m}, day{m == 2 ? 28u : 31u}};
            std::int64_t ms = duration_cast<milliseconds>(d.time_since_epoch()).count() + 3723004;
            platform::CivilTime c = platform::CivilFromUnixMs(ms);
            year_month_day want{d};
            EXPECT_EQ(c.year, int(want.year()));
            EXPECT_EQ(c.month, int(unsigned(want.month())));
            EXPECT_EQ(c.day, int(unsigned(want.day())));
            EXPECT_EQ(c.hour * 3600000 + c.minute * 60000 + c.second * 1000 + c.millisecond, 3723004);
            EXPECT_EQ(platform::UnixMsFromCivil(c), ms);
        }
    }
}

TEST(Clock, CivilFieldsFarOutsideTheCalendarSaturate) {
    // A feed stamp such as "712021900-1-9T2:2:0" must neither overflow nor wrap.
    constexpr std::int64_t hi = std::numeric_limits<std::int64_t>::max(), lo = std::numeric_limits<std::int64_t>::min();
    struct Case {
        platform::CivilTime t;
        std::int64_t ms;
    } cases[] = {
        {{712021900, 1, 9, 2, 2, 0, 0}, hi},
        {{-712021900, 1, 9, 2, 2, 0, 0}, lo},
        {{2147483647, 12, 31, 2147483647, 2147483647, 2147483647, 2147483647}, hi},
        {{1970, 1, 1, 0, 0, 0, -2147483647 - 1}, -2147483648LL},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::UnixMsFromCivil(c.t), c.ms) << c.t.year;
}

TEST(Clock, SystemClockIsRestoredAndTicks) {
    platform::SetClock(nullptr);
    platform::CivilTime now = platform::Clock().UtcNow();
    EXPECT_GE(now.year, 2024);
    platform::headless::Reset();
    EXPECT_EQ(platform::Clock().UtcNow().year, 2026);
    platform::headless::Advance(86400000);
    EXPECT_EQ(platform::Clock().UtcNow().day, 2);
}

TEST(Files, LookupIgnoresCaseAndReadsBackslashes) {
    TempDir dir;
    TempDir::Write("Data/Maps/Coast.S1", "c");
    EXPECT_EQ(platform::FindPath("data\\MAPS\\COAST.s1"), std::optional<std::string>("Data/Maps/Coast.S1"));
    EXPECT_EQ(platform::FindPath(dir.path() + "/DATA/maps/coast.S1"), dir.path() + "/Data/Maps/Coast.S1");
    EXPECT_EQ(platform::FindPath("data/maps/none"), std::nullopt);
    // New files go into the existing folder, named as written.
    EXPECT_EQ(platform::ResolvePath("DATA\\new.txt"), "Data/new.txt");
    std::FILE* f = platform::OpenFile("data\\maps\\NEW.TXT", "wt");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_TRUE(std::filesystem::exists("Data/Maps/NEW.TXT"));
    EXPECT_EQ(platform::OpenFile("data", "rt"), nullptr);  // a folder is not a file
    EXPECT_TRUE(platform::IsDirectory("Data"));
}

TEST(Files, SafeWriterReplacesWholeOrNotAtAll) {
    TempDir dir;
    TempDir::Write("QUORVEL.INI", "old");
    ::chmod("QUORVEL.INI", 0600);
    {
        platform::SafeFileWriter w("quorvel.ini");  // replaces the file that exists
        ASSERT_TRUE(w.ok());
        std::fputs("new", w.file());
        // Not committed: the old file stays and no temporary is left.
    }
    EXPECT_EQ(TempDir::Read("QUORVEL.INI"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 1);
    {
        platform::SafeFileWriter w("quorvel.ini");
        std::fputs("new", w.file());
        EXPECT_TRUE(w.Commit());
    }
    EXPECT_EQ(TempDir::Read("QUORVEL.INI"), "new");
    struct stat st;
    ASSERT_EQ(::stat("QUORVEL.INI", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    platform::SafeFileWriter bad("missing-folder/x.txt");
    EXPECT_FALSE(bad.ok());
    EXPECT_FALSE(bad.Commit());
}

// Rewriting a file with the bytes it holds leaves it in place; any other
// content, even of the same length, replaces it.
TEST(Files, SafeWriterKeepsAFileThatWouldNotChange) {
    TempDir dir;
    auto inode = [] {
        struct stat st;
        return ::stat("WORLD", &st) == 0 ? st.st_ino : 0;
    };
    auto commit = [](const std::string& text) {
        platform::SafeFileWriter w("WORLD");
        std::fputs(text.c_str(), w.file());
        return w.Commit();
    };
    const std::string big(200000, 'x');  // beyond one comparison block
    TempDir::Write("WORLD", big + "a");
    const ino_t first = inode();
    struct { std::string text; bool replaced; } cases[] = {
        {big + "a", false},
        {big + "b", true},   // the same length, one byte differs at the end
        {big + "b", false},
        {"short", true},
        {"", true},
        {"", false},
    };
    ino_t last = first;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.size());
        ASSERT_TRUE(commit(c.text));
        EXPECT_EQ(TempDir::Read("WORLD"), c.text);
        EXPECT_EQ(inode() != last, c.replaced);
        last = inode();
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 1);
    }
}

// A rewrite in place leaves exactly the new bytes, however long the old ones were.
TEST(Files, OverwriteLeavesExactlyTheNewBytes) {
    TempDir dir;
    const std::string longText(300000, 'a');
    for (const std::string& text : {std::string("first"), longText, std::string("short"), std::string(), longText}) {
        ASSERT_TRUE(platform::OverwriteFile("plates.txt", text));
        EXPECT_TRUE(TempDir::Read("plates.txt") == text) << text.size();
    }
    EXPECT_FALSE(platform::OverwriteFile("missing-folder/plates.txt", "x"));
}

// A settings file kept elsewhere and linked in: the link stays a link and
// its target gets the new text.
TEST(Files, SafeWriterWritesThroughALinkAndKeepsModes) {
    TempDir dir;
    std::filesystem::create_directory("real");
    TempDir::Write("real/QUORVEL.INI", "old");
    ::chmod("real/QUORVEL.INI", 0640);
    std::filesystem::create_symlink("real/QUORVEL.INI", "QUORVEL.INI");
    {
        platform::SafeFileWriter w("QUORVEL.INI");
        ASSERT_TRUE(w.ok());
        std::fputs("new", w.file());
        ASSERT_TRUE(w.Commit());
    }
    EXPECT_TRUE(std::filesystem::is_symlink("QUORVEL.INI"));
    EXPECT_EQ(TempDir::Read("real/QUORVEL.INI"), "new");
    struct stat st;
    ASSERT_EQ(::stat("real/QUORVEL.INI", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("real"), std::filesystem::directory_iterator()), 1);

    // A new file gets what the umask allows, not a fixed mode.
    const mode_t old = ::umask(077);
    {
        platform::SafeFileWriter w("fresh.txt");
        ASSERT_TRUE(w.ok());
        ASSERT_TRUE(w.Commit());
    }
    ::umask(old);
    ASSERT_EQ(::stat("fresh.txt", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// A writer killed mid-write leaves its temporary file; the next start knows
// it by its name and takes it away, and leaves a live writer's alone.
TEST(Files, StaleTemporaryFilesOfDeadWritersAreRemoved) {
    TempDir dir;
    const std::string mine = std::string("QUORVEL.INI") + platform::kTemporaryMarker + std::to_string(::getpid()) + ".aB3xYz";
    const std::string dead = std::string("WORLD") + platform::kTemporaryMarker + "2147483646.q1w2e3";
    // Ours by its pid, but last written an hour before this process began:
    // the pid has been reused, and the writer is gone.
    const std::string reused = std::string("CITY") + platform::kTemporaryMarker + std::to_string(::getpid()) + ".zz9yy8";
    TempDir::Write(mine, "half");
    TempDir::Write(dead, "half");
    TempDir::Write(reused, "half");
    const timespec hourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, reused.c_str(), hourAgo, 0), 0);
    TempDir::Write("WORLD", "the view");
    TempDir::Write("notes.tmp123456", "not ours");
    {
        platform::SafeFileWriter w("WORLD");
        ASSERT_TRUE(w.ok());
        std::vector<std::string> removed = platform::RemoveStaleTemporaryFiles(".");
        std::sort(removed.begin(), removed.end());
        EXPECT_EQ(removed, (std::vector<std::string>{"./" + reused, "./" + dead}));
        std::fputs("new view", w.file());
        EXPECT_TRUE(w.Commit());  // its own temporary file was left alone
    }
    EXPECT_TRUE(std::filesystem::exists(mine));
    EXPECT_TRUE(std::filesystem::exists("notes.tmp123456"));
    EXPECT_EQ(TempDir::Read("WORLD"), "new view");
}

TEST(Files, ProgramAndCurrentFolders) {
    EXPECT_TRUE(platform::IsDirectory(platform::ProgramDir()));
    EXPECT_TRUE(std::filesystem::exists(platform::ProgramDir() + "/platform_tests"));
    TempDir dir;
    EXPECT_EQ(std::filesystem::canonical(platform::CurrentDir()), std::filesystem::canonical(dir.path()));
}

TEST(Process, StartsFromAnArgumentListOrSaysWhyNot) {
    struct Case {
        std::vector<std::string> args;
        bool started;
    } cases[] = {
        {{"true"}, true},
        {{"sh", "-c", "exit 3"}, true},  // started; its status is not waited for
        {{"kestrune-no-such-program"}, false},
        {{""}, false},
        {{}, false},
    };
    platform::SetProcessStarter({});  // real starts, not the headless record
    for (const Case& c : cases) {
        std::string why;
        EXPECT_EQ(platform::StartProcess(c.args, &why), c.started) << (c.args.empty() ? "(none)" : c.args[0]);
        EXPECT_EQ(why.empty(), c.started) << why;
    }
}

TEST(Headless, AFrameHoldsOffTheScreenSaverWhileItLivesAndAsks) {
    namespace hl = platform::headless;
    hl::Reset();
    {
        platform::ui::Frame frame(nullptr, "Kestrune");
        frame.HoldOffScreenSaver(true);  // before it has a native window
        EXPECT_EQ(hl::ScreenSaverHolders(), 0u);
        ASSERT_TRUE(frame.Create());
        EXPECT_TRUE(hl::ScreenSaverHeldOffBy(frame));
        frame.HoldOffScreenSaver(false);
        EXPECT_FALSE(hl::ScreenSaverHeldOffBy(frame));
        frame.HoldOffScreenSaver(true);
        EXPECT_TRUE(frame.screenSaverHeldOff());
        EXPECT_EQ(hl::ScreenSaverHolders(), 1u);
    }
    EXPECT_EQ(hl::ScreenSaverHolders(), 0u);
}

TEST(Headless, MessageBoxesTakeScriptedAnswersInOrder) {
    using namespace platform::ui;
    platform::headless::ScriptMessageBoxAnswer(IdNo);
    EXPECT_EQ(MessageBox(nullptr, "Save?", "View", Buttons::YesNoCancel, Icon::Question), IdNo);
    EXPECT_EQ(MessageBox(nullptr, "Save?", "View", Buttons::YesNoCancel, Icon::Question), IdYes);
    EXPECT_EQ(MessageBox(nullptr, "Go", "", Buttons::RetryCancel, Icon::None), IdRetry);
    EXPECT_EQ(platform::headless::MessageBoxCalls().size(), 3u);
}

TEST(Headless, WaitStopsAtTheNextDueMessage) {
    using namespace platform::ui;
    auto& clock = platform::headless::VirtualClock();
    const std::uint32_t t0 = clock.TickCount();
    platform::headless::PostMessageAt(t0 + 250, Message{nullptr, MessageKind::Timer, 1, 0});
    Message m;
    EXPECT_FALSE(PeekMessage(m));
    WaitForMessage(1000);
    EXPECT_EQ(clock.TickCount() - t0, 250u);
    EXPECT_TRUE(PeekMessage(m));
    WaitForMessage(1000);
    EXPECT_EQ(clock.TickCount() - t0, 1250u);
}
