// The map pane's text window and its Information button.
#include "app/buttons.h"
#include "app/event_step.h"
#include "app/help_windows.h"
#include "core/config.h"
#include "map/child_map.h"
#include "platform/gfx/font.h"

namespace ui = platform::ui;

namespace {

constexpr int kInformationButton = 1053;

// One map pane at a time; the window says when it goes, so this never dangles.
myHelp* gPaneTextWindow = nullptr;

}  // namespace

void AppPaneSeams::OpenTextWindow(childMap& pane, const std::string& file) {
    CloseTextWindow(pane);
    gPaneTextWindow = OpenHelpWindow(pane, file);
    myHelp* opened = gPaneTextWindow;
    gPaneTextWindow->SetGoneHandler([opened] {
        if (gPaneTextWindow == opened) gPaneTextWindow = nullptr;
    });
}

void AppPaneSeams::CloseTextWindow(childMap&) {
    if (!gPaneTextWindow) return;
    myHelp* w = gPaneTextWindow;
    gPaneTextWindow = nullptr;
    w->Destroy();
}

platform::ui::Window* PaneTextWindow() { return gPaneTextWindow; }

void AppPaneSeams::InformationButton(childMap& pane) {
    const platform::gfx::TextMetrics& m = platform::gfx::Font::System()->metrics();
    const int width = 13 * m.aveCharWidth;
    const int height = std::max(1, static_cast<int>((gTextHeight > 0 ? gTextHeight : m.height) * gButtonHeight));
    const ui::Rect c = pane.clientRect();
    const int x = c.right - width - 5, y = c.bottom - height - 5;
    auto* button = dynamic_cast<textButton*>(pane.ChildWithId(kInformationButton));
    if (!button) {
        button = new textButton(&pane, kInformationButton, "Information", x, y, width, height, 0);
        if (pane.created()) button->Create();
    } else {
        button->MoveWindow(ui::Rect::FromSize(x, y, width, height));
    }
    button->Show(ui::ShowCommand::Show);
    button->Invalidate();
}
