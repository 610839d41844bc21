#include "app/control_panel.h"

#include "app/region_dialogs.h"
#include "app/clock.h"
#include "app/housekeeping.h"
#include "app/view_list.h"
#include "map/eruption_symbols.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <tuple>
#include <utility>

#include "app/buttons.h"
#include "app/floating_legend.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/missing_seam.h"
#include "app/slider.h"
#include "app/sound.h"
#include "app/speed.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/eruption.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "map/proj.h"
#include "platform/sys/resources.h"

namespace gfx = platform::gfx;

namespace ui = platform::ui;
using gfx::Point;
using gfx::Rect;

namespace {

// What the panel sends to the frame and to the map pane.
constexpr int kFrameCmPlay = 1034;
constexpr int kFrameCmPause = 1035;
constexpr int kFrameCmRepeat = 150;
constexpr int kFrameCmShowSelectGroup = 1060;
constexpr int kFrameCmSelectMenu = 1061;
constexpr int kMapCmNextEvent = 1037;
constexpr int kMapCmPreviousEvent = 1038;

constexpr int kSliderRange = 1000;

bool Control(int index) { return gControls[index] != 0; }
bool Doviredezur() { return Control(kControlDoviredezur); }

void ShowIf(ui::Window* w, bool on) {
    if (w) w->Show(on ? ui::ShowCommand::Show : ui::ShowCommand::Hide);
}

myLayoutWindow* Layout(ui::Window* panel) { return dynamic_cast<myLayoutWindow*>(panel->parent()); }


}  // namespace

// ---- arithmetic -------------------------------------------------------------------------

std::string SpeedName(int index) {
    if (index < 0 || index >= kSpeedCount) return {};
    return std::string(platform::ResourceString(kCmSpeedFirst + index));
}

std::string DateReadoutText(TimeValue t, TimeValue step) {
    if (t.t == 0.0) return {};
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    SplitTime(t.t, &year, &month, &day, &hour, &minute, &second);
    const char* name = kMonthNames[std::clamp(month, 1, 12) - 1];
    const double s = step.t;
    constexpr double kMinute = 60.0, kDay = 86400.0;
    char text[64];
    if (s > 370 * kDay) {
        std::snprintf(text, sizeof text, "%4d", year);
    } else if (s > 15 * kDay || gSymbolStyle == 0 || gSymbolStyle == 4) {
        std::snprintf(text, sizeof text, "%4d %s", year, name);
    } else if (s > 1000 * kMinute) {
        std::snprintf(text, sizeof text, "%4d %s %02d", year, name, day);
    } else if (s > 59 * kMinute) {
        std::snprintf(text, sizeof text, "%4d %s %02d %02d:00", year, name, day, hour);
    } else if (s >= kMinute) {
        std::snprintf(text, sizeof text, "%4d %s %02d %02d:%02d", year, name, day, hour, minute);
    } else {
        std::snprintf(text, sizeof text, "%4d %s %02d %02d:%02d:%02d", year, name, day, hour, minute, second);
    }
    return text;
}

double ScrubFraction(int counter) { return counter >= 10 ? 0.01 : 0.01 * std::pow(0.5, 10 - counter); }

std::vector<YearLabel> KioskYearLabels(int startYear, int endYear, int trackLeft, int trackWidth) {
    const int n = endYear - startYear;
    std::vector<YearLabel> labels;
    if (n <= 3) return labels;
    const int q = n / 8;
    int i = 0;
    for (long long p = 1; p < q; p *= 10) ++i;
    int base = 1;
    for (int k = 1; k < i; ++k) base *= 10;
    int step = base * 10;
    for (int m : {1, 2, 5, 10}) {
        if (base * m >= q) {
            step = base * m;
            break;
        }
    }
    const int first = startYear / step * step;
    const int last = (endYear / step + 1) * step;
    for (int y = first; y <= last; y += step) {
        YearLabel l;
        l.year = y;
        l.x = trackLeft + static_cast<int>(static_cast<long long>(y - startYear) * trackWidth / n);
        l.drawn = l.x >= trackLeft && l.x <= trackLeft + trackWidth;
        l.align = y == first ? YearLabel::Align::Left : y == last ? YearLabel::Align::Center : YearLabel::Align::Right;
        labels.push_back(l);
    }
    return labels;
}

