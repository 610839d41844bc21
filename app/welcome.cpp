#include "app/welcome.h"

#include "app/globals.h"
#include "core/config.h"
#include "map/draw.h"
#include "platform/gfx/draw_context.h"

namespace gfx = platform::gfx;
namespace ui = platform::ui;

std::vector<std::string> WelcomeNoticeLines(bool configFound, unsigned initTimeout) {
    std::vector<std::string> lines = {"Kestrune", "This build has no welcome screen, start screen or button menu yet."};
    if (!configFound) lines.push_back("No QUORVEL.INI in " + gCurrentDirectory + ": the default settings are in use.");
    if (initTimeout != 0) {
        lines.push_back("The WORLD view opens after INIT TIMEOUT: " + std::to_string(initTimeout) +
                        (initTimeout == 1 ? " second." : " seconds."));
    } else {
        lines.push_back("INIT TIMEOUT is 0, so no view opens by itself.");
        lines.push_back("Set INIT TIMEOUT: 1 in QUORVEL.INI to open the WORLD view a second after the start.");
    }
    return lines;
}

void welcomeWindow::Paint(ui::BackBuffer& buffer, const ui::Rect&) {
    gfx::DrawContext dc(buffer);
    const ui::Rect c = clientRect();
    dc.FillRect(c, gfx::Brush::Solid(gColorTable[kLightGrayColor]));
    int y = c.height() / 3;
    bool first = true;
    for (const std::string& line : WelcomeNoticeLines(gConfigFileFound, gInitTimeout)) {
        const auto font = first ? gLargeFont : nullptr;
        const gfx::Rect box = DrawJustifiedText(dc, c.width() / 2, y, font, line, 0, kNoColor, HJust::Center, VJust::Top);
        y = box.bottom + (first ? 12 : 6);
        first = false;
    }
}
