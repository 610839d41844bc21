#pragma once
// The frame's menu resources and accelerator table, as data.
#include <array>

#include "app/commands.h"

inline constexpr int kMenuBarExitPosition = 7;
inline constexpr int kAcceleratorTable = 1;

inline constexpr const char* kMenuBarResource = "COMMANDS";
// Indexed by bar item: the popup of bar id 180 + k is kPopupResources[k].
inline constexpr std::array<const char*, 8> kPopupResources = {
    "MENU_FILE", "MENU_CONTROL", "MENU_EARTHQUAKES", "MENU_VOLCANOES",
    "MENU_MAP",  "MENU_OPTIONS", "MENU_HELP",        "MENU_EXIT",
};
inline constexpr int kPopupFile = 0;
inline constexpr int kPopupControl = 1;
inline constexpr int kPopupEarthquakes = 2;
inline constexpr int kPopupEruptions = 3;
inline constexpr int kPopupMap = 4;
inline constexpr int kPopupOptions = 5;
inline constexpr int kPopupExit = 7;

// Registers "COMMANDS", the eight popups and accelerator table 1; again is harmless.
void RegisterQuorviewResources();
