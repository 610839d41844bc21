// The current view's settings: their defaults, the holds and snapshots that keep
// them, and whether an event label lies in the view.
#include "core/view.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/view_parts.h"

// ---- Settings ------------------------------------------------------------------------

std::string gMapName;
double gMapWest, gMapEast, gMapSouth, gMapNorth;
double gXsLatitude, gXsLongitude;
double gImageBounds[4];
double gSearchWest, gSearchEast, gSearchSouth, gSearchNorth;
double gTemplateLatRange, gTemplateLonRange;
PackedDate gViewMaxDate;
std::int32_t gViewMaxMinute;
PackedDate gViewMinDate;
std::int32_t gViewMinMinute;
TimeValue gSpeed;
namespace view_parts {
TimeValue sStoredSpeed, sRunSpeed;
std::string gOpenedName;
std::string gOpenedPath;
double sFileBounds[4] = {-180, 180, -70, 75};
}  // namespace view_parts
using namespace view_parts;

TimeValue SpeedToStore() { return gSpeed == sRunSpeed ? sStoredSpeed : gSpeed; }

void RunAtSpeed(TimeValue run) {
    sStoredSpeed = SpeedToStore();
    gSpeed = sRunSpeed = run;
}
double gMaxDepth, gMinDepth;
std::int32_t gMaxMagnitude, gMinMagnitude, gMaxDotSize, gMinDotSize;
bool gQuakeSoundOn;
double gMagnitudeCutoff, gMagnitudeSoundCutoff;
bool gEruptionSoundOn;
double gEruptionMagnitudeCutoff, gEruptionSoundCutoff;
double gViewAzimuth, gViewWidth, gViewDip, gViewDistance, gViewNearPlane, gViewFarPlane;
double gMagnification, gMaxSlope, gBathymetryMaxSlope;
std::int32_t gContourInterval, gBathymetryContourInterval, gBathymetryContourLevels;
std::string gTopoHueFile;
std::string gViewTitle, gViewTitleAtEnd;
IndexedArray<InfoSpot> gInfoSpots;
bool gShowEventLabels;
IndexedArray<std::unique_ptr<EventLabelRecord>> gEventLabels;
std::string gViewInformation;
std::int32_t gBackgroundColor, gBorderColor;
bool gShowHighways;
StringListNode* gMapFiles = nullptr;
StringListNode* gLineFiles = nullptr;
StringListNode* gTextFiles = nullptr;
StringListNode* gSymbolFiles = nullptr;
std::string gEventFileName, gEruptionFileName;
bool gShowEarthquakes, gShowEruptions, gShowVolcanoNames, gVolcanoesRedAtEnd;
bool gEarthquakesHeldOff = false, gEruptionsHeldOff = false;
std::string gHistoricalEventFile;
std::int32_t gTopo;
bool gShowLabels, gShowLatLonLines, gShowBathymetry, gInteriorTickMarks, gShowMapScale, gQmxScale, gScaleInKm;
ViewPoint gScalePosition;
bool gFloatingLegend;
ViewPoint gLegendPosition;
std::int32_t gSymbolStyle;
bool gShowPlates, gPlatesAtEnd, gCrossSectionView, g3DView, gMapView, gShowCrossSectionOutline, gRedrawMap;
bool gShowLogo, gViewLegend, gHardCopy;
std::int32_t gDaysToLoop = 0;
std::int32_t gMinutesToLoop = 0;
std::int32_t gLocalTimeHours;

std::string gCityFile, gPlantFile, gMapImageFile, gPopulationImageFile, gPltFileName, gTargetEventFile;
TimeValue gPeriodStart, gViewEnd;

TimeValue gAnimationTime;
TimeValue gTimeZoneOffset;
std::string gTimeZoneName;
double gWestEdge = -180;
double gLonSpan = 360;
QuakeRecord* gAlertEvent = nullptr;
QuakeRecord gBuiltAlertQuake;

bool gViewZoomed = false;

