#pragma once
// The frame's menu resources and accelerator table, as data.
#include <array>

// Command ids the start-up and the menu bar use directly.
inline constexpr int kCmExit = 138;
inline constexpr int kCmRedraw = 149;
inline constexpr int kCmRepeat = 150;
inline constexpr int kCmPlay = 1034;
inline constexpr int kCmPause = 1035;
inline constexpr int kCmRestartClock = 1036;
inline constexpr int kCmFileExit = 24310;  // the class library's exit command, in the File popup
inline constexpr int kCmStartScreen = 1057;
inline constexpr int kCmCancelTimeout = 1050;  // to the welcome window
inline constexpr int kCmMenuBarFirst = 180;
inline constexpr int kCmMenuBarLast = 187;

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
inline constexpr int kPopupMap = 4;
inline constexpr int kPopupExit = 7;

// Registers "COMMANDS", the eight popups and accelerator table 1; again is harmless.
void RegisterQuorviewResources();
