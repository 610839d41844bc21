#pragma once
// The settings steps of the frame's animation, sound and display commands,
// kept apart from the frame so they can be tested without windows.
#include <string>

enum class ViewKind { Map, ThreeD, CrossSection };

// The kind the view flags say is shown; the map view when none is set.
ViewKind ShownViewKind();
// The kind of commands 901, 902 and 903.
ViewKind ViewKindOfCommand(int id);
// Makes kind the only one set; false when it was already shown, so there is
// nothing to reopen.
bool ShowViewKind(ViewKind kind);

// MODE of the Mode items: 0 for Run Free (103), 1 for Run Free Auto Restart (104).
int RunModeOfCommand(int id);

// The local-time prompt's text for the hours, and the hours its text gives:
// the leading whole number (0 when there is none), held to a day either way.
inline constexpr int kMaxLocalTimeHours = 24;
std::string LocalTimeText(int hours);
int LocalTimeHoursFrom(const std::string& text);

// The dot-size line from the view's magnitude and dot-size ranges and the screen height.
void RecomputeDotScale();

// The configuration rewritten where it was read from; a failure is reported
// to the user. False when it was not written.
bool SaveConfigurationSetting();

enum class ViewWrite { Written, NoFile, Failed };
// The open view's file rewritten with its settings. A view that has no file
// yet (a new view) is not written; a failure is reported to the user.
ViewWrite SaveViewSetting();
