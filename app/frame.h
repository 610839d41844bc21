#pragma once
// The main frame: menus, the two timers, the client screens, and the close
// guard that lets Exit and the destructor close it once.
#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "app/commands.h"
#include "app/housekeeping.h"
#include "platform/ui/common_dialogs.h"
#include "platform/ui/frame.h"
#include "platform/ui/menu.h"

class welcomeWindow;
class myLayoutWindow;
class startWindow;
class selectWindow;
class myInfo;
class XSDialog;
class interDialog;
struct StringListNode;
enum class FileEditing;

inline constexpr int kAnimationTimer = 1;
inline constexpr int kHousekeepingTimer = 5;

class myFrame;
inline constexpr int kHousekeepingMs = 1000;
// The message the frame gets when SIGTERM or SIGINT came.
inline constexpr const char* kTerminationMessage = "KestruneTerminationSignal";

class myFrame : public platform::ui::Frame {
public:
    // The client becomes the frame's first client and its welcome window.
    myFrame(platform::ui::Window* parent, std::string caption, welcomeWindow* client);
    ~myFrame() override;

    KESTRUNE_RESPONSE_TABLE(myFrame);

    // Timer 1 with the frame's interval; the running flag says whether it started.
    void StartAnimationTimer();
    void StopAnimationTimer();
    bool animationTimerRunning() const { return timer1Running_; }

    // Every way of showing a view ends here: no name (nullptr) reopens the
    // current view with its settings, an empty name opens a new view with the
    // defaults, any other name reads that view file. A file that cannot be
    // opened leaves the running view as it was.
    void OpenView(const char* name);
    // A button drawn pressed: with INACTIVE POPUP the inactivity countdown starts again.
    void ResetIdleCountdown();
    // The hover highlight off the buttons of the panel, the legend and the map pane.
    void UnhighlightPaneButtons();
    std::uint32_t inactivityCountdown() const { return inactivityCountdown_; }

    // ---- the clock's commands and state (app/clock.cpp)
    void CmPlay();          // 1034
    void CmPause();         // 1035
    void CmRestartClock();  // 1036
    void CmRepeat();        // 150: reopens the view with its settings in memory
    void CmRedraw();        // 149: renders the map afresh
    void CmCurrentEvent();  // 1017 (Ctrl+B): the map pane shows the current event again (app/event_step.cpp)
    void CloseInfoWindows();
    void ShowEventCounters();
    std::uint32_t pauseAtEndCountdown() const { return pauseAtEndCountdown_; }
    void SetPauseAtEndCountdown(std::uint32_t s) { pauseAtEndCountdown_ = s; }
    void SetInactivityCountdown(std::uint32_t s) { inactivityCountdown_ = s; }
    bool inactive() const { return inactive_; }
    void SetInactive(bool on) { inactive_ = on; }
    int quakesShown() const { return quakesShown_; }
    int eruptionsShown() const { return eruptionsShown_; }
    double lastStep() const { return lastStep_; }
    HousekeepingState& housekeeping() { return housekeeping_; }

    // ---- the view commands (app/view_commands.cpp)
    void CmOpenView();      // 24500: a view chosen in the file dialog
    void CmCloseView();     // 24339: saved when changed, then the start screen
    void CmSaveView();      // 24333, 1011
    void CmSaveViewAs();    // 24334
    void CmOpenViewList();  // 24332: a list of views chosen, and its folder's settings
    void CmEditViewList();  // 24335: a list of views opened in the text editor
    void CmStepViewList(int id);  // 1101 next, 1102 previous view of the group
    void CmTemplateView(int id);  // 1001..1009
    void CmOpenListView();        // 1045: the group's current view
    // Exit and the close box: a changed view is offered for saving first.
    bool CanClose() override;
    // Save View without the command: false when the user cancelled its Save As
    // or the file could not be written, and the view stays changed.
    bool SaveCurrentView();
    // Before another view or the button menu replaces a changed view: the
    // question Exit asks. False when the user keeps the view (Cancel).
    bool MayLetTheViewGo();
    // The file-dialog data all the file commands share.
    platform::ui::FileDialogData& fileDialogData() { return fileDialog_; }

    // ---- commands
    void CmExit();
    // 180..187: pauses, sets the popup's check marks and shows it under its bar item.
    void CmMenuBar(int id);
    // The recent-view list's message: opens the entry with that index.
    platform::ui::Result CmOpenRecentView(platform::ui::WParam index, platform::ui::LParam);

    // ---- enablers
    void CeViewOpen(platform::ui::CommandEnabler& ce);       // a view is open
    void CeInteractive3D(platform::ui::CommandEnabler& ce);  // the 3-D view is shown
    void CePopulation(platform::ui::CommandEnabler& ce);     // a POPULATION FILE is set
    void CeNoCatalogueUpdate(platform::ui::CommandEnabler& ce);  // no update holds the catalogue
    // The start screen, or without START SCREEN the button menu.
    void CmStartScreen();
    startWindow* startScreen() const { return start_; }
    // The welcome screen, or the start screen while its own time-out runs,
    // leads on by itself: the frame's INIT TIMEOUT countdown holds meanwhile.
    bool ScreenLeadsTheInitTimeout() const;

