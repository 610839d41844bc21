#include "app/view_list.h"

IndexedArray<ViewListEntry> gViewList(10);
IndexedArray<ViewListEntry> gGroupViewList(10);
std::int32_t gViewListIndex = 0;
