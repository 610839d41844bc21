#pragma once
// The map pane: renders the whole view once into the pane's retained back
// buffer (the "screen"), keeps a copy in the map image that painting shows,
// and a protection mask of the map area that event dots stay out of.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/helpers.h"
#include "core/places.h"
#include "core/record_file.h"
#include "map/borders.h"
#include "map/draw.h"
#include "map/map_pane.h"
#include "map/proj.h"
#include "map/scale_box.h"
#include "platform/gfx/draw_context.h"
#include "platform/gfx/font.h"
#include "platform/ui/window.h"

// ---- Process-wide rendering state -------------------------------------------------

extern std::int32_t gPaneWidth;     // pixels, of the last rendering
extern std::int32_t gPaneHeight;    // pixels
extern std::int32_t gTextHeight;    // pixels, the screen context's text height
extern std::int32_t gAveCharWidth;  // pixels, the screen context's average character width
// "MS Sans Serif" 7; made once by the layout or the map pane.
extern std::shared_ptr<const platform::gfx::Font> gLegendFont;
extern platform::gfx::Size gSphereImageSize;  // pixels of each sphere image; its output part may change it

// ---- Rendering arithmetic -----------------------------------------------------------

// The map area's top-left corner in pane pixels: the origin the symbols draw from.
inline platform::gfx::Point MapOrigin() { return {gMapRect.left, gMapRect.top}; }

// First value of the grid interval table (degrees) that is at least q; the last beyond it.
double GridInterval(double q);
// The same over the cross-section table (km).
double CrossSectionInterval(double q);
// "?" replaced by the digit of the file resolution for xScale pixels per degree.
char ResolutionDigit(double xScale);
std::string ResolveMapFileName(std::string name, double xScale);
// Where the map view's grid goes: longitudes of the edge ticks (at most 12)
// and of the meridians (at most 13), latitudes of the edge ticks and of the
// parallels, all in degrees.
struct GridTicks {
    std::vector<double> tickLons, lineLons, tickLats, lineLats;
};
GridTicks GridTicksFor(double south, double north, double west, double east, double lonSpan);
// The cached image's file: the final extension replaced by ".jpg".
std::string CacheImageName(const std::string& name);
// The population overlay's cache, named apart from the plain map's.
std::string PopulationCacheImageName(const std::string& name);

class childMap;
struct EventLabelRecord;
struct QuakeDisplayRecord;
struct QuakeRecord;

// ---- Earthquake symbols (map/quake_symbols.cpp) ---------------------------------------

// Fills the record's doubles, then tests it against the view's bounds, cut-offs and view kind.
bool IsInView(QuakeDisplayRecord& r);
// Pixels; 0 below MINIMUM MAGNITUDE. Callers truncate.
double DotRadius(double magnitude);
// Place of an event label on the sphere image; false when the label is not in view.
bool PlaceEventLabelOnSphere(EventLabelRecord& label);

// A white flash or a dot waiting for the next tick's marker step.
struct TransientMarker {
    std::int32_t x = 0, y = 0;
    std::int32_t size = 0;   // radius in pixels
    std::int32_t color = 0;  // colour number of the dot's depth
};

// ---- What the pane leaves to others ------------------------------------------------------

