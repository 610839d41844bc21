#pragma once
// The manual's topics that quorkeeper opens.
inline constexpr int kKeeperHelpTopic = 1029;
inline constexpr int kControlDialogHelpTopic = 1028;

// Opens the manual at the topic; a failure is shown to the user.
void ShowKeeperHelp(int topic);
