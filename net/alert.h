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

class childMap;
namespace platform::gfx {
class DrawContext;
}

// A feed event with what its packed record holds only in part.
struct AlertEvent {
    AlertEventRecord record;
    std::string id;        // the whole event id
    std::string updated;   // the whole "updated" column
    std::string line;      // the whole feed line, without its line end
    bool putBack = false;  // already put back once for lying at the map's edge
};

// Process-wide alert state; empty at start, never saved.
extern std::deque<AlertEvent> hyplist1;          // the last feed's events at or above SAVE THRESHOLD
extern std::deque<AlertEvent> gSeenAlertEvents;  // events already known, oldest first
extern std::deque<AlertEvent> hyplist2;          // waiting for the criteria test, front first
extern std::int32_t gAlertHoldTicks;             // calls still to skip after a reported alert
extern QuakeRecord gLastCandidateQuake;          // last event past the criteria and age tests
extern QuakeRecord gLastReportedQuake;           // last reported event
extern PlaceRecord gAlertPlant;                  // nuclear plant of the current alert

inline constexpr std::size_t kSeenEventsKept = 100;

// The event of one feed line; nullopt when the line gives none (a header, a bad time).
std::optional<AlertEvent> MakeAlertEvent(std::string_view line);
// Orders two "updated" stamps: epoch milliseconds or ISO times, compared in
// full; texts that are neither compare as texts. <0, 0, >0.
int CompareUpdateStamps(std::string_view a, std::string_view b);

// The nearest place that met a criterion. Texts are cut to the widths the
// alert texts allow.
struct NearestPlace {
    std::string name;     // city, or plant name; at most 63 (plant 47) characters
    std::string region;   // at most 63 characters; empty for a plant
    std::string country;  // at most 95 characters
    double latitude = 0;  // degrees
    double longitude = 0;
    std::int32_t miles = 0;
    std::string compass;  // "N" .. "NW"
    bool operating = false;
};
inline constexpr std::size_t kPlaceTextMax = 63;
inline constexpr std::size_t kCountryTextMax = 95;
inline constexpr std::size_t kPlantTextMax = 47;

// 0: the criterion is not met; 1: met by a city; 2: met by a nuclear plant.
// *out is written only for the nearest place that met it.
int FindNearestPlace(const QuakeRecord& q, const AlertCriterion& criterion, NearestPlace* out);
// "N", "NE", ... "NW" for an azimuth in degrees clockwise from north.
const char* CompassPoint(double azimuth);
// A name fit to be part of a file name: no folder separators, no characters
// that file names or the one-line files naming views cannot hold, no blanks
// at either end.
std::string FileSafeName(std::string_view name);

// The caption of a reported alert: network, the event's local-time line and
// the distance (km or miles as the view's scale) and direction from the place.
std::string AlertCaptionText(const AlertEventRecord& event, const NearestPlace& place, bool cityAlert);
// The caption box across the top of the pane on dc; the strip it covers is
// also protected in mask (map-area coordinates), when there is one.
void DrawAlertCaption(platform::gfx::DrawContext& dc, platform::gfx::DrawContext* mask, std::string_view text);

// One alert step on the pane; true only when an event was put back because
// it lay at the map's edge and the other world view must be opened.
bool ProcessAlertEvent(childMap& pane);

// ---- Seams of the alert view and the e-mail -----------------------------------------

// What the alert view's annotation needs of a reported alert.
struct AlertAnnotation {
    const QuakeRecord* quake = nullptr;
    bool cityAlert = false;   // a city met a criterion: city is the alert's place
    bool plantAlert = false;  // a plant met one: the plant is marked too
    NearestPlace city;
    PlaceRecord plant;        // name, latitude, longitude, operating
    std::string closestCity;  // left by FindClosestCity; empty when none
    double closestLatitude = 0, closestLongitude = 0;
    std::string viewPlace;    // city name, else plant name, made FileSafeName
};

// Tests: the lists emptied, the records zeroed and the hold cleared.
void ResetAlertState();
