#pragma once
// Menus as data: resources registered by name and loaded as live menus whose
// items are checked, enabled and deleted by command id or by position; and
// accelerator tables by virtual key or by character.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/ui.h"

namespace platform::ui {

// One item of a menu resource: a command, a separator or a popup (items not empty).
struct MenuSpec {
    int id = 0;
    std::string text;
    std::vector<MenuSpec> items;
    bool separator = false;
    bool checked = false;
    bool grayed = false;

    static MenuSpec Item(int id, std::string text) { return {id, std::move(text), {}, false, false, false}; }
    static MenuSpec Popup(std::string text, std::vector<MenuSpec> items) {
        return {0, std::move(text), std::move(items), false, false, false};
    }
    static MenuSpec Separator() { return {0, {}, {}, true, false, false}; }
};

class Menu;

struct MenuItem {
    int id = 0;  // 0 for separators and popups
    std::string text;
    bool separator = false;
    bool checked = false;
    bool enabled = true;
    // Shows a check mark's place: checked in its resource or ever since; the
    // other items are plain commands.
    bool checkable = false;
    std::unique_ptr<Menu> popup;
};

class Menu {
public:
    Menu() = default;
    explicit Menu(const std::vector<MenuSpec>& items);
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    int count() const { return static_cast<int>(items_.size()); }
    const MenuItem& item(int pos) const { return items_.at(static_cast<std::size_t>(pos)); }
    // The popup at a position; nullptr when that item is no popup.
    Menu* subMenu(int pos) const;
    // The item with a command id, searched through the popups too.
    const MenuItem* Find(int id) const;
    // The position of the item with this id in this menu only; -1 when absent.
    int PositionOf(int id) const;
    bool Contains(int id) const { return Find(id) != nullptr; }

    void Append(const MenuSpec& spec) { Insert(count(), spec); }
    // pos past the end appends.
    void Insert(int pos, const MenuSpec& spec);
    // False when no such item; by id the popups are searched too.
    bool Check(int id, bool on);
    bool CheckAt(int pos, bool on);
    bool Enable(int id, bool on);
    bool EnableAt(int pos, bool on);
    bool SetText(int id, std::string text);
    bool Delete(int id);
    bool DeleteAt(int pos);
    std::optional<bool> checked(int id) const;
    std::optional<bool> enabled(int id) const;

    // Every command id in the menu and its popups, in order.
    std::vector<int> CommandIds() const;

    // Called after every change, here or in a popup: frames rebuild their bar.
    void SetChangeObserver(std::function<void()> observer) { observer_ = std::move(observer); }

private:
    MenuItem* FindMutable(int id);
    void Changed();

    std::vector<MenuItem> items_;
    Menu* parent_ = nullptr;
    std::function<void()> observer_;
};

// Menu resources. Registering a name again replaces it.
void RegisterMenu(std::string name, std::vector<MenuSpec> items);
// A fresh copy of the resource; nullptr when none has that name.
std::unique_ptr<Menu> LoadMenu(std::string_view name);
void ClearMenus();
// Every registered resource name, in name order.
std::vector<std::string> MenuNames();

class AcceleratorTable {
public:
    enum class Trigger { VirtualKey, Character };
    struct Entry {
        Trigger trigger;
        int key;  // virtual key, or character code
        std::uint32_t modifiers;
        int id;
    };

    // A virtual key matches only with exactly these modifiers.
    AcceleratorTable& AddKey(int virtualKey, int id, std::uint32_t modifiers = 0);
    AcceleratorTable& AddChar(int character, int id);
    // The command of a KeyDown or Char message; nullopt when none matches.
    std::optional<int> Match(const Message& m) const;
    bool empty() const { return entries_.empty(); }
    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

void RegisterAccelerators(int id, AcceleratorTable table);
std::optional<AcceleratorTable> LoadAccelerators(int id);

}  // namespace platform::ui
