// Writing a view file: its keys in the order they are written, through the
// safe writer, and the label lines.
#include "core/view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/config.h"
#include "core/helpers.h"
#include "core/number_text.h"
#include "core/view_parts.h"
#include "platform/sys/files.h"

using namespace view_parts;

namespace {

void WriteList(std::FILE* f, const char* key, const StringListNode* head, bool trim) {
    for (; head; head = head->next) {
        std::string text = head->text;
        if (trim) {
            TrimTrailingBlanks(text);
            if (text.empty()) continue;
        }
        std::fprintf(f, "%s: %s\n", key, text.c_str());
    }
}

void WriteFlag(std::FILE* f, const char* key, bool flag) { std::fprintf(f, "%s: %s\n", key, YesNoText(flag)); }

}  // namespace

namespace view_parts {

void WriteSettings(std::FILE* f) {
    std::fprintf(f, "LEFT LONGITUDE: %s\n", FormatGeneral(gMapWest, 9).c_str());
    std::fprintf(f, "RIGHT LONGITUDE: %s\n", FormatGeneral(gMapEast, 9).c_str());
    std::fprintf(f, "SOUTH LATITUDE: %s\n", FormatGeneral(gMapSouth, 9).c_str());
    std::fprintf(f, "NORTH LATITUDE: %s\n", FormatGeneral(gMapNorth, 9).c_str());
    std::fprintf(f, "SCREEN SAVE FILE: %s\n", gMapImageFile.c_str());
    std::fprintf(f, "POPULATION SAVE FILE: %s\n", gPopulationImageFile.c_str());
    std::fprintf(f, "XS LATITUDE: %s\n", FormatGeneral(gXsLatitude, 9).c_str());
    std::fprintf(f, "XS LONGITUDE: %s\n", FormatGeneral(gXsLongitude, 9).c_str());
    std::fprintf(f, "SAVE LAT LON: %s %s %s %s\n", FormatGeneral(gImageBounds[0], 9).c_str(),
                 FormatGeneral(gImageBounds[1], 9).c_str(), FormatGeneral(gImageBounds[2], 9).c_str(),
                 FormatGeneral(gImageBounds[3], 9).c_str());
    std::fprintf(f, "LEFT SEARCH LONGITUDE: %s\n", FormatGeneral(gSearchWest).c_str());
    std::fprintf(f, "RIGHT SEARCH LONGITUDE: %s\n", FormatGeneral(gSearchEast).c_str());
    std::fprintf(f, "SOUTH SEARCH LATITUDE: %s\n", FormatGeneral(gSearchSouth).c_str());
    std::fprintf(f, "NORTH SEARCH LATITUDE: %s\n", FormatGeneral(gSearchNorth).c_str());
    std::fprintf(f, "TEMPLATE LATITUDE RANGE: %s\n", FormatGeneral(gTemplateLatRange).c_str());
    std::fprintf(f, "TEMPLATE LONGITUDE RANGE: %s\n", FormatGeneral(gTemplateLonRange).c_str());
    std::fprintf(f, "MAXIMUM YEAR: %u\n", unsigned{gViewMaxDate.year});
    std::fprintf(f, "MAXIMUM MONTH: %u\n", unsigned{gViewMaxDate.month});
    std::fprintf(f, "MAXIMUM DAY: %u\n", unsigned{gViewMaxDate.day});
    std::fprintf(f, "MAXIMUM HOUR: %u\n", static_cast<unsigned>(gViewMaxMinute / 60));
    std::fprintf(f, "MINIMUM YEAR: %u\n", unsigned{gViewMinDate.year});
    std::fprintf(f, "MINIMUM MONTH: %u\n", unsigned{gViewMinDate.month});
    std::fprintf(f, "MINIMUM DAY: %u\n", unsigned{gViewMinDate.day});
    std::fprintf(f, "MINIMUM HOUR: %u\n", static_cast<unsigned>(gViewMinMinute / 60));
    const TimeValue speed = SpeedToStore();
    std::fprintf(f, "DAYS PER SECOND: %d\n", static_cast<int>(std::trunc(speed.t / 86400)));
    std::fprintf(f, "MINUTES PER SECOND: %d\n", speed.Hour() * 60 + speed.Minute());
    std::fprintf(f, "SECONDS PER SECOND: %d\n", speed.Second());
    std::fprintf(f, "MAXIMUM DEPTH: %s\n", FormatGeneral(gMaxDepth).c_str());
    std::fprintf(f, "MINIMUM DEPTH: %s\n", FormatGeneral(gMinDepth).c_str());
    std::fprintf(f, "MAXIMUM MAGNITUDE: %d\n", gMaxMagnitude);
    std::fprintf(f, "MINIMUM MAGNITUDE: %d\n", gMinMagnitude);
    std::fprintf(f, "MAX DOT SIZE: %d\n", gMaxDotSize);
    std::fprintf(f, "MIN DOT SIZE: %d\n", gMinDotSize);
    WriteFlag(f, "SOUND ON", gQuakeSoundOn);
    std::fprintf(f, "MAGNITUDE CUTOFF: %s\n", FormatFixed(gMagnitudeCutoff, 1).c_str());
    std::fprintf(f, "MAGNITUDE SOUND CUTOFF: %s\n", FormatGeneral(gMagnitudeSoundCutoff).c_str());
    WriteFlag(f, "ERUPTION SOUND ON", gEruptionSoundOn);
    std::fprintf(f, "ERUPTION MAGNITUDE CUTOFF: %s\n", FormatGeneral(gEruptionMagnitudeCutoff).c_str());
    std::fprintf(f, "ERUPTION MAGNITUDE SOUND CUTOFF: %s\n", FormatGeneral(gEruptionSoundCutoff).c_str());
    std::fprintf(f, "VIEW AZIMUTH: %s\n", FormatGeneral(gViewAzimuth).c_str());
    std::fprintf(f, "VIEW WIDTH: %s\n", FormatGeneral(gViewWidth).c_str());
    std::fprintf(f, "VIEW DIP: %s\n", FormatGeneral(gViewDip).c_str());
    std::fprintf(f, "VIEW DISTANCE: %s\n", FormatGeneral(gViewDistance).c_str());
    std::fprintf(f, "VIEW NEAR PLANE: %s\n", FormatGeneral(gViewNearPlane).c_str());
    std::fprintf(f, "VIEW FAR PLANE: %s\n", FormatGeneral(gViewFarPlane).c_str());
    std::fprintf(f, "MAGNIFICATION: %s\n", FormatGeneral(gMagnification).c_str());
    std::fprintf(f, "MAX SLOPE: %s\n", FormatGeneral(gMaxSlope).c_str());
    std::fprintf(f, "BATHYMETRY MAX SLOPE: %s\n", FormatGeneral(gBathymetryMaxSlope).c_str());
    std::fprintf(f, "CONTOUR INTERVAL: %d\n", gContourInterval);
    std::fprintf(f, "BATHYMETRY CONTOUR INTERVAL: %d\n", gBathymetryContourInterval);
    std::fprintf(f, "NUMBER OF BATHYMETRY CONTOUR INTERVALS: %d\n", gBathymetryContourLevels);
    std::fprintf(f, "TOPO HUE FILE: %s\n", gTopoHueFile.c_str());
    std::fprintf(f, "TITLE: %s\n", gViewTitle.c_str());
    std::fprintf(f, "TITLE AT END: %s\n", gViewTitleAtEnd.c_str());
    for (const InfoSpot& s : gInfoSpots)
        std::fprintf(f, "INFORMATION SPOT: %s %s %.*s %.*s\n", FormatFixed(s.latitude, 2, 6).c_str(),
                     FormatFixed(s.longitude, 2, 7).c_str(),
                     static_cast<int>(::strnlen(s.file, sizeof s.file)), s.file,
                     static_cast<int>(::strnlen(s.title, sizeof s.title)), s.title);
    WriteFlag(f, "EVENT LABELS", gShowEventLabels);
    for (const auto& label : gEventLabels) {
        if (!label) continue;
        std::fputs("EVENT LABEL: ", f);
        label->WriteLine(f);
    }
    std::fprintf(f, "INFORMATION: %s\n", gViewInformation.c_str());
    std::fprintf(f, "BACKGROUND COLOR: %d\n", gBackgroundColor);
    std::fprintf(f, "BORDER COLOR: %d\n", gBorderColor);
    WriteFlag(f, "HIGHWAYS", gShowHighways);
    WriteList(f, "MAP FILE", gMapFiles, true);
    WriteList(f, "LINE FILE", gLineFiles, false);
    WriteList(f, "TEXT FILE", gTextFiles, false);
    WriteList(f, "SYMBOL FILE", gSymbolFiles, false);
    std::fprintf(f, "EVENT FILE: %s\n", gEventFileName.c_str());
    std::fprintf(f, "ERUPTION FILE: %s\n", gEruptionFileName.c_str());
    WriteFlag(f, "EARTHQUAKES", gShowEarthquakes || gEarthquakesHeldOff);
    WriteFlag(f, "VOLCANOES", gShowEruptions || gEruptionsHeldOff);
    WriteFlag(f, "VOLCANO NAMES", gShowVolcanoNames);
    WriteFlag(f, "VOLCANOS RED AT END", gVolcanoesRedAtEnd);
    std::fprintf(f, "HISTORICAL EVENT FILE: %s\n", gHistoricalEventFile.c_str());
    std::fprintf(f, "TOPO: %d\n", gTopo);
    WriteFlag(f, "LABELS", gShowLabels);
    WriteFlag(f, "LAT LON LINES", gShowLatLonLines);
    WriteFlag(f, "BATHYMETRY", gShowBathymetry);
    WriteFlag(f, "INTERIOR TICK MARKS", gInteriorTickMarks);
    WriteFlag(f, "SCALE", gShowMapScale);
    WriteFlag(f, "QMX SCALE", gQmxScale);
    std::fprintf(f, "SCALE UNITS: %s\n", gScaleInKm ? "km" : "Miles");
    std::fprintf(f, "SCALE POSITION: %d %d\n", gScalePosition.x, gScalePosition.y);
    WriteFlag(f, "FLOATING LEGEND", gFloatingLegend);
    std::fprintf(f, "LEGEND POSITION: %d %d\n", gLegendPosition.x, gLegendPosition.y);
    static const char* const kDots[] = {"SMALL", "WHITE", "KEEP", "CIRCLES", "MOMENT RELEASE"};
    std::fprintf(f, "DOTS: %s\n", kDots[std::clamp(gSymbolStyle, 0, 4)]);
    WriteFlag(f, "PLATES", gShowPlates);
    WriteFlag(f, "PLATES AT END", gPlatesAtEnd);
    WriteFlag(f, "CROSS SECTION VIEW", gCrossSectionView);
    WriteFlag(f, "3D VIEW", g3DView);
    WriteFlag(f, "MAP VIEW", gMapView);
    WriteFlag(f, "SHOW CROSS SECTION OUTLINE", gShowCrossSectionOutline);
    WriteFlag(f, "REDRAW MAP", gRedrawMap);
    WriteFlag(f, "LOGO", gShowLogo);
    WriteFlag(f, "LEGEND", gViewLegend);
    WriteFlag(f, "HARD COPY", gHardCopy);
    std::fprintf(f, "DAYS TO LOOP: %u\n", static_cast<unsigned>(gDaysToLoop));
    std::fprintf(f, "MINUTES TO LOOP: %u\n", static_cast<unsigned>(gMinutesToLoop));
    std::fprintf(f, "LOCAL TIME: %d\n", gLocalTimeHours);
}

}  // namespace view_parts

