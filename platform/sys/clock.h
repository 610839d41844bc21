#pragma once
#include <cstdint>
#include <string>

namespace platform {

// A calendar instant with milliseconds, as the system clock reports it.
struct CivilTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Everything that asks for "now" goes through this, so tests can set time.
class TimeSource {
public:
    virtual ~TimeSource() = default;
    virtual CivilTime UtcNow() const = 0;
    virtual int LocalOffsetMinutes() const = 0;   // local time minus UTC
    virtual std::string LocalZoneName() const = 0;
    // The local zone is on daylight-saving time now.
    virtual bool DaylightTime() const { return false; }
    virtual std::uint32_t TickCount() const = 0;  // ms since an arbitrary start; wraps
    virtual void Sleep(int ms) = 0;
};

TimeSource& Clock();
// Installs a clock; nullptr restores the system clock. The caller keeps ownership.
void SetClock(TimeSource* source);

// Milliseconds since 1970-01-01 UTC <-> calendar fields (proleptic Gregorian).
std::int64_t UnixMsFromCivil(const CivilTime& t);
CivilTime CivilFromUnixMs(std::int64_t ms);

// A clock that moves only when told to: Sleep and Advance move both the UTC
// time and the tick count.
class ManualClock final : public TimeSource {
public:
    ManualClock();
    CivilTime UtcNow() const override;
    int LocalOffsetMinutes() const override { return offsetMinutes_; }
    std::string LocalZoneName() const override { return zoneName_; }
    bool DaylightTime() const override { return daylight_; }
    std::uint32_t TickCount() const override { return tick_; }
    void Sleep(int ms) override { Advance(ms); }

    void Advance(std::int64_t ms);
    void SetUtc(const CivilTime& t) { unixMs_ = UnixMsFromCivil(t); }
    void SetTick(std::uint32_t tick) { tick_ = tick; }
    // offsetMinutes is the current offset, daylight saving included.
    void SetZone(int offsetMinutes, std::string name, bool daylight = false);

private:
    std::int64_t unixMs_;
    std::uint32_t tick_;
    int offsetMinutes_ = 0;
    std::string zoneName_ = "UTC";
    bool daylight_ = false;
};

}  // namespace platform
