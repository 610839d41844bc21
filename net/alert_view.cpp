#include "net/alert_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/application.h"
#include "app/control_panel.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/layout.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/number_text.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/proj.h"
#include "net/alert.h"
#include "net/alert_view_parts.h"
#include "platform/sys/files.h"

using namespace alert_view_parts;

namespace {

void WriteTargetEvent(const std::string& name, const QuakeRecord& q) {
    std::FILE* f = platform::OpenFile(name, "wb");
    if (!f) return;
    const bool ok = WriteQuakeRecord(f, q);
    if (std::fclose(f) != 0 || !ok) std::remove(platform::ResolvePath(name).c_str());
}

// One group of region labels; true when any was added.
struct LabelOffset {
    double dlat, dlon;
};
bool AddLabels(childMap& pane, const char* kind, double lat, double lon, const std::vector<LabelOffset>& offsets,
               std::size_t centroidCount) {
    StringListNode* names = nullptr;
    bool added = false;
    for (std::size_t i = 0; i < offsets.size(); ++i)
        added |= pane.AddRegionLabel(kind, lat + offsets[i].dlat, WrapLongitude(lon + offsets[i].dlon), &names,
                                     i < centroidCount);
    FreeStringList(&names);
    return added;
}

void AddRegionLabels(childMap& pane, AlertViewKind kind, double lat, double lon, double h) {
    const double a = 0.75 * h, b = 0.5625 * h, c = 0.375 * h;
    const bool processor = kind == AlertViewKind::kProcessor;
    // The processor spreads the outer labels by h, the builder by a.
    const double w = processor ? h : a;
    const std::vector<LabelOffset> ocean = {{0, w}, {0, -w}, {b, -w}, {-a, w}, {-a, -w}, {b, w}, {b, 0}, {-a, 0}};
    const std::vector<LabelOffset> state = {{-a, w}, {0, w},  {b, a},  {-a, 0}, {b, 0},  {-a, -w},
                                            {0, -w}, {b, -w}, {c, c},  {c, -c}, {-c, c}, {-c, -c}};
    const std::vector<LabelOffset> country =
        processor ? std::vector<LabelOffset>{{-a, 0}, {b, 0}, {0, -h}, {0, h}, {b, h}, {b, -h}, {-a, -h}, {-a, h},
                                             {c, -c}, {c, c}, {-c, c}, {-c, -c}}
                  : std::vector<LabelOffset>{{-a, 0}, {b, 0}, {b, a}, {b, -a}, {-a, -a}, {-a, a}, {0, -a}, {0, a},
                                             {c, -c}, {c, c}, {-c, c}, {-c, -c}};
    AddLabels(pane, "ocean", lat, lon, ocean, ocean.size());
    if (PointInPolygon(gUsaOutline, kUsaOutlinePoints, lon, lat) &&
        AddLabels(pane, "state", lat, lon, state, state.size()))
        return;
    AddLabels(pane, "country", lat, lon, country, 8);
}

childControl* Panel() {
    if (!gMainFrame || !gMainFrame->layout()) return nullptr;
    return gMainFrame->layout()->control();
}

}  // namespace

void ApplyAlertView(childMap& pane, AlertViewKind kind, const QuakeRecord& q, const std::string& viewName,
                    std::optional<GeoPoint> place) {
    const bool caf = !sCafWritten.empty() && sCafWritten == viewName + ".caf";
    sCafWritten.clear();
    if (viewName.empty()) {
        DebugLog("No alert view name: the alert view is not written");
        return;
    }
    // The alert view lives in its file until it is opened; the running view keeps its own settings.
    const RunningViewHold hold;
    const bool processor = kind == AlertViewKind::kProcessor;
    const double lat = MasToDegrees(q.latitude), lon = MasToDegrees(q.longitude);

    const AlertViewBox box = AlertBoxFor(kind, lat, lon, gPaneWidth, gPaneHeight, place);
    gMapNorth = box.north;
    gMapSouth = box.south;
    gMapEast = box.east;
    gMapWest = box.west;
    gViewZoomed = false;  // these are the new view's own bounds

    TimeValue eventTime;
    eventTime.SetFromQuake(q);
    if (processor) {
        gFloatingLegend = false;
        gQmxScale = false;
        gViewMaxDate = InYear(gViewMaxDate, CurrentUtcTime().Year() + 1);
        gViewMinDate = MonthEarlier(q.date);
        gPeriodStart.SetDate(q.date);
        gSpeed = TimeValue(3600);
    } else {
        const TimeValue start = eventTime - TimeValue(2 * 86400.0);
        gViewMinDate = {static_cast<std::uint16_t>(start.Year()), static_cast<std::uint8_t>(start.Month()),
                        static_cast<std::uint8_t>(start.Day())};
        gPeriodStart = start;
        gSpeed = TimeValue(60);
    }
    if (gApplication) gApplication->recentViews().Add(viewName);

    gMapName = viewName;
    gMapImageFile = viewName + ".jpg";
    gCityFile = viewName + ".caf";
    gPlantFile = viewName + ".npp.txt";
    gPopulationImageFile = viewName + ".pop";
    gPltFileName = viewName + ".plt";
    gTargetEventFile = viewName + ".hyp";
    WriteTargetEvent(gTargetEventFile, q);
    (void)WriteTextFile("Alert_View_Filename.txt", {viewName + "\n"});

    gMagnitudeCutoff = gSaveThreshold;
    gMinMagnitude = static_cast<std::int32_t>(gSaveThreshold);
    FreeStringList(&gTextFiles);
    if (caf) AppendStringNode(&gTextFiles, gCityFile);
    if (processor) FreeStringList(&gSymbolFiles);
    if (caf) AppendStringNode(&gSymbolFiles, gCityFile);
    if (!FindStringNode(gMapFiles, "state.s1")) AppendStringNode(&gMapFiles, "state.s1");

    AddRegionLabels(pane, kind, ClampLatitude(lat), WrapLongitude(lon), box.halfHeight);
    if (!WriteViewFile()) DebugLog("The alert view %s could not be written", viewName.c_str());
}

void BuildAlertView(childMap& pane, const QuakeRecord& record) {
    gBuiltAlertQuake = record;
    gAlertEvent = &gBuiltAlertQuake;
    double distance = 0;
    int compass = 0;
    std::string closest;
    GeoPoint at;
    const bool found = FindClosestCity(MasToDegrees(record.latitude), MasToDegrees(record.longitude), &distance,
                                       &compass, &closest, &at);
    const std::string name = WriteBuilderAnnotation(gBuiltAlertQuake, found ? &closest : nullptr, at);
    ApplyAlertView(pane, AlertViewKind::kBuilder, gBuiltAlertQuake, name,
                   found ? std::optional<GeoPoint>(at) : std::nullopt);
    pane.SetHighlightShown(true);
    if (childControl* panel = Panel()) {
        panel->ShowAlertButtons();
        panel->SetAlertPending(true);
    }
}

