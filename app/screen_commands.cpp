// The frame's quick settings, help and mouse-mode commands.
#include "app/about_dialog.h"
#include "app/dialog_conventions.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/help.h"
#include "app/layout.h"
#include "app/prompt_dialogs.h"
#include "app/sound.h"
#include "app/string_edit_dialog.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "map/child_map.h"
#include "platform/ui/common_dialogs.h"

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

void myFrame::EditViewFileList(const char* title, StringListNode** list, FileEditing editing) {
    StringListNode* before = CopyList(*list);
    EditFileList(this, title, list, editing);
    // The edited list is the view's until it is saved, so closing it offers that.
    if (!SameList(before, *list)) MarkViewChanged();
    FreeStringList(&before);
}

void myFrame::CmLineFiles() { EditViewFileList("Lines Files", &gLineFiles, FileEditing::Allowed); }
void myFrame::CmTextFiles() { EditViewFileList("Text Files", &gTextFiles, FileEditing::Allowed); }
void myFrame::CmSymbolFiles() { EditViewFileList("Symbol Files", &gSymbolFiles, FileEditing::Allowed); }
// Segment files are binary: they are listed, never handed to the text editor.
void myFrame::CmMapFiles() { EditViewFileList("Map Files", &gMapFiles, FileEditing::NotAllowed); }

void myFrame::CmInformationFile() {
    // Held on purpose: the user is about to read or write the text.
    gPaused = true;
    ui::FileDialogData data;
    data.filter = "Info files (*.inf)|*.inf|";
    if (!ui::ExecuteFileDialog(this, ui::FileDialogKind::Open, data)) return;
    const std::string name = FileNamePart(data.fileName.c_str());
    if (name.empty()) return;
    gViewInformation = name;
    OpenInNotepad(data.fileName, this);
    WriteViewSetting();
}

void myFrame::CmHelpContents() {
    gPaused = true;
    ShowHelp(help_topic::kContents, this);
}

void myFrame::CmAbout() {
    PauseForDialog pause;
    quorvelAboutDlg(this, kAboutTemplate).Execute();
}

// ---- the map pane's mouse modes

bool myFrame::SetMapMouseMode(int mode) {
    childMap* pane = layout_ ? layout_->mapPane() : nullptr;
    if (!viewOpen_ || !pane) return false;
    pane->SetMouseMode(mode);
    return true;
}

void myFrame::CmMakeYourOwnMap() {
    childMap* pane = layout_ ? layout_->mapPane() : nullptr;
    if (!viewOpen_ || !pane) return;
    pane->HideHighlight(false);
    ui::MessageBox(this, "Move mouse to NW corner of new map.  Then drag to SE.", "", ui::Buttons::Ok, ui::Icon::None);
    SetMapMouseMode(kMouseUserMap);
}

void myFrame::CmAddCity() {
    if (!viewOpen_ || !layout_ || !layout_->mapPane()) return;
    gPaused = true;
    AllNotesOff();
    SetInactivityCountdown(gTimeout);
    SetMapMouseMode(kMouseAddCity);
}

void myFrame::CmCoordinates() {
    if (!viewOpen_ || !layout_ || !layout_->mapPane()) return;
    layout_->mapPane()->HideHighlight(false);
    SetMapMouseMode(kMouseProbe);
}

void myFrame::AskForInfoSpotClick(const char* text, int mode) {
    if (!viewOpen_ || !layout_ || !layout_->mapPane()) return;
    gPaused = true;
    ui::MessageBox(this, text, "", ui::Buttons::Ok, ui::Icon::Information);
    SetMapMouseMode(mode);
}

void myFrame::CmNewInfoSpot() {
    AskForInfoSpotClick("Click on location where you want the new Information Box", kMouseNewInfoSpot);
}
void myFrame::CmDeleteInfoSpot() {
    AskForInfoSpotClick("Click on the Information Box that you want to delete.", kMouseDeleteInfoSpot);
}
void myFrame::CmEditInfoSpot() {
    AskForInfoSpotClick("Click on Information Spot that you want to edit.", kMouseEditInfoSpot);
}
void myFrame::CmInfoSpotTitle() {
    AskForInfoSpotClick("Click on Information Spot which needs new title.", kMouseInfoSpotTitle);
}
