#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <string>

#include "core/quake_record.h"
#include "core/timevalue.h"
#include "tests/support/test_clock.h"

namespace {

PackedDate Date(int y, int m, int d) {
    return PackedDate{static_cast<std::uint16_t>(y), static_cast<std::uint8_t>(m), static_cast<std::uint8_t>(d)};
}

struct Split {
    int y, mo, d, h, mi, s;
    bool operator==(const Split&) const = default;
};

Split SplitOf(double t) {
    Split r{};
    SplitTime(t, &r.y, &r.mo, &r.d, &r.h, &r.mi, &r.s);
    return r;
}

std::ostream& operator<<(std::ostream& os, const Split& s) {
    return os << s.y << "-" << s.mo << "-" << s.d << " " << s.h << ":" << s.mi << ":" << s.s;
}

}  // namespace

// Checked against the standard library's calendar, which shares no code with ours.
TEST(Calendar, EveryDayFromYearOneTo2099RoundTrips) {
    using namespace std::chrono;
    const sys_days first = year_month_day{year{1}, January, day{1}};
    const sys_days last = year_month_day{year{2099}, December, day{31}};
    int dayNumber = 1;
    int minute = 0;
    for (sys_days d = first; d <= last; d += days{1}, ++dayNumber) {
        year_month_day ymd{d};
        PackedDate pd = Date(int(ymd.year()), unsigned(ymd.month()), unsigned(ymd.day()));
        TimeValue v;
        ASSERT_EQ(v.SetDate(pd), dayNumber * 86400.0) << int(ymd.year()) << "-" << unsigned(ymd.month());
        minute = (minute + 7) % 1440;
        v.SetDateMinutes(pd, minute);
        Split want{int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day())), minute / 60, minute % 60, 0};
        ASSERT_EQ(SplitOf(v.t), want);
    }
    EXPECT_EQ(dayNumber - 1, kLastSplitDay);
}

TEST(Calendar, LeapRules) {
    TimeValue a, b;
    EXPECT_EQ(a.SetDate(Date(1, 1, 1)), 86400.0);
    EXPECT_EQ(a.SetDate(Date(2000, 3, 1)) - b.SetDate(Date(2000, 2, 28)), 2 * 86400.0);
    EXPECT_EQ(a.SetDate(Date(1900, 3, 1)) - b.SetDate(Date(1900, 2, 28)), 86400.0);
    EXPECT_EQ(a.SetDate(Date(2024, 3, 1)) - b.SetDate(Date(2024, 2, 28)), 2 * 86400.0);
    EXPECT_EQ(a.SetDate(Date(2023, 3, 1)) - b.SetDate(Date(2023, 2, 28)), 86400.0);
    EXPECT_EQ(DayOfYear(Date(2000, 12, 31)), 366);
    EXPECT_EQ(DayOfYear(Date(1900, 12, 31)), 365);
    EXPECT_EQ(DaysBeforeYear(1), 0);
    EXPECT_EQ(DaysBeforeYear(2), 365);
}

TEST(Calendar, InstantsAfter2099SplitAsItsLastDay) {
    TimeValue v;
    v.SetDateMinutes(Date(2150, 1, 1), 12 * 60 + 34);
    EXPECT_EQ(SplitOf(v.t + 56.7), (Split{2099, 12, 31, 12, 34, 56}));
    EXPECT_STREQ(v.DateText(), "2099 Dec 31");
    v.SetDate(Date(2099, 12, 31));
    EXPECT_EQ(SplitOf(v.t), (Split{2099, 12, 31, 0, 0, 0}));
}

TEST(Calendar, OutOfRangeInputsStayInTheTables) {
    // Garbage from a damaged file must give some date quickly, never a crash.
    for (double t : {-1e300, -86400.0 * 1e6, -1.0, 0.0, 1e300, 1e18})
        EXPECT_EQ(SplitOf(t).y == 1 || SplitOf(t).y == 2099, true) << t;
    Split s = SplitOf(std::nan(""));
    EXPECT_GE(s.mo, 1);
    for (int month : {0, 13, 200, 255}) {
        int doy = DayOfYear(Date(2001, month, 1));
        EXPECT_GE(doy, 1) << month;
        EXPECT_LE(doy, 366) << month;
    }
}

