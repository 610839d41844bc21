#include "map/borders.h"

#include <cstdio>
#include <cstring>

#include "core/helpers.h"
#include "core/number_text.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/label_box.h"
#include "platform/ui/frame.h"

namespace gfx = platform::gfx;

namespace {

constexpr int kCmRepeat = 150;
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

// ---- The pane's border sets and region labels ------------------------------------------

void childMap::LoadBorderSets() {
    stateBorders_ = std::make_unique<BorderSet>(kStateBorderFile);
    countryBorders_ = std::make_unique<BorderSet>(kCountryBorderFile);
    oceanBorders_ = std::make_unique<BorderSet>(kOceanBorderFile);
}

void childMap::SetBorderSets(std::unique_ptr<BorderSet> state, std::unique_ptr<BorderSet> country,
                             std::unique_ptr<BorderSet> ocean) {
    stateBorders_ = std::move(state);
    countryBorders_ = std::move(country);
    oceanBorders_ = std::move(ocean);
}

const BorderSet* childMap::BorderSetOfKind(std::string_view kind) const {
    if (EqualsIgnoringCase(kind, "state")) return stateBorders_.get();
    if (EqualsIgnoringCase(kind, "country")) return countryBorders_.get();
    if (EqualsIgnoringCase(kind, "ocean")) return oceanBorders_.get();
    return nullptr;
}

namespace {

bool WriteHeaderOnly(const std::string& file) {
    StringListNode* head = nullptr;
    for (const char* l : kRegionLabelHeader) AppendStringNode(&head, l);
    const bool ok = WriteStringList(head, file);
    FreeStringList(head);
    return ok;
}

}  // namespace

bool childMap::AddRegionLabel(std::string_view kind, double latitude, double longitude, StringListNode** names,
                              bool centroid) {
    const std::string file = RegionLabelFileName(kind);
    const BorderSet* set = BorderSetOfKind(kind);
    if (!set) return false;
    const BorderPolygon* region = set->FindContainingPoint(latitude, longitude);
    if (!region) return false;
    if (names) {
        if (FindStringNode(*names, region->name)) return false;
        AppendStringNode(names, region->name);
    }

    if (!FindStringNode(gTextFiles, file)) {
        const bool wasEmpty = gTextFiles == nullptr;
        AppendStringNode(&gTextFiles, file);
        if (!wasEmpty) (void)WriteViewFile();
    }
    // Only a new file gets the header: an existing one keeps its labels.
    if (!FileExists(file) && !WriteHeaderOnly(file)) return false;

    std::string label = FormatFixed(latitude, 2, 5) + " " + FormatFixed(longitude, 2, 6) + " " + region->name;
    if (centroid) label += " /CENTROID";
    int count = 0;
    StringListNode* lines = ReadWholeTextFileLines(file, &count);
    AppendStringNode(&lines, label);
    const bool ok = WriteStringList(lines, file);
    FreeStringList(lines);
    return ok;
}

void childMap::AddRegionLabelAtClick(std::string_view kind) {
    double lat = 0, offset = 0;
    ScreenToLatLon(rightClick_.y - gMapRect.top, rightClick_.x - gMapRect.left, &lat, &offset);
    double lon = gWestEdge + offset;
    if (lon > 180) lon -= 360;
    if (AddRegionLabel(kind, lat, lon, nullptr, false) && frame()) frame()->SendCommand(kCmRepeat);
}

void childMap::DeleteRegionLabel(std::string_view kind) {
    const std::string file = RegionLabelFileName(kind);
    const int x = rightClick_.x - gMapRect.left, y = rightClick_.y - gMapRect.top;
    if (x < 0 || x >= gPaneWidth || y < 0 || y >= gPaneHeight) return;
    LabelBox* label = LabelAtPoint({x, y});
    if (!label) return;
    if (!FindStringNode(gTextFiles, file)) {
        AppendStringNode(&gTextFiles, file);
        if (frame()) frame()->SendCommand(kCmRepeat);
        return;
    }
    if (label->text.empty()) return;

    const gfx::Rect& b = label->box;
    const int w = b.width(), h = b.height();
    const gfx::Rect near{b.left - 2 * h, b.top - w / 2, b.right + 2 * h, b.bottom + w / 2};
    int count = 0;
    StringListNode* lines = ReadWholeTextFileLines(file, &count);
    StringListNode* hit = nullptr;
    for (StringListNode* n = lines; n && !hit; n = n->next) {
        if (n->text.find(label->text) == std::string::npos) continue;
        double lat = 0, lon = 0;
        std::size_t used = 0;
        if (!ScanLeadingDouble(n->text, &lat, &used) || !ScanLeadingDouble(std::string_view(n->text).substr(used), &lon))
            continue;
        std::int32_t row = 0, col = 0;
        LatLonToPixel(lat, Proj::LonOffset(lon, gWestEdge), &row, &col);
        if (BoxContains(near, col, row)) hit = n;
    }
    if (!hit) {
        FreeStringList(lines);
        return;
    }
    RemoveStringNode(&lines, hit);
    const bool written = WriteStringList(lines, file);
    FreeStringList(lines);
    if (!written) return;
    for (auto it = gLabelBoxes.begin(); it != gLabelBoxes.end(); ++it)
        if (it->get() == label) {
            if (gDraggedLabel == label) gDraggedLabel = nullptr;
            gLabelBoxes.erase(it);
            break;
        }
    if (frame()) frame()->SendCommand(kCmRepeat);
}