ZoomBox ZoomAround(double lat, double lon, double west, double east, bool zoomIn, int paneWidth, int paneHeight) {
    // Below 90 degrees, where the Mercator ordinate is still finite.
    constexpr double kPole = 89.9;
    double span = east - west;
    if (span < 0) span += 360;
    if (span == 0) span = 360;  // a whole-world view, as the projection reads it
    // Never wider than the world, so zooming out of it keeps it whole.
    const double half = std::min(zoomIn ? span / 1.8 * 0.5 : span * 1.8 * 0.5, 180.0);
    const double k = std::fabs(lat) < 10
                         ? 1.0
                         : std::fabs(MercatorY(std::min(lat + 0.5, kPole)) - MercatorY(std::max(lat - 0.5, -kPole)));
    const double aspect = paneWidth > 0 && paneHeight > 0 ? static_cast<double>(paneWidth) / paneHeight : 1.0;
    ZoomBox box;
    box.east = lon + half;
    if (box.east > 180) box.east -= 360;
    box.west = lon - half;
    if (box.west < -180) box.west += 360;
    const double y = MercatorY(std::clamp(lat, -kPole, kPole));
    const double dy = half / ((k > 0 ? k : 1.0) * aspect);
    box.north = InverseMercator(y + dy);
    box.south = InverseMercator(y - dy);
    return box;
}

int ControlPanelHeight(childControl::Kind kind, int screenFontHeight, double buttonHeight, bool showSlider) {
    if (kind == childControl::Kind::Standard) return childControl::kStandardHeight;
    const int h = static_cast<int>(screenFontHeight * buttonHeight);
    return h + 14 + (showSlider ? 38 : 0);
}

// ---- construction -----------------------------------------------------------------------

const ui::ResponseTable& childControl::Table() {
    using R = ui::ResponseTableOf<childControl, ui::Window>;
    static const ui::ResponseTable table = R::Build({
        R::Command(kPlay, &childControl::CmPlay),
        R::Command(kPause, &childControl::CmPause),
        R::Command(kRewind, &childControl::CmRewind),
        R::Command(kFastForward, &childControl::CmFastForward),
        R::Command(kRewindRelease, &childControl::CmRewindRelease),
        R::Command(kFastForwardRelease, &childControl::CmFastForwardRelease),
        R::Command(kStepBack, &childControl::CmStepBack),
        R::Command(kStepForward, &childControl::CmStepForward),
        R::Command(kRepeat, &childControl::CmRepeat),
        R::Command(kKioskRepeat, &childControl::CmRepeat),
        R::Command(kBack, &childControl::CmBack),
        R::Command(kFaster, &childControl::CmFaster),
        R::Command(kSlower, &childControl::CmSlower),
        R::Command(kQuakeCutoffUp, &childControl::CmQuakeCutoffUp),
        R::Command(kQuakeCutoffDown, &childControl::CmQuakeCutoffDown),
        R::Command(kEruptionCutoffUp, &childControl::CmEruptionCutoffUp),
        R::Command(kEruptionCutoffDown, &childControl::CmEruptionCutoffDown),
        R::Command(kPlates, &childControl::CmPlates),
        R::Command(kExit, &childControl::CmExit),
        R::Command(kStartOver, &childControl::CmStartOver),
        R::Command(kSelectMenu, &childControl::CmSelectMenu),
        R::Command(kZoomToEarthquake, &childControl::CmZoomToEarthquake),
        R::Command(kZoomIn, &childControl::CmZoomIn),
        R::Command(kZoomOut, &childControl::CmZoomOut),
        R::Command(kStopAnimation, &childControl::CmStopAnimation),
        R::Command(kSetDate, &childControl::CmSetDate),
        R::Command(kEarthquakesBox, &childControl::CmEarthquakesBox),
        R::Command(kEruptionsBox, &childControl::CmEruptionsBox),
        R::Command(kInfoBoxesBox, &childControl::CmInfoBoxesBox),
        R::Command(kSoundBox, &childControl::CmSoundBox),
        R::Message(WmButtonHighlighted, &childControl::EvButtonHighlighted),
    });
    return table;
}

