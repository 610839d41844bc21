#pragma once
// The arithmetic of the view commands, kept apart from the frame: names made
// from chosen files, and stepping through the view group.
#include <string>
#include <string_view>

// A stored name as it is shown or written: '\' separators become '/'.
std::string SlashedName(std::string_view name);

// Open View: the chosen file's name cut at its first "."; a folder other
// than the current one stays in front of it, so that file is the one opened.
std::string ViewNameFromChosenPath(std::string_view path, std::string_view currentDir);
// Save View As: the chosen path as the user gave it, without the current
// folder when it lies there.
std::string ViewNameForSavedPath(std::string_view path, std::string_view currentDir);
// The recent-view list: the name part of a stored path.
std::string RecentViewName(std::string_view stored);

struct ViewStep {
    int index = 0;
    bool clamped = false;  // the step went past an end: beep, open nothing
};
// Page Down (+1) and Page Up (-1) over a group of count entries.
ViewStep StepViewIndex(int index, int delta, int count);

// The folder part of a path ("" for a bare name, "/" for the root).
std::string FolderOf(std::string_view path);
