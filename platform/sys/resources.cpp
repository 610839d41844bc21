#include "platform/sys/resources.h"

#include <map>

namespace platform {
namespace {
std::map<int, std::string>& Table() {
    static std::map<int, std::string> table;
    return table;
}
}  // namespace

void RegisterString(int id, std::string text) { Table()[id] = std::move(text); }

std::string_view ResourceString(int id) {
    auto it = Table().find(id);
    return it == Table().end() ? std::string_view() : std::string_view(it->second);
}

void ClearStrings() { Table().clear(); }

}  // namespace platform
