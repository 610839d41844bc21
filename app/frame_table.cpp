// The main frame's command table, its enablers and the menu bar's popups.
#include <cstdio>
#include <set>
#include <string>

#include "app/application.h"
#include "app/dialog_conventions.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/menus.h"
#include "app/sound.h"
#include "app/speed.h"
#include "app/welcome.h"
#include "core/catalogue_rebuild.h"
#include "core/config.h"
#include "core/helpers.h"
#include "core/view.h"
#include "platform/ui/recent_files.h"

namespace ui = platform::ui;

const char* CommandName(int id) {
#define QUORVIEW_COMMAND_NAME(k, first, last, handler) \
    if (id >= (first) && id <= (last)) return #handler;
    QUORVIEW_FRAME_COMMANDS(QUORVIEW_COMMAND_NAME)
#undef QUORVIEW_COMMAND_NAME
    return "";
}

// Each entry names its handler, so logs and tests can tell them apart.
#define ON(id, fn) R::Named(#fn, R::Command(id, &myFrame::fn))
#define ON_RANGE(first, last, fn) R::Named(#fn, R::CommandRange(first, last, &myFrame::fn))
#define ON_ID(id, fn) ON_RANGE(id, id, fn)
#define VIEW_OPEN(id) R::Named("CeViewOpen", R::Enabler(id, &myFrame::CeViewOpen))

