#include "app/welcome.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "app/buttons.h"
#include "app/commands.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/housekeeping.h"
#include "app/sound.h"
#include "app/version.h"
#include "core/config.h"
#include "core/helpers.h"
#include "map/draw.h"
#include "platform/gfx/draw_context.h"
#include "platform/sys/files.h"

namespace gfx = platform::gfx;
namespace ui = platform::ui;
using gfx::Rect;

namespace {

constexpr int kStripeStep = 8;
constexpr int kStripeHeight = 10;

// INIT TIMEOUT as a timer interval; a huge setting waits as long as a timer can.
int InitTimeoutMs() {
    const long long ms = static_cast<long long>(CountdownSeconds(gInitTimeout)) * 1000;
    return static_cast<int>(std::min<long long>(ms, INT_MAX));
}

}  // namespace

std::optional<int> WelcomeStripeBlue(int k, int bottom) {
    if (bottom <= 0 || k < 0 || static_cast<long long>(k) * kStripeStep >= bottom) return std::nullopt;
    const long long fade = 255LL * kStripeStep * k / bottom;
    return static_cast<int>(std::max<long long>(0, 255 - fade));
}

WelcomeLayout LayoutWelcome(int top, int e, int th, int productHeight, const WelcomeVersion& version) {
    WelcomeLayout out;
    auto& lines = out.lines;
    int y = top + e;
    if (version.product) {
        lines.push_back({y, WelcomeFont::Product, *version.product});
        y += static_cast<int>(1.2 * productHeight);
    }
    lines.push_back({y, WelcomeFont::Large, kWelcomeDescription});
    lines.push_back({y + e, WelcomeFont::Large, kWelcomeCredits[0]});
    y += 2 * e;
    lines.push_back({y, WelcomeFont::Large, kWelcomeCredits[1]});
    lines.push_back({y + e, WelcomeFont::Large, kWelcomeCredits[2]});
    y += 2 * e;
    if (version.version) {
        lines.push_back({y, WelcomeFont::Default, *version.version});
        y += th;
    }
    if (version.legal) {
        lines.push_back({y, WelcomeFont::Default, *version.legal});
        y += th;
    }
    lines.push_back({y, WelcomeFont::Default, kWelcomeCredits[3]});
    lines.push_back({y + th, WelcomeFont::Default, kWelcomeCredits[4]});
    y += 2 * th;
    lines.push_back({y, WelcomeFont::Large, kWelcomeCredits[5]});
    const int t = static_cast<int>(1.4 * e);
    out.promptY = y + t;
    out.buttonY = y + 2 * t;
    return out;
}

// ---- the window -------------------------------------------------------------------

welcomeWindow::~welcomeWindow() {
    KillTimer(WelcomeTimer);
    // The Start button is a child: the window layer deletes it with this one.
}

const ui::ResponseTable& welcomeWindow::Table() {
    using R = ui::ResponseTableOf<welcomeWindow, ui::Window>;
    static const ui::ResponseTable table = R::Build({
        R::Command(kCmStart, &welcomeWindow::CmStart),
        R::Command(kCmEnterKey, &welcomeWindow::CmStart),
        R::Command(kCmCancelTimeout, &welcomeWindow::CmCancelTimeout),
    });
    return table;
}