// What the pane asks of the application above this library. The program's
// wiring installs one object at start-up; while none is installed each step
// says so (ReportMissingSeam), so none is skipped silently.
class MapPaneSeams {
public:
    virtual ~MapPaneSeams() = default;
    virtual void FloatingLegend(childMap& pane) = 0;   // creates, shows or hides the QMX legend
    virtual void InformationButton(childMap& pane) = 0;
    virtual void HighlightAlertEvent(childMap& pane) = 0;  // paused with an alert pending
    virtual void OpenTextWindow(childMap& pane, const std::string& file) = 0;
    // ---- what the map editor asks of the application
    virtual void Click(childMap& pane) = 0;  // the click tone
    // A one-line prompt: text in and, at OK, out (at most limit characters); false on Cancel.
    virtual bool AskText(childMap& pane, const std::string& caption, const std::string& prompt, std::string& text,
                         std::size_t limit) = 0;
    virtual bool AskNewCity(childMap& pane, NewCityRow& city) = 0;
    // The chosen entries' indices, ascending; false on Cancel.
    virtual bool ChooseCities(childMap& pane, const std::vector<const CityRecord*>& cities, std::vector<int>& chosen) = 0;
    virtual bool ChoosePlants(childMap& pane, const std::vector<const PlaceRecord*>& plants, std::vector<int>& chosen) = 0;
    virtual void EditTextFile(childMap& pane, const std::string& file) = 0;  // in the desktop's text editor
    // Event stepping, border edits and digitising: the command id.
    virtual void Command(childMap& pane, int id) = 0;
    // The alert view of a catalogue record (the alert views' builder).
    virtual void BuildAlertView(childMap& pane, const QuakeRecord& record) = 0;
    // These only undo or look up what the steps above make: without those
    // there is nothing to close, end or find, so they are quiet by default.
    virtual void CloseTextWindow(childMap& pane);
    // Hover highlights of the panes' buttons taken off as the mouse moves over the map.
    virtual void UnhighlightPaneButtons(childMap& pane);
    // The pane's other objects (legend control, energy bins, MIDI output) at its end.
    virtual void PaneDestroyed(childMap& pane);
    // The floating legend box in pane pixels; false while none exists.
    virtual bool FloatingLegendBox(const childMap& pane, platform::gfx::Rect* box);
};
// What a step reports while no seams are installed.
inline constexpr const char* kNoPaneSeams = "map pane seams: none installed";
// nullptr takes them out again.
void InstallMapPaneSeams(MapPaneSeams* seams);
MapPaneSeams& PaneSeams();

// Told of each rendering that draws the map afresh and of each cached image
// written: how tests and benchmarks see that the cache was used.
class RenderProbe {
public:
    virtual ~RenderProbe() = default;
    virtual void FreshRendering() = 0;
    virtual void CacheImageWritten() = 0;
};

// ---- The pane ---------------------------------------------------------------------------------

inline constexpr int kMouseIdle = 0;
inline constexpr int kMouseUserMap = 1;
inline constexpr int kMouseProbe = 2;
inline constexpr int kMouseNewInfoSpot = 3;
inline constexpr int kMouseDeleteInfoSpot = 4;
inline constexpr int kMouseEditInfoSpot = 5;
inline constexpr int kMouseInfoSpotTitle = 6;
inline constexpr int kMouseCrossSection = 7;
inline constexpr int kMouseBusy = 8;
inline constexpr int kMouseAddCity = 9;
inline constexpr int kMouseAddNewCity = 10;
inline constexpr int kMouseDeleteCity = 11;
inline constexpr int kMouseCitiesFromList = 12;
inline constexpr int kMouseAddPlant = 13;
inline constexpr int kMousePlantsFromList = 14;
inline constexpr int kMouseDeletePlant = 15;
inline constexpr int kMouseAddLocation = 16;
inline constexpr int kMouseDigitize = 17;
inline constexpr int kMouseScaleDrag = 18;

// The right-click pop-up of the map pane ("ADD_DELETE"); the program registers it.
inline constexpr const char* kMapPopupMenu = "ADD_DELETE";
void RegisterMapPopupMenu();

// Pixels of the line between two points, both ends included, one per step
// along the longer axis.
std::vector<platform::gfx::Point> LinePoints(int x1, int y1, int x2, int y2);
// A 4-pixel frame inside the rectangle: black, white, white, black.
void DrawRubberBand(platform::gfx::DrawContext& dc, const platform::gfx::Rect& r);
void EraseRubberBand(platform::gfx::DrawContext& dc, const platform::gfx::Surface& mapImage, const platform::gfx::Rect& r);
// The band's end, held to the map's proportions with USE FULL SCREEN.
platform::gfx::Point BandEnd(platform::gfx::Point start, platform::gfx::Point end);
// "%7.3f%c %8.3f%c": absolute values with N/S and E/W, a blank at exactly 0.
std::string CoordinateText(double latitude, double longitude);
// The bounds of a user map from a band in map-area pixels (any corner order):
// south, north, west, east.
struct UserMapBounds {
    double south, north, west, east;
};
UserMapBounds BandBounds(const Proj& proj, const platform::gfx::Rect& band);
// Why a region name cannot be a digitised file ("" when it can).
std::string DigitizedNameProblem(const std::string& name);

