#pragma once
// The animation speeds, in simulated seconds per real second, by command id - 300.
#include <array>

#include "core/timevalue.h"

inline constexpr int kSpeedCount = 25;
inline constexpr int kCmSpeedFirst = 300;
inline constexpr int kCmSpeedLast = kCmSpeedFirst + kSpeedCount - 1;

extern const std::array<TimeValue, kSpeedCount> gSpeedTable;

// The first index whose entry is not below gSpeed; kSpeedCount when none is.
int SpeedIndex();
// The same, clamped to the table: a speed above the fastest entry is the fastest.
int ClampedSpeedIndex();
// gSpeed = the entry of i clamped to the table; returns the index used.
int SetSpeedIndex(int i);
