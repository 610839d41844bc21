#include "app/event_step.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "app/clock.h"
#include "app/commands.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/layout.h"
#include "app/network_link.h"
#include "app/sound.h"
#include "core/config.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/section3d.h"
#include "map/draw.h"
#include "map/eruption_symbols.h"
#include "map/quake_symbols.h"

namespace gfx = platform::gfx;

namespace {

constexpr int kMapCmNextEvent = 1037;
constexpr int kMapCmPreviousEvent = 1038;
constexpr int kMapCmCurrentEvent = 1071;

constexpr int kBoxMargin = 5;  // pixels between the text and the box
constexpr int kShadow = 10;    // pixels: width and offset of the drop shadow
constexpr int kMeasureHeight = 50;
constexpr int kNoWrap = 1 << 20;  // texts break at their own line ends only

EventStepState& State() {
    static EventStepState state;
    return state;
}

std::shared_ptr<const gfx::Font> InfoFont() {
    if (!gFonts[kFontInfo]) return nullptr;
    const ConfigFont& f = *gFonts[kFontInfo];
    return gfx::Font::Create(f.face, f.height, f.weight);
}

TimeValue QuakeTime(const QuakeRecord& q) {
    TimeValue t;
    t.SetDateMinutes(q.date, q.minute);
    return t;
}

// The catalogue side of one step: the candidate found, its text and where it is drawn.
struct Candidate {
    int index = -1;
    bool behind = false;  // found only by turning back
    TimeValue time;
    std::string text;
    QuakeDisplayRecord quake;
    std::unique_ptr<EruptionEvent> eruption;
    std::optional<StepCandidate> ForChoice() const {
        if (index < 0) return std::nullopt;
        return StepCandidate{time, behind};
    }
};

// One press of a step command, in the order the steps run.
class Step {
public:
    Step(childMap& pane, int direction) : pane_(pane), s_(State()), direction_(direction) {}

    void Run() {
        Pause();
        ClearMap();
        OpenCatalogues();
        if (!ChooseMode()) return;
        ForgetIfTheClockMoved();
        if (quakes_) FindQuake();
        if (eruptions_ && direction_ != 0) FindEruption();
        const SteppedKind kind = ChooseStepped(direction_, quake_.ForChoice(), eruption_.ForChoice());
        if (kind == SteppedKind::None) {
            // Nothing is drawn and neither cursor moves.
            gQuakeIndex = quakeEntry_;
            gEruptionIndex = eruptionEntry_;
            return;
        }
        const double radius = kind == SteppedKind::Quake ? ShowQuake() : ShowSteppedEruption();
        DrawInformationBox(kind, radius);
        Remember(kind);
    }

private:
    void Pause() {
        if (gMainFrame) gMainFrame->SendCommand(kCmPause);
    }

    void ClearMap() {
        ClearDisplayedEruptions(&pane_);
        while (pane_.EraseMarkers()) {
        }
        // The pending alert stays marked, without its rings.
        pane_.HideHighlight(false);
        pane_.EraseMarker();
        pane_.CloseTextWindow();
        if (s_.steppedEruption) {
            EraseEruption(pane_, *s_.steppedEruption, true);
            s_.steppedEruption.reset();
        }
    }

    void OpenCatalogues() {
        if (!gQuakeCatalogue && gShowEarthquakes) {
            if (QuakeDisplayRecord* opened = OpenQuakeCatalogue(false)) {
                gQuakeDisplayRecord = *opened;
                gNextQuakeRecord = opened->quake;
            }
        }
        if (!gEruptionCatalogue && gShowEruptions) OpenEruptionCatalogue();
        quakeEntry_ = gQuakeIndex;
        eruptionEntry_ = gEruptionIndex;
    }

    bool ChooseMode() {
        const bool quakesOpen = gShowEarthquakes && gQuakeCatalogue;
        const bool eruptionsOpen = gShowEruptions && gEruptionCatalogue;
        if (quakesOpen && !gShowEruptions) quakes_ = true;
        else if (eruptionsOpen && !gShowEarthquakes) eruptions_ = true;
        else if (quakesOpen && eruptionsOpen) quakes_ = eruptions_ = true;
        return quakes_ || eruptions_;
    }

    // The cursors say where the last step left off only while nothing else
    // moved them: after Play, scrubbing or a new view the clock's own
    // position (the next event to draw) is where stepping starts.
    void ForgetIfTheClockMoved() {
        if (s_.shownKind == SteppedKind::None) return;
        if (gQuakeIndex == s_.quakeCursor && gEruptionIndex == s_.eruptionCursor && gAnimationTime == s_.clock) return;
        s_.lastDirection = 0;
        s_.shownKind = SteppedKind::None;
        s_.shownIndex = -1;
    }

