#include "core/places.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "core/csv.h"
#include "core/helpers.h"
#include "core/number_text.h"
#include "core/view.h"
#include "platform/sys/files.h"

namespace {

constexpr double kRadiansPerDegree = 0.017453292;
constexpr double kSearchWindow = 10;  // degrees of latitude and longitude
constexpr double kNearLimit = 7;      // degrees of arc

// The view's bounds, read at each call so that readers follow the open view.
struct MapBounds {
    double south, north, west, east;
};
MapBounds CurrentMapBounds() { return {gMapSouth, gMapNorth, gMapWest, gMapEast}; }

bool InBounds(const MapBounds& b, double lat, double lon) {
    if (!(lat > b.south && lat < b.north)) return false;
    if (b.east >= b.west) return lon > b.west && lon < b.east;
    // Across the date line: each side of it on its own.
    return lon < 0 ? (lon > -180 && lon < b.east) : (lon > b.west && lon < 180);
}

// Longitude difference brought into -180..180, so windows reach across the date line.
double LongitudeDifference(double a, double b) {
    double d = std::fmod(a - b, 360.0);
    if (d > 180) d -= 360;
    if (d <= -180) d += 360;
    return d;
}

// A whole field as a finite number of degrees, without the locale; blanks
// around it are allowed.
bool ScanDegrees(std::string_view field, double* value) {
    double v = 0;
    std::size_t used = 0;
    if (!ScanLeadingDouble(field, &v, &used) || !std::isfinite(v)) return false;
    while (used < field.size() && (field[used] == ' ' || field[used] == '\t')) ++used;
    if (used != field.size()) return false;
    *value = v;
    return true;
}

struct TableLayout {
    const char* file;
    bool header;
    std::size_t minFields;
    std::size_t latitude, longitude, name;
    bool hasStatus;
};
constexpr TableLayout kCityTable{kCityTableFile, false, 6, 3, 4, 0, false};
constexpr TableLayout kPlantTable{kPlantTableFile, true, 10, 6, 7, 2, true};
constexpr std::size_t kCityRegion = 1, kCityCountry = 2;
constexpr std::size_t kPlantCountry = 0, kPlantStatus = 4;

bool IsOperating(const std::vector<std::string>& plant) { return plant[kPlantStatus].starts_with('O'); }

// Calls row(fields, lat, lon) for each line of the table with enough fields
// and a position that scans. Lines are read whole, however long; CR LF line
// ends lose their CR. False when the table cannot be opened.
template <typename Row>
bool ForEachPlace(const TableLayout& table, Row&& row) {
    std::FILE* f = OpenDataFile(table.file, "rt");
    if (!f) return false;
    std::string line;
    bool first = true;
    while (ReadWholeLine(f, line)) {
        if (std::exchange(first, false) && table.header) continue;
        const std::vector<std::string> fields = SplitCsvFields(line);
        if (fields.size() < table.minFields) continue;
        double lat = 0, lon = 0;
        if (!ScanDegrees(fields[table.latitude], &lat) || !ScanDegrees(fields[table.longitude], &lon)) continue;
        row(fields, lat, lon);
    }
    std::fclose(f);
    return true;
}

struct Nearest {
    double distance = 360;
    double azimuth = 0;
    double latitude = 0, longitude = 0;
    std::string name;
    bool operating = false;
};

bool FindClosest(const TableLayout& table, double lat, double lon, double* distance, int* compass,
                 std::string* name, GeoPoint* position, bool* operating) {
    Nearest best;
    const bool opened = ForEachPlace(table, [&](const std::vector<std::string>& fields, double plat, double plon) {
        if (!(std::fabs(plat - lat) < kSearchWindow && std::fabs(LongitudeDifference(plon, lon)) < kSearchWindow))
            return;
        double d = 0, az = 0;
        GreatCircle(plat, plon, lat, lon, &d, &az);
        if (!(d < best.distance)) return;
        best.distance = d;
        best.azimuth = az;
        best.latitude = plat;
        best.longitude = plon;
        best.name = fields[table.name].substr(0, kPlaceNameMax);
        best.operating = table.hasStatus && IsOperating(fields);
    });
    if (!opened || !(best.distance < kNearLimit)) return false;
    if (distance) *distance = best.distance;
    if (compass) *compass = static_cast<int>(std::trunc(best.azimuth / 45 + 0.5)) % 8;
    if (name) *name = best.name;
    if (position) *position = {best.longitude, best.latitude};
    if (operating) *operating = best.operating;
    return true;
}

}  // namespace

bool ForEachPlaceRow(PlaceTable which, std::size_t minFields, const PlaceRow& row) {
    TableLayout table = which == PlaceTable::kCities ? kCityTable : kPlantTable;
    table.minFields = std::max(minFields, std::max(table.latitude, table.longitude) + 1);
    return ForEachPlace(table, row);
}

PlaceRecord::PlaceRecord(std::string name_, std::string region_, double latitude_, double longitude_,
                         bool operating_)
    : name(std::move(name_)),
      region(std::move(region_)),
      latitude(latitude_),
      longitude(longitude_),
      operating(operating_) {}