    // ---- quick settings, help and the map pane's mouse modes (app/screen_commands.cpp)
    void CmPauseTime();     // 370: SECONDS TO PAUSE AT END
    void CmLineFiles();     // 144
    void CmTextFiles();     // 145
    void CmSymbolFiles();   // 146
    void CmHelpContents();  // 2010: the manual's contents; the animation stays held
    void CmAbout();         // 2009
    // The map pane's mouse modes: the next click on the map acts.
    void CmMakeYourOwnMap();  // 130, 1013
    void CmAddCity();         // 366, 1012
    void CmCoordinates();     // 136
    void CmNewInfoSpot();     // 401
    void CmDeleteInfoSpot();  // 402
    void CmEditInfoSpot();    // 403
    void CmInfoSpotTitle();   // 407
    // The cut-off prompts; each value changes only on OK.
    void CmEruptionMagnitudeCutoff();  // 169
    void CmEarthquakeBeepsCutoff();    // 167
    void CmEruptionBeepsCutoff();      // 165
    // The view's information window (INITIAL INFO), holding the clock until Start.
    void ShowInitialInfo();
    myInfo* infoWindow() const { return infoWindow_; }

    // ---- the list of views and the button menu (app/select_commands.cpp)
    // Reads the list into gViewList; false (after an error box) when it cannot be opened.
    bool ReadViewList(const std::string& name);
    void CmSelectMenu();        // 1061: the top of the button menu, the list read again
    void CmShowSelectGroup();   // 1060: the menu of the current view group
    void CmOpenSelectedView();  // 1062: the view the button menu chose
    // RUN SCRIPT at the end of a pause: the next view of the list; false when
    // the list has none, and the caller starts the same view again.
    bool OpenNextScriptView();
    std::int32_t currentViewGroup() const { return currentViewGroup_; }
    void SetCurrentViewGroup(std::int32_t g) { currentViewGroup_ = g; }
    const std::string& selectedViewName() const { return selectedViewName_; }
    void SetSelectedViewName(std::string name) { selectedViewName_ = std::move(name); }
    void SetInitTimeoutCountdown(std::int32_t s) { initTimeoutCountdown_ = s; }
    selectWindow* buttonMenu() const { return buttonMenu_; }
    selectWindow* retiredButtonMenu() const { return retiredButtonMenu_; }
    // File > New View: a new view with the defaults, not yet saved.
    void CmNewView();
    // Speed 300..324: gSpeed = that table entry, checked in the Control popup.
    void CmSpeed(int id);
    // Symbol style 123..127, checked in the Earthquakes popup.
    void CmEarthquakeSymbols(int id);
    // ---- animation, sound and display switches (app/display_commands.cpp)
    void CmRunMode(int id);  // 103, 104
    void CmLocalTime();
    void CmGlobalAudio();
    void CmRunFromScript();
    void CmEarthquakesOn();
    void CmEruptionsOn();
    void CmEarthquakeAudio();
    void CmEruptionAudio();
    void CmVolcanoNames();
    void CmEarthquakeMagnitudeCutoff();
    void CmMagnitudeDepthScale();
    void CmPlates();
    void CmPlatesAtEnd();
    void CmHueFile();     // 147: the hue editor on the view's hue file
    void CmLatLonLines();
    void CmAxesLabels();
    void CmMapView();
    void Cm3DView();
    void CmCrossSectionView();
    void CmSetUpCrossSection();
    // ---- map, annotation and file settings (app/map_commands.cpp)
    void CmFont(int id);   // the seven font items
    void CmColor(int id);  // the nine colour items
    void CmLatitudeLongitude();
    void CmTemplate();
    void CmScale();
    void CmTitle();
    void CmLogo();
    void CmText();
    void CmHighways();
    void CmPopulation();
    void CmShowInfoSpots();
    void CmElevationModels();
    void CmEarthquakeFile();
    void CmEruptionFile();
    void CmSaveScreenImage();
    void CmMapFiles();         // 142: the view's segment files, listed but not opened
    void CmInformationFile();  // 404: the view's information file, opened in the text editor
    void CmSetDates();  // 132: the period, the current time and the loop spans
    // ---- the live 3-D and cross-section adjusters (app/adjuster_commands.cpp)
    void CmInteractive3D();       // 405
    void CmCrossSectionPicked();  // 1048: the map pane picked a section centre
    interDialog* interactiveDialog() const { return interactiveDialog_; }
    XSDialog* crossSectionDialog() const { return crossSectionDialog_; }
    void CmDigitize();      // Ctrl+D: the map pane's digitising
    // 102: the catalogue editor, the animation held while it is open (app/catalogue_editor.cpp)
    void CmEditEarthquakeFile();
    // Command 40051: the catalogue update from the event service.
    void CmUpdateHypocenters();
    // Command 154: the daily update from the update server.
    void CmScheduledUpdate();
    // SIGTERM or SIGINT came: handled as Exit, so the settings are written.
    platform::ui::Result EvTerminationSignal(platform::ui::WParam, platform::ui::LParam);
    // 0 when every catalogue was brought up to date, 1 when a problem was reported.
    int UpdateFromWebService(bool interactive);

