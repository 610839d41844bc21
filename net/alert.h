#pragma once
// The alert mode: events of the fetched feed are queued, tested one by one
// against the alert criteria, and a reported one is logged, captioned and
// highlighted on the map, announced and handed to the alert view and e-mail.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "core/alert_criteria.h"
#include "core/places.h"
#include "core/quake.h"
#include "net/alert_events.h"

class childMap;
namespace platform::gfx {
class DrawContext;
}

// Process-wide alert state; empty at start, never saved.
extern std::deque<AlertEvent> hyplist1;          // the last feed's events at or above SAVE THRESHOLD
extern std::deque<AlertEvent> gSeenAlertEvents;  // events already known, oldest first
extern std::deque<AlertEvent> hyplist2;          // waiting for the criteria test, front first
extern std::int32_t gAlertHoldTicks;             // calls still to skip after a reported alert
extern QuakeRecord gLastCandidateQuake;          // last event past the criteria and age tests
extern QuakeRecord gLastReportedQuake;           // last reported event
extern PlaceRecord gAlertPlant;                  // nuclear plant of the current alert

inline constexpr std::size_t kSeenEventsKept = 100;

// The caption of a reported alert: network, the event's local-time line and
// the distance (km or miles as the view's scale) and direction from the place.
std::string AlertCaptionText(const AlertEventRecord& event, const NearestPlace& place, bool cityAlert);
// The caption box across the top of the pane on dc; the strip it covers is
// also protected in mask (map-area coordinates), when there is one.
void DrawAlertCaption(platform::gfx::DrawContext& dc, platform::gfx::DrawContext* mask, std::string_view text);

// One alert step on the pane; true only when an event was put back because
// it lay at the map's edge and the other world view must be opened.
bool ProcessAlertEvent(childMap& pane);

// Tests: the lists emptied, the records zeroed and the hold cleared.
void ResetAlertState();