const ui::ResponseTable& myFrame::Table() {
    using R = ui::ResponseTableOf<myFrame, ui::Frame>;
    static const ui::ResponseTable table = R::Build({
        R::Named("CmOpenRecentView", R::Registered(ui::RecentFiles::kMessageName, &myFrame::CmOpenRecentView)),
        R::Named("EvTerminationSignal", R::Registered(kTerminationMessage, &myFrame::EvTerminationSignal)),

        // The bar.
        ON_RANGE(kCmMenuBarFirst, kCmMenuBarLast, CmMenuBar),
        // File (Exit, 24310, is the platform frame's own).
        ON(kCmOpenView, CmOpenView),
        ON(kCmNewView, CmNewView),
        ON(kCmCloseView, CmCloseView),
        ON(kCmSaveView, CmSaveView),
        ON(kCmSaveViewAs, CmSaveViewAs),
        ON(kCmOpenViewList, CmOpenViewList),
        ON(kCmEditViewList, CmEditViewList),
        // Control.
        ON(kCmSetDates, CmSetDates),
        ON_RANGE(kCmSpeedFirst, kCmSpeedLast, CmSpeed),
        ON(kCmGlobalAudio, CmGlobalAudio),
        ON_RANGE(kCmRunFree, kCmRunFreeAutoRestart, CmRunMode),
        ON(kCmRunFromScript, CmRunFromScript),
        ON(kCmPauseTime, CmPauseTime),
        ON(kCmMapView, CmMapView),
        ON(kCm3DView, Cm3DView),
        ON(kCmCrossSectionView, CmCrossSectionView),
        ON(kCmLocalTime, CmLocalTime),
        ON(kCmInteractive3D, CmInteractive3D),
        ON(kCmSetUpCrossSection, CmSetUpCrossSection),
        ON(kCmRepeat, CmRepeat),
        // Earthquakes.
        ON(kCmEarthquakesOn, CmEarthquakesOn),
        ON(kCmQuakeAudio, CmEarthquakeAudio),
        ON(kCmEarthquakeBeepsCutoff, CmEarthquakeBeepsCutoff),
        ON(kCmEarthquakeMagnitudeCutoff, CmEarthquakeMagnitudeCutoff),
        ON_RANGE(kCmSymbolsFirst, kCmSymbolsLast, CmEarthquakeSymbols),
        ON(kCmMagnitudeDepthScale, CmMagnitudeDepthScale),
        ON(kCmEarthquakeFile, CmEarthquakeFile),
        ON(kCmEditEarthquakeFile, CmEditEarthquakeFile),
        // Eruptions.
        ON(kCmEruptionsOn, CmEruptionsOn),
        ON(kCmEruptionAudio, CmEruptionAudio),
        ON(kCmEruptionBeepsCutoff, CmEruptionBeepsCutoff),
        ON(kCmEruptionMagnitudeCutoff, CmEruptionMagnitudeCutoff),
        ON(kCmVolcanoNames, CmVolcanoNames),
        ON(kCmEruptionFile, CmEruptionFile),
        // Map.
        ON(kCmLatitudeLongitude, CmLatitudeLongitude),
        ON(kCmTemplate, CmTemplate),
        ON(kCmTitle, CmTitle),
        ON(kCmLogo, CmLogo),
        ON(kCmText, CmText),
        ON_ID(kCmFontTitle, CmFont),
        ON_ID(kCmFontLogo, CmFont),
        ON_ID(kCmFontText, CmFont),
        ON_ID(kCmFontCity, CmFont),
        ON_ID(kCmFontState, CmFont),
        ON_ID(kCmFontCountry, CmFont),
        ON_ID(kCmFontOcean, CmFont),
        ON(kCmScale, CmScale),
        ON(kCmLatLonLines, CmLatLonLines),
        ON(kCmAxesLabels, CmAxesLabels),
        ON(kCmLineFiles, CmLineFiles),
        ON(kCmTextFiles, CmTextFiles),
        ON(kCmSymbolFiles, CmSymbolFiles),
        ON(kCmAddCity, CmAddCity),
        ON(kCmHighways, CmHighways),
        ON(kCmMapFiles, CmMapFiles),
        ON_RANGE(kCmColorCoast, kCmColorState, CmColor),
        ON_ID(kCmColorHighway, CmColor),
        ON_RANGE(kCmColorDiffuse, kCmColorTransform, CmColor),
        ON(kCmElevationModels, CmElevationModels),
        ON(kCmHueFile, CmHueFile),
        ON(kCmMakeYourOwnMap, CmMakeYourOwnMap),
        ON(kCmPlates, CmPlates),
        ON(kCmPlatesAtEnd, CmPlatesAtEnd),
        ON(kCmPopulation, CmPopulation),
        ON(kCmRedraw, CmRedraw),
        // Options.
        ON(kCmCoordinates, CmCoordinates),
        ON(kCmSaveScreenImage, CmSaveScreenImage),
        ON(kCmNewInfoSpot, CmNewInfoSpot),
        ON(kCmDeleteInfoSpot, CmDeleteInfoSpot),
        ON(kCmEditInfoSpot, CmEditInfoSpot),
        ON(kCmInfoSpotTitle, CmInfoSpotTitle),
        ON(kCmInformationFile, CmInformationFile),
        ON(kCmShowInfoSpots, CmShowInfoSpots),
        ON(kCmUpdateHypocenters, CmUpdateHypocenters),
        // Help and Exit.
        ON(kCmHelpContents, CmHelpContents),
        ON(kCmAbout, CmAbout),
        ON(kCmExit, CmExit),
        // Sent only by accelerators.
        ON_RANGE(kCmTemplateViewFirst, kCmTemplateViewLast, CmTemplateView),
        ON_RANGE(kCmNextListView, kCmPreviousListView, CmStepViewList),
        ON(kCmSaveViewKey, CmSaveView),
        ON(kCmAddCityKey, CmAddCity),
        ON(kCmMakeYourOwnMapKey, CmMakeYourOwnMap),
        ON(kCmRedrawKey, CmRedraw),
        ON(kCmDigitize, CmDigitize),
        ON(kCmCurrentEventKey, CmCurrentEvent),
        // Sent by other windows.
        ON(kCmPlay, CmPlay),
        ON(kCmPause, CmPause),
        ON(kCmRestartClock, CmRestartClock),
        ON(kCmOpenListView, CmOpenListView),
        ON(kCmCrossSectionPicked, CmCrossSectionPicked),
        ON(kCmStartScreen, CmStartScreen),
        ON(kCmShowSelectGroup, CmShowSelectGroup),
        ON(kCmSelectMenu, CmSelectMenu),
        ON(kCmOpenSelectedView, CmOpenSelectedView),
        ON(kCmScheduledUpdate, CmScheduledUpdate),

        // Enablers.
        VIEW_OPEN(kCmCloseView), VIEW_OPEN(kCmSaveView), VIEW_OPEN(kCmSaveViewAs),
        VIEW_OPEN(kCmQuakeAudio), VIEW_OPEN(kCmEarthquakeBeepsCutoff), VIEW_OPEN(kCmEarthquakeMagnitudeCutoff),
        VIEW_OPEN(kCmEruptionAudio), VIEW_OPEN(kCmEruptionBeepsCutoff), VIEW_OPEN(kCmEruptionMagnitudeCutoff),
        VIEW_OPEN(kCmEarthquakesOn), VIEW_OPEN(kCmEditEarthquakeFile), VIEW_OPEN(kCmEruptionsOn),
        VIEW_OPEN(kCmVolcanoNames), VIEW_OPEN(kCmSetDates), VIEW_OPEN(kCmRepeat), VIEW_OPEN(kCmPlates),
        VIEW_OPEN(kCmPlatesAtEnd), VIEW_OPEN(kCmTitle), VIEW_OPEN(kCmRedraw), VIEW_OPEN(kCmMapFiles),
        VIEW_OPEN(kCmLineFiles), VIEW_OPEN(kCmSymbolFiles), VIEW_OPEN(kCmTextFiles), VIEW_OPEN(kCmTemplate),
        VIEW_OPEN(kCmLatitudeLongitude), VIEW_OPEN(kCmMakeYourOwnMap), VIEW_OPEN(kCmAddCity),
        VIEW_OPEN(kCmDeleteCityItem), VIEW_OPEN(kCmCoordinates), VIEW_OPEN(kCmScale),
        VIEW_OPEN(kCmElevationModels), VIEW_OPEN(kCmMagnitudeDepthScale), VIEW_OPEN(kCmSaveScreenImage),
        R::Named("CeViewOpen", R::EnablerRange(kCmSymbolsFirst, kCmSymbolsLast, &myFrame::CeViewOpen)),
        VIEW_OPEN(kCmEarthquakeFile), VIEW_OPEN(kCmEruptionFile), VIEW_OPEN(kCmMapView), VIEW_OPEN(kCm3DView),
        VIEW_OPEN(kCmCrossSectionView), VIEW_OPEN(kCmSetUpCrossSection), VIEW_OPEN(kCmAxesLabels),
        VIEW_OPEN(kCmShowInfoSpots), VIEW_OPEN(kCmUpdateHypocenters),
        R::Named("CeInteractive3D", R::Enabler(kCmInteractive3D, &myFrame::CeInteractive3D)),
        R::Named("CePopulation", R::Enabler(kCmPopulation, &myFrame::CePopulation)),
        // An update writes in the current folder until it ends: none may change it meanwhile.
        R::Named("CeNoCatalogueUpdate", R::Enabler(kCmOpenViewList, &myFrame::CeNoCatalogueUpdate)),
        // The keys act on the open view as their menu items do: none of them
        // without one.
        VIEW_OPEN(kCmSaveViewKey), VIEW_OPEN(kCmAddCityKey), VIEW_OPEN(kCmMakeYourOwnMapKey),
        VIEW_OPEN(kCmRedrawKey), VIEW_OPEN(kCmCurrentEventKey),
    });
    return table;
}

