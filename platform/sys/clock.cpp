#include "platform/sys/clock.h"

#include <chrono>
#include <ctime>
#include <limits>
#include <thread>

namespace platform {
namespace {

class SystemClock final : public TimeSource {
public:
    CivilTime UtcNow() const override {
        auto now = std::chrono::system_clock::now();
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
        return CivilFromUnixMs(ms);
    }
    int LocalOffsetMinutes() const override {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return static_cast<int>(local.tm_gmtoff / 60);
    }
    std::string LocalZoneName() const override {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return local.tm_zone ? local.tm_zone : "";
    }
    bool DaylightTime() const override {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return local.tm_isdst > 0;
    }
    std::uint32_t TickCount() const override {
        auto d = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
    }
    void Sleep(int ms) override {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
};

SystemClock gSystemClock;
TimeSource* gClock = &gSystemClock;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Days since 1970-01-01 of a civil date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = FloorDiv(y, 400);
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

TimeSource& Clock() { return *gClock; }
void SetClock(TimeSource* source) { gClock = source ? source : &gSystemClock; }

std::int64_t UnixMsFromCivil(const CivilTime& t) {
    // Fields come from files and feeds: a year of nine digits must not overflow.
    const std::int64_t days = DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day));
    const __int128 ms = ((static_cast<__int128>(days) * 24 + t.hour) * 60 + t.minute) * 60000 +
                        static_cast<__int128>(t.second) * 1000 + t.millisecond;
    constexpr std::int64_t lo = std::numeric_limits<std::int64_t>::min(), hi = std::numeric_limits<std::int64_t>::max();
    return ms < lo ? lo : ms > hi ? hi : static_cast<std::int64_t>(ms);
}

CivilTime CivilFromUnixMs(std::int64_t ms) {
    std::int64_t days = FloorDiv(ms, 86400000);
    std::int64_t rest = ms - days * 86400000;
    days += 719468;
    const std::int64_t era = FloorDiv(days, 146097);
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    CivilTime c;
    c.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    c.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (c.month <= 2));
    c.hour = static_cast<int>(rest / 3600000);
    c.minute = static_cast<int>(rest / 60000 % 60);
    c.second = static_cast<int>(rest / 1000 % 60);
    c.millisecond = static_cast<int>(rest % 1000);
    return c;
}

ManualClock::ManualClock() : unixMs_(UnixMsFromCivil({2026, 1, 1, 0, 0, 0, 0})), tick_(1000000) {}

CivilTime ManualClock::UtcNow() const { return CivilFromUnixMs(unixMs_); }

void ManualClock::Advance(std::int64_t ms) {
    if (ms <= 0) return;
    unixMs_ += ms;
    tick_ += static_cast<std::uint32_t>(ms);
}

void ManualClock::SetZone(int offsetMinutes, std::string name, bool daylight) {
    offsetMinutes_ = offsetMinutes;
    zoneName_ = std::move(name);
    daylight_ = daylight;
}

}  // namespace platform
