#pragma once
// The control panel below the map: transport buttons, the time slider, the
// date read-out, speed and cut-off controls in the standard layout, large text
// buttons in the kiosk layout. The clock, the housekeeping and the alert mode
// call its entry points.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/timevalue.h"
#include "platform/gfx/draw_context.h"
#include "platform/ui/controls.h"
#include "platform/ui/window.h"

class childLegend;
class textButton;
class myButton;
class myOnOffButton;
class mySlider;
class Roller;

inline constexpr int kCmZoomToEarthquake = 824;

// ---- the panel's arithmetic, apart from its windows

// The read-out's text of time t for an animation step; empty for time 0.
std::string DateReadoutText(TimeValue t, TimeValue step);
// The share of the period one scrub tick moves, on its n-th tick.
double ScrubFraction(int counter);

struct YearLabel {
    int year = 0;
    int x = 0;
    bool drawn = false;  // within the track
    enum class Align { Left, Center, Right } align = Align::Right;
};
// The kiosk slider's year labels; empty for three years or fewer.
std::vector<YearLabel> KioskYearLabels(int startYear, int endYear, int trackLeft, int trackWidth);

struct ZoomBox {
    double north = 0, south = 0, east = 0, west = 0;
};
// The view around an event after one Zoom In (or Zoom Out); pane size in pixels.
ZoomBox ZoomAround(double lat, double lon, double west, double east, bool zoomIn, int paneWidth, int paneHeight);

// The panel's name of speed index i ("Stop" .. "Fast!"), string resource 300 + i;
// empty outside the table.
std::string SpeedName(int index);

class childControl : public platform::ui::Window {
public:
    static constexpr int kStandardHeight = 82;
    enum class Kind { Standard, Kiosk };

    // The ids of its controls, which send them as commands to the panel.
    enum Id : int {
        kPlay = 801, kPause = 802, kRewind = 804, kFastForward = 805, kFaster = 811, kSlower = 812,
        kRepeat = 807, kBack = 808, kStepBack = 809, kStepForward = 810, kQuakeCutoffUp = 813,
        kQuakeCutoffDown = 814, kRewindRelease = 815, kFastForwardRelease = 816, kEruptionCutoffUp = 817,
        kEruptionCutoffDown = 818, kPlates = 819, kExit = 820, kKioskRepeat = 821, kStartOver = 822,
        kSelectMenu = 823, kZoomToEarthquake = kCmZoomToEarthquake, kZoomIn = 825, kZoomOut = 826,
        kStopAnimation = 827, kSetDate = 828, kEarthquakesBox = 1041, kEruptionsBox = 1042,
        kSoundBox = 1055, kInfoBoxesBox = 1072,
    };

    childControl(platform::ui::Window* parent, int* height, Kind kind = Kind::Standard);
    KESTRUNE_RESPONSE_TABLE(childControl);

    Kind kind() const { return kind_; }

    // ---- called by the animation clock at every tick
    int scrubDirection() const { return scrub_; }  // -1 rewinding, 0, +1 fast-forwarding
    void SetScrubDirection(int d) { scrub_ = d; }
    // True when the user moved the slider since the last call.
    bool SyncTimeSlider();
    void ScrubAnimationTime(int direction, int counter);
    void DrawDateReadout(TimeValue t, TimeValue step);
    void DrawEventCounters(int quakes, int eruptions);
    void ResetTimeSlider();
    void DrawSpeedBox(platform::gfx::DrawContext& dc);
    void DrawSpeedBox();

    // ---- called by the housekeeping timer
    void DrawAliveBlink(bool lit);
    void DrawAliveWarning(bool phase);

    // ---- alert buttons: the alert mode shows "Zoom in to Earthquake" and
    // "Stop Animation" and sets the pending flag
    void ShowAlertButtons();
    bool alertPending() const { return alertPending_; }
    void SetAlertPending(bool on) { alertPending_ = on; }
    // "Zoom In" and "Zoom Out".
    void ShowZoomButtons(bool on);
    bool zoomButtonsShown() const { return zoomButtonsShown_; }
    void UnhighlightButtons();

    // ---- commands
    void CmPlay();
    void CmPause();
    void CmRewind();
    void CmFastForward();
    void CmRewindRelease();
    void CmFastForwardRelease();
    void CmStepBack();
    void CmStepForward();
    void CmRepeat();
    void CmBack();
    void CmFaster();
    void CmSlower();
    void CmQuakeCutoffUp();
    void CmQuakeCutoffDown();
    void CmEruptionCutoffUp();
    void CmEruptionCutoffDown();
    void CmPlates();
    void CmExit();
    void CmStartOver();
    void CmSelectMenu();
    void CmZoomToEarthquake();
    void CmZoomIn();
    void CmZoomOut();
    void CmStopAnimation();
    void CmSetDate();
    void CmEarthquakesBox();
    void CmEruptionsBox();
    void CmInfoBoxesBox();
    void CmSoundBox();
    platform::ui::Result EvButtonHighlighted(platform::ui::WParam tag, platform::ui::LParam id);

