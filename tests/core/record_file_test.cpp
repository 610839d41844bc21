#include "core/record_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

// A 4-byte record: its time in whole seconds, little-endian; 0 is no event.
constexpr int kSize = 4;

TimeValue TimeOf(const unsigned char* b) {
    return TimeValue(static_cast<double>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24));
}

void Put(std::FILE* f, std::uint32_t seconds) {
    const unsigned char b[kSize] = {static_cast<unsigned char>(seconds), static_cast<unsigned char>(seconds >> 8),
                                    static_cast<unsigned char>(seconds >> 16), static_cast<unsigned char>(seconds >> 24)};
    ASSERT_EQ(std::fwrite(b, 1, kSize, f), static_cast<std::size_t>(kSize));
}

void WriteFile(const std::string& name, const std::vector<std::uint32_t>& times, int trailing = 0) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    for (std::uint32_t t : times) Put(f, t);
    for (int i = 0; i < trailing; ++i) std::fputc(1, f);
    std::fclose(f);
}

struct Answer {
    int result;
    std::int32_t index;
    double time;
    bool exact;
    long position;
    bool operator==(const Answer&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Answer& a) {
    return os << "{result " << a.result << ", index " << a.index << ", time " << a.time << ", exact " << a.exact
              << ", at " << a.position << "}";
}

Answer Find(std::FILE* f, double when, bool firstIsExact = false) {
    Answer a{};
    TimeValue t(when);
    a.result = FindRecordByTime(f, kSize, TimeOf, firstIsExact, &t, &a.exact, &a.index);
    a.time = t.t;
    a.position = std::ftell(f);
    return a;
}

class RecordFileTest : public testing::Test {
protected:
    // Kept times are trusted at once, so only what a write really shows can refresh them.
    void SetUp() override {
        ForgetRecordTimes();
        SetRecordTimesQuietSeconds(0);
    }
    void TearDown() override {
        ForgetRecordTimes();
        SetRecordTimesQuietSeconds(2);
    }
    TempDir dir;
};

// The kept times must answer exactly as the probes on disk, also on files that break the sort order.
TEST_F(RecordFileTest, KeptTimesAnswerAsTheDiskDoes) {
    std::uint64_t seed = 7;
    auto next = [&seed](std::uint32_t below) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>((seed >> 33) % below);
    };
    struct Shape {
        const char* name;
        int count;
        bool sorted;
        bool zeroFirst;
        int trailing;
    } shapes[] = {
        {"one", 1, true, false, 0},          {"two", 2, true, false, 0},
        {"runs", 200, true, false, 0},       {"runs, partial record", 57, true, false, 3},
        {"zero first", 40, true, true, 0},   {"unsorted", 64, false, false, 0},
        {"unsorted, large", 999, false, false, 1},
        {"runs over many strides of the kept sample", 3000, true, false, 0},
    };
    int file = 0;
    for (const Shape& s : shapes) {
        SCOPED_TRACE(s.name);
        std::vector<std::uint32_t> times;
        std::uint32_t t = 100;
        for (int i = 0; i < s.count; ++i) {
            t += next(3) * 5;  // many equal neighbours
            times.push_back(s.sorted ? t : 100 + next(500));
        }
        if (s.zeroFirst) times[0] = 0;
        const std::string name = "c" + std::to_string(file++);
        WriteFile(name, times, s.trailing);

        std::vector<double> asked = {0, 1, 99, 100, 1e9};
        for (std::uint32_t x : times) asked.insert(asked.end(), {x - 1.0, x + 0.0, x + 1.0, x + 2.5});
        for (bool firstIsExact : {false, true}) {
            std::FILE* kept = std::fopen(name.c_str(), "rb");
            std::FILE* disk = std::fopen(name.c_str(), "rb");
            ASSERT_NE(kept, nullptr);
            ASSERT_NE(disk, nullptr);
            for (double when : asked) {
                SetRecordTimesQuietSeconds(0);
                const Answer a = Find(kept, when, firstIsExact);
                SetRecordTimesQuietSeconds(1e12);  // every file counts as just written
                const Answer b = Find(disk, when, firstIsExact);
                ASSERT_EQ(a, b) << "time " << when << (firstIsExact ? ", first is exact" : "");
                EXPECT_EQ(a.position, a.index * kSize);
            }
            std::fclose(kept);
            std::fclose(disk);
        }
    }
}

// A time that is not a number once made the halving step past the last kept time.
TEST_F(RecordFileTest, ATimeThatIsNotANumberCountsAsBeforeTheFirstRecord) {
    for (int count : {1, 2, 7}) {
        SCOPED_TRACE(count);
        std::vector<std::uint32_t> times;
        for (int i = 0; i < count; ++i) times.push_back(100 + 10 * static_cast<std::uint32_t>(i));
        const std::string name = "n" + std::to_string(count);
        WriteFile(name, times);
        for (double quiet : {0.0, 1e12}) {  // kept times, then the disk
            SetRecordTimesQuietSeconds(quiet);
            ForgetRecordTimes();
            std::FILE* f = std::fopen(name.c_str(), "rb");
            ASSERT_NE(f, nullptr);
            EXPECT_EQ(Find(f, std::nan(""), true), (Answer{-1, 0, 100, false, 0})) << "quiet " << quiet;
            std::fclose(f);
        }
    }
}

