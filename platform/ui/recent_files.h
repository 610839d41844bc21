#pragma once
// The recent-file list: a few names kept between runs in a settings file,
// shown in the menu that holds the exit command, just above it.
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/menu.h"
#include "platform/ui/response.h"

namespace platform::ui {

// The class library's exit command; the recent files go above it.
inline constexpr int kExitCommand = 24310;

class RecentFiles {
public:
    static constexpr int kFirstCommand = 0xFF00;  // entry i is kFirstCommand + i
    static constexpr const char* kMessageName = "MRUFILEMESSAGE";
    static constexpr const char* kSection = "Recent File List";

    // Reads the list from the section of the settings file of that name.
    RecentFiles(std::string settingsName, int maxEntries = 15, int maxChars = 75, std::string section = kSection);

    // Choosing entry i sends this message with wparam i to the frame, then the application.
    MessageId message() const { return message_; }
    // To the top, cut to the longest name kept; an equal name (any case) moves
    // up instead. The list is saved at once.
    void Add(std::string_view name);
    void Remove(std::string_view name);
    const std::vector<std::string>& entries() const { return entries_; }
    // The name of entry index; empty when there is none.
    std::string Entry(int index) const;
    // The entry of a menu command, or -1.
    int IndexOfCommand(int id) const;
    // Puts the current entries above the exit command, wherever it is in the
    // menu; removes any the menu had before. Nothing when it has no exit command.
    void UpdateMenu(Menu& menu) const;

    bool Load();
    [[nodiscard]] bool Save() const;

private:
    std::string settingsName_;
    std::string section_;
    int maxEntries_;
    int maxChars_;
    MessageId message_;
    std::vector<std::string> entries_;
};

}  // namespace platform::ui
