#include "app/help_windows.h"

#include <algorithm>
#include <cmath>

#include "app/buttons.h"
#include "app/frame.h"
#include "app/globals.h"
#include "core/config.h"
#include "core/helpers.h"
#include "map/draw.h"
#include "platform/gfx/draw_context.h"
#include "platform/gfx/font.h"
#include "platform/gfx/surface.h"
#include "platform/ui/backbuffer.h"
#include "platform/ui/ui.h"

namespace gfx = platform::gfx;
namespace ui = platform::ui;
using gfx::Rect;

namespace {

constexpr int kTextPanelColor = kYellowColor;
constexpr int kKioskPanelColor = kWhiteColor;  // under DOVIREDEZUR
constexpr int kKioskBackgroundColor = kDoviredezurLightColor;
// Each round widens the box by a quarter: 40 rounds pass any screen.
constexpr int kMaxWidening = 40;

bool StartsWithTag(std::string_view line, std::string_view tag) {
    const std::size_t lt = line.find('<');
    return lt != std::string_view::npos && StartsWithIgnoringCase(line.substr(lt + 1), tag);
}

void SetInactivityToTimeout() {
    if (gMainFrame) gMainFrame->SetInactivityCountdown(gTimeout);
}

bool Kiosk() { return gControls[kControlDoviredezur] != 0; }

// Measuring needs a context but no pixels.
gfx::Surface& ScratchSurface() {
    static std::unique_ptr<gfx::Surface> scratch = gfx::Surface::Create(1, 1);
    return *scratch;
}

const gfx::TextMetrics& DefaultMetrics() { return gfx::Font::System()->metrics(); }

}  // namespace

// ---- the text ---------------------------------------------------------------------------

HelpText ParseHelpText(std::string_view content) {
    HelpText h;
    while (!content.empty()) {
        std::size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content = end == std::string_view::npos ? std::string_view() : content.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (StartsWithTag(line, "/PRE")) h.text += '\n';
        else if (!StartsWithTag(line, "PRE")) (h.text += line) += '\n';
    }
    const std::size_t lt = h.text.find('<');
    if (lt == std::string::npos || !StartsWithIgnoringCase(std::string_view(h.text).substr(lt + 1), "more"))
        return h;
    // A tag without its ">" runs to the end of the text; its name lies inside it.
    const std::size_t gt = h.text.find('>', lt);
    const std::size_t tagEnd = gt == std::string::npos ? h.text.size() : gt + 1;
    const std::string_view tag = std::string_view(h.text).substr(lt, tagEnd - lt);
    const std::size_t open = tag.find('"');
    const std::size_t close = open == std::string_view::npos ? open : tag.find('"', open + 1);
    if (close != std::string_view::npos)
        h.continuation = std::string(tag.substr(open + 1, std::min(close - open - 1, kHelpContinuationMax)));
    h.text.erase(lt, tagEnd - lt);
    return h;
}

HelpText ReadHelpText(const std::string& fileName) {
    const std::string path = FindDataFile(fileName);
    if (path.empty() || !FileExists(path)) return {"File " + fileName + " not found", {}};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return {"File " + fileName + " not found", {}};
    std::string content;
    char piece[4096];
    for (std::size_t n; (n = std::fread(piece, 1, sizeof piece, f)) > 0;) content.append(piece, n);
    std::fclose(f);
    return ParseHelpText(content);
}

// ---- the layout -------------------------------------------------------------------------

HelpLayout LayoutHelpWindow(const std::function<Rect(const Rect&, bool)>& measure, bool largeAvailable,
                            const std::function<int(bool)>& textHeight, gfx::Size screen) {
    HelpLayout l;
    l.largeFont = largeAvailable;
    auto widen = [&](bool large) {
        Rect r{0, 0, 160, 120};
        int lastWidth = -1;
        for (int round = 0; round < kMaxWidening; ++round) {
            r.right = static_cast<int>(r.right * 1.25);
            const Rect m = measure(r, large);
            r = {0, 0, m.width(), m.height()};
            if (r.width() >= 4 * r.height() / 3) break;
            // Lines broken by hand measure no wider however wide the box: widening again repeats this round.
            if (r.width() == lastWidth) break;
            lastWidth = r.width();
        }
        return r;
    };
    Rect text = widen(l.largeFont);
    if (l.largeFont && text.width() > static_cast<int>(screen.width * 0.8)) {
        l.largeFont = false;
        text = widen(false);
    }
    // Even the default font keeps within the screen: the text wraps into what is left.
    const int widest = std::max(screen.width - 56, 40);
    if (text.width() > widest) {
        const Rect m = measure({0, 0, widest, 120}, l.largeFont);
        text = {0, 0, std::min(m.width(), widest), m.height()};
    }
    l.panel = text.inflated(8, 8).translated({18, 18});
    Rect box = l.panel.inflated(10, 10);
    box = box.translated({(screen.width - box.width()) / 2 - box.left, (screen.height - box.height()) / 2 - box.top});
    box = box.translated({std::max(0, 10 - box.left), std::max(0, 10 - box.top)});
    box.bottom += 2 * textHeight(l.largeFont) + 10;
    l.box = box;
    return l;
}

// ---- the windows ------------------------------------------------------------------------

myHelpBase::myHelpBase(ui::Window* parent, std::string fileName)
    : Window(parent), fileName_(std::move(fileName)) {
    SetStyle(ui::style::kPopup | ui::style::kBorder | ui::style::kSysMenu | ui::style::kVisible);
    HelpText h = ReadHelpText(fileName_);
    text_ = std::move(h.text);
    continuation_ = std::move(h.continuation);
    gfx::DrawContext dc(ScratchSurface());
    const auto measure = [&](const Rect& box, bool large) {
        dc.SetFont(large && gLargeFont ? gLargeFont : gfx::Font::System());
        return dc.MeasureWrapped(box, text_, gfx::HAlign::Left);
    };
    const auto height = [](bool large) { return large && gLargeFont ? gLargeFont->metrics().height : DefaultMetrics().height; };
    layout_ = LayoutHelpWindow(measure, gLargeFont != nullptr, height, ui::ScreenSize());
    MoveWindow(layout_.box);
}

