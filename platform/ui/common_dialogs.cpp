#include "platform/ui/common_dialogs.h"

#include <cctype>

#include "platform/sys/files.h"
#include "platform/ui/backend.h"

namespace platform::ui {

std::vector<FileFilter> ParseFileFilter(std::string_view filter) {
    std::vector<std::string_view> parts;
    while (!filter.empty()) {
        const std::size_t bar = filter.find('|');
        parts.push_back(filter.substr(0, bar));
        if (bar == std::string_view::npos) break;
        filter.remove_prefix(bar + 1);
    }
    std::vector<FileFilter> out;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        FileFilter f;
        f.description = std::string(parts[i]);
        std::string_view list = parts[i + 1];
        while (!list.empty()) {
            const std::size_t semi = list.find(';');
            std::string_view p = list.substr(0, semi);
            while (!p.empty() && p.front() == ' ') p.remove_prefix(1);
            while (!p.empty() && p.back() == ' ') p.remove_suffix(1);
            if (!p.empty()) f.patterns.emplace_back(p);
            if (semi == std::string_view::npos) break;
            list.remove_prefix(semi + 1);
        }
        if (!f.patterns.empty()) out.push_back(std::move(f));
    }
    return out;
}

namespace {

bool SameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Iterative glob with one backtrack point: linear enough for file names.
bool Glob(std::string_view p, std::string_view s) {
    std::size_t pi = 0, si = 0, star = std::string_view::npos, mark = 0;
    while (si < s.size()) {
        if (pi < p.size() && (p[pi] == '?' || (p[pi] != '*' && SameLetter(p[pi], s[si])))) {
            ++pi;
            ++si;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = si;
        } else if (star != std::string_view::npos) {
            pi = star + 1;
            si = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

}  // namespace

bool FilterPatternMatches(std::string_view pattern, std::string_view fileName) {
    if (pattern == "*" || pattern == "*.*") return true;
    // A pattern ending in a bare "." asks for names that have no extension.
    if (pattern.size() >= 2 && pattern.back() == '.' && pattern[pattern.size() - 2] == '*') {
        if (fileName.find('.') != std::string_view::npos) return false;
        return Glob(pattern.substr(0, pattern.size() - 1), fileName);
    }
    return Glob(pattern, fileName);
}

bool FilterMatches(const FileFilter& filter, std::string_view fileName) {
    for (const std::string& p : filter.patterns) {
        if (FilterPatternMatches(p, fileName)) return true;
    }
    return false;
}

bool ExecuteFileDialog(Window* owner, FileDialogKind kind, FileDialogData& data) {
    FileDialogData asked = data;
    if (!backend::RunFileDialog(owner, kind, asked)) return false;
    data = std::move(asked);
    if (data.flags & file_dialog::kChangeDirectory) {
        const std::size_t slash = data.fileName.rfind('/');
        if (slash != std::string::npos) (void)SetCurrentDir(slash == 0 ? "/" : data.fileName.substr(0, slash));
    }
    return true;
}

bool ExecuteFontDialog(Window* owner, std::string_view title, FontDescription& font) {
    FontDescription chosen = font;
    if (!backend::RunFontDialog(owner, title, chosen)) return false;
    font = std::move(chosen);
    return true;
}

}  // namespace platform::ui
