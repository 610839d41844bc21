#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/places.h"
#include "core/view.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr double kKmPerDegree = 111.19493;

// A test folder holding a copy of one of the place fixtures.
struct PlacesDir {
    TempDir dir;
    explicit PlacesDir(const std::string& fixture = {}) {
        ResetViewSettings();
        if (!fixture.empty())
            TempDir::Write(fixture, TempDir::Read(std::string(KESTRUNE_FIXTURES) + "/places/" + fixture));
    }
    ~PlacesDir() { ResetViewSettings(); }
};

void SetBounds(double south, double north, double west, double east) {
    gMapSouth = south;
    gMapNorth = north;
    gMapWest = west;
    gMapEast = east;
}

std::vector<std::string> CityNames() {
    std::vector<std::string> names;
    for (const auto& c : ReadCitiesInView()) names.push_back(c->name);
    return names;
}

}  // namespace

// ---- Great circles ----------------------------------------------------------------

TEST(GreatCircle, QuarterTurnsOnTheEquator) {
    double d = 0, az = 0;
    GreatCircle(0, 0, 0, 90, &d, &az);
    EXPECT_NEAR(d, 90, 1e-6);
    EXPECT_NEAR(az, 90, 1e-6);
    GreatCircle(0, 90, 0, 0, &d, &az);
    EXPECT_NEAR(d, 90, 1e-6);
    EXPECT_NEAR(az, 270, 1e-6);
    // Across the date line the short way is east.
    GreatCircle(10, 170, 10, -170, &d, &az);
    EXPECT_LT(az, 180);
    EXPECT_GT(az, 0);
    EXPECT_NEAR(d, 19.7, 0.05);
    GreatCircle(10, -170, 10, 170, &d, &az);
    EXPECT_GT(az, 180);
}

TEST(GreatCircle, PublishedCityPairs) {
    // Great-circle distances as published for these pairs (within 0.5%, the
    // spread between a sphere and the ellipsoid), and initial bearings.
    struct Pair {
        const char* what;
        double lat1, lon1, lat2, lon2, km, bearing;
    } pairs[] = {
        {"London-Paris", 51.5074, -0.1278, 48.8566, 2.3522, 344, 148.1},
        {"New York-London", 40.7128, -74.0060, 51.5074, -0.1278, 5570, 51.2},
        {"Los Angeles-New York", 34.0522, -118.2437, 40.7128, -74.0060, 3936, 65.9},
        {"Sydney-Tokyo", -33.8688, 151.2093, 35.6762, 139.6503, 7826, 350.1},
        {"Tokyo-San Francisco", 35.6762, 139.6503, 37.7749, -122.4194, 8275, 54.4},
        {"San Francisco-Tokyo", 37.7749, -122.4194, 35.6762, 139.6503, 8275, 303.4},
        {"Suva-Apia", -18.1416, 178.4419, -13.8333, -171.7667, 1150, 66.8},
    };
    for (const Pair& p : pairs) {
        double d = 0, az = 0;
        GreatCircle(p.lat1, p.lon1, p.lat2, p.lon2, &d, &az);
        EXPECT_NEAR(d * kKmPerDegree, p.km, p.km * 0.005) << p.what;
        EXPECT_NEAR(az, p.bearing, 0.1) << p.what;
    }
}

