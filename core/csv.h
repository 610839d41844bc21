#pragma once
// Splitting of comma-separated lines into string lists.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/helpers.h"

inline constexpr int kCsvFieldLimit = 160;  // characters kept of each field

// The fields of one line, in order; *count is their number (may be null).
// An empty line gives no list and 0. The caller frees the list.
// A field opened by '"' runs to the next '"' (commas kept, no escapes) and
// loses what follows the closing quote up to the next comma.
StringListNode* SplitCsvLine(std::string_view line, int* count);
// The same fields as SplitCsvLine, as strings; only the first most of them.
std::vector<std::string> SplitCsvFields(std::string_view line, std::size_t most = SIZE_MAX);
// The first most fields of the line by the same rules, as views into it, each
// cut to kCsvFieldLimit characters.
void SplitCsvFieldViews(std::string_view line, std::size_t most, std::vector<std::string_view>* fields);