TEST_F(RecordFileTest, RecordsWrittenThroughTheStreamAreFound) {
    WriteFile("c", {10, 20, 30});
    std::FILE* f = std::fopen("c", "r+b");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(Find(f, 25), (Answer{0, 2, 30, false, 2 * kSize}));

    // Appended and still in the stream's buffer.
    ASSERT_EQ(std::fseek(f, 0, SEEK_END), 0);
    Put(f, 40);
    EXPECT_EQ(Find(f, 35), (Answer{0, 3, 40, false, 3 * kSize}));

    // Overwritten in place: the size stays, only the write tells.
    ASSERT_EQ(std::fseek(f, kSize, SEEK_SET), 0);
    Put(f, 15);
    EXPECT_EQ(Find(f, 12), (Answer{0, 1, 15, false, kSize}));

    // Written and flushed by the writer itself.
    ASSERT_EQ(std::fseek(f, 0, SEEK_END), 0);
    Put(f, 50);
    ASSERT_EQ(std::fflush(f), 0);
    EXPECT_EQ(Find(f, 45), (Answer{0, 4, 50, false, 4 * kSize}));
    EXPECT_EQ(Find(f, 55), (Answer{1, 5, 50, false, 5 * kSize}));
    std::fclose(f);
}

TEST_F(RecordFileTest, ARewriteInPlaceRightAfterASearchIsFound) {
    SetRecordTimesQuietSeconds(2);  // the program's own setting
    WriteFile("c", {10, 20, 30, 40});
    std::FILE* reader = std::fopen("c", "rb");
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(Find(reader, 25).index, 2);

    // Same size, quite likely within one tick of the file's time stamps.
    std::FILE* writer = std::fopen("c", "r+b");
    ASSERT_NE(writer, nullptr);
    ASSERT_EQ(std::fseek(writer, kSize, SEEK_SET), 0);
    Put(writer, 26);
    std::fclose(writer);

    EXPECT_EQ(Find(reader, 25), (Answer{0, 1, 26, false, kSize}));
    unsigned char b[kSize];
    ASSERT_EQ(std::fread(b, 1, kSize, reader), static_cast<std::size_t>(kSize));
    EXPECT_EQ(TimeOf(b).t, 26);  // the stream's buffer is not the old one
    std::fclose(reader);
}

TEST_F(RecordFileTest, AStreamThatReadBeforeAChangeReadsTheNewRecord) {
    WriteFile("c", {10, 20, 30});
    std::FILE* early = std::fopen("c", "rb");
    ASSERT_NE(early, nullptr);
    unsigned char b[kSize];
    ASSERT_EQ(std::fread(b, 1, kSize, early), static_cast<std::size_t>(kSize));  // buffers the whole file

    std::FILE* writer = std::fopen("c", "r+b");
    ASSERT_NE(writer, nullptr);
    ASSERT_EQ(std::fseek(writer, kSize, SEEK_SET), 0);
    Put(writer, 22);
    std::fclose(writer);

    std::FILE* late = std::fopen("c", "rb");
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(Find(late, 21).index, 1);  // keeps the times of the new content

    EXPECT_EQ(Find(early, 21), (Answer{0, 1, 22, false, kSize}));
    ASSERT_EQ(std::fread(b, 1, kSize, early), static_cast<std::size_t>(kSize));
    EXPECT_EQ(TimeOf(b).t, 22);
    std::fclose(early);
    std::fclose(late);
}

TEST_F(RecordFileTest, AFileReplacedByRenameIsSearchedAnew) {
    WriteFile("c", {10, 20, 30});
    std::FILE* old = std::fopen("c", "rb");
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(Find(old, 25).index, 2);

    WriteFile("c.new", {100, 200, 300});
    ASSERT_EQ(std::rename("c.new", "c"), 0);
    std::FILE* now = std::fopen("c", "rb");
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(Find(now, 150), (Answer{0, 1, 200, false, kSize}));
    EXPECT_EQ(Find(old, 25), (Answer{0, 2, 30, false, 2 * kSize}));  // the open stream keeps its own file
    std::fclose(old);
    std::fclose(now);
}

TEST_F(RecordFileTest, ShortenedAndInterleavedFiles) {
    WriteFile("a", {10, 20, 30, 40});
    WriteFile("b", {1000, 2000});
    WriteFile("e", {7, 8, 9});
    WriteFile("q", {5});
    std::FILE* a = std::fopen("a", "r+b");
    std::FILE* b = std::fopen("b", "rb");
    std::FILE* e = std::fopen("e", "rb");
    std::FILE* q = std::fopen("q", "rb");
    // More files than are kept, in turn.
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(Find(a, 35).index, 3);
        EXPECT_EQ(Find(b, 1500).index, 1);
        EXPECT_EQ(Find(e, 8).index, 1);
        EXPECT_EQ(Find(q, 6).result, 1);
    }
    ASSERT_EQ(::ftruncate(::fileno(a), 2 * kSize), 0);
    EXPECT_EQ(Find(a, 35), (Answer{1, 2, 20, false, 2 * kSize}));
    for (std::FILE* f : {a, b, e, q}) std::fclose(f);
}

}  // namespace