void welcomeWindow::Paint(ui::BackBuffer& buffer, const ui::Rect&) {
    gfx::DrawContext dc(buffer);
    const Rect c = clientRect();
    const int L = c.left, T = c.top, R = c.right, B = c.bottom, W = R - L;
    dc.FillRect(c, gfx::Brush::Solid(ColorOf(kBlueColor)));
    for (int k = 0;; ++k) {
        const std::optional<int> blue = WelcomeStripeBlue(k, B);
        if (!blue) break;
        const Rect stripe{L, T + k * kStripeStep, R, T + k * kStripeStep + kStripeHeight};
        dc.FillRect(stripe, gfx::Brush::Solid(gfx::Color(0, 0, static_cast<std::uint8_t>(*blue))));
    }
    DrawDoubleBevelFrame(dc, c, 3, 5);

    gScreenMetrics = dc.textMetrics();
    const int th = gScreenMetrics.height;
    const int cw = gScreenMetrics.aveCharWidth;
    const int e = gLargeMetrics.height;

    const ProjectRCVersion resource;
    WelcomeVersion version;
    if (resource.IsOK()) {
        version.product = resource.Query("ProductName");
        version.version = resource.Query("ProductVersion");
        version.legal = resource.Query("LegalCopyright");
    }
    std::shared_ptr<const gfx::Font> productFont;
    int productHeight = 0;
    if (version.product) {
        productFont = gfx::Font::Create("TimesRoman", 3 * th, gfx::kBoldWeight);
        gfx::StateSaver saver(dc);
        dc.SetFont(productFont);
        productHeight = dc.textMetrics().height;
    }
    const WelcomeLayout layout = LayoutWelcome(T, e, th, productHeight, version);
    for (const WelcomeLine& line : layout.lines) {
        const auto& font = line.font == WelcomeFont::Product ? productFont
                           : line.font == WelcomeFont::Large ? gLargeFont
                                                              : nullptr;
        DrawJustifiedText(dc, W / 2, line.y, font, line.text, kYellowColor, kNoColor, HJust::Center, VJust::Top, 2, 0);
    }
    DrawJustifiedText(dc, W / 2, layout.promptY, gLargeFont, kWelcomePrompt, kWhiteColor, kRedColor, HJust::Center,
                      VJust::Top);

    const int bh = static_cast<int>(th * gButtonHeight);
    const int bw = 10 * cw;
    if (!start_) {
        start_ = new textButton(this, kCmStart, "Start", (W - bw) / 2, layout.buttonY, bw, bh, 0);
        if (created()) start_->Create();
    }
    DrawWelcomeText(dc, {L + 3 * cw, start_->rect().bottom, R - 3 * cw, B - e});
    if (gScreenWidth < 1024) DrawResolutionWarning(dc, c, e, bh, cw);

    gCanClose = true;
    if (gInitTimeout != 0 && !timeoutCancelled_) {
        // Every paint starts the countdown again.
        timeoutRunning_ = SetTimer(WelcomeTimer, InitTimeoutMs());
    }
}

void welcomeWindow::DrawWelcomeText(gfx::DrawContext& dc, const Rect& area) {
    std::FILE* f = OpenDataFile(kWelcomeTextFile, "rt");
    if (!f) {
        if (std::FILE* log = platform::OpenFile("quorvel.log", "wt")) {
            std::fprintf(log, "quor_dir in welcome: %s\n", gProgramDir.c_str());
            std::fprintf(log, "Problem opening file: quorvel.txt\n");
            std::fclose(log);
        }
        return;
    }
    const std::string text = ReadWelcomeText(f);
    std::fclose(f);
    if (area.empty() || text.empty()) return;
    gfx::StateSaver saver(dc);
    dc.SetFont(gLargeFont);
    dc.SetTextColor(ColorOf(kYellowColor));
    dc.SetBackMode(gfx::BackMode::Transparent);
    (void)dc.DrawWrapped(area, text, gfx::HAlign::Left);
}

void welcomeWindow::DrawResolutionWarning(gfx::DrawContext& dc, const Rect& c, int e, int bh, int cw) {
    const Rect box{c.left + 13 * cw, c.bottom - e - 2 * bh, c.right - 13 * cw, c.bottom - e};
    if (box.empty()) return;
    dc.FillRect(box, gfx::Brush::Solid(ColorOf(kWhiteColor)));
    gfx::StateSaver saver(dc);
    dc.SetTextColor(ColorOf(kBlackColor));
    dc.SetBackMode(gfx::BackMode::Transparent);
    (void)dc.DrawWrapped(box.inflated(-5, -5), kLowResolutionWarning, gfx::HAlign::Left);
}

void welcomeWindow::StopTimeout() {
    KillTimer(WelcomeTimer);
    timeoutRunning_ = false;
}

void welcomeWindow::CmStart() {
    CloseMidiFile();
    (void)OpenMidiOut();
    StopTimeout();
    // The frame replaces this window; the layer deletes it once this handler returns.
    if (gMainFrame) gMainFrame->SendCommand(kCmStartScreen);
}

void welcomeWindow::CmCancelTimeout() {
    StopTimeout();
    timeoutCancelled_ = true;
}

void welcomeWindow::EvTimer(int id) {
    StopTimeout();
    if (id == WelcomeTimer) CmStart();
}

void welcomeWindow::EvMouseMove(ui::Point p, std::uint32_t modifiers) {
    Window::EvMouseMove(p, modifiers);
    UnhighlightTextButton(this, start_);
}
