// Where the control panel's buttons, boxes and read-out go, in the standard
// and the kiosk layout.
#include "app/control_panel.h"

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include "app/buttons.h"
#include "app/control_panel_parts.h"
#include "app/globals.h"
#include "app/slider.h"
#include "app/speed.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/draw.h"
#include "platform/gfx/font.h"

namespace gfx = platform::gfx;

namespace ui = platform::ui;
using gfx::Point;
using gfx::Rect;
using namespace control_panel;

int ControlPanelHeight(childControl::Kind kind, int screenFontHeight, double buttonHeight, bool showSlider) {
    if (kind == childControl::Kind::Standard) return childControl::kStandardHeight;
    const int h = static_cast<int>(screenFontHeight * buttonHeight);
    return h + 14 + (showSlider ? 38 : 0);
}

textButton* childControl::AddText(int id, const char* caption, int x, int y, int width, int height, bool hidden) {
    auto* b = new textButton(this, id, caption, x, y, width, height, 0);
    if (hidden) b->Show(ui::ShowCommand::Hide);
    return b;
}

myButton* childControl::AddBitmap(int id, int bitmap, int mode, int x, int y, int size) {
    return new myButton(this, id, bitmap, "", mode, x, y, size, size);
}

ui::CheckBox* childControl::AddCheck(int id, const char* caption, int x, int y, int width, int height) {
    return new ui::CheckBox(this, ui::ControlKind::CheckBox, id, caption, 0, Rect::FromSize(x, y, width, height));
}

namespace {

// The widest of the speed names in the system font, as the speed box draws
// them: with the half character the left-justified text is set in by, on
// both sides.
int WidestSpeedName() {
    const auto font = gfx::Font::System();
    int widest = 0;
    for (const char* name : kSpeedPanelNames) widest = std::max(widest, font ? font->Width(name) : 0);
    return widest + (font ? font->metrics().aveCharWidth : 0);
}

}  // namespace

int ReadoutBoxWidth(int chars) {
    const int least = chars * gLargeMetrics.aveCharWidth;
    const auto font = gLargeFont ? gLargeFont : gfx::Font::System();
    if (!font) return least;
    // The longest text a read-out shows, measured as the other panel texts are.
    int widest = 0;
    for (int m = 0; m < 12; ++m) widest = std::max(widest, font->Width(std::string("8888 ") + kMonthNames[m] + " 88 88:88:88"));
    return std::max(least, widest + font->metrics().aveCharWidth);
}

int CheckRowHeight(int screenFontHeight) {
    return std::max(screenFontHeight, ui::CheckBoxSize("Earthquakes").height);
}

