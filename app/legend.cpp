#include "app/legend.h"

#include <algorithm>
#include <cmath>

#include "app/buttons.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/layout.h"
#include "core/config.h"
#include "core/number_text.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "map/eruption_symbols.h"

namespace gfx = platform::gfx;
namespace ui = platform::ui;
using gfx::Rect;

namespace {

constexpr int kMomentStyle = 4;
constexpr int kSwatches = 10;
constexpr int kLargestEruption = 7;
constexpr int kTextMargin = 4;  // columns between the longest text and the frame

struct EruptionType {
    const char* name;
    char type;  // the record's type letter; its colour is the map's
};
constexpr EruptionType kEruptionTypes[] = {
    {"Not erupting", 0}, {"Lava", 'L'}, {"Explosive", 'E'}, {"Both", 'B'}, {"Unknown", 'U'},
};

bool Control(int index) { return gControls[index] != 0; }
bool Moment() { return gSymbolStyle == kMomentStyle; }

void LegendText(gfx::DrawContext& dc, int x, int y, const std::string& text, HJust h, VJust v) {
    DrawJustifiedText(dc, x, y, gLegendFont, text, kBlackColor, kNoColor, h, v);
}

}  // namespace

LegendScale MeasureLegend(const gfx::TextMetrics& legendFont, int paneFontHeight, int screenHeight) {
    LegendScale s;
    s.cw = legendFont.aveCharWidth;
    s.th = legendFont.height;
    s.tmH = paneFontHeight;
    s.k = screenHeight / 480.0;
    s.kx = s.k * 1.36;
    s.keyH = 3 * s.th / 4;
    return s;
}

std::vector<std::string> LegendScaleLabels() {
    std::vector<std::string> labels;
    for (int i = 0; i <= kSwatches; i += 2) {
        if (Moment()) {
            const double m = gMinMagnitude + static_cast<double>(gMaxMagnitude - gMinMagnitude) * i / kSwatches;
            labels.push_back(FormatFixed(i == kSwatches ? gMaxMagnitude : m, 1, 4));
        } else {
            const double d = gMinDepth + (gMaxDepth - gMinDepth) * i / kSwatches;
            labels.push_back(FormatGeneral(i == kSwatches ? gMaxDepth : d));
        }
    }
    return labels;
}

std::vector<MagnitudeKeyRow> MagnitudeKeyRows(int top, int th, int bottom, int* end) {
    std::vector<MagnitudeKeyRow> rows;
    long long y = top;
    // A view may name any range: rows past the pane are never drawn.
    for (long long m = gMinMagnitude; m <= gMaxMagnitude && y <= bottom; ++m) {
        const double radius = DotRadius(static_cast<double>(m));
        const double r = std::max(radius, static_cast<double>(th / 4));
        MagnitudeKeyRow row;
        row.magnitude = static_cast<int>(m);
        row.y = static_cast<int>(y);
        row.labelY = TruncToInt(static_cast<double>(y) - r / 2);
        row.radius = std::max(0, TruncToInt(radius));
        row.atCutoff = static_cast<double>(m) >= gMagnitudeCutoff;
        rows.push_back(row);
        y = TruncToInt(static_cast<double>(y) + th / 2 + 2 * r);
    }
    if (end) *end = static_cast<int>(y);
    return rows;
}

std::vector<EruptionKeyRow> EruptionKeyRows(int top, double k, double kx) {
    std::vector<EruptionKeyRow> rows;
    int y = top;
    for (int s = 1; s <= kLargestEruption; ++s) {
        rows.push_back({s, y, s >= gEruptionMagnitudeCutoff});
        y = TruncToInt(y + (k + kx) * s + 6);
    }
    return rows;
}

// ---- the pane -------------------------------------------------------------------------------

childLegend::childLegend(ui::Window* parent) : Window(parent) {}

const ui::ResponseTable& childLegend::Table() {
    using R = ui::ResponseTableOf<childLegend, ui::Window>;
    static const ui::ResponseTable table = R::Build({
        R::Command(kLegendKeyButton, &childLegend::CmKeyButton),
    });
    return table;
}

void childLegend::Paint(ui::BackBuffer& buffer, const ui::Rect&) {
    gfx::DrawContext dc(buffer);
    dc.FillRect(clientRect(), gfx::Brush::Solid(ColorOf(kLightGrayColor)));
    DrawLegend(dc);
}

Rect childLegend::LegendRect() const {
    Rect r = clientRect();
    r.bottom -= 1;
    return r;
}

