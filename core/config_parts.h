#pragma once
// What the configuration's reader, its key table and its writer share.
#include <cstdio>
#include <string>

#include "core/config.h"

namespace config_parts {

inline constexpr const char* kConfigFileName = "QUORVEL.INI";

inline const char* const kColorNames[kColorNumberCount] = {
    "BLACK",    "BLUE",      "GREEN",      "CYAN",       "RED",          "MAGENTA", "BROWN",
    "LIGHTGRAY", "DARKGRAY", "LIGHTBLUE",  "LIGHTGREEN", "LIGHTCYAN",    "LIGHTRED", "LIGHTMAGENTA",
    "YELLOW",   "WHITE",     "BLACK2",     "DOVIREDEZUR_LIGHT", "DOVIREDEZUR_DARK",
};

inline const char* const kModeNames[] = {"NORMAL", "LOOP", "IV_BEGIN", "IV_END"};

// Lines of the keys that the maintenance program does not know, carried
// from its read to its write so that saving there never loses them.
enum CarriedSlot { kCarriedEventsUrl, kCarriedSphere, kCarriedCount };
extern std::string sCarriedLines[kCarriedCount];
extern bool sCarriedSphereYes;  // the carried sphere line says YES
// Lines of the file last read that no key took: a rewrite would lose them.
extern int sLinesNotTaken;
extern std::string sFontFace;  // face named by the last FONT key

// Every line of the file through the key table; lines no key took are counted.
void ReadConfigLines(std::FILE* file, ConfigBuild build);

}  // namespace config_parts
