#pragma once
// What the control panel's files share: the commands it sends past itself
// and its small helpers.
#include "app/layout.h"
#include "core/config.h"
#include "platform/ui/window.h"

namespace control_panel {

// What the panel sends to the frame and to the map pane.
inline constexpr int kFrameCmPlay = 1034;
inline constexpr int kFrameCmPause = 1035;
inline constexpr int kFrameCmRepeat = 150;
inline constexpr int kFrameCmShowSelectGroup = 1060;
inline constexpr int kFrameCmSelectMenu = 1061;
inline constexpr int kMapCmNextEvent = 1037;
inline constexpr int kMapCmPreviousEvent = 1038;

inline constexpr int kSliderRange = 1000;

// The bottom legend's two texts, placed by the layout and drawn by the paint.
inline constexpr char kBottomQuakes[] = "Earthquakes";
inline constexpr char kBottomVolcanoes[] = "Volcanic Eruptions";

inline bool Control(int index) { return gControls[index] != 0; }
inline bool Doviredezur() { return Control(kControlDoviredezur); }

inline void ShowIf(platform::ui::Window* w, bool on) {
    if (w) w->Show(on ? platform::ui::ShowCommand::Show : platform::ui::ShowCommand::Hide);
}

inline myLayoutWindow* Layout(platform::ui::Window* panel) { return dynamic_cast<myLayoutWindow*>(panel->parent()); }

}  // namespace control_panel