class childMap : public platform::ui::Window, public Proj, public MapPane {
public:
    explicit childMap(platform::ui::Window* parent);
    ~childMap() override;
    KESTRUNE_RESPONSE_TABLE(childMap);

    platform::ui::Window& window() override { return *this; }

    // The whole view into the screen and the map image; a pane too small to
    // hold a map is left as it was.
    void RenderView() override;
    // False when the protection mask cannot be made or the pane cannot hold a map.
    bool DrawBaseMap(StringListNode* mapFiles, int left, int top, int right, int bottom);
    void DrawMapTitles();
    void ShowPlates();

    // The animation enlarges the pending rectangle (pane pixels); the flush
    // copies it from the map image to the screen and empties it.
    void AddUpdateRect(const platform::gfx::Rect& r);
    void FlushUpdateRect() override;
    const platform::gfx::Rect& updateRect() const { return updateRect_; }

    void CloseTextWindow() override;
    void UnhighlightInformationButton();

    // ---- earthquake symbols (map/quake_symbols.cpp)
    // Draws one earthquake in the view's dot style; its magnitude, 0 when not drawn.
    double DrawEventDot(QuakeDisplayRecord& r, bool marker);
    void DrawTransientDot(int x, int y, int radius, int color);
    void DrawTransientSphereDot(int x, int y, int radius, int color);
    // One step of the transient markers; false when none were left, and in KEEP.
    bool EraseMarkers() override;
    bool EraseSphereMarkers();
    void SetMarkerIcon(int x, int y, bool big);
    void DrawMarkerIcon();
    void EraseMarker() override;
    void EraseHighlight();
    void EraseHighlightLabel();
    void HighlightEvent(const QuakeRecord* q, bool withDot, bool withRings) override;
    void HideHighlight(bool keepOff);
    void SetHighlightShown(bool on) override { highlightShown_ = on; }
    bool highlightShown() const { return highlightShown_; }
    void DrawPlantSymbol(double latitude, double longitude, bool operating);
    // Makes the record's alert view the current view and offers its zoom.
    void BuildAlertView(const QuakeRecord& record) override;
    bool PlaceEventLabel(EventLabelRecord& label);
    // Map editing drags a place with the mouse; the alert step waits for it.
    bool dragInProgress() const { return dragInProgress_; }
    void SetDragInProgress(bool on) { dragInProgress_ = on; }
    const std::vector<TransientMarker>& markers() const { return markers_; }
    const std::vector<TransientMarker>& sphereMarkers() const { return sphereMarkers_; }
    bool markerIconShown() const { return iconShown_; }
    platform::ui::Point markerIconPosition() const { return {iconX_, iconY_}; }
    int ringCounter() const { return ringCounter_; }
    // The alert magnitude's box on the screen (map-area coordinates); empty when none is shown.
    const platform::gfx::Rect& highlightLabel() const { return highlightLabel_; }

    // ---- overlay files (map/overlay.cpp): line, symbol and text lists, any may be null
    // The lists of the highway files are changed while they are drawn and put back.
    void DrawOverlayFiles(StringListNode** lineFiles, StringListNode** symbolFiles, StringListNode** textFiles);

    // ---- 3-D and cross-section (map/section3d.cpp)
    // Repaint of the 3-D view from the recorded map lines and the buffered points.
    void Draw3DView();
    // A map view's outline of the cross-section, drawn over a clean copy of the map.
    void DrawCrossSectionOutline();

    // ---- border sets and region labels (map/borders.cpp)
    void LoadBorderSets();
    void SetBorderSets(std::unique_ptr<BorderSet> state, std::unique_ptr<BorderSet> country,
                       std::unique_ptr<BorderSet> ocean);
    // "state", "country" or "ocean" in any letter case; null for others and absent sets.
    const BorderSet* BorderSetOfKind(std::string_view kind) const;
    // False when nothing was added; names, when given, lets a region be labelled once.
    bool AddRegionLabel(std::string_view kind, double latitude, double longitude, StringListNode** names,
                        bool centroid);
    void AddRegionLabelAtClick(std::string_view kind);
    void DeleteRegionLabel(std::string_view kind);

