#pragma once
#include <string>
#include <string_view>

namespace platform {

// The program's string table: texts by numeric id, registered once at
// start-up by the program that owns them.
void RegisterString(int id, std::string text);
// The text of id; empty when the table has none.
std::string_view ResourceString(int id);
void ClearStrings();

}  // namespace platform
