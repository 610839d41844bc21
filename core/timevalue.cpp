#include "core/timevalue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/quake_record.h"
#include "platform/sys/clock.h"

namespace {

constexpr int kCommonDays[14] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
constexpr int kLeapDays[14] = {0, 0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366};

const int* MonthTable(int year) { return IsLeapYear(year) ? kLeapDays : kCommonDays; }

// Day number of a date; a month outside the table (read from a damaged file)
// is held to its ends rather than indexing past them.
double DayNumber(PackedDate date) { return static_cast<double>(DayOfYear(date)) + DaysBeforeYear(date.year); }

// Whole seconds of t with the 0.01 s guard, so a value a hair below a whole
// second counts as it; every field of a split comes from this one number.
std::int64_t GuardedSeconds(double t) {
    constexpr double kLimit = 4.0e15;  // far beyond any calendar date, well inside int64
    if (std::isnan(t)) return 0;
    return static_cast<std::int64_t>(std::floor(std::clamp(t + 0.01, -kLimit, kLimit)));
}

std::int64_t FloorMod(std::int64_t a, std::int64_t b) {
    std::int64_t m = a % b;
    return m < 0 ? m + b : m;
}

char gDateText[32];
char gStampText[32];

}  // namespace

std::uint32_t PackedDate::Word() const {
    return static_cast<std::uint32_t>(year) | static_cast<std::uint32_t>(month) << 16 |
           static_cast<std::uint32_t>(day) << 24;
}

PackedDate PackedDate::FromWord(std::uint32_t word) {
    PackedDate d;
    d.year = static_cast<std::uint16_t>(word & 0xFFFF);
    d.month = static_cast<std::uint8_t>(word >> 16 & 0xFF);
    d.day = static_cast<std::uint8_t>(word >> 24 & 0xFF);
    return d;
}

bool IsLeapYear(int year) { return year % 400 == 0 || (year % 100 != 0 && year % 4 == 0); }

int DaysBeforeYear(int year) {
    int y = year - 1;
    return 365 * y + y / 4 - y / 100 + y / 400;
}

int DayOfYear(PackedDate date) {
    int month = std::clamp<int>(static_cast<std::int8_t>(date.month), 0, 13);
    return MonthTable(date.year)[month] + static_cast<std::int8_t>(date.day);
}

int SplitTime(double t, int* year, int* month, int* day, int* hour, int* minute, int* second) {
    std::int64_t whole = GuardedSeconds(t);
    std::int64_t ofDay = FloorMod(whole, 86400);
    *hour = static_cast<int>(ofDay / 3600);
    *minute = static_cast<int>(ofDay / 60 % 60);
    *second = static_cast<int>(ofDay % 60);

    std::int64_t days = (whole - ofDay) / 86400;
    days = std::clamp<std::int64_t>(days, 1, kLastSplitDay);
    int d = static_cast<int>(days);
    // The first year from the top whose start lies before the day; d / 365
    // never undershoots it, so only a few steps down remain.
    int y = std::min(2099, d / 365 + 1);
    while (y > 1 && d - DaysBeforeYear(y) <= 0) --y;
    int dayOfYear = d - DaysBeforeYear(y);
    const int* table = MonthTable(y);
    int m = 1;
    while (m < 12 && dayOfYear > table[m + 1]) ++m;
    *year = y;
    *month = m;
    *day = dayOfYear - table[m];
    return m;
}

bool IsTimeOfDay(int hour, int minute, double seconds) {
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && seconds >= 0 && seconds < 61;
}

double TimeValue::SetDate(PackedDate date) { return t = DayNumber(date) * 86400.0; }

double TimeValue::SetDateMinutes(PackedDate date, int minutes) {
    return t = (std::max(DayNumber(date), 0.0) * 1440.0 + minutes) * 60.0;
}

double TimeValue::SetDateMinuteSecond(PackedDate date, int minuteOfDay, double seconds) {
    return t = (std::max(DayNumber(date), 0.0) * 1440.0 + minuteOfDay) * 60.0 + seconds;
}

double TimeValue::SetFromQuake(const QuakeRecord& q) {
    auto minute = static_cast<std::int16_t>(q.minute);
    return t = (std::max(DayNumber(q.date), 0.0) * 1440.0 + minute) * 60.0 + q.tenths * 0.1;
}

double TimeValue::SetDaysMinutes(int days, int minutes) {
    return t = (static_cast<double>(days) * 1440.0 + minutes) * 60.0;
}

double TimeValue::SetDaysMinutesSeconds(int days, int minutes, double seconds) {
    return t = (static_cast<double>(days) * 1440.0 + minutes) * 60.0 + seconds;
}

int TimeValue::Hour() const { return static_cast<int>(FloorMod(GuardedSeconds(t), 86400) / 3600); }
int TimeValue::Minute() const { return static_cast<int>(FloorMod(GuardedSeconds(t), 3600) / 60); }
int TimeValue::Second() const { return static_cast<int>(FloorMod(GuardedSeconds(t), 60)); }

namespace {
// Every field comes from SplitTime's one guarded second, so the date of a
// value a hair below midnight is the next day's, as its time of day is.
void SplitDate(double t, int* y, int* m, int* d) {
    int h, mi, s;
    SplitTime(t, y, m, d, &h, &mi, &s);
}
}  // namespace

std::int16_t TimeValue::Year() const {
    int y, m, d;
    SplitDate(t, &y, &m, &d);
    return static_cast<std::int16_t>(y);
}

std::int16_t TimeValue::Month() const {
    int y, m, d;
    SplitDate(t, &y, &m, &d);
    return static_cast<std::int16_t>(m);
}

std::int16_t TimeValue::Day() const {
    int y, m, d;
    SplitDate(t, &y, &m, &d);
    return static_cast<std::int16_t>(d);
}

const char* TimeValue::DateText() const {
    int y, m, d, h, mi, s;
    SplitTime(t, &y, &m, &d, &h, &mi, &s);
    std::snprintf(gDateText, sizeof gDateText, "%04d %s %02d", y, kMonthNames[m - 1], d);
    return gDateText;
}

TimeValue operator+(TimeValue a, TimeValue b) { return TimeValue(a.t + b.t); }
TimeValue operator-(TimeValue a, TimeValue b) { return TimeValue(a.t - b.t); }
TimeValue operator*(TimeValue a, double factor) { return TimeValue(a.t * factor); }
bool operator==(TimeValue a, TimeValue b) { return a.t == b.t; }
bool operator!=(TimeValue a, TimeValue b) { return a.t != b.t; }
bool operator<(TimeValue a, TimeValue b) { return a.t < b.t; }
bool operator<=(TimeValue a, TimeValue b) { return a.t <= b.t; }
bool operator>(TimeValue a, TimeValue b) { return a.t > b.t; }
bool operator>=(TimeValue a, TimeValue b) { return a.t >= b.t; }

const char* const kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

TimeValue CurrentUtcTime() {
    platform::CivilTime now = platform::Clock().UtcNow();
    PackedDate date;
    date.year = static_cast<std::uint16_t>(now.year);
    date.month = static_cast<std::uint8_t>(now.month);
    date.day = static_cast<std::uint8_t>(now.day);
    TimeValue v;
    v.SetDateMinutes(date, now.hour * 60 + now.minute);
    return v;
}

const char* UtcTimeStamp() {
    platform::CivilTime n = platform::Clock().UtcNow();
    std::snprintf(gStampText, sizeof gStampText, "%04d-%02d-%02d %02d:%02d:%02d ", n.year, n.month, n.day, n.hour,
                  n.minute, n.second);
    return gStampText;
}