    // ---- surfaces; the screen draws into the back buffer, the others are null
    // before the first rendering
    platform::gfx::DrawContext* screen();
    platform::gfx::DrawContext* mapImage() { return mapImage_.get(); }
    const platform::gfx::Surface* mapImageSurface() const { return mapImageSurface_.get(); }
    // The next rendering from the cached image reads and decodes its file again.
    void ForgetDecodedImage() { decoded_ = {}; }
    platform::gfx::DrawContext* protectionMask() { return mask_.get(); }
    const platform::gfx::Mask* protectionMaskBits() const { return maskBits_.get(); }
    platform::gfx::DrawContext* sphereDisplay() { return sphereDisplay_.get(); }
    const platform::gfx::Surface* sphereDisplaySurface() const { return sphereDisplaySurface_.get(); }
    // The sphere display image as the next numbered frame (map/image_files.cpp).
    void SaveSphereFrame();
    platform::gfx::DrawContext* spherePermanent() { return spherePermanent_.get(); }

    const platform::gfx::Rect& paneRect() const { return paneRect_; }
    int mouseMode() const { return mouseMode_; }
    void SetMouseMode(int mode) { mouseMode_ = mode; }
    void SetBusy(bool busy) override;
    bool drawing() const { return drawing_; }
    platform::ui::Point rightClickPoint() const { return rightClick_; }
    void SetRightClickPoint(platform::ui::Point p) { rightClick_ = p; }
    // nullptr: no one is told.
    void SetRenderProbe(RenderProbe* probe) { renderProbe_ = probe; }

    // ---- commands
    void CmNextEvent();
    void CmPreviousEvent();
    void CmCurrentEvent();
    void CmInformation();
    void CmHelpText();
    void CmKeyText();
    void CmTimeoutText();
    void CmAddCity();
    void CmAddCitiesFromList();
    void CmDeleteCity();
    void CmAddNewCity();
    void CmAddPlant();
    void CmAddPlantFromList();
    void CmDeletePlant();
    void CmAddState();
    void CmAddBodyOfWater();
    void CmAddCountry();
    void CmDeleteState();
    void CmDeleteCountry();
    void CmDeleteBodyOfWater();
    void CmAddLocation();
    void CmDeleteLocation();
    void CmDigitize();

