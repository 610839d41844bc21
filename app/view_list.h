#pragma once
// Lists of views (".VUS"): one view per line, nested by indentation. The
// reader builds the tree into an array in file order; the button menu and the
// script sequence walk it.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/indexed_array.h"

struct ViewListEntry {
    std::string viewName;   // the line's first word, also the view file's name
    std::string imageName;  // viewName + ".jpg", the view's cached map picture
    std::string title;      // at most 63 characters
    double south = 0, north = 0, west = 0, east = 0;  // degrees, from the view file
    std::int32_t level = 0;        // nesting level 0..9
    std::int32_t listIndex = 0;    // 0 in gViewList; in gGroupViewList the index in gViewList
    std::int32_t parentIndex = 0;  // index in gViewList of the entry's group
    bool hasChildren = false;      // the entry is a group
};

extern IndexedArray<ViewListEntry> gViewList;       // every entry of the current list, in file order
extern IndexedArray<ViewListEntry> gGroupViewList;  // the group the button menu shows, in file order
// The button menu's position in gGroupViewList; the script sequence's index in gViewList.
extern std::int32_t gViewListIndex;

inline constexpr int kViewListMaxLevel = 9;
inline constexpr std::size_t kViewListTitleMax = 63;      // a title given on the line
inline constexpr std::size_t kViewListNameTitleMax = 15;  // the view name standing in for a title
// Bounds of an entry whose view file cannot be read (or lacks a key).
inline constexpr double kViewListDefaultSouth = -30, kViewListDefaultNorth = 30;
inline constexpr double kViewListDefaultWest = -20, kViewListDefaultEast = 20;
inline constexpr double kViewListBoundLimit = 1e6;  // degrees; bounds beyond it take their defaults

struct ViewListIndent {
    int level = 0;             // 0..9
    std::size_t textStart = 0; // the first character of the view name
};
// Two blanks per level; a line with less than two blanks may count tabs
// instead. Levels beyond 9 are held at 9; all blanks and tabs before the
// name are skipped.
ViewListIndent ViewListLineIndent(std::string_view line);

// Fills name, title and image name from the text after the indentation, and
// the bounds from the view file of that name (current folder).
void ParseViewListEntry(ViewListEntry& entry, std::string_view text);

struct ViewBounds {
    double south = kViewListDefaultSouth, north = kViewListDefaultNorth;
    double west = kViewListDefaultWest, east = kViewListDefaultEast;
};
// The four bound keys of an open view file, each missing one at its default;
// east comes out more than west + 0.01.
ViewBounds ReadViewBounds(std::FILE* viewFile);
// East moved by whole turns until it lies more than 0.01 east of west;
// bounds that are no number, or beyond the limit, take their defaults.
void NormaliseViewBounds(ViewBounds& b);

// Builds the tree line by line: levels, groups and parents.
class ViewListBuilder {
public:
    explicit ViewListBuilder(IndexedArray<ViewListEntry>& list) : list_(list) {}
    // Lines shorter than two characters, and those naming no view, are skipped.
    void AddLine(std::string_view line);

private:
    IndexedArray<ViewListEntry>& list_;
    int previousLevel_ = 0;
    std::int32_t currentParent_ = 0;
    std::int32_t parents_[kViewListMaxLevel + 1] = {};
};

// The whole text of a list into list (emptied first).
void ParseViewListText(std::string_view text, IndexedArray<ViewListEntry>& list);
// The named file into list (emptied first); false when it cannot be opened.
bool ReadViewListFile(const std::string& name, IndexedArray<ViewListEntry>& list);

// Entry i of the array, or null when i is not one of its entries.
const ViewListEntry* ViewListEntryAt(const IndexedArray<ViewListEntry>& list, int i);
