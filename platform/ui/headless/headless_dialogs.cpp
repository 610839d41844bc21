// The common dialogs of the headless backend: answered from the test's script.
#include <deque>
#include <optional>

#include "platform/sys/files.h"
#include "platform/ui/backend.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/headless/headless_internal.h"

namespace platform::headless {
namespace {

struct DialogState {
    std::deque<std::optional<std::string>> fileAnswers;  // nullopt: Cancel
    std::vector<FileDialogCall> fileCalls;
    std::deque<std::optional<ui::FontDescription>> fontAnswers;
    std::vector<FontDialogCall> fontCalls;
    std::function<void(const std::string&)> reporter;
};

DialogState& D() {
    static DialogState d;
    return d;
}

void Fault(const std::string& what) {
    if (D().reporter) D().reporter(what);
}

std::string Absolute(const std::string& path) {
    if (!path.empty() && path.front() == '/') return path;
    std::string dir = CurrentDir();
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + path;
}

}  // namespace

void ResetCommonDialogs() {
    auto reporter = std::move(D().reporter);
    D() = {};
    D().reporter = std::move(reporter);
}

void ScriptFileDialogAnswer(std::string path) { D().fileAnswers.emplace_back(std::move(path)); }
void ScriptFileDialogCancel() { D().fileAnswers.emplace_back(std::nullopt); }
const std::vector<FileDialogCall>& FileDialogCalls() { return D().fileCalls; }
void ScriptFontDialogAnswer(ui::FontDescription font) { D().fontAnswers.emplace_back(std::move(font)); }
void ScriptFontDialogCancel() { D().fontAnswers.emplace_back(std::nullopt); }
const std::vector<FontDialogCall>& FontDialogCalls() { return D().fontCalls; }
void SetCommonDialogFaultReporter(std::function<void(const std::string&)> reporter) {
    D().reporter = std::move(reporter);
}

}  // namespace platform::headless

namespace platform::ui::backend {
namespace hl = platform::headless;

bool RunFileDialog(Window*, FileDialogKind kind, FileDialogData& data) {
    hl::DialogState& d = hl::D();
    d.fileCalls.push_back({kind, data, false, {}});
    if (d.fileAnswers.empty()) {
        hl::Fault("a file dialog was opened without a scripted answer (initial name \"" + data.fileName + "\")");
        return false;
    }
    std::optional<std::string> answer = std::move(d.fileAnswers.front());
    d.fileAnswers.pop_front();
    if (!answer) return false;
    const std::string path = hl::Absolute(*answer);
    if ((data.flags & file_dialog::kMustExist) && !PathExists(path)) {
        hl::Fault("the scripted file " + path + " does not exist, and this dialog takes only existing files");
        return false;
    }
    // The entry in use: the first whose patterns take the chosen name.
    const std::string name = path.substr(path.rfind('/') + 1);
    const auto filters = ParseFileFilter(data.filter);
    for (std::size_t i = 0; i < filters.size(); ++i) {
        if (FilterMatches(filters[i], name)) {
            data.filterIndex = static_cast<int>(i) + 1;
            break;
        }
    }
    data.fileName = path;
    d.fileCalls.back().ok = true;
    d.fileCalls.back().chosen = path;
    return true;
}

bool RunFontDialog(Window*, std::string_view title, FontDescription& font) {
    hl::DialogState& d = hl::D();
    d.fontCalls.push_back({std::string(title), font, false});
    if (d.fontAnswers.empty()) {
        hl::Fault("a font dialog (" + std::string(title) + ") was opened without a scripted answer");
        return false;
    }
    std::optional<FontDescription> answer = std::move(d.fontAnswers.front());
    d.fontAnswers.pop_front();
    if (!answer) return false;
    font = *answer;
    d.fontCalls.back().ok = true;
    return true;
}

}  // namespace platform::ui::backend
