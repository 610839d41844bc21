#pragma once
// The entries of the list of views, as data. The reader of ".VUS" files and
// the button menu fill them; until then the arrays stay empty.
#include <cstdint>
#include <string>

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