namespace view_parts {

void SetDefaults(SpeedParts* speed) {
    gMapWest = -180;
    gMapEast = 180;
    gMapSouth = kDefaultSouth;
    gMapNorth = kDefaultNorth;
    gXsLatitude = 0;
    gXsLongitude = 0;
    std::fill(std::begin(gImageBounds), std::end(gImageBounds), 0.0);
    gSearchWest = -180;
    gSearchEast = 180;
    gSearchSouth = -70;
    gSearchNorth = 75;
    gTemplateLatRange = 4;
    gTemplateLonRange = 5;
    gViewMaxDate = PackedDate{2100, 12, 31};
    gViewMaxMinute = 0;
    gViewMinDate = PackedDate{1960, 1, 1};
    gViewMinMinute = 0;
    *speed = SpeedParts{};
    gMaxDepth = 500;
    gMinDepth = 0;
    gMaxMagnitude = 8;
    gMinMagnitude = 4;
    gMaxDotSize = 8;
    gMinDotSize = 1;
    gQuakeSoundOn = false;
    gMagnitudeCutoff = 0;
    gMagnitudeSoundCutoff = 5.0;
    gEruptionSoundOn = false;
    gEruptionMagnitudeCutoff = 0;
    gEruptionSoundCutoff = 1.0;
    gViewAzimuth = 0;
    gViewWidth = 100;
    gViewDip = 0;
    gViewDistance = 100;
    gViewNearPlane = -50;
    gViewFarPlane = 50;
    gMagnification = 2.0;
    gMaxSlope = 15;
    gBathymetryMaxSlope = 15;
    gContourInterval = 400;
    gBathymetryContourInterval = 10000;
    gBathymetryContourLevels = 1;
    gTopoHueFile.clear();
    gViewTitle = "untitled";
    gViewTitleAtEnd.clear();
    gShowEventLabels = false;
    gViewInformation.clear();
    gBackgroundColor = 0;
    gBorderColor = 0;
    gShowHighways = false;
    gEventFileName = "WORLD.HY4";
    gEruptionFileName = "WORLD.ERB";
    gShowEarthquakes = true;
    gShowEruptions = false;
    gEarthquakesHeldOff = false;
    gEruptionsHeldOff = false;
    gShowVolcanoNames = true;
    gVolcanoesRedAtEnd = false;
    gHistoricalEventFile.clear();
    gTopo = 0;
    gShowLabels = true;
    gShowLatLonLines = false;
    gShowBathymetry = false;
    gInteriorTickMarks = false;
    gShowMapScale = true;
    gQmxScale = true;
    gScaleInKm = true;
    gScalePosition = ViewPoint{};
    gFloatingLegend = true;
    gLegendPosition = ViewPoint{};
    gSymbolStyle = 1;
    gShowPlates = false;
    gPlatesAtEnd = false;
    gCrossSectionView = false;
    g3DView = false;
    gMapView = false;
    gShowCrossSectionOutline = false;
    gRedrawMap = false;
    gShowLogo = true;
    gViewLegend = false;
    gHardCopy = false;
    gLocalTimeHours = 0;
    gAnimationTime = TimeValue();
}

void ClearListsAndNames() {
    gCityFile.clear();
    gPlantFile.clear();
    gMapImageFile.clear();
    gPopulationImageFile.clear();
    gPltFileName.clear();
    gTargetEventFile.clear();
    FreeStringList(&gMapFiles);
    FreeStringList(&gTextFiles);
    FreeStringList(&gLineFiles);
    FreeStringList(&gSymbolFiles);
    gInfoSpots.Flush();
    gEventLabels.Flush();
}

void SetDerivedTimes(const SpeedParts& speed) {
    gSpeed.SetDaysMinutesSeconds(speed.days, speed.minutes, speed.seconds);
    sStoredSpeed = sRunSpeed = gSpeed;
    gPeriodStart.SetDateMinutes(gViewMinDate, gViewMinMinute);
    gViewEnd.SetDateMinutes(gViewMaxDate, gViewMaxMinute);
    gAnimationTime = gPeriodStart;
}

void RememberFileBounds() {
    sFileBounds[0] = gMapWest;
    sFileBounds[1] = gMapEast;
    sFileBounds[2] = gMapSouth;
    sFileBounds[3] = gMapNorth;
}

void ForgetCatalogues() {
    CloseQuakeCatalogue();
    CloseEruptionCatalogue();
}

}  // namespace view_parts

// ---- Records ------------------------------------------------------------------------

bool EventLabelRecord::IsInView() const {
    if (gControls[kControlScienceOnASphere]) return true;
    if (!(gMapSouth < latitude && latitude < gMapNorth)) return false;
    double offset = longitude - gWestEdge;
    if (offset < 0) offset += 360;
    if (offset < 0.001) offset = 0;
    return 0 < offset && offset < gLonSpan;
}

void ResetViewSettings() {
    ReadViewFile(nullptr);
    gDaysToLoop = 0;
    gMinutesToLoop = 0;
    gAlertEvent = nullptr;
    gBuiltAlertQuake = QuakeRecord{};
}

// ---- Building another view's file -------------------------------------------------------

namespace {
std::vector<std::string> ListTexts(const StringListNode* head) {
    std::vector<std::string> out;
    for (; head; head = head->next) out.push_back(head->text);
    return out;
}
void SetList(StringListNode** head, const std::vector<std::string>& texts) {
    FreeStringList(head);
    for (const std::string& t : texts) AppendStringNode(head, t);
}
}  // namespace

struct RunningViewHold::Saved {
    double bounds[4], fileBounds[4];
    bool zoomed, floatingLegend, qmxScale;
    std::string openedName, openedPath, mapName, image, city, plant, population, plt, target;
    PackedDate maxDate, minDate;
    TimeValue periodStart, speed, storedSpeed, runSpeed;
    double cutoff;
    std::int32_t minMagnitude;
    std::vector<std::string> textFiles, symbolFiles, mapFiles;
};