    static int Clamp(int index, int count) { return count > 0 ? std::clamp(index, 0, count - 1) : -1; }

    // Found behind the unclamped start: the search turned back at an end.
    bool Behind(int found, int start) const { return direction_ * (found - start) < 0; }

    void FindQuake() {
        const int count = gQuakeCount;
        const int start = StepStartIndex(gQuakeIndex, direction_, s_.lastDirection, s_.shownKind == SteppedKind::Quake);
        if (count <= 0) return;  // an empty catalogue has nothing to step to
        gQuakeIndex = Clamp(start, count);
        QuakeDisplayRecord r;
        if (direction_ == 0) {
            ReadQuakeAt(gQuakeCatalogue, gQuakeIndex, kFromStart, &r.quake);
            if (IsInView(r)) Take(gQuakeIndex, r);
            return;
        }
        const int found = SearchStep(gQuakeIndex, count, direction_, [&](int i) {
            if (gQuakeVisibleBits && !gQuakeVisibleBits->Test(i)) return StepVerdict::Skip;
            r = QuakeDisplayRecord{};
            ReadQuakeAt(gQuakeCatalogue, i, kFromStart, &r.quake);
            if (IsInView(r)) return StepVerdict::Candidate;
            if (gQuakeVisibleBits) gQuakeVisibleBits->Clear(i);
            return StepVerdict::Skip;
        });
        if (found < 0) return;
        Take(found, r);
        quake_.behind = Behind(found, start);
    }

    void Take(int index, const QuakeDisplayRecord& r) {
        quake_.index = index;
        quake_.quake = r;
        quake_.time = QuakeTime(r.quake);
        quake_.text = FormatQuakeLabel(r.quake);
    }

    void FindEruption() {
        const int count = gEruptionCount;
        const int start =
            StepStartIndex(gEruptionIndex, direction_, s_.lastDirection, s_.shownKind == SteppedKind::Eruption);
        if (count <= 0) return;
        gEruptionIndex = Clamp(start, count);
        auto e = std::make_unique<EruptionEvent>();
        const int found = SearchStep(gEruptionIndex, count, direction_, [&](int i) {
            if (gEruptionVisibleBits && !gEruptionVisibleBits->Test(i)) return StepVerdict::Skip;
            e->ReadAt(gEruptionCatalogue, i);
            if (e->start.t == 0.0) return StepVerdict::Skip;  // unreadable
            if (!PlaceEruption(pane_, *e)) {
                if (gEruptionVisibleBits) gEruptionVisibleBits->Clear(i);
                return StepVerdict::Skip;
            }
            return e->record.flag != 0 ? StepVerdict::Candidate : StepVerdict::Skip;
        });
        if (found < 0) return;
        eruption_.index = found;
        eruption_.behind = Behind(found, start);
        eruption_.time = e->start;
        eruption_.text = FormatEruptionInfo(e->record);
        eruption_.eruption = std::move(e);
    }

    // The cursor of the kind the last step showed, when this step shows the
    // other: the event left behind lies before the new one going forward
    // and after it going back.
    int CursorOfTheOtherKind(SteppedKind other, int entry) const {
        if (s_.shownKind != other || direction_ == 0) return entry;
        return s_.shownIndex + (direction_ == 1 ? 1 : 0);
    }

    // The dot's radius.
    double ShowQuake() {
        gEruptionIndex = CursorOfTheOtherKind(SteppedKind::Eruption, eruptionEntry_);
        QuakeDisplayRecord r = quake_.quake;
        const double m = pane_.DrawEventDot(r, false);
        gQuakeIndex = quake_.index + (direction_ == 1 ? 1 : 0);
        // The clock goes on from the record now at the cursor, so Play draws
        // neither the record it held before the step nor one twice.
        gQuakeDisplayRecord = QuakeDisplayRecord{};
        gNextQuakeTime = ReadQuakeAt(gQuakeCatalogue, gQuakeIndex, kFromStart, &gNextQuakeRecord);
        gQuakeDisplayRecord.quake = gNextQuakeRecord;
        gAnimationTime = quake_.time;
        if (gQuakeSoundOn && gAudio && m > 0 && m >= gMagnitudeSoundCutoff) PlayEarthquakeTone(m);
        point_ = QuakePoint(quake_.quake);
        text_ = quake_.text;
        shownIndex_ = quake_.index;
        return DotRadius(m);
    }

