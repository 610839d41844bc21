#include "app/start_window.h"

#include <algorithm>
#include <climits>

#include "app/buttons.h"
#include "app/commands.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/help_windows.h"
#include "app/housekeeping.h"
#include "app/select_window.h"
#include "app/sound.h"
#include "app/welcome.h"
#include "core/config.h"
#include "core/helpers.h"
#include "map/draw.h"
#include "platform/gfx/bmp.h"
#include "platform/sys/files.h"

namespace gfx = platform::gfx;
namespace ui = platform::ui;
using gfx::Rect;

namespace {

void SendFrame(int id) {
    if (gMainFrame) gMainFrame->SendCommand(id);
}

}  // namespace

startWindow::~startWindow() {
    CloseTextWindow();
    KillTimer(kStartTimer);
    // The buttons are children: the window layer deletes them with this one.
}

const ui::ResponseTable& startWindow::Table() {
    using R = ui::ResponseTableOf<startWindow, ui::Window>;
    static const ui::ResponseTable table = R::Build({
        R::Command(kCmStart, &startWindow::CmGo),
        R::Command(kCmEnterKey, &startWindow::CmGo),
        R::Command(kCmStartInformation, &startWindow::CmInformation),
        R::Command(kCmStartExit, &startWindow::CmExit),
    });
    return table;
}

void startWindow::SetupWindow() {
    Window::SetupWindow();
    StopTimeout();
    if (!gControls[kControlStartScreen]) {
        // Posted: the frame is still making this window its client.
        Show(ui::ShowCommand::Hide);
        if (gMainFrame) gMainFrame->PostCommand(kCmSelectMenu);
        return;
    }
    gfx::ImageError error;
    if (const auto path = platform::FindPath(kStartPictureFile)) picture_ = gfx::LoadBmp(*path, &error);
    if (!picture_ && error.fault != gfx::ImageFault::None && error.fault != gfx::ImageFault::CannotOpen)
        DebugLog("START.BMP not shown: %s", error.message.c_str());
    if (gInitTimeout != 0) {
        const long long ms = static_cast<long long>(CountdownSeconds(gInitTimeout)) * 1000;
        timeoutRunning_ = SetTimer(kStartTimer, static_cast<int>(std::min<long long>(ms, INT_MAX)));
    }
}

void startWindow::Paint(ui::BackBuffer& buffer, const ui::Rect&) {
    AllNotesOff();
    gfx::DrawContext dc(buffer);
    const Rect c = clientRect();
    const int L = c.left, T = c.top, R = c.right, B = c.bottom;
    dc.FillRect(c, gfx::Brush::Solid(ColorOf(kLightGrayColor)));

    gScreenMetrics = dc.textMetrics();
    const int cw = gScreenMetrics.aveCharWidth;
    const int bh = static_cast<int>(gScreenMetrics.height * gButtonHeight);
    const Rect upper{L, T, R, B - bh - 10};
    pictureArea_ = upper.inflated(-8, -8);
    // True colour needs no palette: the picture's colours are drawn as they are.
    if (picture_ && !pictureArea_.empty()) dc.StretchImage(pictureArea_, *picture_, picture_->bounds());
    DrawDoubleBevelFrame(dc, upper, 3, 5);
    DrawBevelFrame(dc, {L, B - bh - 10, R, B}, kLightGrayColor, false, 3, 0);

    MakeButtons(L, R, B, bh, cw);
    gCanClose = true;
}

void startWindow::MakeButtons(int L, int R, int B, int bh, int cw) {
    const int y = B - bh - 6;
    auto make = [&](int id, const std::string& caption, int x, int width) {
        auto* b = new textButton(this, id, caption, x, y, width, bh, 0);
        if (created()) b->Create();
        return b;
    };
    if (!go_) go_ = make(kCmStart, "Go", (R - 90) / 2, 90);
    if (!information_) information_ = make(kCmStartInformation, "Information", R - 13 * cw - 5, 13 * cw);
    if (gControls[kControlCanExit] && !exit_) {
        const int width = static_cast<int>(gExitButtonLabel.size() + 3) * cw;
        exit_ = make(kCmStartExit, gExitButtonLabel, L + 5, width);
    }
}

void startWindow::StopTimeout() {
    KillTimer(kStartTimer);
    timeoutRunning_ = false;
}

void startWindow::EvShowWindow(bool shown) {
    // Hidden, the screen must not go on by itself over whatever replaced it.
    if (!shown) StopTimeout();
    Window::EvShowWindow(shown);
}

void startWindow::ChildRemoved(ui::Window* child) {
    // A text window that closed itself is not closed again.
    if (child == textWindow_) textWindow_ = nullptr;
    Window::ChildRemoved(child);
}

void startWindow::CloseTextWindow() {
    if (!textWindow_) return;
    ui::Window* w = textWindow_;
    textWindow_ = nullptr;
    w->Destroy();
}

void startWindow::CmGo() {
    CloseTextWindow();
    (void)OpenMidiOut();
    StopTimeout();
    SendFrame(kCmSelectMenu);
}

void startWindow::CmInformation() {
    CloseTextWindow();
    textWindow_ = OpenHelpWindow(*this, kStartTextFile);
    if (textWindow_ && !textWindow_->created()) textWindow_->Create();
}

void startWindow::CmExit() {
    CloseTextWindow();
    StopTimeout();
    SendFrame(kCmExit);
}

void startWindow::EvTimer(int id) {
    if (id != kStartTimer) return;
    StopTimeout();
    CmGo();
    CloseTextWindow();
}

void startWindow::EvMouseMove(ui::Point p, std::uint32_t modifiers) {
    Window::EvMouseMove(p, modifiers);
    UnhighlightTextButton(this, go_);
    UnhighlightTextButton(this, exit_);
    UnhighlightTextButton(this, information_);
}