void childLegend::DrawLegend(gfx::DrawContext& dc) {
    const gfx::TextMetrics legend = gLegendFont ? gLegendFont->metrics() : dc.textMetrics();
    scale_ = MeasureLegend(legend, dc.textMetrics().height, gScreenHeight);
    quakeCounter_ = eruptionCounter_ = {};
    magnitudeTop_.reset();
    eruptionTop_.reset();

    const Rect R = LegendRect();
    DrawBevelFrame(dc, R, Control(kControlDoviredezur) ? kDoviredezurLightColor : kLightGrayColor, false, 2, 0);
    int y = KeyButtonRow(scale_.th / 2);
    if (gShowEarthquakes) y = DrawQuakeSection(dc, y);
    if (gShowEruptions) DrawEruptionSection(dc, y);
    DrawCounters(dc, 0, 0);
}

int childLegend::KeyButtonRow(int y) {
    if (!Control(kControlShowKeyButton)) return y;
    const int height = TruncToInt(scale_.tmH * gButtonHeight);
    if (!keyButton_) {
        const Rect R = LegendRect();
        keyButton_ = new textButton(this, kLegendKeyButton, "Key", R.left + 5, y, R.width() - 10, height, 0);
        if (created()) keyButton_->Create();
    }
    return y + scale_.th / 4 + height;
}

Rect childLegend::DrawCounterBox(gfx::DrawContext& dc, int* y) {
    if (!Control(kControlShowEventCounters)) return {};
    const Rect R = LegendRect();
    const int w = R.width();
    const Rect box{w / 2 - 6 * scale_.cw, *y, w / 2 + 6 * scale_.cw, *y + scale_.th + 4};
    DrawBevelFrame(dc, box, kWhiteColor, true, 2, 0);
    *y += box.height() + 2;
    return box.inflated(-2, -2);
}

int childLegend::DrawQuakeSection(gfx::DrawContext& dc, int y) {
    const Rect R = LegendRect();
    const LegendScale& s = scale_;
    DrawJustifiedText(dc, R.right / 2, y, dc.font(), "Earthquakes", kBlackColor, kNoColor, HJust::Center, VJust::Top);
    y += s.tmH + 2;
    quakeCounter_ = DrawCounterBox(dc, &y);

    LegendText(dc, R.right - 5, y, Moment() ? "Moment Rel" : "Depth(km)", HJust::Right, VJust::Top);
    if (!Moment()) LegendText(dc, R.left, y, "Magnitude", HJust::Left, VJust::Top);
    y += 2 * s.th;
    const int scaleTop = y;

    const int xs = R.right - 10 * s.cw;
    const std::vector<std::string> labels = LegendScaleLabels();
    {
        gfx::StateSaver saver(dc);
        dc.SetPen(gfx::Pen::Solid(ColorOf(kBlackColor)));
        for (int i = 0; i < kSwatches; ++i) {
            if (i % 2 == 0) LegendText(dc, xs + 4 * s.cw, y, labels[i / 2], HJust::Left, VJust::Center);
            dc.SetBrush(gfx::Brush::Solid(ColorOf(gDepthColors[i])));
            dc.Rectangle({xs, y, xs + 3 * s.cw, y + s.keyH + 1});
            y += s.keyH;
        }
    }
    LegendText(dc, xs + 4 * s.cw, y, labels.back(), HJust::Left, VJust::Center);
    y += 2 * s.keyH;

    dotX_ = TruncToInt(DotRadius(gMaxMagnitude + 1.0) + 2 * s.cw);
    magnitudeTop_ = scaleTop;
    y = std::max(y, DrawMagnitudeKey(dc));

    // The eruption section moves down into the room the pane leaves below.
    const double room = R.bottom - (2 * s.th + 62) - s.tmH - y - s.kx * 28 - s.k * 28 -
                        2 * quakeCounter_.height() - s.tmH * gButtonHeight;
    const int shift = TruncToInt(room / 2);
    if (shift > 0) y += shift;
    return y;
}

