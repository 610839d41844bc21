#pragma once
// Instants and spans as seconds on one day-numbered scale: day d (day 1 is
// 1 January of year 1, proleptic Gregorian) begins at d * 86400.
#include <cstdint>

struct QuakeRecord;

// uint16 year, uint8 month 1..12, uint8 day 1..31; passed as one 32-bit word.
// Packed itself: it sits at odd offsets inside the packed file records.
#pragma pack(push, 1)
struct PackedDate {
    std::uint16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;

    std::uint32_t Word() const;
    static PackedDate FromWord(std::uint32_t word);
    friend bool operator==(const PackedDate&, const PackedDate&) = default;
};
#pragma pack(pop)
static_assert(sizeof(PackedDate) == 4 && alignof(PackedDate) == 1);

inline constexpr int kLastSplitDay = 766644;  // 31 December 2099

int DaysBeforeYear(int year);
int DayOfYear(PackedDate date);
bool IsLeapYear(int year);
// Splits an instant into calendar fields; returns the month. Seconds are
// truncated. Instants after 2099 split as 31 December 2099 with their own
// time of day; instants before day 1 split as 0001-01-01.
int SplitTime(double t, int* year, int* month, int* day, int* hour, int* minute, int* second);

// A time of day that a record can mean: hour 0..23, minute 0..59 and
// seconds from 0 to below 61 (a leap second).
bool IsTimeOfDay(int hour, int minute, double seconds);

class TimeValue {
public:
    constexpr TimeValue() = default;
    constexpr explicit TimeValue(double seconds) : t(seconds) {}

    double SetDate(PackedDate date);
    double SetDateMinutes(PackedDate date, int minutes);
    double SetDateMinuteSecond(PackedDate date, int minuteOfDay, double seconds);
    double SetFromQuake(const QuakeRecord& q);
    double SetDaysMinutes(int days, int minutes);
    double SetDaysMinutesSeconds(int days, int minutes, double seconds);

    int Hour() const;
    int Minute() const;
    int Second() const;
    std::int16_t Year() const;
    std::int16_t Month() const;
    std::int16_t Day() const;
    // "1995 Jan 17"; one static buffer, overwritten by the next call.
    const char* DateText() const;

    double t = 0.0;
};

TimeValue operator+(TimeValue a, TimeValue b);
TimeValue operator-(TimeValue a, TimeValue b);
TimeValue operator*(TimeValue a, double factor);
bool operator==(TimeValue a, TimeValue b);
bool operator!=(TimeValue a, TimeValue b);
bool operator<(TimeValue a, TimeValue b);
bool operator<=(TimeValue a, TimeValue b);
bool operator>(TimeValue a, TimeValue b);
bool operator>=(TimeValue a, TimeValue b);

extern const char* const kMonthNames[12];

// The system clock's UTC date with its time of day in whole minutes.
TimeValue CurrentUtcTime();
// "YYYY-MM-DD hh:mm:ss " in UTC; one static buffer, overwritten by the next call.
const char* UtcTimeStamp();