void childControl::BuildStandard() {
    const int a = gScreenMetrics.aveCharWidth;
    const int tmH = gScreenMetrics.height;
    const int readoutWidth = ReadoutBoxWidth(21);
    const int X1 = 106 + readoutWidth;
    const int X2 = X1 + 34;
    const int X3 = X2 + 38;
    // Widths from the texts' real extents where the average character would
    // not hold them: the longest speed name, the check boxes' captions.
    const int speedWidth = std::max(14 * a, WidestSpeedName() + 10);
    const int X4 = X3 + 18 + speedWidth + 18 + 3 * a;
    const int X5 = X4 + 2 * a;
    const int row = CheckRowHeight(tmH);
    auto boxWidth = [a](const char* caption) { return std::max(14 * a, ui::CheckBoxSize(caption).width); };

    play_ = AddBitmap(kPlay, 7001, 0, 4, 4, 34);
    backArrow_ = AddBitmap(kBack, 7010, 0, 4, 42, 34);
    rewind_ = new myOnOffButton(this, kRewind, kRewindRelease, 7003, 2, 38, 4, 34, 34);
    readoutRect_ = Rect::FromSize(72, 4, readoutWidth, 34);
    fastForward_ = new myOnOffButton(this, kFastForward, kFastForwardRelease, 7007, 2, 72 + readoutWidth, 4, 34, 34);
    repeatArrow_ = AddBitmap(kRepeat, 7008, 0, X1, 4, 34);
    stepBack_ = AddBitmap(kStepBack, 7004, 1, X1, 42, 34);
    pauseBars_ = AddBitmap(kPause, 7005, 0, X2, 4, 34);
    stepForward_ = AddBitmap(kStepForward, 7006, 1, X2, 42, 34);
    sliderRect_ = {38, 42, X1, 76};
    track_ = sliderRect_.inflated(-4, 0);
    slider_ = new mySlider(this, kTimeSliderId, sliderRect_);
    slower_ = AddBitmap(kSlower, 601, 1, X3, 4, 18);
    speedBox_ = {X3 + 18, 4, X3 + 18 + speedWidth, 22};
    faster_ = AddBitmap(kFaster, 600, 1, X3 + 18 + speedWidth, 4, 18);

    quakeRoller_ = new Roller(this, kQuakeCutoffDown, kQuakeCutoffUp, X3, 29, 4 * a, &gMagnitudeCutoff, "EQ Cutoff",
                              "%3.1f");
    quakeRoller_->limits().minimum = -3.9;
    quakeRoller_->limits().maximum = 9.9;
    quakeRoller_->limits().step = 0.1;
    eruptionRoller_ = new Roller(this, kEruptionCutoffDown, kEruptionCutoffUp, X3, 54, 4 * a,
                                 &gEruptionMagnitudeCutoff, "Eruption Cutoff", "%2.0f");
    eruptionRoller_->limits().minimum = 0;
    eruptionRoller_->limits().maximum = 8;
    eruptionRoller_->limits().step = 1;

    quakeIcon_ = {X4, row / 2 + 4};
    eruptionIcon_ = {X4, row / 2 + 4 + row};
    const int quakesWidth = std::max(boxWidth("Earthquakes"), boxWidth("Eruptions"));
    quakesBox_ = AddCheck(kEarthquakesBox, "Earthquakes", X5, 4, quakesWidth, row);
    eruptionsBox_ = AddCheck(kEruptionsBox, "Eruptions", X5, row + 4, quakesWidth, row);
    const int next = X5 + quakesWidth + a;
    const bool info = Control(kControlShowInfoSpotCheckBox);
    const int infoWidth = boxWidth("Info boxes");
    if (info) infoBox_ = AddCheck(kInfoBoxesBox, "Info boxes", next, 2 * row + 4, infoWidth, row);
    const int H = static_cast<int>(tmH * gButtonHeight);
    setDate_ = AddText(kSetDate, "Set Date", next + (info ? infoWidth : 0), 5, 10 * a, 2 * H / 3);
    ArrangeStandard(gScreenWidth);
}

// The buttons at the panel's right edge, for a panel W pixels wide.
void childControl::ArrangeStandard(int W) {
    const int a = gScreenMetrics.aveCharWidth;
    const int H = static_cast<int>(gScreenMetrics.height * gButtonHeight);
    const int W1 = 10 * a;
    const int t = static_cast<int>(2.5 * W1);
    const int o = static_cast<int>(1.2 * W1);
    auto place = [this](textButton*& b, int id, const char* caption, int x, int y, int width, int height, bool hidden) {
        if (!b) b = AddText(id, caption, x, y, width, height, hidden);
        else b->MoveWindow(Rect::FromSize(x, y, width, height));
    };
    if (W > 640) place(plates_, kPlates, "Plates", W - W1 - 5, 4, W1, H, false);
    place(zoomToQuake_, kZoomToEarthquake, "Zoom in to Earthquake", W - o - t - W1 - 5, 4, t, H, true);
    place(stopAnimation_, kStopAnimation, "Stop Animation", W - o - t - W1 - 5, H + 4, t, H, true);
    place(zoomIn_, kZoomIn, "Zoom In", W - o - W1 - 5, 4, o, H, true);
    place(zoomOut_, kZoomOut, "Zoom Out", W - o - W1 - 5, H + 4, o, H, true);
}