bool WriteViewFile() {
    if (!gPlantFile.empty() && !FindStringNode(gTextFiles, gPlantFile)) AppendStringNode(&gTextFiles, gPlantFile);

    // The file the view came from, unless the view has been given another name.
    bool same = !gOpenedPath.empty() && gMapName == gOpenedName;
    std::string target = same ? gOpenedPath : gMapName;
    if (target.empty()) return false;

    platform::SafeFileWriter out(target);
    if (!out.ok()) return false;
    // A zoom held in memory never reaches the file the view came from.
    const bool keepFileBounds = same && gViewZoomed;
    const double shown[4] = {gMapWest, gMapEast, gMapSouth, gMapNorth};
    if (keepFileBounds) {
        gMapWest = sFileBounds[0];
        gMapEast = sFileBounds[1];
        gMapSouth = sFileBounds[2];
        gMapNorth = sFileBounds[3];
    }
    WriteSettings(out.file());
    gMapWest = shown[0];
    gMapEast = shown[1];
    gMapSouth = shown[2];
    gMapNorth = shown[3];
    if (!out.Commit()) return false;
    if (!keepFileBounds) {
        RememberFileBounds();
        gViewZoomed = false;
    }
    if (!same) {
        gOpenedName = gMapName;
        gOpenedPath = platform::ResolvePath(target);
    }
    return true;
}

void EventLabelRecord::WriteLine(std::FILE* file) const {
    std::fprintf(file, "%04d/%02d/%02d %02d:%02d:%02d %s %s %.*s\n", time.Year(), time.Month(), time.Day(),
                 time.Hour(), time.Minute(), time.Second(), FormatFixed(latitude, 2, 6).c_str(),
                 FormatFixed(longitude, 2, 7).c_str(), static_cast<int>(::strnlen(text, sizeof text)), text);
}

