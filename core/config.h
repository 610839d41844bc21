#pragma once
// Process-wide configuration values read from and written to "QUORVEL.INI".
#include <cstdint>

inline constexpr int kControlCount = 41;
inline constexpr int kControlDebug = 35;

extern std::uint8_t gControls[kControlCount];  // yes/no flags, 0 or 1
