#pragma once
// The user's small settings files: sections of key=value lines in a text file
// under $XDG_CONFIG_HOME/kestrune (else ~/.config/kestrune).
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

std::string SettingsDir();

class SettingsFile {
public:
    // The file SettingsDir()/name; nothing is read until Load.
    explicit SettingsFile(std::string_view name);

    const std::string& path() const { return path_; }
    // False when the file is missing or unreadable; the settings are then empty.
    bool Load();
    // Creates the folder when needed and replaces the file whole.
    [[nodiscard]] bool Save() const;

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Line breaks in keys and values become blanks.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    void ClearSection(std::string_view section);
    // The section's keys and values in file order.
    std::vector<std::pair<std::string, std::string>> Section(std::string_view section) const;

private:
    struct Group {
        std::string name;
        std::vector<std::pair<std::string, std::string>> values;
    };
    Group* Find(std::string_view section);
    const Group* Find(std::string_view section) const;

    std::string path_;
    std::vector<Group> groups_;
};

}  // namespace platform
