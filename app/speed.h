#pragma once
// The animation speeds, in simulated seconds per real second, by command id - 300.
#include <array>

#include "app/commands.h"

#include "core/timevalue.h"

inline constexpr int kSpeedCount = 25;

extern const std::array<TimeValue, kSpeedCount> gSpeedTable;

// The first index whose entry is not below gSpeed; kSpeedCount when none is.
int SpeedIndex();
// The same, clamped to the table: a speed above the fastest entry is the fastest.
int ClampedSpeedIndex();
// gSpeed = the entry of i clamped to the table; returns the index used.
int SetSpeedIndex(int i);
static_assert(kCmSpeedLast - kCmSpeedFirst + 1 == kSpeedCount, "one speed command per table entry");

// By index: the control panel's name (string resource 300 + index) and the
// Speed popup's item text.
extern const std::array<const char*, kSpeedCount> kSpeedPanelNames;
extern const std::array<const char*, kSpeedCount> kSpeedMenuTexts;