TEST(SplitTime, TruncatesAndAllFieldsAgree) {
    const double day = TimeValue().SetDate(Date(2011, 3, 11));
    struct Case {
        double offset;
        Split want;
    } cases[] = {
        {59.9, {2011, 3, 11, 0, 0, 59}},            // truncated, not rounded
        {119.995, {2011, 3, 11, 0, 2, 0}},          // a hair below a minute counts as it
        {3599.995, {2011, 3, 11, 1, 0, 0}},         // hour and minute agree
        {86399.995, {2011, 3, 12, 0, 0, 0}},        // and the day too
        {5 * 3600 + 46 * 60 + 23.4, {2011, 3, 11, 5, 46, 23}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitOf(day + c.offset), c.want) << c.offset;
        TimeValue v(day + c.offset);
        EXPECT_EQ(v.Hour(), c.want.h) << c.offset;
        EXPECT_EQ(v.Minute(), c.want.mi) << c.offset;
        EXPECT_EQ(v.Second(), c.want.s) << c.offset;
        EXPECT_EQ(v.Year(), c.want.y) << c.offset;
        EXPECT_EQ(v.Month(), c.want.mo) << c.offset;
        EXPECT_EQ(v.Day(), c.want.d) << c.offset;
    }
}

TEST(TimeValue, Builders) {
    TimeValue v, w;
    v.SetDateMinutes(Date(2020, 6, 1), 1500);
    w.SetDateMinutes(Date(2020, 6, 2), 60);
    EXPECT_EQ(v, w);
    EXPECT_EQ(v.SetDateMinuteSecond(Date(2020, 6, 1), 61, 2.5), w.SetDate(Date(2020, 6, 1)) + 3662.5);
    EXPECT_EQ(v.SetDaysMinutes(1, 30), 86400.0 + 1800.0);
    EXPECT_EQ(v.SetDaysMinutesSeconds(0, 0, 0.25), 0.25);
    EXPECT_EQ(v.SetDaysMinutes(-1, 0), -86400.0);
    // A date before year 1 never gives a negative instant.
    EXPECT_EQ(v.SetDateMinutes(Date(0, 1, 1), 10), 600.0);

    QuakeRecord q{};
    q.date = Date(2011, 3, 11);
    q.minute = 346;
    q.tenths = 234;
    EXPECT_DOUBLE_EQ(v.SetFromQuake(q), w.SetDate(Date(2011, 3, 11)) + 346 * 60 + 23.4);
    q.minute = 0xFFFF;  // read as signed: one minute before midnight
    q.tenths = 0;
    EXPECT_EQ(v.SetFromQuake(q), w.SetDate(Date(2011, 3, 11)) - 60);
}

TEST(TimeValue, FieldsOfTheDay) {
    TimeValue v;
    v.SetDateMinuteSecond(Date(1995, 1, 17), 5 * 60 + 46, 52.0);
    EXPECT_EQ(v.Year(), 1995);
    EXPECT_EQ(v.Month(), 1);
    EXPECT_EQ(v.Day(), 17);
    EXPECT_EQ(v.Hour(), 5);
    EXPECT_EQ(v.Minute(), 46);
    EXPECT_EQ(v.Second(), 52);
}

TEST(TimeValue, ComparisonsAreExact) {
    TimeValue neg(-5.0), pos(5.0);
    EXPECT_LT(neg, pos);
    EXPECT_TRUE(neg != pos && neg <= pos && pos > neg && pos >= neg);
    TimeValue a(0.1 + 0.2), b(0.3);
    EXPECT_NE(a, b);  // no tolerance
    EXPECT_EQ(pos * 2.0, TimeValue(10.0));
    EXPECT_EQ(pos - neg, TimeValue(10.0));
    EXPECT_EQ(pos + neg, TimeValue(0.0));
}

TEST(TimeValue, TextForms) {
    TimeValue a, b;
    a.SetDate(Date(1995, 1, 17));
    b.SetDate(Date(2004, 12, 26));
    EXPECT_STREQ(a.DateText(), "1995 Jan 17");
    // One static buffer: the second call's text replaces the first.
    const char* first = a.DateText();
    const char* second = b.DateText();
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first, "2004 Dec 26");
    EXPECT_STREQ(TimeValue(86400.0 * 3).DateText(), "0001 Jan 03");
}

TEST(TimeValue, CurrentTimeFromThePlatformClock) {
    testsupport::TestClock().SetUtc({2024, 2, 29, 23, 58, 47, 999});
    TimeValue want;
    want.SetDateMinutes(Date(2024, 2, 29), 23 * 60 + 58);
    EXPECT_EQ(CurrentUtcTime(), want);  // whole minutes only
    EXPECT_STREQ(UtcTimeStamp(), "2024-02-29 23:58:47 ");
    testsupport::TestClock().Advance(1);
    EXPECT_STREQ(UtcTimeStamp(), "2024-02-29 23:58:48 ");
}