int childLegend::DrawEruptionSection(gfx::DrawContext& dc, int y) {
    const Rect R = LegendRect();
    const LegendScale& s = scale_;
    DrawJustifiedText(dc, R.width() / 2, y, dc.font(), "Eruptions", kBlackColor, kNoColor, HJust::Center, VJust::Top);
    y += s.tmH + 2;
    eruptionCounter_ = DrawCounterBox(dc, &y);
    LegendText(dc, R.left, y, "Magnitude    Type", HJust::Left, VJust::Top);
    y += 2 * s.th;

    eruptionTop_ = y;
    const int keyX = DrawEruptionKey(dc);
    int xt = TruncToInt(keyX + s.kx * 14);
    // The longest type name ends a margin inside the frame: the column moves
    // left into the room beside the key's largest triangle when it must.
    int widest = 0;
    for (const EruptionType& type : kEruptionTypes) {
        const Rect box = DrawJustifiedText(dc, 0, 0, gLegendFont, type.name, kNoColor, kNoColor, HJust::Left,
                                           VJust::Center);
        widest = std::max(widest, box.right);
    }
    widest += (gLegendFont ? gLegendFont->metrics() : dc.textMetrics()).aveCharWidth / 2;  // the left set-in
    const int over = TruncToInt(2 * s.kx + xt + 3) + widest - (R.right - 2 - kTextMargin);
    if (over > 0) xt = std::max(TruncToInt(keyX + s.kx * (kLargestEruption + 3)), xt - over);
    for (const EruptionType& type : kEruptionTypes) {
        DrawEruptionSymbol(dc, xt, y, 2, ColorOf(EruptionColour(type.type)), ColorOf(kBlackColor));
        LegendText(dc, TruncToInt(2 * s.kx + xt + 3), y, type.name, HJust::Left, VJust::Center);
        y += s.th;
    }
    return y;
}

int childLegend::DrawMagnitudeKey(gfx::DrawContext& dc) {
    if (!magnitudeTop_) return 0;
    const Rect R = LegendRect();
    int end = *magnitudeTop_;
    for (const MagnitudeKeyRow& row : MagnitudeKeyRows(*magnitudeTop_, scale_.th, R.bottom, &end)) {
        DrawNumberLabel(dc, R.left + scale_.cw / 2, row.labelY, gLegendFont, row.magnitude, HJust::Left,
                        VJust::Center, kBlackColor);
        if (row.radius > 0) {
            DrawDot(dc, nullptr, dotX_, row.y, row.radius, ColorOf(kBlackColor),
                    ColorOf(row.atCutoff ? kRedColor : kLightGrayColor), 2);
        }
    }
    return end;
}

int childLegend::DrawEruptionKey(gfx::DrawContext& dc) {
    const Rect R = LegendRect();
    const int x = TruncToInt(scale_.kx * 7 + R.left + 2 * scale_.cw);
    if (!eruptionTop_) return x;
    for (const EruptionKeyRow& row : EruptionKeyRows(*eruptionTop_, scale_.k, scale_.kx)) {
        DrawNumberLabel(dc, R.left + scale_.cw / 2, row.y, gLegendFont, row.size, HJust::Left, VJust::Center, kBlackColor);
        DrawEruptionSymbol(dc, x, row.y, row.size, ColorOf(row.atCutoff ? kYellowColor : kLightGrayColor),
                           ColorOf(kBlackColor));
    }
    return x;
}

int childLegend::DrawMagnitudeKey() {
    gfx::DrawContext dc(backBuffer());
    return DrawMagnitudeKey(dc);
}

int childLegend::DrawEruptionKey() {
    gfx::DrawContext dc(backBuffer());
    return DrawEruptionKey(dc);
}

void childLegend::DrawEventCounters(int quakes, int eruptions) {
    gfx::DrawContext dc(backBuffer());
    DrawCounters(dc, quakes, eruptions);
}

void childLegend::DrawCounters(gfx::DrawContext& dc, int quakes, int eruptions) {
    quakes_ = quakes;
    eruptions_ = eruptions;
    if (!Control(kControlShowEventCounters)) return;
    const struct {
        bool shown;
        const Rect& box;
        int count;
    } counters[] = {{gShowEarthquakes, quakeCounter_, quakes}, {gShowEruptions, eruptionCounter_, eruptions}};
    for (const auto& c : counters) {
        if (!c.shown || c.box.empty()) continue;
        gfx::StateSaver saver(dc);
        dc.IntersectClip(c.box);
        dc.FillRect(c.box, gfx::Brush::Solid(ColorOf(kWhiteColor)));
        DrawNumberLabel(dc, c.box.right, c.box.top, dc.font(), c.count, HJust::Right, VJust::Top, kBlackColor);
    }
}

void childLegend::UnhighlightKeyButton() { UnhighlightTextButton(this, keyButton_); }

void childLegend::CmKeyButton() {
    // The map pane opens the key text through its text window.
    auto* layout = dynamic_cast<myLayoutWindow*>(parent());
    if (layout) layout->map().window().SendCommand(kMapCmKeyText);
}

void childLegend::EvMouseMove(ui::Point p, std::uint32_t modifiers) {
    Window::EvMouseMove(p, modifiers);
    if (gMainFrame) gMainFrame->UnhighlightPaneButtons();
}

void childLegend::ChildRemoved(ui::Window* child) {
    if (child == keyButton_) keyButton_ = nullptr;
    Window::ChildRemoved(child);
}
