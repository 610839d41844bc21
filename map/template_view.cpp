#include "map/template_view.h"

#include <cstdio>

#include "core/catalogue_rebuild.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/view.h"
#include "platform/ui/ui.h"

namespace ui = platform::ui;

namespace {

constexpr const char* kNoEventsInInterval = "No events in time interval";
constexpr const char* kNoEventsInRegion = "No events in this region in time";
constexpr const char* kLastEventTooEarly =
    "Last event in file is earlier than present time minus number of days to loop";

bool InSearchBox(const QuakeRecord& q) {
    const double lat = MasToDegrees(q.latitude), lon = MasToDegrees(q.longitude);
    return gSearchSouth <= lat && lat <= gSearchNorth && gSearchWest <= lon && lon <= gSearchEast;
}

}  // namespace

std::string TemplateViewName(int n) { return "TEMPLAT" + std::to_string(n); }

TemplateSearch FindLargestInTemplate(std::FILE* f) {
    TemplateSearch out;
    const std::int32_t count = f ? QuakeRecordCount(f) : 0;
    std::int32_t from = 0;
    TimeValue end;
    bool bounded = false;
    if (gDaysToLoop > 0) {
        TimeValue start = CurrentUtcTime() - TimeValue(gDaysToLoop * 86400.0);
        bool exact = false;
        if (count == 0 || FindQuakeIndex(f, &start, &exact, &from) == 1) {
            out.failure = kLastEventTooEarly;
            return out;
        }
    } else {
        TimeValue start;
        start.SetDateMinutes(gViewMinDate, gViewMinMinute);
        end.SetDateMinutes(gViewMaxDate, gViewMaxMinute);
        bounded = true;
        // The window must meet the catalogue: end not before the first record, start not after the last.
        if (count == 0 || end < ReadQuakeAt(f, 0) || ReadQuakeAt(f, count - 1) < start) {
            out.failure = kNoEventsInInterval;
            return out;
        }
        bool exact = false;
        FindQuakeIndex(f, &start, &exact, &from);
    }
    std::uint8_t largest = 0;
    QuakeRecord q;
    for (std::int32_t i = std::max(from, 0); i < count; ++i) {
        const TimeValue t = ReadQuakeAt(f, i, kFromStart, &q);
        if (bounded && end < t) break;
        if (q.magnitude > largest && InSearchBox(q)) {
            largest = q.magnitude;
            out.index = i;
        }
    }
    if (out.index < 0) out.failure = kNoEventsInRegion;
    return out;
}

MapBounds TemplateBoundsAround(double lat, double lon, double latRange, double lonRange) {
    MapBounds b{lat + latRange / 2, lat - latRange / 2, lon + lonRange / 2, lon - lonRange / 2};
    if (b.east > 180) b.east -= 360;
    if (b.west < -180) b.west += 360;
    return b;
}

std::string ApplyTemplateView(int n, ui::Window* owner) {
    if (CatalogueUpdateHold::Taken()) {
        ui::MessageBox(owner, kCatalogueBeingUpdatedText, TemplateViewName(n), ui::Buttons::Ok, ui::Icon::None);
        return {};
    }
    CloseQuakeCatalogue();
    // The whole name, however long: the template's own EVENT FILE is not used.
    const std::string catalogue = gEventFileName;
    const ViewSnapshot kept = TakeViewSnapshot();
    const std::string name = TemplateViewName(n);
    auto fail = [&](const std::string& text, const std::string& caption) {
        CloseQuakeCatalogue();
        ui::MessageBox(owner, text, caption, ui::Buttons::Ok, ui::Icon::None);
        RestoreViewSnapshot(kept);
        OpenQuakeCatalogue(false);
        return std::string();
    };

    if (ReadViewFile(name) != 0) return fail(name, "Cannot find file:");
    if (!(gTemplateLatRange > 0 && gTemplateLonRange > 0))
        return fail(name + " needs a TEMPLATE LATITUDE RANGE and a TEMPLATE LONGITUDE RANGE above 0.",
                    "Template range is 0");
    gEventFileName = catalogue;
    gShowEarthquakes = true;
    if (!OpenQuakeCatalogue(false) || !gQuakeCatalogue) return fail(catalogue, "Cannot find file:");

    const TemplateSearch found = FindLargestInTemplate(gQuakeCatalogue);
    if (found.index < 0) return fail("", found.failure);
    QuakeRecord q;
    ReadQuakeAt(gQuakeCatalogue, found.index, kFromStart, &q);
    CloseQuakeCatalogue();
    const MapBounds b =
        TemplateBoundsAround(MasToDegrees(q.latitude), MasToDegrees(q.longitude), gTemplateLatRange, gTemplateLonRange);
    gMapNorth = b.north;
    gMapSouth = b.south;
    gMapEast = b.east;
    gMapWest = b.west;
    if (!WriteViewFile()) return fail("Cannot write the view file \"" + name + "\".", "Error");
    return name;
}