    gfx::Point QuakePoint(const QuakeDisplayRecord& r) {
        std::int32_t row = 0, column = 0;
        if (gMapView) {
            pane_.LatLonToPixel(r.latitude, r.longitude, &row, &column);
        } else if (gCrossSectionView) {
            CrossSectionEventPoint(r.latitude, r.longitude, r.depth, &row, &column);
        } else if (g3DView) {
            Project3DEvent(r.latitude, r.longitude, r.depth, &row, &column);
        }
        return {column, row};
    }

    double ShowSteppedEruption() {
        gQuakeIndex = CursorOfTheOtherKind(SteppedKind::Quake, quakeEntry_);
        EruptionEvent& e = *eruption_.eruption;
        ShowEruption(pane_, e, false, true);
        gEruptionIndex = eruption_.index + (direction_ == 1 ? 1 : 0);
        gAnimationTime = e.start;
        gNextEruptionTime = e.start;
        if (gEruptionSoundOn && gAudio && e.record.size >= gEruptionSoundCutoff) PlayEruptionTone(e.record.size);
        point_ = {e.display.x, e.display.y};
        text_ = eruption_.text;
        shownIndex_ = eruption_.index;
        s_.steppedEruption = std::move(eruption_.eruption);
        return 3.0 * s_.steppedEruption->record.size;
    }

    void Remember(SteppedKind kind) {
        s_.lastDirection = direction_;
        s_.shownKind = kind;
        s_.shownIndex = shownIndex_;
        s_.quakeCursor = gQuakeIndex;
        s_.eruptionCursor = gEruptionIndex;
        s_.clock = gAnimationTime;
    }

    void DrawInformationBox(SteppedKind kind, double radius) {
        if (text_.empty()) return;
        gfx::DrawContext& dc = *pane_.screen();
        gfx::StateSaver keep(dc);
        dc.ResetClip();
        dc.SetOrigin(MapOrigin());
        const auto font = InfoFont();
        dc.SetFont(font);
        const gfx::Rect measured = dc.MeasureWrapped({0, 0, kNoWrap, kMeasureHeight}, text_, gfx::HAlign::Left);
        const int w = measured.width(), h = measured.height();
        const int m = static_cast<int>(radius * 0.707 + 1);
        const InfoBoxPlace place = PlaceInfoBox(point_.x, point_.y, w, h, m, gMapWidth);
        pane_.SetMarkerIcon(place.bigIcon ? place.icon.x + kMarkerIconSize : place.icon.x, place.icon.y, place.bigIcon);

        if (!s_.infoBox) return;
        const gfx::Rect box = gfx::Rect::FromSize(place.topLeft.x, place.topLeft.y, w, h).inflated(kBoxMargin, kBoxMargin);
        const bool quake = kind == SteppedKind::Quake;
        dc.SetPen(gfx::Pen::None());
        dc.FillRect(box, gfx::Brush::Solid(ColorOf(quake ? kRedColor : kYellowColor)));
        dc.FillRect({box.left + kShadow, box.bottom, box.right + kShadow, box.bottom + kShadow},
                    gfx::Brush::Solid(ColorOf(kBlackColor)));
        dc.FillRect({box.right, box.top + kShadow, box.right + kShadow, box.bottom}, gfx::Brush::Solid(ColorOf(kBlackColor)));
        dc.SetBackMode(gfx::BackMode::Transparent);
        dc.SetTextColor(ColorOf(quake ? kWhiteColor : kBlackColor));
        dc.DrawWrapped({box.left + kBoxMargin, box.top + 3, box.right - 1, box.bottom - 3}, text_, gfx::HAlign::Left);
        s_.lastInfoBox = {box.left, box.top, box.right + kShadow, box.bottom + kShadow};
        // A flush of the pane (the panel's commands, Play) takes the box away again.
        pane_.AddUpdateRect(s_.lastInfoBox.translated(MapOrigin()));
    }

    childMap& pane_;
    EventStepState& s_;
    const int direction_;
    int quakeEntry_ = 0, eruptionEntry_ = 0;
    bool quakes_ = false, eruptions_ = false;
    Candidate quake_, eruption_;
    gfx::Point point_;
    std::string text_;
    int shownIndex_ = -1;
};

// The pane passes only its three event commands.
void MapPaneCommand(childMap& pane, int id) {
    switch (id) {
        case kMapCmNextEvent:
            pane.CloseTextWindow();
            StepEvent(pane, 1);
            break;
        case kMapCmPreviousEvent:
            pane.CloseTextWindow();
            StepEvent(pane, -1);
            break;
        case kMapCmCurrentEvent: StepCurrentEvent(pane); break;
    }
}

// The current event is always an earthquake: without them the map stays as it is.
bool NoCurrentEvent(int direction) { return direction == 0 && !gShowEarthquakes; }

}  // namespace

