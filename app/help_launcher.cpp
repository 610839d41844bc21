#include "app/help.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "app/frame.h"
#include "app/globals.h"
#include "core/helpers.h"
#include "platform/sys/files.h"
#include "platform/sys/process.h"
#include "platform/ui/ui.h"

namespace ui = platform::ui;

namespace {

struct TopicPage {
    int topic;
    const char* page;
};

constexpr TopicPage kTopicPages[] = {
    {help_topic::kContents, "manual-index.html"},
    {help_topic::kEventEditor, "manual-event-editor.html"},
    {help_topic::kFileLists, "manual-file-lists.html"},
    {help_topic::kInteractive3D, "manual-interactive-3d.html"},
    {help_topic::kMapLimits, "manual-map-limits.html"},
    {help_topic::kKeeperSettings, "manual-keeper.html"},
    {help_topic::kKeeper, "manual-keeper.html"},
    {help_topic::kMapColors, "manual-map-colors.html"},
    {help_topic::kDates, "manual-dates.html"},
    {help_topic::kEventSizes, "manual-event-sizes.html"},
    {help_topic::kMapScale, "manual-map-scale.html"},
    {help_topic::kCrossSection, "manual-cross-section.html"},
    {help_topic::kElevationModels, "manual-elevation-models.html"},
};

ui::Window* OwnerOr(ui::Window* owner) { return owner ? owner : gMainFrame; }

// An absolute path, so the browser needs no idea of our current folder.
std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    return platform::CurrentDir() + "/" + path;
}

// $VISUAL and $EDITOR may carry options ("emacs -nw"): split at blanks, no shell.
std::vector<std::string> SplitCommand(const char* text) {
    std::vector<std::string> words;
    std::string word;
    for (const char* p = text ? text : ""; ; ++p) {
        if (*p == ' ' || *p == '\t' || *p == '\0') {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
            if (*p == '\0') break;
        } else {
            word += *p;
        }
    }
    return words;
}

std::string Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

}  // namespace

std::string HelpTopicPage(int topic) {
    for (const TopicPage& t : kTopicPages)
        if (t.topic == topic) return t.page;
    return kTopicPages[0].page;
}

bool ShowHelp(int topic, ui::Window* owner) {
    if (topic == help_topic::kNone) return false;
    const std::string page = HelpTopicPage(topic);
    const std::string found = FindDataFile(page);
    std::string why;
    if (!found.empty() && platform::StartProcess({"xdg-open", Absolute(found)}, &why)) return true;
    const std::string shown = found.empty() ? page : Absolute(found);
    DebugLog("Problem opening %s: %s", shown.c_str(), found.empty() ? "not found" : why.c_str());
    ui::MessageBox(OwnerOr(owner), "Problem opening " + shown, "", ui::Buttons::Ok, ui::Icon::None);
    return false;
}

bool OpenInNotepad(std::string_view file, ui::Window* owner) {
    const std::string name = Trimmed(file);
    if (name.empty()) return false;
    if (name.size() > kMaxEditFileName) {
        ui::MessageBox(OwnerOr(owner),
                       "The name is too long to be a file name (more than " + std::to_string(kMaxEditFileName) +
                           " characters):\n" + name.substr(0, 60) + "...",
                       "Edit File", ui::Buttons::Ok, ui::Icon::Exclamation);
        return false;
    }
    const std::string found = FindDataFile(name);
    const std::string path = found.empty() ? platform::ResolvePath(name) : found;
    std::vector<std::vector<std::string>> editors{{"xdg-open", path}};
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        std::vector<std::string> command = SplitCommand(std::getenv(variable));
        if (command.empty()) continue;
        command.push_back(path);
        editors.push_back(std::move(command));
    }
    for (const auto& command : editors)
        if (platform::StartProcess(command)) return true;
    DebugLog("No text editor could be started for %s", path.c_str());
    ui::MessageBox(OwnerOr(owner),
                   "No text editor could be started for " + path +
                       ".\nInstall xdg-utils, or set VISUAL or EDITOR to an editor.",
                   "Edit File", ui::Buttons::Ok, ui::Icon::Exclamation);
    return false;
}
