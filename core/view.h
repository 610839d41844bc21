#pragma once
// View settings and view files. A view is a text file named by the view,
// without an extension, of "KEY: value" lines. ReadViewFile resets every
// setting and applies a file; WriteViewFile writes them all back in order.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "core/helpers.h"
#include "core/indexed_array.h"
#include "core/quake_record.h"
#include "core/timevalue.h"

// An information spot of a view: a place on the map that opens a text file.
struct InfoSpot {
    InfoSpot() = default;
    // Texts longer than the fields are cut.
    InfoSpot(double lat, double lon, double third, std::string_view file, std::string_view title);

    double latitude = 0;   // degrees
    double longitude = 0;  // degrees
    double third = 0;      // 0 from the reader
    // Display fields, set by the map pane.
    std::int32_t x = 0, y = 0;
    std::int32_t box[4] = {0, 0, 0, 0};     // the icon: left, top, right, bottom
    std::int32_t hitBox[4] = {0, 0, 0, 0};  // where a click finds it
    bool drawn = false;  // shown on the map by the last drawing: only then can the mouse find it
    std::int32_t captionX = 0, captionY = 0;
    char file[16] = {};   // text file shown by the spot, at most 15 characters
    char title[24] = {};  // at most 23 characters
};

// An event label of a view, shown by the animation when its time passes.
struct EventLabelRecord {
    // Display fields, set by the map pane and the animation.
    std::int32_t x = 0, y = 0;
    std::int32_t box[4] = {0, 0, 0, 0};
    char text[50] = {};  // at most 49 characters
    float displayA = 0, displayB = 0;
    std::int32_t countdown = 0;  // ticks left to show
    TimeValue time;
    double latitude = 0;   // degrees
    double longitude = 0;  // degrees

    // "YYYY/MM/DD hh:mm:ss lat lon text\n", the value of an "EVENT LABEL: " line.
    void WriteLine(std::FILE* file) const;
    bool IsInView() const;
};

// Fills a label from the value of an "EVENT LABEL: " line; false (the label
// is to be dropped) when the value does not give a date, time and place.
[[nodiscard]] bool ParseEventLabel(EventLabelRecord* record, std::string_view value);

// Returns 3 for no name (defaults only), 2 when the file cannot be opened, 0 when read.
int ReadViewFile(const char* name = nullptr);
int ReadViewFile(const std::string& name);
// Writes every setting to the view's file, replacing it safely; false when
// the file could not be written (the old one is then unchanged).
[[nodiscard]] bool WriteViewFile();
// Every view setting back to its default, as at program start (for tests).
void ResetViewSettings();

// The view settings in memory, to put back after a view file was read over
// them: an unsaved view has no file to read again.
struct ViewSnapshot {
    std::string settings;  // as the view file would hold them
    std::string name, openedName, openedPath;
    double fileBounds[4] = {};
    bool zoomed = false;
    TimeValue animationTime;
    double mapWest = 0, mapEast = 0, mapSouth = 0, mapNorth = 0;
    std::string derived[6];  // the names a reader derives from the view's name
    bool noTextFiles = false, noSymbolFiles = false;
};
ViewSnapshot TakeViewSnapshot();
void RestoreViewSnapshot(const ViewSnapshot& s);

struct ViewPoint {
    std::int32_t x = 0, y = 0;  // pixels; 0 = placed automatically
};

// ---- View settings (owned here; reset and filled by ReadViewFile) --------------

extern std::string gMapName;  // view name, upper-cased as given to ReadViewFile

extern double gMapWest;   // degrees, -180
extern double gMapEast;   // degrees, 180
extern double gMapSouth;  // degrees, -70
extern double gMapNorth;  // degrees, 75
extern double gXsLatitude;   // cross-section centre, degrees
extern double gXsLongitude;  // degrees
// The bounds above are a zoom held in memory only: writing the view to the
// file it came from keeps that file's bounds, and the map caches no image
// of it. Reading a view clears it; a save the user asks for clears it first.
extern bool gViewZoomed;
extern double gImageBounds[4];  // south, north, west, east of the cached image, degrees
extern double gSearchWest, gSearchEast, gSearchSouth, gSearchNorth;  // template search box, degrees
extern double gTemplateLatRange;  // degrees
extern double gTemplateLonRange;  // degrees

extern PackedDate gViewMaxDate;      // end of the time window
extern std::int32_t gViewMaxMinute;  // minute of that day (whole hours)
extern PackedDate gViewMinDate;      // start of the time window
extern std::int32_t gViewMinMinute;  // minute of that day (whole hours)
extern TimeValue gSpeed;             // simulated seconds per real second
// A run may raise the view's speed to a step of its table; the file keeps the
// view's own speed until the user picks another one.
void RunAtSpeed(TimeValue run);
TimeValue SpeedToStore();

extern double gMaxDepth;  // km
extern double gMinDepth;  // km
extern std::int32_t gMaxMagnitude;  // whole magnitude of the largest dot
extern std::int32_t gMinMagnitude;  // whole magnitude of the smallest dot
extern std::int32_t gMaxDotSize;    // pixels at 480 screen rows
extern std::int32_t gMinDotSize;    // pixels at 480 screen rows
extern bool gQuakeSoundOn;
extern double gMagnitudeCutoff;       // smallest magnitude drawn; 0 = all
extern double gMagnitudeSoundCutoff;  // smallest magnitude that sounds
extern bool gEruptionSoundOn;
extern double gEruptionMagnitudeCutoff;  // explosivity index
extern double gEruptionSoundCutoff;      // explosivity index

