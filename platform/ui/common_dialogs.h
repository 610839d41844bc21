#pragma once
// The system's common dialogs: choosing a file to open or to save under, and
// choosing a font. Yes/No/Cancel questions are message boxes (ui.h).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::ui {

class Window;

namespace file_dialog {
inline constexpr std::uint32_t kMustExist = 1u << 0;        // only an existing file can be chosen
inline constexpr std::uint32_t kOverwritePrompt = 1u << 1;  // an existing file is replaced only after asking
inline constexpr std::uint32_t kChangeDirectory = 1u << 2;  // OK makes the chosen file's folder current
}  // namespace file_dialog

enum class FileDialogKind { Open, Save };

struct FileDialogData {
    // Pairs of a description and its patterns, each ended by '|':
    // "Views (*.)|*.|All Files (*.*)|*.*|"; one entry's patterns are separated by ';'.
    std::string filter;
    std::string fileName;    // in: the name shown first (it may hold a folder); out: the chosen path
    std::string initialDir;  // where the dialog starts when fileName names no folder; empty: the current one
    std::uint32_t flags = 0;
    int filterIndex = 1;     // 1 is the first entry of the filter
    std::string title;       // empty: the usual title of the kind
};

struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;
};
// The entries of a filter string; a description without patterns is dropped.
std::vector<FileFilter> ParseFileFilter(std::string_view filter);
// Letters match in either case; '*' is any run of characters and '?' one.
// "*." is a name without an extension and "*" or "*.*" any name.
bool FilterPatternMatches(std::string_view pattern, std::string_view fileName);
bool FilterMatches(const FileFilter& filter, std::string_view fileName);

// Modal. True on OK, with data.fileName the chosen path and data.filterIndex
// the entry in use; false on Cancel, with data unchanged.
bool ExecuteFileDialog(Window* owner, FileDialogKind kind, FileDialogData& data);

struct FontDescription {
    std::string face;
    int height = 0;     // logical units, as fonts take them: negative is the character height in pixels
    int weight = 400;   // 100..900; 400 normal, 700 bold
    bool italic = false;
    friend bool operator==(const FontDescription&, const FontDescription&) = default;
};
// Modal, starting from font; true on OK with font the choice.
bool ExecuteFontDialog(Window* owner, std::string_view title, FontDescription& font);

}  // namespace platform::ui
