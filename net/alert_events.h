#pragma once
// Feed events and the nearest place to one, apart from the alert step that
// shows them: readers that only parse and search link no window layer.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/alert_criteria.h"
#include "core/places.h"
#include "core/quake.h"

// Magnitudes are tenths in a byte; thresholds are doubles that may sit a
// hair below the tenth they mean.
inline constexpr double kTenthSlack = 1e-9;

// A feed event with what its packed record holds only in part.
struct AlertEvent {
    AlertEventRecord record;
    std::string id;        // the whole event id
    std::string updated;   // the whole "updated" column
    std::string line;      // the whole feed line, without its line end
    bool putBack = false;  // already put back once for lying at the map's edge
};

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
