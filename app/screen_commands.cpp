// The frame's quick settings, help and mouse-mode commands.
#include "app/frame.h"
#include "app/globals.h"
#include "app/help.h"
#include "app/prompt_dialogs.h"
#include "app/string_edit_dialog.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"

namespace ui = platform::ui;

namespace {

bool SameList(const StringListNode* a, const StringListNode* b) {
    for (; a && b; a = a->next, b = b->next)
        if (a->text != b->text) return false;
    return !a && !b;
}

// A copy to compare with after the dialog; the dialog frees the old list.
StringListNode* CopyList(const StringListNode* head) {
    StringListNode* copy = nullptr;
    for (; head; head = head->next) AppendStringNode(&copy, std::string_view(head->text));
    return copy;
}

}  // namespace

void myFrame::CmPauseTime() { PromptPauseAtEnd(this, ConfigBuild::kQuorview); }

void myFrame::EditViewFileList(const char* title, StringListNode** list) {
    StringListNode* before = CopyList(*list);
    EditFileList(this, title, list, FileEditing::Allowed);
    // The edited list is the view's until it is saved, so closing it offers that.
    if (!SameList(before, *list)) MarkViewChanged();
    FreeStringList(&before);
}

void myFrame::CmLineFiles() { EditViewFileList("Lines Files", &gLineFiles); }
void myFrame::CmTextFiles() { EditViewFileList("Text Files", &gTextFiles); }
void myFrame::CmSymbolFiles() { EditViewFileList("Symbol Files", &gSymbolFiles); }

void myFrame::CmHelpContents() {
    gPaused = true;
    ShowHelp(help_topic::kContents, this);
}
