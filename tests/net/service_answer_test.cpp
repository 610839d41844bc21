// The event service's answer as the web update reads it: the header it must
// begin with, error pages, short lines, line ends, the order of the lines, and the records
// made, which must match a line-by-line reading of the same file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/c_numbers.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "net/web_update.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr const char* kHeader =
    "time,latitude,longitude,depth,mag,magType,nst,gap,dmin,rms,net,id,updated,place,type\n";

std::string Line(int minute, double lat = 12.5, const char* tail = "mb,,,,,us,us1,2024-01-01T00:00:00Z,\"Somewhere\"") {
    char text[256];
    CNumbersScope numbers;  // the lines as the service writes them
    std::snprintf(text, sizeof text, "2023-05-06T07:%02d:09.125Z,%.3f,-120.25,10.5,5.1,%s", minute, lat, tail);
    return text;
}

struct Answer {
    std::string reason;
    std::vector<QuakeRecord> records;
};

TimeValue At(int d, int h, int mi, double s = 0) {
    TimeValue t;
    t.SetDateMinuteSecond(PackedDate{2023, 5, static_cast<std::uint8_t>(d)}, h * 60 + mi, s);
    return t;
}

// The lines above lie on 2023-05-06; the default span is that day's query.
Answer Read(const std::string& bytes, AnswerSpan span = {At(6, 0, 0), At(7, 0, 0)}) {
    TempDir::Write("answer.csv", bytes);
    std::FILE* f = std::fopen("answer.csv", "rb");
    Answer a;
    a.reason = ReadServiceAnswer(f, span, &a.records);
    std::fclose(f);
    return a;
}

std::vector<int> Minutes(const Answer& a) {
    std::vector<int> m;
    for (const QuakeRecord& q : a.records) m.push_back(q.minute % 60);
    return m;
}

}  // namespace

