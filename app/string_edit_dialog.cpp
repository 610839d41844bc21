#include "app/string_edit_dialog.h"

#include "app/help.h"
#include "core/helpers.h"

namespace ui = platform::ui;
using ui::ControlKind;
using ui::Rect;

namespace {
constexpr int kListEdit = 103;
constexpr int kEditFileButton = 105;
}  // namespace

void RegisterStringEditTemplate() {
    if (ui::FindDialogTemplate(kStringEditTemplate)) return;
    ui::RegisterDialogTemplate({kStringEditTemplate, "", "MS Sans Serif", 8, {0, 0, 325, 149}, 0, {
        {ControlKind::Edit, kListEdit, "", ui::ctl::kMultiLine, Rect::FromSize(7, 7, 248, 112)},
        {ControlKind::DefaultButton, ui::IdOk, "Save and End", 0, Rect::FromSize(263, 7, 55, 14)},
        {ControlKind::Button, ui::IdCancel, "Cancel", 0, Rect::FromSize(263, 25, 55, 14)},
        {ControlKind::Button, kDialogHelpButton, "Help", 0, Rect::FromSize(263, 43, 55, 14)},
        {ControlKind::Button, kEditFileButton, "Edit File", 0, Rect::FromSize(263, 105, 55, 14)},
        {ControlKind::Static, -1, "To Edit a file, select the file name and click on it with the mouse.", 0,
         Rect::FromSize(7, 126, 311, 16)},
    }});
}

std::vector<std::string> SplitEditedLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string piece;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            piece += c;
            continue;
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lines.push_back(std::move(piece));
        piece.clear();
    }
    if (!piece.empty()) lines.push_back(std::move(piece));
    return lines;
}

std::string SelectedFileName(std::string_view selection) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!selection.empty() && blank(selection.front())) selection.remove_prefix(1);
    selection = selection.substr(0, selection.find_first_of("\r\n"));
    while (!selection.empty() && blank(selection.back())) selection.remove_suffix(1);
    return std::string(selection);
}

const ui::ResponseTable& StringEditDialog::Table() {
    using R = ui::ResponseTableOf<StringEditDialog, HelpDialog>;
    static const ui::ResponseTable table = R::Build({
        R::Command(kEditFileButton, &StringEditDialog::CmEditFile),
    });
    return table;
}

StringEditDialog::StringEditDialog(ui::Window* parent, int templateId, std::string title, StringListNode** head,
                                   FileEditing editing)
    : HelpDialog((RegisterStringEditTemplate(), parent), templateId, help_topic::kFileLists),
      title_(std::move(title)),
      head_(head),
      editing_(editing) {}

void StringEditDialog::SetupWindow() {
    HelpDialog::SetupWindow();
    SetCaption(title_);
    std::string text;
    for (const StringListNode* n = head_ ? *head_ : nullptr; n; n = n->next) {
        text += n->text;
        text += "\r\n";
    }
    if (auto* e = Item<ui::Edit>(kListEdit)) e->SetText(text);
    // A list of binary files offers no editor: its button would only close the dialog.
    if (editing_ == FileEditing::NotAllowed)
        if (ui::Window* edit = control(kEditFileButton)) edit->EnableWindow(false);
}

void StringEditDialog::CmOk() {
    if (head_) {
        const auto* e = Item<ui::Edit>(kListEdit);
        StringListNode* list = nullptr;
        for (const std::string& line : SplitEditedLines(e ? e->text() : std::string()))
            AppendStringNode(&list, std::string_view(line));
        FreeStringList(head_);
        *head_ = list;
    }
    HelpDialog::CmOk();
}

void StringEditDialog::CmEditFile() {
    if (editing_ == FileEditing::Allowed)
        if (const auto* e = Item<ui::Edit>(kListEdit)) fileName_ = SelectedFileName(e->SelectedText());
    // Closes as OK does, but what was typed is not kept.
    HelpDialog::CmOk();
}

int EditFileList(ui::Window* parent, std::string title, StringListNode** head, FileEditing editing) {
    PauseForDialog pause;
    StringEditDialog dialog(parent, kStringEditTemplate, std::move(title), head, editing);
    const int result = dialog.Execute();
    if (!dialog.fileToEdit().empty()) {
        pause.KeepPaused();
        OpenInNotepad(dialog.fileToEdit(), parent);
    }
    return result;
}