RunningViewHold::RunningViewHold() : saved_(new Saved) {
    Saved& s = *saved_;
    s = Saved{{gMapWest, gMapEast, gMapSouth, gMapNorth},
              {sFileBounds[0], sFileBounds[1], sFileBounds[2], sFileBounds[3]},
              gViewZoomed, gFloatingLegend, gQmxScale,
              gOpenedName, gOpenedPath, gMapName, gMapImageFile, gCityFile, gPlantFile, gPopulationImageFile,
              gPltFileName, gTargetEventFile,
              gViewMaxDate, gViewMinDate,
              gPeriodStart, gSpeed, sStoredSpeed, sRunSpeed,
              gMagnitudeCutoff, gMinMagnitude,
              ListTexts(gTextFiles), ListTexts(gSymbolFiles), ListTexts(gMapFiles)};
}

RunningViewHold::~RunningViewHold() {
    const Saved& s = *saved_;
    gMapWest = s.bounds[0];
    gMapEast = s.bounds[1];
    gMapSouth = s.bounds[2];
    gMapNorth = s.bounds[3];
    std::copy(std::begin(s.fileBounds), std::end(s.fileBounds), sFileBounds);
    gViewZoomed = s.zoomed;
    gFloatingLegend = s.floatingLegend;
    gQmxScale = s.qmxScale;
    gOpenedName = s.openedName;
    gOpenedPath = s.openedPath;
    gMapName = s.mapName;
    gMapImageFile = s.image;
    gCityFile = s.city;
    gPlantFile = s.plant;
    gPopulationImageFile = s.population;
    gPltFileName = s.plt;
    gTargetEventFile = s.target;
    gViewMaxDate = s.maxDate;
    gViewMinDate = s.minDate;
    gPeriodStart = s.periodStart;
    gSpeed = s.speed;
    sStoredSpeed = s.storedSpeed;
    sRunSpeed = s.runSpeed;
    gMagnitudeCutoff = s.cutoff;
    gMinMagnitude = s.minMagnitude;
    SetList(&gTextFiles, s.textFiles);
    SetList(&gSymbolFiles, s.symbolFiles);
    SetList(&gMapFiles, s.mapFiles);
}

// ---- Snapshots ----------------------------------------------------------------------------

ViewSnapshot TakeViewSnapshot() {
    ViewSnapshot s;
    char* text = nullptr;
    std::size_t size = 0;
    if (std::FILE* f = ::open_memstream(&text, &size)) {
        WriteSettings(f);
        std::fclose(f);
        s.settings.assign(text, size);
    }
    std::free(text);
    s.name = gMapName;
    s.openedName = gOpenedName;
    s.openedPath = gOpenedPath;
    std::copy(std::begin(sFileBounds), std::end(sFileBounds), s.fileBounds);
    s.zoomed = gViewZoomed;
    s.animationTime = gAnimationTime;
    s.mapWest = gMapWest, s.mapEast = gMapEast, s.mapSouth = gMapSouth, s.mapNorth = gMapNorth;
    std::string* derived[] = {&gCityFile, &gPlantFile, &gMapImageFile, &gPopulationImageFile, &gPltFileName, &gTargetEventFile};
    for (int i = 0; i < 6; ++i) s.derived[i] = *derived[i];
    s.noTextFiles = gTextFiles == nullptr;
    s.noSymbolFiles = gSymbolFiles == nullptr;
    return s;
}

void RestoreViewSnapshot(const ViewSnapshot& s) {
    ForgetCatalogues();
    ClearListsAndNames();
    ReadState state;
    SetDefaults(&state.speed);
    SetDerivedTimes(state.speed);
    gMapName = s.name;
    if (!gMapName.empty()) {
        gCityFile = gMapName + ".CAF";
        gPlantFile = gMapName + ".npp.txt";
    }
    if (std::FILE* f = ::fmemopen(const_cast<char*>(s.settings.data()), s.settings.size(), "r")) {
        ApplySettingsFrom(f, state);
        std::fclose(f);
    }
    gOpenedName = s.openedName;
    gOpenedPath = s.openedPath;
    std::copy(std::begin(s.fileBounds), std::end(s.fileBounds), sFileBounds);
    gViewZoomed = s.zoomed;
    gAnimationTime = s.animationTime;
    // Bounds at full precision: the text holds nine digits of them.
    gMapWest = s.mapWest, gMapEast = s.mapEast, gMapSouth = s.mapSouth, gMapNorth = s.mapNorth;
    std::string* derived[] = {&gCityFile, &gPlantFile, &gMapImageFile, &gPopulationImageFile, &gPltFileName, &gTargetEventFile};
    for (int i = 0; i < 6; ++i) *derived[i] = s.derived[i];
    // The reader's default lists stand for a view that had none.
    if (s.noTextFiles) FreeStringList(&gTextFiles);
    if (s.noSymbolFiles) FreeStringList(&gSymbolFiles);
}
