// The map pane's border sets and the region labels placed by them, apart from
// the border files' reader.
#include <cstring>
#include <string>

#include "core/helpers.h"
#include "core/number_text.h"
#include "core/view.h"
#include "map/borders.h"
#include "map/child_map.h"
#include "map/label_box.h"
#include "platform/ui/frame.h"

namespace gfx = platform::gfx;

namespace {

constexpr int kCmRepeat = 150;

}  // namespace

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