    // ---- information spots (map/info_spots.cpp)
    void DrawInfoSpots(bool highlighted);
    int currentSpot() const { return currentSpot_; }
    // ---- map tools (map/map_tools.cpp)
    const std::optional<ScaleBox>& scaleBox() const { return scaleBox_; }
    const platform::gfx::Rect& scaleBoxRect() const { return scaleRect_; }
    const std::vector<platform::gfx::Point>& digitizedPoints() const { return digitized_; }
    bool bandActive() const { return band_.active; }
    const platform::gfx::Rect& bandRect() const { return band_.rect; }

protected:
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;
    // A pane that has shown a view draws it again at its new size: painting
    // only copies the map image, which has the old one.
    void EvSize(platform::ui::Size client) override;
    void EvLButtonDown(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvMouseMove(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvLButtonUp(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvRButtonDown(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvLButtonDblClk(platform::ui::Point p, std::uint32_t modifiers) override;

private:
    // ---- the mouse modes (map/map_edit.cpp)
    void ModeAction(platform::ui::Point p, platform::ui::Point q);
    bool SpotClick(platform::ui::Point q);
    void StartLabelDrag(platform::ui::Point q);
    void MoveDraggedLabel(platform::ui::Point q);
    void EndLabelDrag();
    void SpotHover(platform::ui::Point q);
    void PlainSpot(int index);
    void HighlightSpot(int index);
    void AfterAction();
    void Repeat();
    void NewInfoSpot(platform::ui::Point q);
    void AddCity(platform::ui::Point q);
    void AddNewCity(platform::ui::Point q);
    void DeleteCity(platform::ui::Point q);
    void AddCitiesFromList();
    void AddPlant(platform::ui::Point q);
    void AddPlantsFromList();
    void DeletePlant(platform::ui::Point q);
    void AddLocation(platform::ui::Point q);
    void PointToLatLon(platform::ui::Point q, double* lat, double* lon, bool wrap) const;
    void ReleaseMouse();
    // ---- the map tools (map/map_tools.cpp)
    void BandDown(platform::ui::Point p);
    void BandMove(platform::ui::Point p);
    void BandUp();
    void ProbeMove(platform::ui::Point q);
    void EraseProbeText();
    void CrossSectionPick(platform::ui::Point q);
    void DigitizeDown(platform::ui::Point q);
    void DigitizeMove(platform::ui::Point q);
    void DropPreview(bool restore);
    void DigitizeEnd();
    void ScaleDragMove(platform::ui::Point q);
    void ScaleDragUp();
    void BuildScaleBox();
    void KeepDragBackground();
    // Where a dragged label or scale box restores from; the map image has them drawn.
    const platform::gfx::Surface& DragBackground() const {
        return dragBackground_ ? *dragBackground_ : *mapImageSurface_;
    }

    void EnsureScreen();
    void RenderOnce();
    void OpenText(const std::string& file);
    void EditAtRightClick(int mode);
    void PassCommand(int id);
    void DrawGrid(double south, double north, double west, double east);
    bool UseCachedImage(const std::string& name);
    void SaveCachedImage(const std::string& name);

    // The cached image as last decoded, with the stamp of the file it came
    // from: renderings from one unchanged file decode it once.
    struct DecodedImage {
        std::string file;
        FileStamp stamp;
        std::unique_ptr<platform::gfx::Surface> image;
    };
    DecodedImage decoded_;
    std::string ownFile_;  // the cache file as this pane last wrote it
    FileStamp ownStamp_;

    platform::gfx::Rect paneRect_{};
    std::unique_ptr<platform::gfx::DrawContext> screen_;
    const platform::gfx::Surface* screenTarget_ = nullptr;
    platform::gfx::Size screenSize_{};
    std::unique_ptr<platform::gfx::Surface> mapImageSurface_;
    std::unique_ptr<platform::gfx::DrawContext> mapImage_;
    std::unique_ptr<platform::gfx::Mask> maskBits_;
    std::unique_ptr<platform::gfx::DrawContext> mask_;
    std::unique_ptr<platform::gfx::Surface> sphereDisplaySurface_, spherePermanentSurface_;
    std::unique_ptr<platform::gfx::DrawContext> sphereDisplay_, spherePermanent_;
    int mouseMode_ = kMouseBusy;
    bool drawing_ = false;
    bool renderAgain_ = false;  // asked for while a rendering pumped messages
    platform::gfx::Rect updateRect_{};
    platform::ui::Point rightClick_{};
    RenderProbe* renderProbe_ = nullptr;

    // earthquake symbols: oldest first
    std::vector<TransientMarker> markers_, sphereMarkers_;
    bool iconShown_ = false;
    int iconX_ = 0, iconY_ = 0;
    bool iconBig_ = false;
    int ringCounter_ = -3;
    bool highlightShown_ = false;
    bool dragInProgress_ = false;
    platform::gfx::Rect highlightLabel_;  // the alert magnitude drawn on the screen; empty when none
    std::shared_ptr<const platform::gfx::Font> highlightFont_;  // the alert magnitude's type, made on first use

    std::unique_ptr<BorderSet> stateBorders_, countryBorders_, oceanBorders_;  // any may be absent

    // map editing
    int currentSpot_ = -1;  // index in gInfoSpots; -1 when none
    struct Band {
        bool active = false;  // in mode 7: the button is held
        platform::ui::Point start;
        platform::gfx::Rect rect;  // pane pixels, as drawn
    } band_;
    platform::gfx::Rect probeBox_;  // the coordinate text on the screen, map-area pixels; empty when none
    std::vector<platform::gfx::Point> digitized_;  // map-area pixels
    struct PreviewPixel {
        platform::gfx::Point p;
        platform::gfx::Color saved;
    };
    std::vector<PreviewPixel> preview_;
    std::unique_ptr<platform::gfx::Surface> dragBackground_;  // the screen before labels and the scale box
    std::optional<ScaleBox> scaleBox_;
    platform::gfx::Rect scaleRect_;  // map-area pixels the scale box last covered
    platform::ui::Point scaleLast_;
};
