#pragma once
// A list of file names edited as lines of text; "Edit File" hands the
// selected name to the text editor.
#include <string>
#include <string_view>
#include <vector>

#include "app/dialog_conventions.h"

struct StringListNode;

inline constexpr int kStringEditTemplate = 2;

// The edit's text as names: CR LF, LF and CR each end a line; every ended
// line is a name (empty ones too), the rest only when it is not empty.
std::vector<std::string> SplitEditedLines(std::string_view text);
// What "Edit File" would hand on from a selection: its first line, trimmed.
std::string SelectedFileName(std::string_view selection);

enum class FileEditing { Allowed, NotAllowed };

class StringEditDialog : public HelpDialog {
public:
    // head is the caller's list; OK ("Save and End") replaces it.
    StringEditDialog(platform::ui::Window* parent, int templateId, std::string title, StringListNode** head,
                     FileEditing editing);
    KESTRUNE_RESPONSE_TABLE(StringEditDialog);
    // The name "Edit File" chose; empty when none.
    const std::string& fileToEdit() const { return fileName_; }

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void CmEditFile();

    std::string title_;
    StringListNode** head_;
    FileEditing editing_;
    std::string fileName_;
};

// Runs the dialog on the list with the animation held. A file chosen with
// "Edit File" opens in the text editor and the animation stays held;
// otherwise the pause is put back. The dialog's result.
int EditFileList(platform::ui::Window* parent, std::string title, StringListNode** head, FileEditing editing);

// Registers template 2; again is harmless.
void RegisterStringEditTemplate();
