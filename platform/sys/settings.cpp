#include "platform/sys/settings.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/sys/files.h"

namespace platform {
namespace {

std::string OneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return out;
}

}  // namespace

std::string SettingsDir() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + "/.config";
    }
    return base + "/kestrune";
}

SettingsFile::SettingsFile(std::string_view name) : path_(SettingsDir() + "/" + std::string(name)) {}

bool SettingsFile::Load() {
    groups_.clear();
    std::ifstream in(path_);
    if (!in) return false;
    std::string line;
    Group* current = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            groups_.push_back({line.substr(1, line.size() - 2), {}});
            current = &groups_.back();
            continue;
        }
        const auto eq = line.find('=');
        if (!current || eq == std::string::npos) continue;  // stray lines are dropped
        current->values.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return true;
}

bool SettingsFile::Save() const {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
    SafeFileWriter out(path_);
    if (!out.ok()) return false;
    for (const Group& g : groups_) {
        std::fprintf(out.file(), "[%s]\n", g.name.c_str());
        for (const auto& [k, v] : g.values) std::fprintf(out.file(), "%s=%s\n", k.c_str(), v.c_str());
    }
    return out.Commit();
}

SettingsFile::Group* SettingsFile::Find(std::string_view section) {
    for (Group& g : groups_) {
        if (g.name == section) return &g;
    }
    return nullptr;
}

const SettingsFile::Group* SettingsFile::Find(std::string_view section) const {
    return const_cast<SettingsFile*>(this)->Find(section);
}

std::optional<std::string> SettingsFile::Get(std::string_view section, std::string_view key) const {
    if (const Group* g = Find(section)) {
        for (const auto& [k, v] : g->values) {
            if (k == key) return v;
        }
    }
    return std::nullopt;
}

void SettingsFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    Group* g = Find(section);
    if (!g) {
        groups_.push_back({OneLine(section), {}});
        g = &groups_.back();
    }
    std::string k = OneLine(key);
    for (char& c : k) {
        if (c == '=') c = ' ';  // a key never holds the separator
    }
    for (auto& [name, v] : g->values) {
        if (name == k) {
            v = OneLine(value);
            return;
        }
    }
    g->values.emplace_back(std::move(k), OneLine(value));
}

void SettingsFile::ClearSection(std::string_view section) {
    if (Group* g = Find(section)) g->values.clear();
}

std::vector<std::pair<std::string, std::string>> SettingsFile::Section(std::string_view section) const {
    const Group* g = Find(section);
    return g ? g->values : std::vector<std::pair<std::string, std::string>>{};
}

}  // namespace platform