TEST(GreatCircle, PolesCoincidentAndOppositePointsGiveNumbers) {
    struct Case {
        double lat1, lon1, lat2, lon2, distance, azimuth;
    } cases[] = {
        {10, 20, 10, 20, 0, 0},          // coincident
        {37.7749, -122.4194, 37.7749, -122.4194, 0, 0},
        {10, 20, 10, 380, 0, 0},         // the same meridian written another way
        {90, 0, 90, 100, 0, 0},          // the pole under two longitudes
        {90, 0, 10, 20, 80, 180},        // from the north pole all ways lead south
        {-90, 0, 10, 20, 100, 0},        // and from the south pole north
        {10, 20, 90, 0, 80, 0},          // toward a pole
        {10, 20, -90, 0, 100, 180},
        {0, 0, 0, 180, 180, 0},          // opposite points: no one bearing
        {10, 20, -10, -160, 180, 0},
    };
    for (const Case& c : cases) {
        double d = -1, az = -1;
        GreatCircle(c.lat1, c.lon1, c.lat2, c.lon2, &d, &az);
        ASSERT_FALSE(std::isnan(d) || std::isnan(az)) << c.lat1 << "," << c.lon1 << " " << c.lat2 << "," << c.lon2;
        EXPECT_NEAR(d, c.distance, 1e-4) << c.lat1 << "," << c.lon1 << " " << c.lat2 << "," << c.lon2;
        EXPECT_NEAR(az, c.azimuth, 1e-4) << c.lat1 << "," << c.lon1 << " " << c.lat2 << "," << c.lon2;
    }
    // Coincident points anywhere: the cosine may round past 1.
    for (double lat = -89.5; lat < 90; lat += 7.3)
        for (double lon = -179.7; lon < 180; lon += 11.1) {
            double d = -1, az = -1;
            GreatCircle(lat, lon, lat, lon, &d, &az);
            EXPECT_EQ(d, 0) << lat << "," << lon;
            EXPECT_EQ(az, 0) << lat << "," << lon;
        }
}

// ---- Tables in the view -------------------------------------------------------------

TEST(ReadCitiesInView, RealRowsInsideTheBounds) {
    PlacesDir dir("CityLatLonPop.csv");
    SetBounds(20, 45, -125, -70);
    const auto cities = ReadCitiesInView();
    ASSERT_EQ(cities.size(), 3u);
    EXPECT_EQ(cities[0]->name, "Washington, D.C.");
    EXPECT_EQ(cities[0]->region, "District of Columbia");
    EXPECT_EQ(cities[0]->country, "United States");
    EXPECT_DOUBLE_EQ(cities[0]->latitude, 38.9072);
    EXPECT_DOUBLE_EQ(cities[0]->longitude, -77.0369);
    EXPECT_EQ(cities[1]->name, "Los Angeles");
    EXPECT_EQ(cities[2]->name, "San Luis Obispo");
}

TEST(ReadCitiesInView, LinesThatDoNotGiveAPositionAreSkipped) {
    // The fixture's header, its "abc" and empty latitudes and its five-field
    // row all lie near (0, 0.5) if read as zeros.
    PlacesDir dir("CityLatLonPop.csv");
    SetBounds(-1, 1, -1, 1);
    EXPECT_TRUE(CityNames().empty());
    SetBounds(-90, 90, -180, 180);
    EXPECT_EQ(CityNames(), (std::vector<std::string>{"Suva", "Nuku'alofa", "Apia", "Adak", "Petropavlovsk-Kamchatsky",
                                                     "Washington, D.C.", "Los Angeles", "San Luis Obispo", "Tokyo",
                                                     "London"}));
}

TEST(ReadCitiesInView, BoundsAreStrictAndCrossTheDateLine) {
    PlacesDir dir;
    TempDir::Write("CityLatLonPop.csv",
                   "East,R,C,0,179.5,1,XX\n"
                   "West,R,C,0,-179.5,1,XX\n"
                   "Line,R,C,0,180,1,XX\n"
                   "Outside,R,C,0,160,1,XX\n"
                   "OnWest,R,C,0,170,1,XX\n"
                   "OnNorth,R,C,10,175,1,XX\n");
    SetBounds(-10, 10, 170, -170);
    EXPECT_EQ(CityNames(), (std::vector<std::string>{"East", "West"}));
    SetBounds(-10, 10.5, 150, 180);
    EXPECT_EQ(CityNames(), (std::vector<std::string>{"East", "Outside", "OnWest", "OnNorth"}));
}

TEST(ReadCitiesInView, CrLfAndOverlongLines) {
    PlacesDir dir;
    // A region far longer than any line buffer, in a file with CR LF ends.
    const std::string region(170, 'r');
    TempDir::Write("CityLatLonPop.csv", "Longtown," + region + ",Country,5.25,6.75,100,LT\r\n"
                                        "Crlftown,Region,Country,-5.5,-6.5,100,CT\r\n");
    SetBounds(-10, 10, -10, 10);
    const auto cities = ReadCitiesInView();
    ASSERT_EQ(cities.size(), 2u);
    EXPECT_EQ(cities[0]->name, "Longtown");
    EXPECT_EQ(cities[0]->region, region.substr(0, 160));
    EXPECT_DOUBLE_EQ(cities[0]->latitude, 5.25);
    EXPECT_DOUBLE_EQ(cities[0]->longitude, 6.75);
    EXPECT_EQ(cities[1]->name, "Crlftown");
    EXPECT_DOUBLE_EQ(cities[1]->longitude, -6.5);
}