TEST(ServiceAnswer, ErrorPagesHeadersShortLinesAndOrder) {
    TempDir dir;
    struct Case {
        const char* what;
        std::string bytes;
        std::string reason;
        std::vector<int> minutes;
    } cases[] = {
        {"sorted, header skipped", kHeader + Line(30) + "\n" + Line(10) + "\n" + Line(20) + "\n", "", {10, 20, 30}},
        {"line ends", kHeader + Line(2) + "\r\n" + Line(1) + "\n", "", {1, 2}},
        // A close-framed body ends wherever the connection dropped.
        {"cut inside the last record", kHeader + Line(2) + "\n" + Line(1).substr(0, 55), "The answer was cut short inside a line", {}},
        {"cut after a whole record's text", kHeader + Line(2) + "\n" + Line(1), "The answer was cut short inside a line", {}},
        {"cut inside the header", std::string(kHeader).substr(0, 40), "The answer was cut short inside a line", {}},
        {"short lines", kHeader + std::string("2023-05-06T07:00:00Z,1,2,3,4\n") + Line(5) + "\n\n", "", {5}},
        {"header only", kHeader, "", {}},
        {"empty", "", "Data not available", {}},
        {"no header", Line(1) + "\n" + Line(2) + "\n", "Data not available", {}},
        {"header in capitals", "TIME,LATITUDE,LONGITUDE,DEPTH\n" + Line(7) + "\n", "", {7}},
        {"error page first", "<!DOCTYPE html>\n" + Line(1) + "\n", "Data not available", {}},
        {"error page later", kHeader + Line(1) + "\n<HTML><body>busy</body></HTML>\n", "Data not available", {}},
        {"any case", kHeader + Line(1) + "\nsee DocType here\n", "Data not available", {}},
        {"a bad line is dropped", kHeader + Line(3) + "\n" + std::string(60, 'x') + "\n", "", {3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Answer a = Read(c.bytes);
        EXPECT_EQ(a.reason, c.reason);
        EXPECT_EQ(Minutes(a), c.minutes);
    }
    // Only events of the window asked for; its two ends are inside it.
    struct SpanCase {
        const char* what;
        AnswerSpan span;
        std::string reason;
    } spans[] = {
        {"inside", {At(6, 7, 0), At(6, 7, 30)}, ""},
        {"on both ends", {At(6, 7, 10, 91 * 0.1), At(6, 7, 20, 91 * 0.1)}, ""},  // as the record keeps tenths
        {"one before", {At(6, 7, 11), At(6, 8, 0)},
         "The answer holds an event of 2023-05-06 07:10 outside 2023-05-06 to 2023-05-06"},
        {"one after", {At(5, 0, 0), At(6, 7, 15)},
         "The answer holds an event of 2023-05-06 07:20 outside 2023-05-05 to 2023-05-06"},
    };
    for (const SpanCase& c : spans) {
        SCOPED_TRACE(c.what);
        std::vector<QuakeRecord> records(1);  // a refused answer adds nothing
        TempDir::Write("answer.csv", kHeader + Line(20) + "\n" + Line(10) + "\n");
        std::FILE* f = std::fopen("answer.csv", "rb");
        EXPECT_EQ(ReadServiceAnswer(f, c.span, &records), c.reason);
        std::fclose(f);
        EXPECT_EQ(records.size(), c.reason.empty() ? 3u : 1u);
    }

    // A stray NUL ends the line's text, as it did when lines were read as C strings.
    std::string nul = Line(4, 3.0);
    nul[nul.find("10.5")] = '\0';
    const Answer a = Read(kHeader + nul + "\n");
    const QuakeRecord want = ParseFdsnCsvLine(nullptr, nul.c_str());
    ASSERT_EQ(a.records.size(), 1u);
    EXPECT_EQ(std::memcmp(&a.records[0], &want, sizeof want), 0);
    EXPECT_EQ(a.records[0].magnitude, 0);  // the magnitude lay beyond the NUL
}

// Thousands of lines in the service's order: the same records, byte for
// byte and in the same order, as reading, sorting and parsing line by line.
TEST(ServiceAnswer, RecordsMatchALineByLineReading) {
    TempDir dir;
    std::string bytes = kHeader;
    for (int i = 3000; i-- > 0;) {
        char text[256];
        CNumbersScope numbers;  // the lines as the service writes them
        std::snprintf(text, sizeof text, "20%02d-%02d-%02dT%02d:%02d:%02d.%03dZ,%.4f,%.4f,%.2f,%.1f,mb,,,,,us,us%d,x,\"P %d\"\n",
                      i % 24, 1 + i % 12, 1 + i % 28, i % 24, i % 60, (i * 7) % 60, i % 1000, (i % 170) - 85.0 + i / 1e4,
                      (i % 359) - 179.5, (i % 700) * 1.01, 3 + (i % 50) / 10.0, i, i);
        bytes += text;
        if (i % 7 == 0) bytes += "\r\n";  // stray empty lines
    }
    TimeValue from, to;
    from.SetDate(PackedDate{2000, 1, 1});
    to.SetDate(PackedDate{2024, 1, 1});
    const Answer a = Read(bytes, {from, to});
    ASSERT_EQ(a.reason, "");

    std::FILE* f = std::fopen("answer.csv", "rb");
    std::vector<std::string> lines;
    std::string line;
    bool first = true;
    while (ReadWholeLine(f, line)) {
        if (!first && line.size() > 50) lines.push_back(line);
        first = false;
    }
    std::fclose(f);
    std::sort(lines.begin(), lines.end());
    std::vector<QuakeRecord> want;
    for (const std::string& l : lines)
        if (QuakeRecord q = ParseFdsnCsvLine(nullptr, l.c_str()); q.date.year != 0) want.push_back(q);
    ASSERT_EQ(a.records.size(), want.size());
    EXPECT_GT(want.size(), 2900u);
    for (std::size_t i = 0; i < want.size(); ++i)
        ASSERT_EQ(std::memcmp(&a.records[i], &want[i], sizeof want[i]), 0) << "record " << i;
}