EventStepState& EventStepping() { return State(); }

void ResetEventStepping() { State() = EventStepState{}; }

void StepEvent(childMap& pane, int direction) {
    if (direction < -1 || direction > 1 || NoCurrentEvent(direction)) return;
    Step(pane, direction).Run();
}

void StepCurrentEvent(childMap& pane) {
    EventStepState& s = State();
    pane.CloseTextWindow();
    if (NoCurrentEvent(0)) return;
    if (!s.lastInfoBox.empty()) {
        if (const gfx::Surface* image = pane.mapImageSurface()) {
            gfx::DrawContext& dc = *pane.screen();
            gfx::StateSaver keep(dc);
            dc.ResetClip();
            dc.SetOrigin({0, 0});
            const gfx::Rect r = s.lastInfoBox.translated(MapOrigin());
            dc.Blit(r, *image, r.topLeft(), gfx::RasterOp::Copy);
        }
        s.lastInfoBox = {};
    }
    s.infoBox = !s.infoBox;
    StepEvent(pane, 0);
}

void AppPaneSeams::Command(childMap& pane, int id) { MapPaneCommand(pane, id); }

void AppPaneSeams::HighlightAlertEvent(childMap& pane) {
    if (gPaused && gAlertEvent) pane.HighlightEvent(gAlertEvent, true, true);
}

void AppPaneSeams::BuildAlertView(childMap& pane, const QuakeRecord& record) {
    if (NetworkLink* net = NetworkLinkFor("alert view builder")) net->BuildAlertView(pane, record);
}

void InstallEventStepping() {
    static AppPaneSeams seams;
    InstallMapPaneSeams(&seams);
}

void myFrame::CmCurrentEvent() {
    if (layout_) layout_->map().window().SendCommand(kMapCmCurrentEvent);
}

// ---- arithmetic -------------------------------------------------------------------------

int StepStartIndex(int index, int direction, int lastDirection, bool lastWasThisKind) {
    switch (direction) {
        case 1: return index + (lastDirection != 1 && lastWasThisKind ? 1 : 0);
        case -1: return index - 1 - (lastDirection != -1 && lastWasThisKind ? 1 : 0);
        default: return index - (lastDirection == 1 ? 1 : 0);
    }
}

int SearchStep(int start, int count, int direction, const std::function<StepVerdict(int)>& test) {
    if (count <= 0 || (direction != 1 && direction != -1)) return -1;
    start = std::clamp(start, 0, count - 1);
    for (int pass = 0; pass < 2; ++pass, direction = -direction) {
        for (int i = start; i >= 0 && i < count; i += direction)
            if (test(i) == StepVerdict::Candidate) return i;
    }
    return -1;
}

SteppedKind ChooseStepped(int direction, std::optional<StepCandidate> quake, std::optional<StepCandidate> eruption) {
    if (!quake && !eruption) return SteppedKind::None;
    if (!eruption) return SteppedKind::Quake;
    if (!quake) return SteppedKind::Eruption;
    if (quake->behind != eruption->behind) return quake->behind ? SteppedKind::Eruption : SteppedKind::Quake;
    // Both turned back: the nearer the end is the one a step the other way would take.
    if (quake->behind) direction = -direction;
    if (direction == 1) return quake->time < eruption->time ? SteppedKind::Quake : SteppedKind::Eruption;
    return quake->time >= eruption->time ? SteppedKind::Quake : SteppedKind::Eruption;
}

InfoBoxPlace PlaceInfoBox(int x, int y, int w, int h, int m, int mapWidth) {
    InfoBoxPlace p;
    const int top = y - h - m - 20;
    if (top >= 0) {
        // A box shifts left by the share of its width that the event lies across the map.
        const double across = mapWidth > 0 ? static_cast<double>(x) / mapWidth : 0.0;
        p.topLeft = {x - static_cast<int>(across * w), top};
        p.icon = {x + m, y + m};
        return p;
    }
    const int span = w + 2 * m + 14;
    if (x - span >= 0) {
        p.topLeft = {x - span, 20};
        p.icon = {x + m, y + m};
    } else {
        p.topLeft = {x + m + span / 2, 20};
        p.icon = {x - m - kMarkerIconSize, y + m};
        p.bigIcon = true;
    }
    return p;
}