TEST(ReadCitiesInView, MissingTableGivesNothing) {
    PlacesDir dir;
    EXPECT_TRUE(ReadCitiesInView().empty());
    EXPECT_TRUE(ReadPlantsInView().empty());
    double d = -1;
    std::string name = "untouched";
    EXPECT_FALSE(FindClosestCity(0, 0, &d, nullptr, &name, nullptr));
    EXPECT_FALSE(FindClosestNPP(0, 0, &d, nullptr, &name, nullptr, nullptr));
    EXPECT_EQ(name, "untouched");
}

TEST(ReadPlantsInView, RealRowsWithStatus) {
    PlacesDir dir("Reactor_Data_NRDC.csv");
    SetBounds(-90, 90, -180, 180);
    const auto plants = ReadPlantsInView();
    std::vector<std::string> names;
    for (const auto& p : plants) names.push_back(p->name);
    // The header and the row without coordinates are skipped.
    EXPECT_EQ(names, (std::vector<std::string>{"Akademik Lomonosov-1", "Akademik Lomonosov-2", "Ågesta",
                                               "Diablo Canyon-1", "Indian Point-2", "Kashiwazaki Kariwa-1",
                                               "Onagawa-1", "Koeberg-1", "Flamanville-1"}));
    const PlaceRecord& diablo = *plants[3];
    EXPECT_EQ(diablo.region, "United States");
    EXPECT_DOUBLE_EQ(diablo.latitude, 35.212);
    EXPECT_DOUBLE_EQ(diablo.longitude, -120.854);
    EXPECT_TRUE(diablo.operating);
    EXPECT_FALSE(plants[4]->operating);  // Shutdown
    EXPECT_FALSE(plants[5]->operating);  // Suspended Operation
    EXPECT_TRUE(plants[8]->operating);

    // A view across the date line around Chukotka.
    SetBounds(60, 75, 160, -170);
    ASSERT_EQ(ReadPlantsInView().size(), 2u);
    EXPECT_EQ(ReadPlantsInView()[0]->region, "Russia");
}

TEST(PlaceRecord, MoveTakesOverTheTexts) {
    PlaceRecord a("Diablo Canyon-1", "United States", 35.212, -120.854, true);
    PlaceRecord b(std::move(a));
    EXPECT_EQ(b.name, "Diablo Canyon-1");
    EXPECT_EQ(b.region, "United States");
    EXPECT_DOUBLE_EQ(b.longitude, -120.854);
    EXPECT_TRUE(b.operating);
}

// ---- Nearest places ---------------------------------------------------------------------

TEST(FindClosestCity, NearestOfRealRows) {
    PlacesDir dir("CityLatLonPop.csv");
    double d = 0;
    int compass = -1;
    std::string name;
    GeoPoint where;
    // Offshore south-west of Los Angeles, nearer to it than to San Luis Obispo.
    ASSERT_TRUE(FindClosestCity(33.5, -119.0, &d, &compass, &name, &where));
    EXPECT_EQ(name, "Los Angeles");
    EXPECT_DOUBLE_EQ(where.x, -118.2437);
    EXPECT_DOUBLE_EQ(where.y, 34.0522);
    double expected = 0, az = 0;
    GreatCircle(34.0522, -118.2437, 33.5, -119.0, &expected, &az);
    EXPECT_DOUBLE_EQ(d, expected);
    EXPECT_EQ(compass, 5);  // south-west of the city
    // Nothing within 7 degrees in mid-Atlantic.
    EXPECT_FALSE(FindClosestCity(30, -40, &d, &compass, &name, &where));
}

