// The frame's side of the list of views: reading it, showing the button
// menu, opening what it chose, and the script's next view.
#include <string>

#include "app/adjusters.h"
#include "app/floating_legend.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/help_windows.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/select_window.h"
#include "app/start_window.h"
#include "app/view_list.h"
#include "app/view_open.h"
#include "app/welcome.h"
#include "core/config.h"
#include "core/eruption.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/window_helpers.h"

namespace ui = platform::ui;

bool myFrame::ReadViewList(const std::string& name) {
    if (!ReadViewListFile(name, gViewList)) {
        ErrorBox(this, kMsgCannotOpenView, name);
        return false;
    }
    currentViewGroup_ = 0;
    return true;
}

void myFrame::ChildRemoved(ui::Window* child) {
    if (child == buttonMenu_) buttonMenu_ = nullptr;
    if (child == retiredButtonMenu_) retiredButtonMenu_ = nullptr;
    if (child == layout_) layout_ = nullptr;
    if (child == welcome_) welcome_ = nullptr;
    if (child == start_) start_ = nullptr;
    if (child == infoWindow_) infoWindow_ = nullptr;
    if (crossSectionDialog_ && child == crossSectionDialog_) crossSectionDialog_ = nullptr;
    if (interactiveDialog_ && child == interactiveDialog_) interactiveDialog_ = nullptr;
    Frame::ChildRemoved(child);
}

void myFrame::ShowButtonMenu(std::int32_t group) {
    // The shown menu may be the one whose handler sent this: it is hidden
    // now and deleted only when the next menu replaces it.
    if (retiredButtonMenu_) retiredButtonMenu_->Destroy();
    retiredButtonMenu_ = buttonMenu_;
    if (retiredButtonMenu_) retiredButtonMenu_->Show(ui::ShowCommand::Hide);
    buttonMenu_ = new selectWindow(group, this);
    SetClient(buttonMenu_);
    buttonMenu_->SetFocus();
}

void myFrame::HideViewForMenu() {
    StopAnimationTimer();
    CloseQuakeCatalogue();
    CloseEruptionCatalogue();
    if (layout_) {
        EraseTransientMarkers();
        layout_->Show(ui::ShowCommand::Hide);  // kept for the next view
    }
    if (start_) start_->Show(ui::ShowCommand::Hide);
}

void myFrame::NoViewShown() {
    SetCaption("Kestrune");
    viewOpen_ = false;
    gCanClose = false;
    gNewView = false;
    if (welcome_) welcome_->Destroy();
    welcome_ = nullptr;
}

void myFrame::CmSelectMenu() {
    if (!MayLetTheViewGo()) return;
    HideFloatingLegend();
    HideViewForMenu();
    (void)ReadViewList(viewListFile_);
    ShowButtonMenu(0);
    ResetIdleCountdown();
    NoViewShown();
}

void myFrame::CmShowSelectGroup() {
    if (!MayLetTheViewGo()) return;
    pauseAtEndCountdown_ = 0;
    CloseInfoWindows();
    HideViewForMenu();
    ShowButtonMenu(currentViewGroup_);
    NoViewShown();
}

void myFrame::CmOpenSelectedView() {
    StopAnimationTimer();
    CloseQuakeCatalogue();
    CloseEruptionCatalogue();
    EraseTransientMarkers();
    if (selectedViewName_.empty()) return;
    gRedrawMap = false;
    const std::string name = selectedViewName_;
    OpenView(name.c_str());
}

bool myFrame::OpenNextScriptView() {
    // Read here when no menu has read it yet (a start that went straight to
    // a view); quietly, as nobody may be there to answer a box.
    if (gViewList.IsEmpty() && ReadViewListFile(viewListFile_, gViewList)) currentViewGroup_ = 0;
    const int next = NextScriptIndex(gViewListIndex, gViewList, gOpenedViewName);
    const ViewListEntry* e = ViewListEntryAt(gViewList, next);
    if (!e) {
        static bool logged = false;
        if (!logged) DebugLog("RUN SCRIPT: no views in %s; the view starts again", viewListFile_.c_str());
        logged = true;
        return false;
    }
    gViewListIndex = next;
    currentViewName_ = e->viewName;
    OpenView(currentViewName_.c_str());
    return true;
}