void childControl::BuildKiosk() {
    const int a = gScreenMetrics.aveCharWidth;
    const int tmH = gScreenMetrics.height;
    const int H = static_cast<int>(tmH * gButtonHeight);

    if (Control(kControlShowSlider)) slider_ = new mySlider(this, kTimeSliderId, {10, H + 8, gScreenWidth - 10, H + 42});

    int x = 5;
    auto left = [&](int id, const std::string& caption, int width) {
        textButton* b = AddText(id, caption.c_str(), x, 6, width, H);
        x += width + 2;
        return b;
    };
    if (Control(kControlShowBackButton)) back_ = left(kBack, "Back", 8 * a);
    if (Control(kControlCanExit)) {
        exit_ = left(kExit, gExitButtonLabel, static_cast<int>(gExitButtonLabel.size() + 5) * a);
    }
    if (Control(kControlShowWorldMenuButton)) {
        // Until a list of views gives the first entry's title, the menu of the world view.
        const std::string label = gWorldMenuLabel.empty() ? gWorldViewName + " Menu" : gWorldMenuLabel;
        worldMenu_ = left(kSelectMenu, label, static_cast<int>(label.size() + 5) * a);
    }
    if (Control(kControlShowStartOverButton)) startOver_ = left(kStartOver, "Start over", 13 * a);
    leftGroupEnd_ = x;

    if (Control(kControlShowPlatesButton)) plates_ = AddText(kPlates, "Plates", 0, 6, 10 * a + 2, H);
    if (Control(kControlShowRepeatButton)) repeat_ = AddText(kKioskRepeat, "Repeat", 0, 6, 11 * a, H);
    if (Control(kControlShowPauseButton)) {
        pause_ = AddText(kPause, "Pause", 0, 6, 9 * a + 2, H);
        resume_ = AddText(kPlay, "Resume", 0, 6, 9 * a + 2, H);
        FollowPaused();
    }
    const int row = CheckRowHeight(tmH);
    const bool boxes = Control(kControlShowEqErCheckBoxes) && !Control(kControlBottomLegend);
    if (boxes) {
        const int width = std::max({15 * a, ui::CheckBoxSize("Earthquakes").width, ui::CheckBoxSize("Eruptions").width});
        quakesBox_ = AddCheck(kEarthquakesBox, "Earthquakes", 0, 6, width, row);
        eruptionsBox_ = AddCheck(kEruptionsBox, "Eruptions", 0, row + 6, width, row);
    }
    if (Control(kControlShowSoundButton)) {
        soundBox_ = AddCheck(kSoundBox, "Sound", 0, 6, std::max(7 * a, ui::CheckBoxSize("Sound").width), row);
    }
    ArrangeKiosk(gScreenWidth);
}