TEST(FindClosestCity, SearchWindowWrapsAcrossTheDateLine) {
    PlacesDir dir("CityLatLonPop.csv");
    std::string name;
    double d = 0;
    // East of Fiji but across 180 from Suva: Suva, not Nuku'alofa, is nearest.
    ASSERT_TRUE(FindClosestCity(-17.5, -178.8, &d, nullptr, &name, nullptr));
    EXPECT_EQ(name, "Suva");
    EXPECT_LT(d * kKmPerDegree, 350);
    // In the Rat Islands, west of 180: Adak lies east of the line.
    ASSERT_TRUE(FindClosestCity(51.5, 179.0, &d, nullptr, &name, nullptr));
    EXPECT_EQ(name, "Adak");
}

TEST(FindClosestCity, DistanceLimitAndCompassPoints) {
    PlacesDir dir;
    TempDir::Write("CityLatLonPop.csv", "Origin,R,C,0,0,1,XX\n");
    double d = 0;
    int compass = -1;
    EXPECT_FALSE(FindClosestCity(7.5, 0, &d, &compass, nullptr, nullptr));
    ASSERT_TRUE(FindClosestCity(6.9, 0, &d, &compass, nullptr, nullptr));
    EXPECT_NEAR(d, 6.9, 1e-6);

    // Points 2 degrees from the city along a bearing; compass from the city.
    struct Case {
        double bearing;
        int compass;
    } cases[] = {{0, 0},    {350, 0}, {340, 0}, {20, 0},   {30, 1},  {45, 1},  {90, 2},
                 {135, 3},  {160, 4}, {180, 4}, {200, 4},  {225, 5}, {270, 6}, {315, 7}, {330, 7}};
    for (const Case& c : cases) {
        const double rad = c.bearing * 0.017453292;
        ASSERT_TRUE(FindClosestCity(2 * std::cos(rad), 2 * std::sin(rad), &d, &compass, nullptr, nullptr));
        EXPECT_EQ(compass, c.compass) << c.bearing;
    }
}

TEST(FindClosestCity, LongNamesAreCut) {
    PlacesDir dir;
    const std::string name(60, 'n');
    TempDir::Write("CityLatLonPop.csv", name + ",R,C,1,1,1,XX\r\n");
    std::string found;
    ASSERT_TRUE(FindClosestCity(1.5, 1.5, nullptr, nullptr, &found, nullptr));
    EXPECT_EQ(found, name.substr(0, kPlaceNameMax));
}

TEST(FindClosestNPP, NearestPlantWithItsStatus) {
    PlacesDir dir("Reactor_Data_NRDC.csv");
    double d = 0;
    int compass = -1;
    std::string name;
    GeoPoint where;
    bool operating = false;
    ASSERT_TRUE(FindClosestNPP(34.5, -121.5, &d, &compass, &name, &where, &operating));
    EXPECT_EQ(name, "Diablo Canyon-1");
    EXPECT_TRUE(operating);
    EXPECT_DOUBLE_EQ(where.x, -120.854);
    EXPECT_DOUBLE_EQ(where.y, 35.212);
    EXPECT_EQ(compass, 5);

    // Off Niigata: the plant's status is not operating.
    ASSERT_TRUE(FindClosestNPP(37.8, 138.0, &d, &compass, &name, &where, &operating));
    EXPECT_EQ(name, "Kashiwazaki Kariwa-1");
    EXPECT_FALSE(operating);

    // Across the date line from Pevek; of two units at one place the first is taken.
    ASSERT_TRUE(FindClosestNPP(70.0, -179.9, &d, &compass, &name, &where, &operating));
    EXPECT_EQ(name, "Akademik Lomonosov-1");
    EXPECT_EQ(compass, 2);

    EXPECT_FALSE(FindClosestNPP(0, -150, &d, &compass, &name, &where, &operating));
}

TEST(IsPlaceFile, CityAndPlantFileNames) {
    struct Case {
        const char* name;
        bool place;
    } cases[] = {
        {"WORLD.caf", true},       {"world.CAF", true},       {"WORLD.npp.txt", true},
        {"a.npp.txt.old", true},   {"WORLD.NPP.TXT", false},  {"WORLD.caf.bak", false},
        {"cities.txt", false},     {"caf", false},            {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsPlaceFile(c.name), c.place) << c.name;
}
