// The control panel's window: its response table, the children it keeps
// track of, and its paint.
#include "app/control_panel.h"

#include <memory>
#include <string>

#include "app/buttons.h"
#include "app/control_panel_parts.h"
#include "app/globals.h"
#include "app/slider.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/draw.h"
#include "map/eruption_symbols.h"

namespace gfx = platform::gfx;

namespace ui = platform::ui;
using gfx::Point;
using gfx::Rect;
using namespace control_panel;

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
