// The control panel's read-outs: the date, the counters, the speed box and
// the alive indicator, and the time slider the clock follows.
#include "app/control_panel.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/control_panel_parts.h"
#include "app/floating_legend.h"
#include "app/globals.h"
#include "app/housekeeping.h"
#include "app/slider.h"
#include "app/sound.h"
#include "app/speed.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/draw.h"
#include "platform/sys/resources.h"

namespace gfx = platform::gfx;

namespace ui = platform::ui;
using gfx::Point;
using gfx::Rect;
using namespace control_panel;

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
