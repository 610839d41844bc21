#include "net/alert_view_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/helpers.h"
#include "core/number_text.h"
#include "map/proj.h"
#include "net/alert_events.h"
#include "net/alert_view_parts.h"
#include "platform/sys/files.h"

namespace {

// Mercator has no pole; the map's own table stops short of 89 degrees too.
constexpr double kMaxLatitude = 89.0;
// Half the widest box: a full 360 degrees would make its two edges one.
constexpr double kMaxHalfWidth = 179.5;

}  // namespace

namespace alert_view_parts {

std::string sCafWritten;

double ClampLatitude(double lat) { return std::clamp(lat, -kMaxLatitude, kMaxLatitude); }

double WrapLongitude(double lon) {
    lon = std::fmod(lon, 360.0);
    if (lon > 180) lon -= 360;
    if (lon <= -180) lon += 360;
    return lon;
}

bool WriteTextFile(const std::string& name, const std::vector<std::string>& lines) {
    std::FILE* f = platform::OpenFile(name, "wt");
    if (!f) return false;
    bool ok = true;
    for (const std::string& l : lines) ok = ok && std::fputs(l.c_str(), f) >= 0;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) std::remove(platform::ResolvePath(name).c_str());
    return ok;
}

}  // namespace alert_view_parts

using namespace alert_view_parts;

namespace {

bool InUnitedStatesBox(double lat, double lon) { return 23 < lat && lat < 52 && -135 < lon && lon < -54; }

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 31;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::string PlaceLine(double lat, double lon, const std::string& name, const char* suffix) {
    // A NUL from a table would end the line as it is written, taking its options and line end.
    std::string text = name;
    std::erase(text, '\0');
    return FormatFixed(lat, 3, 7) + " " + FormatFixed(lon, 3, 8) + " " + text + suffix + "\n";
}

bool WriteCafFile(const std::string& name, const std::vector<std::string>& places) {
    std::vector<std::string> lines = {"symbol: circle\n", "color: white\n", "thickness: 3\n",
                                      "vertical justify: center\n"};
    lines.insert(lines.end(), places.begin(), places.end());
    return WriteTextFile(name, lines);
}

}  // namespace

AlertViewBox AlertBoxFor(AlertViewKind kind, double lat, double lon, int width, int height,
                         std::optional<GeoPoint> place) {
    lat = ClampLatitude(lat);
    lon = WrapLongitude(lon);
    const double f =
        std::fabs(lat) < 10 ? 1.0 : std::fabs(MercatorY(ClampLatitude(lat + 0.5)) - MercatorY(ClampLatitude(lat - 0.5)));
    const double k = f * (width > 0 && height > 0 ? static_cast<double>(width) / height : 1.0);
    double h = InUnitedStatesBox(lat, lon) ? 3 : (kind == AlertViewKind::kProcessor ? 10 : 5);

    AlertViewBox box;
    double halfWidth = 0;
    auto fill = [&] {
        // A box cut off by the pole keeps its height on the other side.
        const double y = MercatorY(lat), edge = MercatorY(kMaxLatitude);
        double top = y + h, bottom = y - h;
        if (top > edge) bottom -= top - edge;
        if (bottom < -edge) top += -edge - bottom;
        box.north = ClampLatitude(InverseMercator(top));
        box.south = ClampLatitude(InverseMercator(bottom));
        halfWidth = std::min(h * k, kMaxHalfWidth);
        box.east = lon + halfWidth;
        box.west = lon - halfWidth;
    };
    fill();

    if (place) {
        const double plat = place->y;
        // East positive, the short way round: a place across 180 degrees is near, not a world away.
        const double dlon = WrapLongitude(place->x - lon);
        // The half-height is in Mercator units: so is the distance it is measured against.
        const double py = MercatorY(ClampLatitude(plat)), y = MercatorY(lat);
        double n = 0;
        if (plat > box.north)
            n = (py - y) * 1.2;
        else if (plat < box.south)
            n = (y - py) * 1.2;
        else if (dlon > halfWidth && dlon - halfWidth < 40)
            n = dlon * 1.2 / k;
        else if (dlon < -halfWidth && -halfWidth - dlon > 40)
            n = -dlon * 1.2 / k;
        if (n > h) {
            h = n;
            fill();
        }
    }
    // A box as wide as the world is given the height the pane shows with it,
    // never a strip (near the poles the stretch makes every box that wide).
    if (halfWidth >= kMaxHalfWidth && width > 0 && height > 0) {
        const double least = kMaxHalfWidth * height / width;
        if (h < least) {
            h = least;
            fill();
        }
    }
    if (box.east > 180) box.east -= 360;
    if (box.west < -180) box.west += 360;
    box.halfHeight = h;
    return box;
}

std::string AlertViewName(const QuakeRecord& q, std::string_view place) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d-%02d", q.date.year, q.date.month, q.date.day,
                  q.minute / 60);
    std::string safe = FileSafeName(place.substr(0, kPlaceTextMax));
    return safe.empty() ? std::string(stamp) : std::string(stamp) + " " + safe;
}

PackedDate MonthEarlier(PackedDate date) {
    PackedDate d = date;
    if (d.month <= 1) {
        d.month = 12;
        d.year = static_cast<std::uint16_t>(d.year - 1);
    } else {
        d.month = static_cast<std::uint8_t>(d.month - 1);
    }
    return InYear(d, d.year);
}

PackedDate InYear(PackedDate date, int year) {
    PackedDate d = date;
    d.year = static_cast<std::uint16_t>(year);
    d.day = static_cast<std::uint8_t>(std::min<int>(d.day, DaysInMonth(year, d.month)));
    return d;
}

std::string WriteAlertAnnotation(const AlertAnnotation& note) {
    sCafWritten.clear();
    if (!note.quake) return {};
    const std::string name = AlertViewName(*note.quake, note.viewPlace);
    std::vector<std::string> places;
    if (note.plantAlert) places.push_back(PlaceLine(note.plant.latitude, note.plant.longitude, note.plant.name, " /d20"));
    if (note.cityAlert) places.push_back(PlaceLine(note.city.latitude, note.city.longitude, note.city.name, " /d6"));
    if (!note.closestCity.empty() && note.closestCity != note.city.name)
        places.push_back(PlaceLine(note.closestLatitude, note.closestLongitude, note.closestCity, " /d6"));
    if (WriteCafFile(name + ".caf", places)) sCafWritten = name + ".caf";
    if (note.plantAlert) {
        const std::string line = PlaceLine(note.plant.latitude, note.plant.longitude, note.plant.name,
                                           note.plant.operating ? " /o1" : " /o0");
        (void)WriteTextFile(name + ".npp.txt", {line});
    }
    return name;
}

std::string WriteBuilderAnnotation(const QuakeRecord& q, const std::string* closestCity, GeoPoint closestAt) {
    sCafWritten.clear();
    if (!closestCity) return AlertViewName(q, "");
    const std::string name = AlertViewName(q, *closestCity);
    if (WriteCafFile(name + ".caf", {PlaceLine(closestAt.y, closestAt.x, *closestCity, "")}))
        sCafWritten = name + ".caf";
    return name;
}