void GreatCircle(double lat1, double lon1, double lat2, double lon2, double* distance, double* azimuth) {
    const double c1 = (90 - lat1) * kRadiansPerDegree;
    const double c2 = (90 - lat2) * kRadiansPerDegree;
    const double delta = (lon1 - lon2) * kRadiansPerDegree;
    const double sin1 = std::sin(c1), cos1 = std::cos(c1), cos2 = std::cos(c2);
    // Rounding can carry the cosine just past +-1, where acos has no value.
    const double cosD = std::clamp(sin1 * std::sin(c2) * std::cos(delta) + cos1 * cos2, -1.0, 1.0);
    const double d = std::acos(cosD);

    const bool samePoint = (lat1 == lat2 && LongitudeDifference(lon2, lon1) == 0) ||
                           (lat1 == lat2 && std::fabs(lat1) >= 90);
    double az = 0;
    if (samePoint) {
        az = 0;
    } else if (std::fabs(sin1) < 1e-6) {
        // At a pole every way leads south (north pole) or north (south pole).
        az = lat1 > 0 ? 180 : 0;
    } else if (const double sinD = std::sin(d); std::fabs(sinD) < 1e-6) {
        // Within metres of the same or the opposite point there is no one
        // bearing; the short degree factor alone leaves 1e-7 at 180 degrees.
        az = 0;
    } else {
        const double x = (cos2 - cos1 * cosD) / (sin1 * sinD);
        az = x >= 1 ? 0 : x <= -1 ? 180 : std::acos(x) / kRadiansPerDegree;
        // Point 2 to the west, the short way round: the bearing turns the other way.
        if (LongitudeDifference(lon2, lon1) < 0 && az > 0) az = 360 - az;
    }
    if (distance) *distance = samePoint ? 0 : d / kRadiansPerDegree;
    if (azimuth) *azimuth = az;
}

std::vector<std::unique_ptr<CityRecord>> ReadCitiesInView() {
    const MapBounds bounds = CurrentMapBounds();
    std::vector<std::unique_ptr<CityRecord>> cities;
    ForEachPlace(kCityTable, [&](const std::vector<std::string>& fields, double lat, double lon) {
        if (!InBounds(bounds, lat, lon)) return;
        auto city = std::make_unique<CityRecord>();
        city->name = fields[kCityTable.name];
        city->region = fields[kCityRegion];
        city->country = fields[kCityCountry];
        city->latitude = lat;
        city->longitude = lon;
        cities.push_back(std::move(city));
    });
    return cities;
}

std::vector<std::unique_ptr<PlaceRecord>> ReadPlantsInView() {
    const MapBounds bounds = CurrentMapBounds();
    std::vector<std::unique_ptr<PlaceRecord>> plants;
    ForEachPlace(kPlantTable, [&](const std::vector<std::string>& fields, double lat, double lon) {
        if (!InBounds(bounds, lat, lon)) return;
        plants.push_back(std::make_unique<PlaceRecord>(fields[kPlantTable.name], fields[kPlantCountry], lat, lon,
                                                       IsOperating(fields)));
    });
    return plants;
}

bool FindClosestCity(double lat, double lon, double* distance, int* compass, std::string* name,
                     GeoPoint* position) {
    return FindClosest(kCityTable, lat, lon, distance, compass, name, position, nullptr);
}

bool FindClosestNPP(double lat, double lon, double* distance, int* compass, std::string* name,
                    GeoPoint* position, bool* operating) {
    return FindClosest(kPlantTable, lat, lon, distance, compass, name, position, operating);
}

bool IsPlaceFile(std::string_view name) {
    constexpr std::string_view kCity = ".caf";
    if (name.size() >= kCity.size() &&
        ::strncasecmp(name.data() + name.size() - kCity.size(), kCity.data(), kCity.size()) == 0)
        return true;
    return name.find(".npp.txt") != std::string_view::npos;
}

// ---- A new row of the city table ---------------------------------------------------

namespace {

std::string CsvField(std::string_view text) {
    if (text.find(',') == std::string_view::npos) return std::string(text);
    return "\"" + std::string(text) + "\"";
}

}  // namespace

bool CityTextFits(std::string_view text) {
    return text.find_first_of("\"\r\n") == std::string_view::npos;
}

std::string CityTableLine(const NewCityRow& c) {
    return CsvField(c.name) + "," + CsvField(c.region) + "," + CsvField(c.country) + "," +
           FormatFixed(c.latitude, 3) + "," + FormatFixed(c.longitude, 3) + "," + std::to_string(c.population) +
           "," + CsvField(c.countryCode);
}

CityInsert InsertCityRow(const NewCityRow& city) {
    for (const std::string* t : {&city.name, &city.region, &city.country, &city.countryCode, &city.regionCode})
        if (!CityTextFits(*t)) return CityInsert::kRefusedText;
    if (city.name.empty()) return CityInsert::kRefusedText;

    // The table the readers open, so a new row never lands in a copy that hides it.
    std::string path = FindDataFile(kCityTableFile);
    std::vector<std::string> lines;
    if (path.empty()) {
        path = kCityTableFile;
    } else {
        std::FILE* f = platform::OpenFile(path, "rb");
        if (!f) return CityInsert::kUnreadable;
        std::string line;
        while (ReadWholeLine(f, line)) lines.push_back(line);
        const bool failed = std::ferror(f) != 0;
        std::fclose(f);
        if (failed) return CityInsert::kUnreadable;
    }

    const std::string row = CityTableLine(city);
    auto before = std::find_if(lines.begin(), lines.end(),
                               [&](const std::string& l) { return ::strcasecmp(city.name.c_str(), l.c_str()) < 0; });
    lines.insert(before, row);

    platform::SafeFileWriter out(path);
    if (!out.ok()) return CityInsert::kWriteFailed;
    for (const std::string& l : lines) {
        std::fwrite(l.data(), 1, l.size(), out.file());
        std::fputc('\n', out.file());
    }
    return out.Commit() ? CityInsert::kInserted : CityInsert::kWriteFailed;
}