// Everything of the kiosk panel that follows its width: the slider, the
// read-out, the right group, the check boxes and the counters.
void childControl::ArrangeKiosk(int W) {
    const int a = gScreenMetrics.aveCharWidth;
    const int w = gLargeMetrics.aveCharWidth;
    const int tmH = gScreenMetrics.height;
    const int H = static_cast<int>(tmH * gButtonHeight);
    const int readoutWidth = Control(kControlDateDisplayInDays) ? 13 * w : ReadoutBoxWidth(21);
    const int row = CheckRowHeight(tmH);

    if (slider_) {
        sliderRect_ = {10, H + 8, W - 10, H + 42};
        track_ = sliderRect_.inflated(-4, 0);
        slider_->MoveWindow(sliderRect_);
    }
    const int B = leftGroupEnd_;
    int readoutX = (W - readoutWidth) / 2;
    if (readoutX - B < 20 * a) readoutX = B + 2;

    int r = W - 2;
    auto right = [&](textButton* b, int gap) {
        if (!b) return;
        r -= gap + b->rect().width();
        b->MoveWindow(Rect::FromSize(r, 6, b->rect().width(), H));
    };
    right(plates_, 2);
    right(repeat_, 2);
    right(pause_, 4);
    if (resume_) resume_->MoveWindow(Rect::FromSize(r, 6, resume_->rect().width(), H));
    rightGroupStart_ = r;
    if (soundBox_ && Control(kControlBottomLegend)) {
        soundBox_->MoveWindow(Rect::FromSize(r - 2 * a - soundBox_->rect().width(), 6 + (H - row) / 2,
                                             soundBox_->rect().width(), row));
    }
    if (Control(kControlBottomLegend)) readoutX = PlaceBottomLegend(B, readoutX, readoutWidth);
    readoutRect_ = Rect::FromSize(readoutX, 6, readoutWidth, H);

    const int C = readoutRect_.right + 2;
    if (quakesBox_ && eruptionsBox_) {
        quakeIcon_ = {C + 2 * a, row / 2 + 6};
        eruptionIcon_ = {C + 2 * a, row / 2 + 6 + row};
        quakesBox_->MoveWindow(Rect::FromSize(C + 4 * a, 6, quakesBox_->rect().width(), row));
        eruptionsBox_->MoveWindow(Rect::FromSize(C + 4 * a, row + 6, eruptionsBox_->rect().width(), row));
    }
    // With the bottom legend the right of the read-out is the legend's: the
    // Sound box went beside the right group above.
    if (soundBox_ && !Control(kControlBottomLegend)) {
        const int width = soundBox_->rect().width();
        const int x = quakesBox_ ? quakesBox_->rect().right + a : C;
        soundBox_->MoveWindow(Rect::FromSize(x, 6 + (H - row) / 2, width, row));
    }

    if (Control(kControlBottomLegend) && Control(kControlShowEventCounters)) {
        // Kept here as well as drawn by Paint, so counters drawn before the first paint land.
        const int y = readoutRect_.top + 17;
        const int half = (tmH + 4) / 2;
        const int ex = readoutRect_.right + 15;
        eruptionCounter_ = {ex, y - half, ex + 8 * a, y + half};
        const int qx = readoutRect_.left - 15;
        quakeCounter_ = {qx - 8 * a, y - half, qx, y + half};
    }
}

// The bottom legend's two halves need room beside the read-out: the
// earthquake half (dot, text, counter) left of it, the eruption half right
// of it, both clear of the buttons. The first of the large font, the system
// font and the legend font with which both fit; where none does, the symbols
// and counters without their texts. The read-out as near the middle as that
// allows.
int childControl::PlaceBottomLegend(int leftEnd, int readoutX, int readoutWidth) {
    const int a = gScreenMetrics.aveCharWidth;
    const int counter = Control(kControlShowEventCounters) ? 8 * a + 15 : 0;
    const int limit = (soundBox_ ? soundBox_->rect().left : rightGroupStart_) - a;
    auto halves = [&](const std::shared_ptr<const gfx::Font>& f, bool texts) {
        const auto font = f ? f : gfx::Font::System();
        const int pad = font ? font->metrics().aveCharWidth : a;
        const int quakes = !texts ? 0 : font ? font->Width(kBottomQuakes) + pad : 12 * a;
        const int volcanoes = !texts ? 0 : font ? font->Width(kBottomVolcanoes) + pad : 19 * a;
        return std::pair{15 + counter + quakes + 15 + 8 + 2, 15 + counter + 30 + volcanoes};
    };
    bottomLegendTexts_ = true;
    int left = 0, right = 0;
    bool fits = false;
    for (const auto& font : {gLargeFont, std::shared_ptr<const gfx::Font>(), gLegendFont}) {
        std::tie(left, right) = halves(font, true);
        bottomLegendFont_ = font;
        if ((fits = leftEnd + left + readoutWidth + right <= limit)) break;
    }
    if (!fits) {
        bottomLegendTexts_ = false;
        std::tie(left, right) = halves(nullptr, false);
    }
    int x = std::max(readoutX, leftEnd + left);
    x = std::min(x, limit - right - readoutWidth);
    return std::max(x, leftEnd + 2);
}