#undef ON
#undef ON_RANGE
#undef ON_ID
#undef VIEW_OPEN

void myFrame::CeViewOpen(ui::CommandEnabler& ce) { ce.Enable(viewOpen_); }

void myFrame::CeInteractive3D(ui::CommandEnabler& ce) { ce.Enable(g3DView); }

void myFrame::CePopulation(ui::CommandEnabler& ce) { ce.Enable(!gPopulationFile.empty()); }

void myFrame::CeNoCatalogueUpdate(ui::CommandEnabler& ce) { ce.Enable(!CatalogueUpdateHold::Taken()); }

void myFrame::SetPopupChecks(int k) {
    ui::Menu* menu = popup(k);
    if (!menu) return;
    auto check = [menu](int id, bool on) { menu->Check(id, on); };
    switch (k) {
        case kPopupControl:
            check(kCmRunFree, false);
            check(kCmRunFreeAutoRestart, false);
            check(kCmRunFree + gMode, true);
            // Clamped: a speed past the table's end has no item of its own.
            CmSpeed(kCmSpeedFirst + ClampedSpeedIndex());
            check(kCmMapView, gMapView);
            check(kCm3DView, g3DView);
            check(kCmCrossSectionView, gCrossSectionView);
            check(kCmGlobalAudio, gAudio);
            check(kCmRunFromScript, gRunScript);
            break;
        case kPopupEarthquakes:
            check(kCmQuakeAudio, gQuakeSoundOn);
            check(kCmEarthquakesOn, gShowEarthquakes);
            for (int id = kCmSymbolsFirst; id <= kCmSymbolsLast; ++id) check(id, false);
            check(kCmSymbolsFirst + gSymbolStyle, true);
            break;
        case kPopupEruptions:
            check(kCmEruptionAudio, gEruptionSoundOn);
            check(kCmVolcanoNames, gShowVolcanoNames);
            check(kCmEruptionsOn, gShowEruptions);
            break;
        case kPopupMap:
            check(kCmAxesLabels, gShowLabels);
            check(kCmLatLonLines, gShowLatLonLines);
            check(kCmPlates, gShowPlates);
            check(kCmPlatesAtEnd, gPlatesAtEnd);
            check(kCmHighways, gShowHighways);
            check(kCmPopulation, gControls[kControlPopulation] != 0);
            break;
        case kPopupOptions:
            check(kCmShowInfoSpots, gControls[kControlShowInfoSpots] != 0);
            check(kCmFloatingLegendItem, gFloatingLegend);
            break;
        default: break;
    }
}

void myFrame::CmMenuBar(int id) {
    const int k = id - kCmMenuBarFirst;
    ui::Menu* menu = popup(k);
    if (!menu || !menu->subMenu(0)) return;
    const ui::Rect client = clientRect();
    int chosen = 0;
    {
        PauseForDialog pause;  // while the popup is open, not while its command runs
        AllNotesOff();
        CloseMidiFile();
        if (welcome_ && !welcome_->destroying()) welcome_->SendCommand(kCmCancelTimeout);
        SetPopupChecks(k);
        if (k == kPopupFile && recentFiles()) recentFiles()->UpdateMenu(*menu);
        chosen = TrackPopupMenu(*menu->subMenu(0), {k * (client.width() / 30), client.height() / 30});
    }
    if (chosen) RouteCommand(chosen);
}
