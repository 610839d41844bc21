#pragma once
// Cities and nuclear plants from their comma-separated tables, the nearest of
// them to a point, and great-circle distance and bearing.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/polygon.h"

inline constexpr char kCityTableFile[] = "CityLatLonPop.csv";
inline constexpr char kPlantTableFile[] = "Reactor_Data_NRDC.csv";
inline constexpr std::size_t kPlaceNameMax = 47;  // characters of a nearest place's name

// A row of the city table: name, region, country, lat, lon, population, country code.
struct CityRecord {
    std::string name;
    std::string region;   // state or province
    std::string country;
    double latitude = 0;   // degrees, north positive
    double longitude = 0;  // degrees, east positive
};

// A nuclear plant of the plant table, or the nearest place of an alert.
struct PlaceRecord {
    PlaceRecord() = default;
    PlaceRecord(std::string name, std::string region, double latitude, double longitude, bool operating);
    PlaceRecord(PlaceRecord&& temporary) noexcept = default;  // takes over the texts
    PlaceRecord& operator=(PlaceRecord&&) noexcept = default;
    PlaceRecord(const PlaceRecord&) = default;
    PlaceRecord& operator=(const PlaceRecord&) = default;

    std::string name;
    std::string region;    // the plant's country
    double latitude = 0;   // degrees
    double longitude = 0;  // degrees
    bool operating = false;
};

// Distance in degrees of arc, and the initial bearing at point 1 toward point
// 2 in degrees 0..360 clockwise from north (0 for coincident points, 180 from
// the north pole, 0 from the south pole). Either output may be null.
void GreatCircle(double lat1, double lon1, double lat2, double lon2, double* distance, double* azimuth);

// The table's places strictly inside the current map bounds, in file order;
// empty when the table is missing. Lines whose position does not scan are skipped.
std::vector<std::unique_ptr<CityRecord>> ReadCitiesInView();
std::vector<std::unique_ptr<PlaceRecord>> ReadPlantsInView();

// The nearest city or plant less than 7 degrees from the point, looked for
// within 10 degrees of latitude and longitude (across the date line too).
// On success: *distance in degrees, *compass the point of the compass from
// the place toward the point (0 N, 1 NE, ... 7 NW), the name (at most
// kPlaceNameMax characters) and the position (x longitude, y latitude).
// False, and nothing written, when the table is missing or nothing is near.
bool FindClosestCity(double lat, double lon, double* distance, int* compass, std::string* name,
                     GeoPoint* position);
bool FindClosestNPP(double lat, double lon, double* distance, int* compass, std::string* name,
                    GeoPoint* position, bool* operating);

// The one reader of both tables: calls row(fields, latitude, longitude) for
// each row of at least minFields fields whose position reads as numbers,
// in file order. Lines are read whole; the city table has no header line,
// the plant table's first line is its header. False when it cannot be opened.
enum class PlaceTable { kCities, kPlants };
using PlaceRow = std::function<void(const std::vector<std::string>& fields, double latitude, double longitude)>;
bool ForEachPlaceRow(PlaceTable table, std::size_t minFields, const PlaceRow& row);

// True for a view's own city (".caf", any case) and plant (".npp.txt") files.
bool IsPlaceFile(std::string_view name);

// ---- A new row of the city table ---------------------------------------------------

struct NewCityRow {
    std::string name, region, regionCode, country, countryCode;
    double latitude = 0, longitude = 0;
    int population = 0;
};
enum class CityInsert { kInserted, kRefusedText, kUnreadable, kWriteFailed };
// The row as the table holds it: name, region, country, latitude, longitude,
// population, country code; a field holding a comma is quoted.
std::string CityTableLine(const NewCityRow& city);
// Texts the table's reader could not give back: a double quote, or a line break.
bool CityTextFits(std::string_view text);
// Inserts the row before the first line the name sorts below (ignoring case),
// into the table the readers find; a missing table is made in the current
// folder. A table that exists but cannot be read is left alone.
CityInsert InsertCityRow(const NewCityRow& city);
