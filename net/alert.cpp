#include "net/alert.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "app/control_panel.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/layout.h"
#include "app/sound.h"
#include "core/config.h"
#include "core/csv.h"
#include "core/energy.h"
#include "core/helpers.h"
#include "core/c_numbers.h"
#include "core/number_text.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "net/alert_email.h"
#include "net/alert_view.h"
#include "app/housekeeping.h"
#include "platform/sound/sound.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/ui/ui.h"

namespace gfx = platform::gfx;

std::deque<AlertEvent> hyplist1;
std::deque<AlertEvent> gSeenAlertEvents;
std::deque<AlertEvent> hyplist2;
std::int32_t gAlertHoldTicks = 0;
QuakeRecord gLastCandidateQuake;
QuakeRecord gLastReportedQuake;
PlaceRecord gAlertPlant;

namespace {

// ---- Reporting helpers ------------------------------------------------------------------

bool AtSaveThreshold(const QuakeRecord& q) { return q.magnitude + kTenthSlack >= gSaveThreshold * 10.0; }

void AppendLine(const std::string& name, const std::string& text) {
    if (name.empty()) return;
    std::FILE* f = platform::OpenFile(name, "a+t");
    if (!f) return;
    std::fputs(text.c_str(), f);
    std::fclose(f);
}

void PlayWaveSync(const std::string& name) {
    const std::string path = platform::FindPath(name).value_or(name);
    (void)platform::sound::CurrentOutput().PlayWave(path, platform::sound::WaveMode::kSync);
}

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
    char buffer[512];
    CNumbersScope numbers;
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

bool AtMapEdge(const childMap& pane, const QuakeRecord& q) {
    std::int32_t row = 0, column = 0;
    pane.LatLonToPixel(MasToDegrees(q.latitude), Proj::LonOffset(MasToDegrees(q.longitude), gWestEdge), &row,
                       &column);
    const std::int32_t w = gPaneWidth, h = gPaneHeight;
    const std::int32_t margin = (w - h * 4 / 3) / 2;
    return column < margin || column > w - margin;
}

void SwitchWorldView() {
    if (EqualsIgnoringCase(gWorldViewName, "WORLD")) gWorldViewName = "WORLD-ALT";
    else if (EqualsIgnoringCase(gWorldViewName, "WORLD-ALT")) gWorldViewName = "WORLD";
}

childControl* ControlPanel() {
    if (!gMainFrame || !gMainFrame->layout()) return nullptr;
    return gMainFrame->layout()->control();
}

// The existing alert catalogue (here, else in the program folder), or the
// name to create here.
std::string AlertCataloguePath(bool* exists) {
    std::string found = FindDataFile(gAlertHypocenterFile);
    *exists = !found.empty();
    if (*exists) return found;
    return platform::ResolvePath(gAlertHypocenterFile);
}

// Keeps the records before the first new one, then the new ones in time
// order, and nothing after them: a shorter feed leaves no stale tail.
void WriteAlertCatalogue(const std::deque<AlertEvent>& events) {
    CloseQuakeCatalogue();
    if (gAlertHypocenterFile.empty()) return;
    std::vector<QuakeRecord> fresh;
    for (const AlertEvent& e : events) fresh.push_back(e.record.quake);
    if (fresh.empty()) {
        (void)OpenQuakeCatalogue(false);
        return;
    }
    std::stable_sort(fresh.begin(), fresh.end(), [](const QuakeRecord& a, const QuakeRecord& b) {
        TimeValue ta, tb;
        ta.SetFromQuake(a);
        tb.SetFromQuake(b);
        return ta < tb;
    });

    bool exists = false;
    const std::string path = AlertCataloguePath(&exists);
    std::vector<unsigned char> kept;
    if (exists) {
        std::FILE* old = std::fopen(path.c_str(), "rb");
        if (!old) return;  // never replace a catalogue that could not be read
        TimeValue first;
        first.SetFromQuake(fresh.front());
        bool exact = false;
        std::int32_t index = 0;
        (void)FindQuakeIndex(old, &first, &exact, &index);
        kept.resize(static_cast<std::size_t>(std::max(index, 0)) * kQuakeRecordSize);
        std::rewind(old);
        const std::size_t got = kept.empty() ? 0 : std::fread(kept.data(), 1, kept.size(), old);
        std::fclose(old);
        if (got != kept.size()) return;
    }
    platform::SafeFileWriter out(path);
    if (!out.ok()) return;
    bool ok = kept.empty() || std::fwrite(kept.data(), 1, kept.size(), out.file()) == kept.size();
    for (const QuakeRecord& q : fresh) ok = ok && WriteQuakeRecord(out.file(), q);
    if (!ok || !out.Commit()) {
        DebugLog("Alert catalogue %s not written", gAlertHypocenterFile.c_str());
        return;
    }
    (void)OpenQuakeCatalogue(false);
}

// Entries no longer in the feed go, oldest first, until at most the kept number are left.
void PruneSeenEvents() {
    if (gSeenAlertEvents.size() <= kSeenEventsKept) return;
    std::unordered_set<std::string> inFeed;
    auto lowered = [](std::string id) {
        for (char& c : id) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return id;
    };
    for (const AlertEvent& e : hyplist1) inFeed.insert(lowered(e.id));
    std::size_t excess = gSeenAlertEvents.size() - kSeenEventsKept;
    for (auto it = gSeenAlertEvents.begin(); it != gSeenAlertEvents.end() && excess > 0;) {
        if (inFeed.count(lowered(it->id))) {
            ++it;
            continue;
        }
        it = gSeenAlertEvents.erase(it);
        --excess;
    }
}

void Refill() {
    if (gFeedLines.empty()) return;
    const std::deque<AlertEvent>* written = nullptr;
    if (gSeenAlertEvents.empty()) {
        DebugLog("Initial events:");
        for (const std::string& line : gFeedLines) {
            std::optional<AlertEvent> e = MakeAlertEvent(line);
            if (!e || !AtSaveThreshold(e->record.quake)) continue;
            gSeenAlertEvents.push_back(*e);
            hyplist2.push_back(std::move(*e));
        }
        DebugLog("n0: %d", static_cast<int>(gSeenAlertEvents.size()));
        gFeedLines.clear();
        written = &gSeenAlertEvents;
    } else {
        hyplist1.clear();
        DebugLog("Fill up hyplist1");
        for (const std::string& line : gFeedLines) {
            std::optional<AlertEvent> e = MakeAlertEvent(line);
            if (e && AtSaveThreshold(e->record.quake)) hyplist1.push_back(std::move(*e));
        }
        gFeedLines.clear();
        DebugLog("n0: %d, n1: %d", static_cast<int>(gSeenAlertEvents.size()), static_cast<int>(hyplist1.size()));
        PruneSeenEvents();
        for (const AlertEvent& r : hyplist1) {
            auto seen = std::find_if(gSeenAlertEvents.begin(), gSeenAlertEvents.end(),
                                     [&](const AlertEvent& s) { return EqualsIgnoringCase(s.id, r.id); });
            if (seen != gSeenAlertEvents.end()) {
                if (CompareUpdateStamps(seen->updated, r.updated) >= 0) continue;
                gSeenAlertEvents.erase(seen);
            }
            DebugLog("New event found: %s", r.line.c_str());
            gSeenAlertEvents.push_back(r);
            hyplist2.push_back(r);
        }
        DebugLog("n0, n1, n3: %d, %d, %d", static_cast<int>(gSeenAlertEvents.size()),
                 static_cast<int>(hyplist1.size()), static_cast<int>(hyplist2.size()));
        written = &hyplist1;
    }
    WriteAlertCatalogue(*written);
}

enum class Outcome { kNext, kDone, kPutBack };

Outcome ProcessOne(childMap& pane, AlertEvent& ev) {
    const QuakeRecord q = ev.record.quake;
    DebugLog("Have removed event from hyplist2. %d left", static_cast<int>(hyplist2.size()));
    DebugLog("Process new event: %s", ev.line.c_str());
    TimeValue t;
    t.SetFromQuake(q);
    const TimeValue now = CurrentUtcTime();

    // A put-back event was archived at its first turn.
    if (!ev.putBack && !gArchiveFile.empty()) {
        DebugLog("To archive:");
        AppendToArchive(UtcTimeStamp() + ev.line + "\n");
    }
    CloseQuakeCatalogue();

    DebugLog("Check criteria to see if we have an alert event");
    int r = 0;
    NearestPlace city, plant;
    if (q.magnitude + kTenthSlack >= gAlertThreshold * 10.0) {
        for (const auto& c : gAlertCriteria) {
            if (!c) continue;
            DebugLog("Criteria: %lf", c->minMagnitude);
            if ((r & 1) && !c->nuclearPlant) {
                DebugLog("continue");
                continue;
            }
            NearestPlace found;
            const int k = FindNearestPlace(q, *c, &found);
            if (k == 1) {
                DebugLog("Alert city detected. Now look for NPP");
                city = found;
            }
            r |= k;
            if (r & 2) {
                DebugLog("Found NPP satisfying criterion");
                plant = found;
                gAlertPlant = PlaceRecord(plant.name, "", plant.latitude, plant.longitude, plant.operating);
                break;
            }
        }
    }
    if (r == 0 || (now - t).t >= gAlertWindowHours * 3600.0) return Outcome::kNext;
    DebugLog("Done test_criteria. alert: %d", r);
    const bool cityAlert = (r & 1) != 0;
    const NearestPlace& place = cityAlert ? city : plant;

    DebugLog("Alert event: %s", ev.line.c_str());
    const int similar = MatchSimilarEvent(gLastCandidateQuake, q);
    gLastCandidateQuake = q;
    if (similar == 2) {
        DebugLog("Similar event. Don't report");
        return Outcome::kDone;
    }
    if (IsSameQuake(q, gLastReportedQuake)) {
        DebugLog("Same event. Don't report.");
        CloseQuakeCatalogue();
        return Outcome::kDone;
    }
    gLastReportedQuake = q;

    pane.EraseHighlight();
    pane.SetHighlightShown(false);
    // Once only: an event at the edge of both world views would otherwise switch them forever.
    if (!ev.putBack && AtMapEdge(pane, q)) {
        DebugLog("On edge of screen. Put event back in queue.");
        ev.putBack = true;
        hyplist2.push_front(ev);
        gLastCandidateQuake = QuakeRecord{};
        gLastReportedQuake = QuakeRecord{};
        SwitchWorldView();
        return Outcome::kPutBack;
    }
    AppendLine("alerts.txt", FormatQuakeListLine(q, true) + "\n");

    const std::string caption = AlertCaptionText(ev.record, place, cityAlert);
    if (gfx::DrawContext* screen = pane.screen()) DrawAlertCaption(*screen, pane.protectionMask(), caption);
    if (gfx::DrawContext* image = pane.mapImage()) DrawAlertCaption(*image, pane.protectionMask(), caption);
    pane.HighlightEvent(&gLastReportedQuake, true, true);

    if (StartsWithIgnoringCase(gMapName, "WORLD")) {
        if (childControl* panel = ControlPanel()) {
            panel->ShowAlertButtons();
            panel->SetAlertPending(true);
        }
        gAlertPauseLeft = gAlertPause;
    }
    gLastReportedQuake = q;
    gAlertHoldTicks = gAlertSeconds;
    gAlertEvent = &gLastReportedQuake;

    // The announcement: heading twice, then the magnitude twice.
    PlayWaveSync("Earthquake alert-R.wav");
    PlayWaveSync("Earthquake alert-R.wav");
    for (int i = 0; i < 2; ++i) {
        PlayWaveSync(Printf("M%d point-R.wav", q.magnitude / 10));
        PlayWaveSync(Printf("%dR.wav", q.magnitude % 10));
    }

    DebugLog("Find closest city");
    double distance = 0;
    int compass = 0;
    std::string closest;
    GeoPoint closestAt;
    (void)FindClosestCity(MasToDegrees(q.latitude), MasToDegrees(q.longitude), &distance, &compass, &closest,
                          &closestAt);
    DebugLog("Found: %s", closest.c_str());

    AlertAnnotation note;
    note.quake = &gLastReportedQuake;
    note.cityAlert = cityAlert;
    note.plantAlert = (r & 2) != 0;
    note.city = city;
    note.plant = gAlertPlant;
    note.closestCity = closest;
    note.closestLatitude = closestAt.y;
    note.closestLongitude = closestAt.x;
    note.viewPlace = FileSafeName(cityAlert && !city.name.empty() ? city.name : plant.name);
    const std::string viewName = WriteAlertAnnotation(note);

    DebugLog("Start up animation circles");
    pane.HighlightEvent(&gLastReportedQuake, true, true);

    const std::string network(ev.record.network, ::strnlen(ev.record.network, 2));
    if (cityAlert)
        SendAlertEmail(q, network, ev.id, place.name, place.region, place.country, place.miles, place.compass, 0);
    else
        SendAlertEmail(q, network, ev.id, place.name, "", place.country, place.miles, place.compass, 1);

    if (gContinuousAlert) {
        PlaySiren();
        platform::ui::MessageBox(&pane, "Earthquake Alarm", "Select OK to turn off alarm", platform::ui::Buttons::Ok,
                                 platform::ui::Icon::None);
        StopWaveSound();
    }

    ApplyAlertView(pane, AlertViewKind::kProcessor, q, viewName, GeoPoint{place.longitude, place.latitude});

    if (gAlertHoldTicks > 0) --gAlertHoldTicks;
    return Outcome::kDone;
}

}  // namespace

