#pragma once
// What the view's reader, its writer and the rest of the view share: where
// the view came from, its speeds, and the steps both sides call.
#include <cstdio>
#include <cstdint>
#include <string>

#include "core/timevalue.h"

namespace view_parts {

inline constexpr double kDefaultSouth = -70, kDefaultNorth = 75;
extern TimeValue sStoredSpeed, sRunSpeed;  // the view's own speed, and the one its run was given

// Where the current view was read from, so that saving it writes that file
// even though gMapName is upper-cased.
extern std::string gOpenedName;
extern std::string gOpenedPath;
// The map bounds the opened view file holds: west, east, south, north.
extern double sFileBounds[4];

// Speed parts while a file is read; gSpeed is built from them afterwards.
struct SpeedParts {
    std::int32_t days = 10, minutes = 0, seconds = 0;
};

struct ReadState {
    SpeedParts speed;
    bool mapFileRead = false;
};

void SetDefaults(SpeedParts* speed);
void ClearListsAndNames();
void SetDerivedTimes(const SpeedParts& speed);
void RememberFileBounds();
void ForgetCatalogues();
// The settings lines of a view file, and what the reader derives after them.
void ApplySettingsFrom(std::FILE* f, ReadState& state);
void WriteSettings(std::FILE* f);

}  // namespace view_parts
