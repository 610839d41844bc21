#include "app/view_names.h"

#include <algorithm>

std::string SlashedName(std::string_view name) {
    std::string s(name);
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}

std::string FolderOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return "";
    return slash == 0 ? "/" : std::string(path.substr(0, slash));
}

namespace {

// The path with the current folder taken off when the file lies right in it.
std::string WithoutCurrentFolder(std::string_view path, std::string_view currentDir) {
    const std::string slashed = SlashedName(path);
    const std::string folder = FolderOf(slashed);
    std::string dir = SlashedName(currentDir);
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    if (folder.empty() || folder == dir) return slashed.substr(slashed.rfind('/') + 1);
    return slashed;
}

}  // namespace

std::string ViewNameFromChosenPath(std::string_view path, std::string_view currentDir) {
    std::string name = WithoutCurrentFolder(path, currentDir);
    const std::size_t start = name.rfind('/') == std::string::npos ? 0 : name.rfind('/') + 1;
    if (const std::size_t dot = name.find('.', start); dot != std::string::npos) name.resize(dot);
    return name;
}

std::string ViewNameForSavedPath(std::string_view path, std::string_view currentDir) {
    return WithoutCurrentFolder(path, currentDir);
}

std::string RecentViewName(std::string_view stored) {
    const std::string slashed = SlashedName(stored);
    return slashed.substr(slashed.rfind('/') + 1);
}

ViewStep StepViewIndex(int index, int delta, int count) {
    const int next = index + delta;
    if (next < 0) return {0, true};
    if (next >= count) return {std::max(count - 1, 0), true};
    return {next, false};
}
