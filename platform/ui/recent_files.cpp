#include "platform/ui/recent_files.h"

#include <algorithm>
#include <cctype>

#include "platform/sys/settings.h"

namespace platform::ui {
namespace {

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

RecentFiles::RecentFiles(std::string settingsName, int maxEntries, int maxChars, std::string section)
    : settingsName_(std::move(settingsName)),
      section_(std::move(section)),
      maxEntries_(std::max(maxEntries, 0)),
      maxChars_(std::max(maxChars, 1)),
      message_(RegisterMessage(kMessageName)) {
    Load();
}

void RecentFiles::Add(std::string_view name) {
    std::string cut(name.substr(0, static_cast<std::size_t>(maxChars_)));
    if (cut.empty()) return;
    std::erase_if(entries_, [&](const std::string& e) { return SameName(e, cut); });
    entries_.insert(entries_.begin(), std::move(cut));
    if (entries_.size() > static_cast<std::size_t>(maxEntries_)) entries_.resize(static_cast<std::size_t>(maxEntries_));
    (void)Save();  // a list that cannot be kept still works for this run
}

void RecentFiles::Remove(std::string_view name) {
    std::erase_if(entries_, [&](const std::string& e) { return SameName(e, name); });
    (void)Save();
}

std::string RecentFiles::Entry(int index) const {
    if (index < 0 || index >= static_cast<int>(entries_.size())) return {};
    return entries_[static_cast<std::size_t>(index)];
}

int RecentFiles::IndexOfCommand(int id) const {
    const int index = id - kFirstCommand;
    return index >= 0 && index < static_cast<int>(entries_.size()) ? index : -1;
}

namespace {
// Finds the menu (the bar or one of its popups) holding the exit command.
Menu* HolderOf(Menu& menu, int id) {
    if (menu.PositionOf(id) >= 0) return &menu;
    for (int i = 0; i < menu.count(); ++i) {
        if (Menu* sub = menu.subMenu(i)) {
            if (Menu* found = HolderOf(*sub, id)) return found;
        }
    }
    return nullptr;
}
}  // namespace

void RecentFiles::UpdateMenu(Menu& menu) const {
    Menu* holder = HolderOf(menu, kExitCommand);
    if (!holder) return;
    const int separatorId = kFirstCommand + maxEntries_;
    for (int pos = holder->count() - 1; pos >= 0; --pos) {
        const int id = holder->item(pos).id;
        if (id >= kFirstCommand && id <= separatorId) holder->DeleteAt(pos);
    }
    if (entries_.empty()) return;
    int pos = holder->PositionOf(kExitCommand);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        std::string label = (n < 10 ? "&" + std::to_string(n) : std::to_string(n)) + " " + entries_[i];
        holder->Insert(pos++, MenuSpec::Item(kFirstCommand + static_cast<int>(i), std::move(label)));
    }
    MenuSpec sep = MenuSpec::Separator();
    sep.id = separatorId;
    holder->Insert(pos, sep);
}

bool RecentFiles::Load() {
    entries_.clear();
    SettingsFile file(settingsName_);
    if (!file.Load()) return false;
    for (int i = 1; i <= maxEntries_; ++i) {
        auto v = file.Get(section_, "File" + std::to_string(i));
        if (v && !v->empty()) entries_.push_back(v->substr(0, static_cast<std::size_t>(maxChars_)));
    }
    return true;
}

bool RecentFiles::Save() const {
    SettingsFile file(settingsName_);
    file.Load();
    file.ClearSection(section_);
    for (std::size_t i = 0; i < entries_.size(); ++i) file.Set(section_, "File" + std::to_string(i + 1), entries_[i]);
    if (entries_.empty()) file.Set(section_, "Count", "0");
    return file.Save();
}

}  // namespace platform::ui
