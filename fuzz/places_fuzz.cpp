// The city and nuclear-plant tables: the places in a view, the nearest place
// to a point, and the alert test's nearest place. The input is the city
// table, the plant table and probe bytes, cut by separator lines. Contract:
// the nearest place found is no farther than any place of the table within
// the search window, and places in view lie inside the view.
#include <cmath>
#include <cstdint>
#include <string>

#include "core/places.h"
#include "core/view.h"
#include "fuzz/fuzz_support.h"
#include "net/alert_events.h"

namespace {

// A coordinate in -limit..limit from four bytes, now and then a raw double.
double Coordinate(fuzz::Taker& take, double limit) {
    const std::uint8_t how = take.Byte();
    if (how == 0xFF) return take.Double();
    return (take.U32() / 4294967295.0 * 2 - 1) * limit;
}

void CheckNearest(bool plants, double lat, double lon) {
    double distance = -1;
    int compass = -1;
    std::string name;
    GeoPoint at{};
    bool operating = false;
    const bool found = plants ? FindClosestNPP(lat, lon, &distance, &compass, &name, &at, &operating)
                              : FindClosestCity(lat, lon, &distance, &compass, &name, &at);
    if (found) {
        FUZZ_CHECK(distance >= 0 && distance < 7, "near: " + std::to_string(distance));
        FUZZ_CHECK(compass >= 0 && compass < 8, "a point of the compass: " + std::to_string(compass));
        FUZZ_CHECK(name.size() <= kPlaceNameMax, "name cut: " + name);
    }
    if (!std::isfinite(lat) || !std::isfinite(lon)) return;
    // Against every place of the table, read as the view reads them.
    auto check = [&](double plat, double plon) {
        if (!(std::fabs(plat - lat) < 9.9)) return;
        double dlon = std::fmod(plon - lon + 540.0, 360.0) - 180.0;
        if (!(std::fabs(dlon) < 9.9)) return;
        double d = 0;
        GreatCircle(plat, plon, lat, lon, &d, nullptr);
        if (!(d < 6.9)) return;
        FUZZ_CHECK(found, "a place " + std::to_string(d) + " degrees away was missed");
        FUZZ_CHECK(distance <= d + 1e-9, "nearer place missed: " + std::to_string(d) + " < " + std::to_string(distance));
    };
    if (plants)
        for (const auto& p : ReadPlantsInView()) check(p->latitude, p->longitude);
    else
        for (const auto& c : ReadCitiesInView()) check(c->latitude, c->longitude);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto parts = fuzz::Split(input, kFuzzPartSeparator, 3);
    fuzz::EnterCleanFolder();
    fuzz::WriteFile(kCityTableFile, parts[0]);
    if (parts.size() > 1) fuzz::WriteFile(kPlantTableFile, parts[1]);
    fuzz::Taker take(parts.size() > 2 ? parts[2] : std::string_view());

    ResetViewSettings();
    // A view of some box first: what it shows lies inside it.
    gMapSouth = Coordinate(take, 90);
    gMapNorth = Coordinate(take, 90);
    gMapWest = Coordinate(take, 180);
    gMapEast = Coordinate(take, 180);
    for (const auto& c : ReadCitiesInView()) {
        FUZZ_CHECK(std::isfinite(c->latitude) && std::isfinite(c->longitude), "a position");
        FUZZ_CHECK(c->latitude > gMapSouth && c->latitude < gMapNorth, "in view: " + c->name);
    }
    for (const auto& p : ReadPlantsInView())
        FUZZ_CHECK(p->latitude > gMapSouth && p->latitude < gMapNorth, "in view: " + p->name);

    // Then the whole world, for the nearest-place checks.
    gMapSouth = -90;
    gMapNorth = 90;
    gMapWest = -180;
    gMapEast = 180;
    for (int i = 0; i < 4; ++i) {
        const double lat = Coordinate(take, 90), lon = Coordinate(take, 180);
        CheckNearest(false, lat, lon);
        CheckNearest(true, lat, lon);

        QuakeRecord q = MakeEventRecord(nullptr, 2020, 1, 1, 0, 0, 0, std::isfinite(lat) ? lat : 0,
                                        std::isfinite(lon) ? lon : 0, 10, 6);
        AlertCriterion criterion;
        criterion.maxDistance = take.Byte() * 10.0;
        criterion.minPopulation = static_cast<std::int32_t>(take.U32() % 100000);
        NearestPlace place;
        (void)FindNearestPlace(q, criterion, &place);
        criterion.nuclearPlant = 1;
        (void)FindNearestPlace(q, criterion, &place);
    }
    ResetViewSettings();
    return 0;
}