myHelpBase::~myHelpBase() {
    if (gone_) gone_();
}

int myHelpBase::charWidth() const { return DefaultMetrics().aveCharWidth; }
int myHelpBase::buttonTextHeight() const { return DefaultMetrics().height; }

void myHelpBase::SetupWindow() {
    Window::SetupWindow();
    SetInactivityToTimeout();
}

void myHelpBase::Paint(ui::BackBuffer& buffer, const ui::Rect&) {
    gfx::DrawContext dc(buffer);
    dc.FillRect(clientRect(), gfx::Brush::Solid(ColorOf(Kiosk() ? kKioskBackgroundColor : kLightGrayColor)));
    const Rect& p = layout_.panel;
    dc.FillRect(p, gfx::Brush::Solid(ColorOf(Kiosk() ? kKioskPanelColor : kTextPanelColor)));
    // Dark at the top and left, light at the bottom and right: the panel looks sunken.
    dc.SetPen(gfx::Pen::Solid(gfx::kBlack, 4));
    dc.MoveTo({p.left, p.bottom});
    dc.LineTo({p.left, p.top});
    dc.LineTo({p.right, p.top});
    dc.SetPen(gfx::Pen::Solid(gfx::kWhite, 4));
    dc.LineTo({p.right, p.bottom});
    dc.LineTo({p.left, p.bottom});
    dc.SetFont(layout_.largeFont && gLargeFont ? gLargeFont : gfx::Font::System());
    dc.SetTextColor(gfx::kBlack);
    dc.SetBackMode(gfx::BackMode::Transparent);
    dc.DrawWrapped({p.left + 8, p.top + 6, p.right - 8, p.bottom - 6}, text_, gfx::HAlign::Left);
}

// ---- myHelp

const ui::ResponseTable& myHelp::Table() {
    using R = ui::ResponseTableOf<myHelp, myHelpBase>;
    static const ui::ResponseTable table = R::Build({
        R::Command(kHelpBackButton, &myHelp::CmBack),
        R::Command(kHelpMoreButton, &myHelp::CmMore),
    });
    return table;
}

myHelp::myHelp(ui::Window* parent, std::string fileName) : myHelpBase(parent, std::move(fileName)) {}

void myHelp::SetupWindow() {
    myHelpBase::SetupWindow();
    const int cw = charWidth(), th = buttonTextHeight();
    const Rect c = clientRect();
    const int y = c.height() - 2 * th - 10;
    back_ = new textButton(this, kHelpBackButton, "Back", 10, y, cw * 10, 2 * th, 0);
    back_->Create();
    if (!continuation().empty()) {
        more_ = new textButton(this, kHelpMoreButton, "More...", c.width() - cw * 10 - 10, y, cw * 10, 2 * th, 0);
        more_->Create();
    }
    // Enter or Space presses Back without a click first.
    back_->SetFocus();
}

void myHelp::CmBack() {
    if (followOn_) followOn_->Destroy();
    followOn_ = nullptr;
    MarkClosed();
    CloseWindow();
    SetInactivityToTimeout();
}

void myHelp::CmMore() {
    if (continuation().empty()) return;
    if (followOn_) followOn_->Destroy();
    followOn_ = new myHelp(this, continuation());
    followOn_->Create();
}

void myHelp::ChildRemoved(ui::Window* child) {
    if (child == followOn_) followOn_ = nullptr;
    myHelpBase::ChildRemoved(child);
}

void myHelp::EvLButtonDown(ui::Point, std::uint32_t) { CmBack(); }
void myHelp::EvRButtonDown(ui::Point, std::uint32_t) { CmBack(); }

void myHelp::EvMouseMove(ui::Point p, std::uint32_t modifiers) {
    myHelpBase::EvMouseMove(p, modifiers);
    if (back_) UnhighlightTextButton(this, back_);
    if (more_) UnhighlightTextButton(this, more_);
}

// ---- myInfo

const ui::ResponseTable& myInfo::Table() {
    using R = ui::ResponseTableOf<myInfo, myHelpBase>;
    static const ui::ResponseTable table = R::Build({
        R::Command(kInfoStartButton, &myInfo::CmStart),
    });
    return table;
}

myInfo::myInfo(ui::Window* parent, std::string fileName) : myHelpBase(parent, std::move(fileName)) {}

void myInfo::SetupWindow() {
    myHelpBase::SetupWindow();
    const int cw = charWidth(), th = buttonTextHeight();
    const Rect c = clientRect();
    start_ = new textButton(this, kInfoStartButton, "Start", c.width() - cw * 12 - 10, c.height() - 2 * th - 10,
                            cw * 12, 2 * th, 0);
    start_->Create();
    start_->SetFocus();
}

void myInfo::CmStart() {
    MarkClosed();
    // Told before the close: the handler may forget this window.
    auto started = started_;
    CloseWindow();
    if (started) started();
}

void myInfo::EvLButtonDown(ui::Point, std::uint32_t) { CloseWindow(); }
void myInfo::EvRButtonDown(ui::Point, std::uint32_t) { CloseWindow(); }

myHelp* OpenHelpWindow(ui::Window& parent, const std::string& fileName) {
    auto* w = new myHelp(&parent, fileName);
    w->Create();
    return w;
}