extern double gViewAzimuth;    // degrees clockwise from north
extern double gViewWidth;      // km, section length (> 0)
extern double gViewDip;        // degrees down
extern double gViewDistance;   // km, eye to target (> 0)
extern double gViewNearPlane;  // km ahead of the section line
extern double gViewFarPlane;   // km
extern double gMagnification;  // 3-D lens factor (> 0)
extern double gMaxSlope;            // percent slope of the lightest shade (> 0)
extern double gBathymetryMaxSlope;  // percent (> 0)
extern std::int32_t gContourInterval;            // metres per land band (> 0)
extern std::int32_t gBathymetryContourInterval;  // metres per water band (> 0)
extern std::int32_t gBathymetryContourLevels;    // water bands, 0..30
extern std::string gTopoHueFile;

extern std::string gViewTitle;       // "untitled"
extern std::string gViewTitleAtEnd;  // shown when the period ends
extern IndexedArray<InfoSpot> gInfoSpots;  // in file order
extern bool gShowEventLabels;
extern IndexedArray<std::unique_ptr<EventLabelRecord>> gEventLabels;  // in file (time) order
extern std::string gViewInformation;  // file shown when the view opens
extern std::int32_t gBackgroundColor;  // colour number 0..18
extern std::int32_t gBorderColor;      // colour number 0..18
extern bool gShowHighways;

extern StringListNode* gMapFiles;     // map segment files
extern StringListNode* gLineFiles;    // line overlay files
extern StringListNode* gTextFiles;    // text overlay files
extern StringListNode* gSymbolFiles;  // symbol overlay files

extern std::string gEventFileName;     // earthquake catalogue, "WORLD.HY4"
extern std::string gEruptionFileName;  // eruption catalogue, "WORLD.ERB"
extern bool gShowEarthquakes;
extern bool gShowEruptions;
// Switched off for this run only, as their catalogue is missing: the view file keeps the view's own value.
extern bool gEarthquakesHeldOff;
extern bool gEruptionsHeldOff;
extern bool gShowVolcanoNames;
extern bool gVolcanoesRedAtEnd;
extern std::string gHistoricalEventFile;
extern std::int32_t gTopo;  // terrain model 0..11; 0 = none
extern bool gShowLabels;
extern bool gShowLatLonLines;
extern bool gShowBathymetry;
extern bool gInteriorTickMarks;
extern bool gShowMapScale;
extern bool gQmxScale;
extern bool gScaleInKm;  // false: miles
extern ViewPoint gScalePosition;
extern bool gFloatingLegend;
extern ViewPoint gLegendPosition;
extern std::int32_t gSymbolStyle;  // 0 SMALL, 1 WHITE, 2 KEEP, 3 CIRCLES, 4 MOMENT
extern bool gShowPlates;
extern bool gPlatesAtEnd;
extern bool gCrossSectionView;
extern bool g3DView;
extern bool gMapView;
extern bool gShowCrossSectionOutline;
extern bool gRedrawMap;  // render afresh instead of using the cached image
extern bool gShowLogo;
extern bool gViewLegend;
extern bool gHardCopy;
extern std::int32_t gDaysToLoop;     // run the last n days up to now; kept from the view before
extern std::int32_t gMinutesToLoop;  // kept from the view before
extern std::int32_t gLocalTimeHours;  // hours from UTC when USE LOCAL TIME is off

// Names derived from gMapName by the reader.
extern std::string gCityFile;             // "%s.CAF"
extern std::string gPlantFile;            // "%s.npp.txt"
extern std::string gMapImageFile;         // "%s.jpg" (map views)
extern std::string gPopulationImageFile;  // "%s.pop" (map views)
extern std::string gPltFileName;          // "%s.plt" (map views)
extern std::string gTargetEventFile;      // "%s.hyp" (map views)

extern TimeValue gPeriodStart;  // start of the time window
extern TimeValue gViewEnd;      // end of the time window

// ---- Values core reads but others drive ------------------------------------------

extern TimeValue gAnimationTime;   // the animation clock drives it; the reader starts it at gPeriodStart
extern TimeValue gTimeZoneOffset;  // span added to UTC for local display; set when a view opens
extern std::string gTimeZoneName;  // "EST" ... or empty; set when a view opens
extern double gWestEdge;  // degrees; set by each map rendering
extern double gLonSpan;   // degrees 0..360; set by each map rendering
extern QuakeRecord* gAlertEvent;     // pending alert event, or null; the alert mode drives it
extern QuakeRecord gBuiltAlertQuake;  // target event of an alert view, from its ".hyp" file

// Another view's file is built from the settings in memory; while this is
// alive they may change, and the running view gets its own back at the end.
class RunningViewHold {
public:
    RunningViewHold();
    ~RunningViewHold();
    RunningViewHold(const RunningViewHold&) = delete;
    RunningViewHold& operator=(const RunningViewHold&) = delete;

private:
    struct Saved;
    std::unique_ptr<Saved> saved_;
};