childControl::childControl(ui::Window* parent, int* height, Kind kind) : Window(parent), kind_(kind) {
    if (kind_ == Kind::Kiosk) BuildKiosk();
    else BuildStandard();
    if (height) {
        *height = ControlPanelHeight(kind, gScreenMetrics.height, gButtonHeight, Control(kControlShowSlider));
    }
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

namespace {
const char kBottomQuakes[] = "Earthquakes";
const char kBottomVolcanoes[] = "Volcanic Eruptions";
}  // namespace

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

void childControl::EvSize(ui::Size client) {
    Window::EvSize(client);
    Arrange(client.width);
    Invalidate();
}

void childControl::Arrange(int W) {
    if (W <= 0) return;
    if (kind_ == Kind::Kiosk) ArrangeKiosk(W);
    else ArrangeStandard(W);
}

void childControl::SetupWindow() {
    Window::SetupWindow();
    // Laid out for the screen's width until now: the panel's own width counts.
    Arrange(clientRect().width());
    background_ = Doviredezur() ? 17 : kLightGrayColor;
    if (slider_) {
        const int labelRows = gLegendFont ? gLegendFont->metrics().height + 1 : 0;
        slider_->SetLabelPainter([this](gfx::DrawContext& dc) { DrawYearLabels(dc); }, labelRows);
        slider_->SetRange(0, kSliderRange);
        slider_->SetTicGap(kSliderRange);
        slider_->SetPosition(0);
    }
    lastPosition_ = 0;
}

void childControl::ChildRemoved(ui::Window* child) {
    auto forget = [child](auto*& p) {
        if (p && static_cast<ui::Window*>(p) == child) p = nullptr;
    };
    for (myButton** b : {&play_, &backArrow_, &repeatArrow_, &stepBack_, &pauseBars_, &stepForward_, &slower_,
                         &faster_}) {
        forget(*b);
    }
    forget(rewind_), forget(fastForward_), forget(quakeRoller_), forget(eruptionRoller_), forget(slider_);
    forget(quakesBox_), forget(eruptionsBox_), forget(infoBox_), forget(soundBox_);
    for (textButton** b : {&setDate_, &plates_, &zoomToQuake_, &stopAnimation_, &zoomIn_, &zoomOut_, &back_, &exit_,
                           &worldMenu_, &startOver_, &repeat_, &pause_, &resume_}) {
        forget(*b);
    }
}

// ---- entry points of the clock ----------------------------------------------------------

bool childControl::SyncTimeSlider() {
    if (!slider_) return false;
    const double S = gPeriodStart.t, E = gPeriodEnd.t, span = E - S;
    const int p = slider_->GetPosition();
    if (std::abs(p - lastPosition_) > 1) {
        gAnimationTime = TimeValue(S + span * p / kSliderRange);
        RefreshCataloguePositions();
        if (p == 0 && gQuakeIndex > 0) --gQuakeIndex;
        lastPosition_ = p;
        return true;
    }
    if (span > 0) {
        const double share = (gAnimationTime.t - S) / span * kSliderRange;
        lastPosition_ = static_cast<int>(std::clamp(share, 0.0, static_cast<double>(kSliderRange - 1)));
        slider_->SetPosition(lastPosition_);
    }
    return false;
}

void childControl::ScrubAnimationTime(int direction, int counter) {
    if (direction == 0) return;
    const double S = gPeriodStart.t, E = gPeriodEnd.t, span = E - S;
    double T = gAnimationTime.t;
    if ((direction > 0 && T >= E) || (direction < 0 && T <= S)) {
        CmPause();
        return;
    }
    if (direction > 0 && T < S) T = S;
    if (direction < 0 && T > E) T = E;
    gAnimationTime = TimeValue(T);
    // An empty period has no share to move by: the slider stays where it is.
    if (!(span > 0)) return;
    // Held to the period, so the read-out never shows a time beyond its ends.
    T = std::clamp(T + span * ScrubFraction(counter) * (direction > 0 ? 1 : -1), S, E);
    gAnimationTime = TimeValue(T);
    const double fraction = std::clamp((T - S) / span, 0.0, 1.0);
    lastPosition_ = static_cast<int>(fraction * kSliderRange);
    if (slider_) slider_->SetPosition(lastPosition_);
}

void childControl::ResetTimeSlider() {
    ++sliderResets_;
    lastPosition_ = 0;
    if (slider_) slider_->SetPosition(0);
}

void childControl::DrawDateReadout(TimeValue t, TimeValue step) {
    AllNotesOff();
    readout_ = t;
    TimeValue shown = t;
    if (step.t < 1000 * 60.0 || (gShowEarthquakes && !gShowEruptions)) {
        if (gLocalTimeHours != 0) shown = shown + TimeValue(gLocalTimeHours * 3600.0);
        else if (gUseLocalTime) shown = shown + gTimeZoneOffset;
    }
    // Time 0 is "no time": empty, whatever the zone would add.
    const std::string text = t.t == 0.0 ? std::string() : DateReadoutText(shown, step);
    if (text == readoutText_) return;
    readoutText_ = text;
    if (!created()) return;
    gfx::DrawContext dc(backBuffer());
    DrawReadoutBox(dc);
    CopyDateReadoutToLegend(backBuffer(), readoutRect_);
}

void childControl::DrawReadoutBox(gfx::DrawContext& dc) {
    if (readoutRect_.empty()) return;
    {
        gfx::StateSaver saver(dc);
        dc.SetPen(gfx::Pen::Solid(gfx::kBlack));
        dc.SetBrush(gfx::Brush::Solid(ColorOf(Doviredezur() ? kWhiteColor : 14)));
        dc.Rectangle(readoutRect_);
    }
    DrawJustifiedText(dc, readoutRect_.left, readoutRect_.top + readoutRect_.height() / 2, gLargeFont, readoutText_,
                      0, kNoColor, HJust::Left, VJust::Center);
}

void childControl::DrawEventCounters(int quakes, int eruptions) {
    quakes_ = quakes;
    eruptions_ = eruptions;
    if (!created()) return;
    gfx::DrawContext dc(backBuffer());
    DrawCounters(dc);
}

void childControl::DrawCounters(gfx::DrawContext& dc) {
    if (!Control(kControlShowEventCounters)) return;
    auto draw = [&dc](const Rect& box, int count) {
        if (box.empty()) return;
        dc.FillRect(box, gfx::Brush::Solid(ColorOf(kWhiteColor)));
        DrawNumberLabel(dc, box.right, box.top, nullptr, count, HJust::Right, VJust::Top, 0);
    };
    if (gShowEarthquakes) draw(quakeCounter_, quakes_);
    if (gShowEruptions) draw(eruptionCounter_, eruptions_);
}

void childControl::DrawSpeedBox(gfx::DrawContext& dc) {
    AllNotesOff();
    if (speedBox_.empty()) return;
    {
        gfx::StateSaver saver(dc);
        dc.SetPen(gfx::Pen::Solid(gfx::kBlack));
        dc.SetBrush(gfx::Brush::Solid(gfx::kWhite));
        dc.Rectangle(speedBox_);
    }
    DrawJustifiedText(dc, speedBox_.left + 5, speedBox_.top + speedBox_.height() / 2, nullptr,
                      SpeedName(SpeedIndex()), 0, kNoColor, HJust::Left, VJust::Center);
}

void childControl::DrawSpeedBox() {
    if (!created()) return;
    gfx::DrawContext dc(backBuffer());
    DrawSpeedBox(dc);
}

// ---- entry points of the housekeeping ---------------------------------------------------

void childControl::DrawAliveBlink(bool lit) {
    if (!created()) return;
    gfx::DrawContext dc(backBuffer());
    const Rect c = clientRect();
    const int left = (c.width() - 40) / 2;
    DrawBevelFrame(dc, {left, c.bottom - 26, left + 40, c.bottom - 6}, lit ? 10 : kLightGrayColor, false, 2, 0);
}

void childControl::DrawAliveWarning(bool phase) {
    if (!created()) return;
    gfx::DrawContext dc(backBuffer());
    gfx::StateSaver saver(dc);
    const Rect c = clientRect();
    dc.SetFont(gfx::Font::Create("Arial Black", c.height() / 2, gfx::kNormalWeight));
    const std::string& text = gAliveWarningMessage;
    const gfx::Size extent = dc.TextExtent(text);
    const int cx = c.width() * 5 / 8, cy = c.height() / 2;
    const Rect box = Rect::FromSize(cx - extent.width / 2, cy - extent.height / 2, extent.width, extent.height);
    dc.SetPen(gfx::Pen::Solid(ColorOf(phase ? kWhiteColor : 0), 2));
    dc.SetBrush(gfx::Brush::Solid(ColorOf(phase ? 12 : kWhiteColor)));
    dc.Rectangle(box.inflated(10, 10));
    dc.SetTextColor(ColorOf(phase ? kWhiteColor : 12));
    dc.SetBackMode(gfx::BackMode::Transparent);
    dc.SetTextAlign(gfx::HAlign::Left, gfx::VAlign::Top);
    dc.TextOut({box.left, box.top}, text);
}

// ---- alert buttons ------------------------------------------------------------------------

void childControl::ShowAlertButtons() {
    ShowIf(zoomToQuake_, true);
    ShowIf(stopAnimation_, true);
    alertPending_ = true;
}

void childControl::ShowZoomButtons(bool on) {
    zoomButtonsShown_ = on;
    ShowIf(zoomIn_, on);
    ShowIf(zoomOut_, on);
}

// ---- highlights -----------------------------------------------------------------------------

std::vector<textButton*> childControl::KioskTextButtons() const {
    return {back_, exit_, worldMenu_, startOver_, plates_, repeat_, pause_, resume_};
}

std::vector<myButton*> childControl::BitmapButtons() const {
    std::vector<myButton*> all = {play_, backArrow_, repeatArrow_, stepBack_, pauseBars_, stepForward_,
                                  rewind_, fastForward_, faster_, slower_};
    for (Roller* r : {quakeRoller_, eruptionRoller_}) {
        if (!r) continue;
        all.push_back(r->leftButton());
        all.push_back(r->rightButton());
    }
    return all;
}

ui::Result childControl::EvButtonHighlighted(ui::WParam, ui::LParam id) {
    if (kind_ == Kind::Kiosk) {
        for (textButton* b : KioskTextButtons()) {
            if (b && b->id() != id) UnhighlightTextButton(this, b);
        }
    } else {
        for (myButton* b : BitmapButtons()) {
            if (b && b->id() != id) UnhighlightMyButton(this, b);
        }
    }
    return 0;
}

void childControl::UnhighlightButtons() {
    for (textButton* b : KioskTextButtons()) UnhighlightTextButton(this, b);
    if (kind_ == Kind::Standard) {
        for (myButton* b : BitmapButtons()) UnhighlightMyButton(this, b);
    }
}

// ---- commands -------------------------------------------------------------------------------

void childControl::Flush() {
    if (myLayoutWindow* layout = Layout(this); layout && layout->map().flushUpdateRect) layout->map().flushUpdateRect();
}

void childControl::CloseText() {
    if (myLayoutWindow* layout = Layout(this); layout && layout->map().closeTextWindow) layout->map().closeTextWindow();
}

void childControl::SendFrame(int id) {
    if (gMainFrame) gMainFrame->SendCommand(id);
}

void childControl::SendMap(int id) {
    if (myLayoutWindow* layout = Layout(this); layout && layout->map().window) layout->map().window->SendCommand(id);
}

void childControl::FollowPaused() {
    if (!pause_ || !resume_) return;
    ShowIf(resume_, paused_);
    ShowIf(pause_, !paused_);
}

void childControl::CmPlay() {
    paused_ = false;
    gPaused = false;
    scrub_ = 0;
    if (myLayoutWindow* layout = Layout(this); layout && layout->map().setBusy) layout->map().setBusy(false);
    CloseEruptionCatalogue();
    if (gMainFrame) gMainFrame->CloseInfoWindows();
    SendFrame(kFrameCmPlay);
    FollowPaused();
}

void childControl::CmPause() {
    paused_ = true;
    if (gMainFrame) gMainFrame->CloseInfoWindows();
    Flush();
    SendFrame(kFrameCmPause);
    scrub_ = 0;
    FollowPaused();
}

void childControl::CmRewind() {
    if (gMainFrame) gMainFrame->CloseInfoWindows();
    if (myLayoutWindow* layout = Layout(this)) ClearDisplayedEruptions(layout->mapPane());
    else ClearDisplayedEruptions();
    CloseEruptionCatalogue();
    scrub_ = -1;
}

void childControl::CmFastForward() {
    if (gMainFrame) gMainFrame->CloseInfoWindows();
    if (myLayoutWindow* layout = Layout(this)) ClearDisplayedEruptions(layout->mapPane());
    else ClearDisplayedEruptions();
    CloseEruptionCatalogue();
    if (paused_) Flush();
    CloseText();
    scrub_ = 1;
}

void childControl::CmRewindRelease() {
    if (paused_) Flush();
    scrub_ = 0;
    if (paused_) {
        CmPause();
        SendMap(kMapCmPreviousEvent);
    } else {
        CmPlay();
    }
}

void childControl::CmFastForwardRelease() {
    if (paused_) Flush();
    scrub_ = 0;
    if (paused_) {
        CmPause();
        SendMap(kMapCmNextEvent);
    } else {
        CmPlay();
    }
}

void childControl::CmStepBack() {
    paused_ = true;
    CmPause();
    scrub_ = 0;
    SendMap(kMapCmPreviousEvent);
}

void childControl::CmStepForward() {
    paused_ = true;
    CmPause();
    scrub_ = 0;
    SendMap(kMapCmNextEvent);
}

void childControl::CmRepeat() {
    scrub_ = 0;
    paused_ = false;
    Flush();
    CloseText();
    SendFrame(kFrameCmRepeat);
}

void childControl::CmBack() {
    scrub_ = 0;
    Flush();
    CloseText();
    HideFloatingLegend();
    const int entries = gGroupViewList.Count();
    if (entries == 1 && gExitWhenDone) {
        SendFrame(kCmExit);
        return;
    }
    gControls[kControlPopulation] = 0;
    SendFrame(kFrameCmShowSelectGroup);
}

void childControl::CmFaster() {
    AllNotesOff();
    SetSpeedIndex(SpeedIndex() + 1);
    DrawSpeedBox();
}

void childControl::CmSlower() {
    AllNotesOff();
    SetSpeedIndex(SpeedIndex() - 1);
    DrawSpeedBox();
}

void childControl::StepRoller(Roller* roller, bool up, int (childLegend::*redrawKey)()) {
    AllNotesOff();
    if (!roller) return;
    if (up) roller->StepUp();
    else roller->StepDown();
    roller->Draw();
    if (myLayoutWindow* layout = Layout(this); layout && layout->legend()) (layout->legend()->*redrawKey)();
}

void childControl::CmQuakeCutoffUp() { StepRoller(quakeRoller_, true, &childLegend::DrawMagnitudeKey); }
void childControl::CmQuakeCutoffDown() { StepRoller(quakeRoller_, false, &childLegend::DrawMagnitudeKey); }
void childControl::CmEruptionCutoffUp() { StepRoller(eruptionRoller_, true, &childLegend::DrawEruptionKey); }
void childControl::CmEruptionCutoffDown() { StepRoller(eruptionRoller_, false, &childLegend::DrawEruptionKey); }

void childControl::CmPlates() {
    Flush();
    CloseText();
    SendFrame(kCmPlates);
}

void childControl::CmExit() { SendFrame(kCmExit); }

void childControl::CmStartOver() {
    scrub_ = 0;
    paused_ = false;
    Flush();
    CloseText();
    SendFrame(kCmStartScreen);
}

void childControl::CmSelectMenu() {
    scrub_ = 0;
    Flush();
    CloseText();
    SendFrame(kFrameCmSelectMenu);
}

void childControl::CmZoomToEarthquake() {
    gAlertPauseLeft = 0;
    ShowIf(zoomToQuake_, false);
    alertPending_ = false;
    ShowZoomButtons(true);
    ShowIf(stopAnimation_, true);
    SendFrame(kCmRedraw);
}

// The new bounds stay in memory: the redraw reopens the view with them, and
// the view file is left as the user saved it.
void childControl::Zoom(bool in) {
    if (!gAlertEvent) return;
    gAlertPauseLeft = 0;
    const double lat = gAlertEvent->latitude / 3600000.0;
    const double lon = gAlertEvent->longitude / 3600000.0;
    const ZoomBox box = ZoomAround(lat, lon, gMapWest, gMapEast, in, gPaneWidth, gPaneHeight);
    gViewZoomed = true;
    gMapNorth = box.north;
    gMapSouth = box.south;
    gMapEast = box.east;
    gMapWest = box.west;
    SendFrame(kCmRedraw);
}

void childControl::CmZoomIn() { Zoom(true); }
void childControl::CmZoomOut() { Zoom(false); }

void childControl::CmStopAnimation() {
    myLayoutWindow* layout = Layout(this);
    if (childMap* map = layout ? layout->mapPane() : nullptr; map && map->highlightShown()) map->HideHighlight(true);
    ShowIf(stopAnimation_, false);
    gAlertEvent = nullptr;
    ShowZoomButtons(false);
    ShowIf(zoomToQuake_, false);
    const bool pending = alertPending_;
    alertPending_ = false;
    // A zoom ends with the alert: the view comes back as stored.
    if ((pending || gViewZoomed) && gMainFrame) {
        const std::string name = gMainFrame->currentViewName();
        gMainFrame->OpenView(name.c_str());
    } else {
        SendFrame(kFrameCmRepeat);
    }
}

void childControl::CmSetDate() {
    // Held, as behind every modal dialog: the clock's timer still runs meanwhile.
    const bool saved = gPaused;
    gPaused = true;
    initDateDialog(this, kInitialDateDialogTemplate).Execute();
    gPaused = saved;
    Invalidate();
    SendFrame(kFrameCmRepeat);
}

void childControl::CmEarthquakesBox() {
    AllNotesOff();
    if (quakesBox_) {
        gShowEarthquakes = quakesBox_->checked();
        gEarthquakesHeldOff = false;
    }
    if (myLayoutWindow* layout = Layout(this); layout && layout->legend()) layout->legend()->Invalidate();
}

void childControl::CmEruptionsBox() {
    AllNotesOff();
    if (eruptionsBox_) {
        gShowEruptions = eruptionsBox_->checked();
        gEruptionsHeldOff = false;
    }
    if (myLayoutWindow* layout = Layout(this); layout && layout->legend()) layout->legend()->Invalidate();
}

void childControl::CmInfoBoxesBox() {
    AllNotesOff();
    if (infoBox_) gControls[kControlShowInfoSpots] = infoBox_->checked() ? 1 : 0;
    myLayoutWindow* layout = Layout(this);
    if (childMap* map = layout ? layout->mapPane() : nullptr) map->DrawInfoSpots(false);
    CmRepeat();
}

void childControl::CmSoundBox() {
    if (soundBox_) gAudio = soundBox_->checked() ? 1 : 0;
    if (myLayoutWindow* layout = Layout(this); layout && layout->legend()) layout->legend()->Invalidate();
}

// ---- painting -------------------------------------------------------------------------------

void childControl::DrawYearLabels(gfx::DrawContext& dc) {
    const int startYear = gPeriodStart.Year();
    const int endYear = gPeriodEnd.Year();
    gfx::StateSaver saver(dc);
    dc.SetFont(gLegendFont);
    dc.SetTextColor(ColorOf(0));
    dc.SetBackMode(gfx::BackMode::Transparent);
    if (kind_ == Kind::Kiosk && endYear - startYear > 3) {
        for (const YearLabel& l : KioskYearLabels(startYear, endYear, track_.left, track_.width())) {
            if (!l.drawn) continue;
            const gfx::HAlign h = l.align == YearLabel::Align::Left     ? gfx::HAlign::Left
                                  : l.align == YearLabel::Align::Center ? gfx::HAlign::Center
                                                                        : gfx::HAlign::Right;
            dc.SetTextAlign(h, gfx::VAlign::Baseline);
            dc.TextOut({l.x, sliderRect_.bottom}, std::to_string(l.year));
        }
        return;
    }
    // DateText has one buffer: each text is taken before the next call.
    const std::string first = std::string(" ") + gPeriodStart.DateText() + " ";
    const std::string last = std::string(" ") + gPeriodEnd.DateText() + " ";
    dc.SetTextAlign(gfx::HAlign::Left, gfx::VAlign::Bottom);
    dc.TextOut({sliderRect_.left, sliderRect_.bottom}, first);
    dc.SetTextAlign(gfx::HAlign::Right, gfx::VAlign::Bottom);
    dc.TextOut({sliderRect_.right - 1, sliderRect_.bottom}, last);
}

void childControl::DrawBottomLegend(gfx::DrawContext& dc) {
    const int a = gScreenMetrics.aveCharWidth;
    const int tmH = gScreenMetrics.height;
    const int y = readoutRect_.top + 17;
    const int half = (tmH + 4) / 2;
    const bool counters = Control(kControlShowEventCounters);
    const std::string volcanoes = kBottomVolcanoes;
    const std::string quakes = kBottomQuakes;

    int x = readoutRect_.right + 15;
    if (counters) {
        eruptionCounter_ = {x, y - half, x + 8 * a, y + half};
        DrawBevelFrame(dc, eruptionCounter_, kWhiteColor, true, 2, 0);
        x = eruptionCounter_.right + 15;
    }
    DrawEruptionSymbol(dc, x + 15, y, 4, ColorOf(12), ColorOf(0));
    // The large font only where both halves fit clear of the buttons (PlaceBottomLegend).
    const std::shared_ptr<const gfx::Font> font = bottomLegendFont_;
    if (bottomLegendTexts_) DrawJustifiedText(dc, x + 30, y, font, volcanoes, 0, kNoColor, HJust::Left, VJust::Center);

    x = readoutRect_.left - 15;
    if (counters) {
        quakeCounter_ = {x - 8 * a, y - half, x, y + half};
        DrawBevelFrame(dc, quakeCounter_, kWhiteColor, true, 2, 0);
        x = quakeCounter_.left - 15;
    }
    const int textLeft =
        bottomLegendTexts_ ? DrawJustifiedText(dc, x, y, font, quakes, 0, kNoColor, HJust::Right, VJust::Center).left : x;
    DrawDot(dc, nullptr, textLeft - 15, y, 8, gfx::kBlack, gfx::kWhite, 2);
}

void childControl::Paint(ui::BackBuffer& buffer, const Rect&) {
    gfx::DrawContext dc(buffer);
    const Rect c = clientRect();
    dc.FillRect(c, gfx::Brush::Solid(ColorOf(background_)));
    DrawBevelFrame(dc, {c.left + 2, c.top + 1, c.right - 2, c.bottom - 1}, background_, false, 2, 0);

    gScreenMetrics = dc.textMetrics();
    if (!gLargeFont && WantsLargeFont(c.width(), gScreenMetrics.aveCharWidth)) {
        gLargeFont = gfx::Font::Create("MS Sans Serif", static_cast<int>(1.5 * gScreenMetrics.height), gfx::kBoldWeight);
    }
    gLargeMetrics = gLargeFont ? gLargeFont->metrics() : gScreenMetrics;

    if (kind_ == Kind::Standard) DrawSpeedBox(dc);
    if (slider_) DrawYearLabels(dc);

    if (kind_ == Kind::Standard) {
        for (myButton* b : {play_, backArrow_, repeatArrow_, stepBack_, pauseBars_, stepForward_,
                            static_cast<myButton*>(rewind_), static_cast<myButton*>(fastForward_), faster_, slower_}) {
            if (b && b->created()) b->DrawItem();
        }
        for (Roller* r : {quakeRoller_, eruptionRoller_}) {
            if (r) r->Draw();
        }
    } else {
        FollowPaused();
    }

    if (eruptionsBox_) DrawEruptionSymbol(dc, eruptionIcon_.x, eruptionIcon_.y, 2, ColorOf(14), ColorOf(0));
    if (quakesBox_) DrawDot(dc, nullptr, quakeIcon_.x, quakeIcon_.y, 6, gfx::kBlack, ColorOf(4), 2);

    if (soundBox_) soundBox_->SetCheck(gAudio != 0);
    if (quakesBox_) quakesBox_->SetCheck(gShowEarthquakes);
    if (eruptionsBox_) eruptionsBox_->SetCheck(gShowEruptions);
    if (infoBox_) infoBox_->SetCheck(Control(kControlShowInfoSpots));

    if (kind_ == Kind::Kiosk && Control(kControlBottomLegend)) DrawBottomLegend(dc);

    ShowIf(plates_, gMapView);
    if (kind_ == Kind::Kiosk) {
        for (textButton* b : KioskTextButtons()) {
            if (!b || !b->created()) continue;
            UnhighlightTextButton(this, b);
            b->DrawItem();
        }
    }
    // The fill above covered the read-out and the counters: both again as they were.
    DrawReadoutBox(dc);
    if (quakes_ >= 0) DrawCounters(dc);
}
