#pragma once
// The manual in the user's browser, and files in the user's text editor.
#include <string>
#include <string_view>

namespace platform::ui {
class Window;
}

// Manual topics: what each dialog's Help button passes to ShowHelp.
namespace help_topic {
inline constexpr int kContents = 0;
inline constexpr int kEventEditor = 1012;    // editEvtDialog, newEvtDialog
inline constexpr int kFileLists = 1013;      // StringEditDialog
inline constexpr int kInteractive3D = 1020;  // interDialog
inline constexpr int kMapLimits = 1023;      // latlonDialog, TlatlonDialog
inline constexpr int kKeeperSettings = 1028; // quorkeeper's settings dialog
inline constexpr int kKeeper = 1029;         // quorkeeper's Help menu
inline constexpr int kMapColors = 1031;      // colorDialog
inline constexpr int kDates = 1044;          // dateDialog, initDateDialog
inline constexpr int kEventSizes = 1045;     // dsDialog, magDialog
inline constexpr int kMapScale = 1046;       // scaleDialog
inline constexpr int kCrossSection = 1047;   // XSDialog
inline constexpr int kElevationModels = 1048;  // demDialog
inline constexpr int kNone = -1;             // a Help button that does nothing
}  // namespace help_topic

// The manual page of a topic, found as data files are ("manual-....html");
// a topic without a page of its own gives the contents.
std::string HelpTopicPage(int topic);

// Opens the manual at the topic with xdg-open. When it cannot, a message box
// on owner (null: the main frame) says "Problem opening <page>" and false is
// returned. kNone does nothing and answers false.
bool ShowHelp(int topic, platform::ui::Window* owner = nullptr);

// The longest file name the editor is started on; a longer one is refused.
inline constexpr std::size_t kMaxEditFileName = 255;

// Starts the user's text editor on the file without waiting for it: xdg-open,
// then $VISUAL, then $EDITOR. When none starts, or the name is empty or too
// long, a message box on owner (null: the main frame) names the file and false
// is returned. The name is trimmed of blanks and line ends first.
bool OpenInNotepad(std::string_view file, platform::ui::Window* owner = nullptr);