// ---- Public operations ----------------------------------------------------------------------

std::string AlertCaptionText(const AlertEventRecord& event, const NearestPlace& place, bool cityAlert) {
    const std::int32_t d = gScaleInKm ? static_cast<std::int32_t>(place.miles * 1.609) : place.miles;
    const char* unit = gScaleInKm ? "km" : "Mi";
    std::string caption = (std::string(event.network, ::strnlen(event.network, 2)) + ":  ").substr(0, 3);
    caption += FormatQuakeListLine(event.quake, true);
    if (cityAlert)
        caption += Printf(" %d %s %s of %s, %s", d, unit, place.compass.c_str(), place.name.c_str(),
                          place.country.c_str());
    else
        caption += Printf(" %d %s %s of %s Nuclear Power Plant, %s", d, unit, place.compass.c_str(),
                          place.name.c_str(), place.country.c_str());
    return caption;
}

void DrawAlertCaption(gfx::DrawContext& dc, gfx::DrawContext* mask, std::string_view text) {
    const int w = gPaneWidth, h = gPaneHeight;
    const int bottom = gTextHeight + 12;
    dc.Save();
    ClipToRect(dc, 0, 0, w, h, true);
    dc.SetPen(gfx::Pen::Solid(ColorOf(kBlackColor)));
    dc.SetBrush(gfx::Brush::Solid(ColorOf(kYellowColor)));
    dc.Rectangle({6, 6, w - 6, bottom});
    DrawJustifiedText(dc, gAveCharWidth + 6, 8, nullptr, text, kBlueColor, kYellowColor, HJust::Left, VJust::Top);
    dc.Restore();

    if (!mask) return;
    const int l = gMapRect.left, t = gMapRect.top, r = gMapRect.right;
    mask->Save();
    mask->SetPen(gfx::Pen::Solid(ColorOf(kBlackColor)));
    mask->SetBrush(gfx::Brush::Solid(ColorOf(kWhiteColor)));
    mask->Rectangle({0, -t, r - l, bottom - t});
    mask->Restore();
}

bool ProcessAlertEvent(childMap& pane) {
    if (gAlertHoldTicks > 0) {
        --gAlertHoldTicks;
        return false;
    }
    if (pane.dragInProgress()) return false;
    for (;;) {
        if (hyplist2.empty()) {
            Refill();
            return false;
        }
        AlertEvent ev = std::move(hyplist2.front());
        hyplist2.pop_front();
        switch (ProcessOne(pane, ev)) {
            case Outcome::kNext: continue;
            case Outcome::kPutBack: return true;
            case Outcome::kDone: return false;
        }
    }
}

void ResetAlertState() {
    hyplist1.clear();
    gSeenAlertEvents.clear();
    hyplist2.clear();
    gAlertHoldTicks = 0;
    gLastCandidateQuake = QuakeRecord{};
    gLastReportedQuake = QuakeRecord{};
    gAlertPlant = PlaceRecord{};
    gAlertEvent = nullptr;
}