    // ---- what tests read
    TimeValue readoutTime() const { return readout_; }
    const std::string& readoutText() const { return readoutText_; }
    int sliderResets() const { return sliderResets_; }
    int shownQuakes() const { return quakes_; }
    int shownEruptions() const { return eruptions_; }
    bool paused() const { return paused_; }
    int lastSliderPosition() const { return lastPosition_; }
    int backgroundColor() const { return background_; }
    const platform::ui::Rect& readoutRect() const { return readoutRect_; }
    const platform::ui::Rect& speedBoxRect() const { return speedBox_; }
    const platform::ui::Rect& sliderRect() const { return sliderRect_; }
    const platform::ui::Rect& trackRect() const { return track_; }
    const platform::ui::Rect& quakeCounterBox() const { return quakeCounter_; }
    const platform::ui::Rect& eruptionCounterBox() const { return eruptionCounter_; }
    platform::ui::Point quakeIconPoint() const { return quakeIcon_; }
    platform::ui::Point eruptionIconPoint() const { return eruptionIcon_; }
    mySlider* slider() const { return slider_; }
    Roller* quakeRoller() const { return quakeRoller_; }
    Roller* eruptionRoller() const { return eruptionRoller_; }

protected:
    void SetupWindow() override;
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;
    void ChildRemoved(platform::ui::Window* child) override;
    void EvSize(platform::ui::Size client) override;

private:
    void BuildStandard();
    void BuildKiosk();
    // The controls whose place follows the panel's width W.
    void Arrange(int W);
    void ArrangeStandard(int W);
    void ArrangeKiosk(int W);
    // The read-out's x that leaves the bottom legend room; picks its font.
    int PlaceBottomLegend(int leftEnd, int readoutX, int readoutWidth);
    textButton* AddText(int id, const char* caption, int x, int y, int width, int height, bool hidden = false);
    myButton* AddBitmap(int id, int bitmap, int mode, int x, int y, int size);
    platform::ui::CheckBox* AddCheck(int id, const char* caption, int x, int y, int width, int height);

    void Flush();
    void CloseText();
    void SendFrame(int id);
    void SendMap(int id);
    void Zoom(bool in);
    // The legend's column of that cut-off follows the step.
    void StepRoller(Roller* roller, bool up, int (childLegend::*redrawKey)());
    void FollowPaused();  // the kiosk's Pause or Resume, whichever fits
    void DrawReadoutBox(platform::gfx::DrawContext& dc);
    void DrawCounters(platform::gfx::DrawContext& dc);
    void DrawYearLabels(platform::gfx::DrawContext& dc);
    void DrawBottomLegend(platform::gfx::DrawContext& dc);
    std::vector<textButton*> KioskTextButtons() const;
    std::vector<myButton*> BitmapButtons() const;

    Kind kind_;
    int background_ = 7;
    bool paused_ = false;
    int scrub_ = 0;
    int lastPosition_ = 0;
    bool alertPending_ = false;
    bool zoomButtonsShown_ = false;
    int leftGroupEnd_ = 0;     // kiosk: x after the left group of buttons
    int rightGroupStart_ = 0;  // kiosk: x of the right group's leftmost button
    std::shared_ptr<const platform::gfx::Font> bottomLegendFont_;  // null: the system font
    bool bottomLegendTexts_ = true;  // false: no room for the legend's two texts

    platform::ui::Rect readoutRect_{}, speedBox_{}, sliderRect_{}, track_{}, quakeCounter_{}, eruptionCounter_{};
    platform::ui::Point quakeIcon_{}, eruptionIcon_{};
    std::string readoutText_;

    // Each may be absent: the layout did not make it.
    myButton* play_ = nullptr;
    myButton* backArrow_ = nullptr;
    myOnOffButton* rewind_ = nullptr;
    myOnOffButton* fastForward_ = nullptr;
    myButton* repeatArrow_ = nullptr;
    myButton* stepBack_ = nullptr;
    myButton* pauseBars_ = nullptr;
    myButton* stepForward_ = nullptr;
    myButton* slower_ = nullptr;
    myButton* faster_ = nullptr;
    Roller* quakeRoller_ = nullptr;
    Roller* eruptionRoller_ = nullptr;
    mySlider* slider_ = nullptr;
    platform::ui::CheckBox* quakesBox_ = nullptr;
    platform::ui::CheckBox* eruptionsBox_ = nullptr;
    platform::ui::CheckBox* infoBox_ = nullptr;
    platform::ui::CheckBox* soundBox_ = nullptr;
    textButton* setDate_ = nullptr;
    textButton* plates_ = nullptr;
    textButton* zoomToQuake_ = nullptr;
    textButton* stopAnimation_ = nullptr;
    textButton* zoomIn_ = nullptr;
    textButton* zoomOut_ = nullptr;
    textButton* back_ = nullptr;
    textButton* exit_ = nullptr;
    textButton* worldMenu_ = nullptr;
    textButton* startOver_ = nullptr;
    textButton* repeat_ = nullptr;
    textButton* pause_ = nullptr;
    textButton* resume_ = nullptr;

    // what tests read
    TimeValue readout_;
    int sliderResets_ = 0;
    int quakes_ = -1, eruptions_ = -1;
};

// A check box row: the screen font's height, or what the toolkit's check box needs.
int CheckRowHeight(int screenFontHeight);
// The date read-out's box: chars average characters of the large font, or
// the longest date it shows where that is wider.
int ReadoutBoxWidth(int chars);

// The height the panel reports: 82 for the standard panel; the kiosk panel's
// button height plus 14, and 38 more with the slider.
int ControlPanelHeight(childControl::Kind kind, int screenFontHeight, double buttonHeight, bool showSlider);
