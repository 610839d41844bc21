#include "map/borders.h"

#include <cstdio>
#include <cstring>

#include "core/helpers.h"
#include "core/view.h"
#include "map/proj.h"

namespace {

constexpr std::size_t kNameColumn = 6;  // "%5d " before the name

bool StartsBlank(const std::string& line) { return !line.empty() && line[0] == ' '; }

}  // namespace

BorderSet::BorderSet(std::string_view fileName) {
    std::FILE* f = std::fopen(std::string(fileName).c_str(), "rt");
    if (!f) return;
    std::string line;
    bool pending = ReadWholeLine(f, line);
    while (pending) {
        if (!StartsBlank(line)) {
            pending = ReadWholeLine(f, line);
            continue;
        }
        long long count = 0;
        if (!ScanLeadingInteger(line, 10, &count) || count <= 0) {
            // No count, or nothing to read: the header alone is passed over.
            pending = ReadWholeLine(f, line);
            continue;
        }
        if (count == 1) {
            std::string skipped;
            (void)ReadWholeLine(f, skipped);
            pending = ReadWholeLine(f, line);
            continue;
        }
        auto polygon = std::make_unique<BorderPolygon>();
        polygon->name = line.size() > kNameColumn ? line.substr(kNameColumn) : std::string();
        // A file that ends inside the polygon keeps the points it has; the
        // count is read, never trusted for memory.
        std::string pointLine;
        for (long long i = 0; i < count && ReadWholeLine(f, pointLine); ++i) {
            double lat = 0, lon = 0;
            std::size_t used = 0;
            if (!ScanLeadingDouble(pointLine, &lat, &used) || !ScanLeadingDouble(std::string_view(pointLine).substr(used), &lon))
                continue;
            polygon->points.push_back({lon, lat});
        }
        polygons_.push_back(std::move(polygon));
        pending = ReadWholeLine(f, line);
    }
    std::fclose(f);
}

const BorderPolygon* BorderSet::FindByName(std::string_view text) const {
    for (const auto& p : polygons_)
        if (p->name.find(text) != std::string::npos) return p.get();
    return nullptr;
}

const BorderPolygon* BorderSet::FindContainingPoint(double latitude, double longitude) const {
    for (const auto& p : polygons_)
        if (PointInPolygon(p->points.data(), p->count(), longitude, latitude)) return p.get();
    return nullptr;
}

const BorderPolygon* BorderSet::FindContainingRect(double lat1, double lon1, double lat2, double lon2) const {
    for (const auto& p : polygons_)
        if (RectInPolygon(p->points.data(), p->count(), lat1, lon1, lat2, lon2)) return p.get();
    return nullptr;
}

std::string RegionLabelFileName(std::string_view kind) {
    return gMapName + "." + std::string(kind) + ".txt";
}

std::vector<PixelPoint> ProjectedOutline(const Proj& proj, const BorderPolygon& polygon) {
    std::vector<PixelPoint> projected;
    projected.reserve(polygon.points.size());
    for (const GeoPoint& p : polygon.points) {
        // A vertex far east of the map lies west of it; on a map wider than half
        // the world an offset above 180 is still on the map.
        double o = Proj::LonOffset(p.x, gWestEdge);
        if (o > (gLonSpan + 360) / 2) o -= 360;
        std::int32_t row = 0, col = 0;
        proj.LatLonToPixel(p.y, o, &row, &col);
        projected.push_back({col, row});
    }
    return projected;
}
