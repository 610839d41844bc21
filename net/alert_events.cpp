#include "net/alert_events.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/csv.h"
#include "core/helpers.h"
#include "core/number_text.h"
#include "platform/sys/clock.h"

namespace {

constexpr double kMilesPerDegree = 69.04909881914232;

std::string Cut(std::string_view text, std::size_t max) { return std::string(text.substr(0, max)); }

void StripLineEnd(std::string_view& line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
}

// ---- Update stamps --------------------------------------------------------------------

bool AllDigits(std::string_view s) {
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

// Microseconds since 1970 of an epoch-millisecond or ISO stamp.
std::optional<long double> StampMicros(std::string_view s) {
    s = Trimmed(s);
    if (AllDigits(s)) {
        long long ms = 0;
        if (!ScanLeadingInteger(s, 10, &ms)) return std::nullopt;
        return static_cast<long double>(ms) * 1000.0L;
    }
    std::string text(s.substr(0, 64));
    IsoTimeFields iso;
    std::size_t used = 0;
    if (!ScanIsoTime(text, &iso, &used)) return std::nullopt;
    const int year = iso.year, month = iso.month, day = iso.day, hour = iso.hour, minute = iso.minute;
    const double seconds = iso.seconds;
    if (!std::isfinite(seconds) || month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
    platform::CivilTime c{year, month, day, hour, minute, 0, 0};
    long double us = static_cast<long double>(platform::UnixMsFromCivil(c)) * 1000.0L + seconds * 1e6L;
    std::string_view zone = std::string_view(text).substr(static_cast<std::size_t>(used));
    if (zone.empty() || zone == "Z") return us;
    int zh = 0, zm = 0;
    char sign = zone.front();
    if ((sign == '+' || sign == '-') && std::sscanf(text.c_str() + used + 1, "%d:%d", &zh, &zm) >= 1) {
        const long double offset = (zh * 60.0L + zm) * 60e6L;
        return sign == '+' ? us - offset : us + offset;
    }
    return std::nullopt;
}

}  // namespace

std::optional<AlertEvent> MakeAlertEvent(std::string_view line) {
    StripLineEnd(line);
    AlertEvent e;
    ParseFeedCsvLine(&e.record, line);
    if (IsZeroRecord(e.record.quake)) return std::nullopt;
    const std::vector<std::string> fields = SplitCsvFields(line);
    if (fields.size() > 11) e.id = fields[11];
    if (fields.size() > 12) e.updated = fields[12];
    e.line = std::string(line);
    return e;
}

int CompareUpdateStamps(std::string_view a, std::string_view b) {
    const std::optional<long double> ta = StampMicros(a), tb = StampMicros(b);
    if (ta && tb) return *ta < *tb ? -1 : (*ta > *tb ? 1 : 0);
    const int c = Trimmed(a).compare(Trimmed(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

const char* CompassPoint(double azimuth) {
    static const char* const kPoints[8] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
    if (!std::isfinite(azimuth)) return kPoints[0];
    int i = static_cast<int>(std::fmod(std::trunc(azimuth / 45 + 0.5), 8.0));
    if (i < 0) i += 8;
    return kPoints[i];
}

std::string FileSafeName(std::string_view name) {
    std::string out(Trimmed(name));
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::strchr("/\\:*?\"<>|", c)) c = '-';
    }
    return out;
}

int FindNearestPlace(const QuakeRecord& q, const AlertCriterion& criterion, NearestPlace* out) {
    if (q.magnitude * 0.1 + kTenthSlack < criterion.minMagnitude) return 0;
    if (criterion.maxDepth != 0 && q.depth * 0.00001 > criterion.maxDepth) return 0;
    const double maxDegrees = criterion.maxDistance / kMilesPerDegree;
    double best = 360;
    out->latitude = 0;
    out->longitude = 0;
    const double qLat = MasToDegrees(q.latitude), qLon = MasToDegrees(q.longitude);
    int result = 0;

    auto measure = [&](double lat, double lon, double* d, double* az) {
        GreatCircle(lat, lon, qLat, qLon, d, az);
        return maxDegrees == 0 || *d < maxDegrees;
    };
    auto milesOf = [](double d) {
        const auto km = static_cast<std::int32_t>(d * 0.017453292 * 6371);
        return static_cast<std::int32_t>(km / 1.609);
    };

    if (criterion.nuclearPlant) {
        // The same table reader as FindClosestNPP: its header line skipped, rows read whole.
        ForEachPlaceRow(PlaceTable::kPlants, 9, [&](const std::vector<std::string>& f, double lat, double lon) {
            if (lat == 0 || lon == 0) return;
            double d = 0, az = 0;
            if (!measure(lat, lon, &d, &az)) return;
            result = 2;
            if (d >= best) return;
            best = d;
            out->compass = CompassPoint(az);
            out->name = Cut(f[2], kPlantTextMax);
            out->country = Cut(f[0], kCountryTextMax);
            out->region.clear();
            out->miles = milesOf(d);
            out->operating = !f[4].empty() && f[4][0] == 'O';
            out->latitude = lat;
            out->longitude = lon;
        });
        return result;
    }
    // As FindClosestCity reads it: no header line, rows read whole.
    ForEachPlaceRow(PlaceTable::kCities, 7, [&](const std::vector<std::string>& f, double lat, double lon) {
        if (lat == 0 || lon == 0) return;
        if (std::atol(f[5].c_str()) < criterion.minPopulation) return;
        if (!criterion.country.empty() && !EqualsIgnoringCase(criterion.country, f[6])) return;
        double d = 0, az = 0;
        if (!measure(lat, lon, &d, &az)) return;
        result = 1;
        if (d >= best) return;
        best = d;
        out->compass = CompassPoint(az);
        out->name = Cut(f[0], kPlaceTextMax);
        out->region = Cut(f[1], kPlaceTextMax);
        out->country = Cut(f[2], kCountryTextMax);
        out->miles = milesOf(d);
        out->latitude = lat;
        out->longitude = lon;
    });
    return result;
}
