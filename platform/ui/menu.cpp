#include "platform/ui/menu.h"

#include <map>

namespace platform::ui {
namespace {

std::map<std::string, std::vector<MenuSpec>, std::less<>>& Menus() {
    static std::map<std::string, std::vector<MenuSpec>, std::less<>> m;
    return m;
}

std::map<int, AcceleratorTable>& Accelerators() {
    static std::map<int, AcceleratorTable> m;
    return m;
}

}  // namespace

Menu::Menu(const std::vector<MenuSpec>& items) {
    for (const MenuSpec& s : items) Append(s);
}

Menu* Menu::subMenu(int pos) const {
    if (pos < 0 || pos >= count()) return nullptr;
    return items_[static_cast<std::size_t>(pos)].popup.get();
}

const MenuItem* Menu::Find(int id) const {
    for (const MenuItem& it : items_) {
        if (it.popup) {
            if (const MenuItem* found = it.popup->Find(id)) return found;
        } else if (!it.separator && it.id == id) {
            return &it;
        }
    }
    return nullptr;
}

MenuItem* Menu::FindMutable(int id) { return const_cast<MenuItem*>(Find(id)); }

int Menu::PositionOf(int id) const {
    for (int i = 0; i < count(); ++i) {
        const MenuItem& it = items_[static_cast<std::size_t>(i)];
        if (!it.popup && !it.separator && it.id == id) return i;
    }
    return -1;
}

void Menu::Insert(int pos, const MenuSpec& spec) {
    MenuItem item;
    item.id = spec.id;
    item.text = spec.text;
    item.separator = spec.separator;
    item.checked = spec.checked;
    item.checkable = spec.checked;
    item.enabled = !spec.grayed;
    if (!spec.items.empty()) {
        item.id = 0;
        item.popup = std::make_unique<Menu>(spec.items);
        item.popup->parent_ = this;
    }
    if (pos < 0 || pos > count()) pos = count();
    items_.insert(items_.begin() + pos, std::move(item));
    Changed();
}

bool Menu::Check(int id, bool on) {
    MenuItem* it = FindMutable(id);
    if (!it) return false;
    it->checked = on;
    it->checkable = true;
    Changed();
    return true;
}

bool Menu::CheckAt(int pos, bool on) {
    if (pos < 0 || pos >= count()) return false;
    items_[static_cast<std::size_t>(pos)].checked = on;
    items_[static_cast<std::size_t>(pos)].checkable = true;
    Changed();
    return true;
}

bool Menu::Enable(int id, bool on) {
    MenuItem* it = FindMutable(id);
    if (!it) return false;
    it->enabled = on;
    Changed();
    return true;
}

bool Menu::EnableAt(int pos, bool on) {
    if (pos < 0 || pos >= count()) return false;
    items_[static_cast<std::size_t>(pos)].enabled = on;
    Changed();
    return true;
}

bool Menu::SetText(int id, std::string text) {
    MenuItem* it = FindMutable(id);
    if (!it) return false;
    it->text = std::move(text);
    Changed();
    return true;
}

bool Menu::Delete(int id) {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        MenuItem& it = items_[i];
        if (it.popup) {
            if (it.popup->Delete(id)) return true;
        } else if (!it.separator && it.id == id) {
            return DeleteAt(static_cast<int>(i));
        }
    }
    return false;
}

bool Menu::DeleteAt(int pos) {
    if (pos < 0 || pos >= count()) return false;
    items_.erase(items_.begin() + pos);
    Changed();
    return true;
}

std::optional<bool> Menu::checked(int id) const {
    const MenuItem* it = Find(id);
    return it ? std::optional<bool>(it->checked) : std::nullopt;
}

std::optional<bool> Menu::enabled(int id) const {
    const MenuItem* it = Find(id);
    return it ? std::optional<bool>(it->enabled) : std::nullopt;
}

std::vector<int> Menu::CommandIds() const {
    std::vector<int> ids;
    for (const MenuItem& it : items_) {
        if (it.popup) {
            std::vector<int> sub = it.popup->CommandIds();
            ids.insert(ids.end(), sub.begin(), sub.end());
        } else if (!it.separator) {
            ids.push_back(it.id);
        }
    }
    return ids;
}

void Menu::Changed() {
    for (Menu* m = this; m; m = m->parent_) {
        if (m->observer_) m->observer_();
    }
}

void RegisterMenu(std::string name, std::vector<MenuSpec> items) { Menus()[std::move(name)] = std::move(items); }

std::unique_ptr<Menu> LoadMenu(std::string_view name) {
    auto it = Menus().find(name);
    if (it == Menus().end()) return nullptr;
    return std::make_unique<Menu>(it->second);
}

void ClearMenus() { Menus().clear(); }

std::vector<std::string> MenuNames() {
    std::vector<std::string> names;
    for (const auto& [name, items] : Menus()) names.push_back(name);
    return names;
}

AcceleratorTable& AcceleratorTable::AddKey(int virtualKey, int id, std::uint32_t modifiers) {
    entries_.push_back({Trigger::VirtualKey, virtualKey, modifiers & (kShift | kControl | kAlt), id});
    return *this;
}

AcceleratorTable& AcceleratorTable::AddChar(int character, int id) {
    entries_.push_back({Trigger::Character, character, 0, id});
    return *this;
}

std::optional<int> AcceleratorTable::Match(const Message& m) const {
    const auto mods = static_cast<std::uint32_t>(m.param) & (kShift | kControl | kAlt);
    for (const Entry& e : entries_) {
        if (m.kind == MessageKind::KeyDown && e.trigger == Trigger::VirtualKey &&
            static_cast<std::uint32_t>(e.key) == m.code && e.modifiers == mods)
            return e.id;
        if (m.kind == MessageKind::Char && e.trigger == Trigger::Character && static_cast<std::uint32_t>(e.key) == m.code)
            return e.id;
    }
    return std::nullopt;
}

void RegisterAccelerators(int id, AcceleratorTable table) { Accelerators()[id] = std::move(table); }

std::optional<AcceleratorTable> LoadAccelerators(int id) {
    auto it = Accelerators().find(id);
    if (it == Accelerators().end()) return std::nullopt;
    return it->second;
}

}  // namespace platform::ui