    // The loaded popup of bar position k (0..7); nullptr when not loaded.
    platform::ui::Menu* popup(int k) const;
    const std::string& currentViewName() const { return currentViewName_; }
    const std::string& viewListFile() const { return viewListFile_; }
    int initTimeoutCountdown() const { return initTimeoutCountdown_; }
    bool closeGuard() const { return closeGuard_; }
    myLayoutWindow* layout() const { return layout_; }
    bool viewOpen() const { return viewOpen_; }
    bool viewChanged() const { return viewChanged_; }
    bool newView() const { return gNewView; }
    welcomeWindow* welcome() const { return welcome_; }
    std::FILE* dailyCountsFile() const { return dailyCountsFile_; }

protected:
    void SetupWindow() override;
    void EvTimer(int id) override;
    void EvActivate(bool active) override;
    void ChildRemoved(platform::ui::Window* child) override;

private:
    void LoadPopups();
    // The check marks of popup k from the settings, before it is shown.
    void SetPopupChecks(int k);
    friend class ClockTick;
    void AnimationTick();     // app/clock_tick.cpp
    void WriteDailyCounts();
    // The map pane's transient markers, stepped until none are left.
    void EraseTransientMarkers();
    void HousekeepingTick();  // app/housekeeping.cpp
    // Retires the shown menu and makes a new one of the group the client.
    void ShowButtonMenu(std::int32_t group);
    // Before a menu: the clock stopped, the catalogues closed, the layout hidden.
    void HideViewForMenu();
    // A kiosk screen is up: the caption and flags of no view; the first window goes.
    void NoViewShown();
    void LogVersion();
    bool CloseOnce();  // false when the close was refused
    // A display setting of the open view changed (nothing without one).
    void MarkViewChanged();
    // A view's overlay file list in the list dialog; changed, the view is.
    void EditViewFileList(const char* title, StringListNode** list, FileEditing editing);
    // The mouse-mode commands' common step; false with no map pane.
    bool SetMapMouseMode(int mode);
    void AskForInfoSpotClick(const char* text, int mode);
    void PromptCutoff(double* value, const char* caption);
    void ToggleViewSwitch(bool& flag, int id);
    void WriteViewSetting();
    void ChangeViewKind(int id);
    void RepaintMagnitudeKey();
    // False when the dialog could not be shown.
    bool ShowCrossSectionDialog();
    void HideAdjusters();
    // A configuration text prompted for; written and shown whatever the answer.
    void EditConfigText(std::string& text, const char* caption, const char* prompt);
    void ChooseCatalogue(bool quakes);
    // Checks or enables an item in whichever loaded popup holds it.
    void CheckItem(int id, bool on);
    void EnableItem(int id, bool on);

    // Save View As: false when cancelled or not written.
    bool SaveViewAs();
    // Pauses (left held: the view opened next decides), closes the information
    // windows, silences the music, erases the markers and writes the configuration.
    void QuietView();

    platform::ui::FileDialogData fileDialog_;
    double lastStep_ = 0.0;
    std::uint32_t interval_ = 50;  // ms of timer 1
    bool timer1Running_ = false;
    bool closeGuard_ = true;
    bool terminating_ = false;  // the close comes from SIGTERM or SIGINT: nobody to ask
    bool wasPaused_ = false;
    bool inactive_ = false;
    myInfo* infoWindow_ = nullptr;
    std::uint32_t pauseAtEndCountdown_ = 0;  // s
    std::uint32_t inactivityCountdown_ = 0;  // s
    std::int32_t quakesShown_ = 0;
    std::int32_t eruptionsShown_ = 0;
    myLayoutWindow* layout_ = nullptr;
    welcomeWindow* welcome_ = nullptr;
    startWindow* start_ = nullptr;
    selectWindow* buttonMenu_ = nullptr;
    selectWindow* retiredButtonMenu_ = nullptr;
    std::int32_t initTimeoutCountdown_ = 0;  // s
    std::string currentViewName_;
    std::string viewListFile_;
    std::int32_t currentViewGroup_ = 0;  // index in gViewList of the group the menu shows next
    std::string selectedViewName_;
    std::FILE* dailyCountsFile_ = nullptr;
    XSDialog* crossSectionDialog_ = nullptr;
    interDialog* interactiveDialog_ = nullptr;
    bool viewChanged_ = false;
    bool viewOpen_ = false;
    bool gNewView = false;
    std::array<std::unique_ptr<platform::ui::Menu>, 8> popups_;
    bool toneTick_ = false;  // toggled every tick: the eruption tone's pair of ticks
    HousekeepingState housekeeping_;
};
