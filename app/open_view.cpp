// Opening a view: the frame's OpenView and the commands that only it needs.
#include <cstdio>

#include "app/event_labels.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/help_windows.h"
#include "app/layout.h"
#include "app/menus.h"
#include "app/sound.h"
#include "app/speed.h"
#include "app/view_open.h"
#include "app/select_window.h"
#include "app/view_list.h"
#include "app/view_names.h"
#include "app/welcome.h"
#include "core/config.h"
#include "core/eruption.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/eruption_symbols.h"
#include "map/section3d.h"
#include "map/window_helpers.h"
#include "platform/sys/files.h"

namespace ui = platform::ui;

void myFrame::EraseTransientMarkers() {
    if (!layout_) return;
    // Bounded: a pane that keeps reporting a marker cannot hang its caller.
    for (int i = 0; i < 10000 && layout_->map().EraseMarkers(); ++i) {
    }
}

void myFrame::CheckItem(int id, bool on) {
    for (auto& p : popups_) {
        if (p && p->Check(id, on)) return;
    }
}

void myFrame::EnableItem(int id, bool on) {
    for (auto& p : popups_) {
        if (p && p->Enable(id, on)) return;
    }
}

void myFrame::OpenView(const char* name) {
    DebugLog("OpenView %s", name ? name : "(current)");
    const bool named = name && *name;
    // Checked before anything is reset, so a view that cannot be opened
    // leaves the running one, its settings and its clock as they were.
    if (named) {
        std::FILE* probe = platform::OpenFile(name, "r");
        if (!probe) {
            ErrorBox(this, kMsgCannotOpenView, name);
            gCanClose = true;
            return;
        }
        std::fclose(probe);
    }
    // The strips edit the settings of the view being replaced.
    HideAdjusters();

    gCanClose = false;
    initTimeoutCountdown_ = static_cast<std::int32_t>(gInitTimeout);
    CloseMidiFile();
    pauseAtEndCountdown_ = 0;

    gEndOfPeriodDone = false;
    EraseTransientMarkers();
    Clear3DPoints();
    CloseQuakeCatalogue();
    CloseEruptionCatalogue();
    // The old run's eruptions would keep the same volcano from being drawn
    // again; the map is rendered afresh below, so nothing needs erasing.
    ClearDisplayedEruptions();
    std::remove(platform::ResolvePath("CITY.$$$").c_str());
    StopAnimationTimer();

    int read = 0;
    if (named) {
        read = ReadViewFile(name);
        gOpenedViewName = name;
        if (StartsWithIgnoringCase(name, "WORLD")) gWorldViewName = name;
        gNewView = false;
    } else if (name) {
        read = ReadViewFile();
        gNewView = true;
    }
    if (read == 2) {
        // The file went away after the check above: the settings are the defaults now.
        ErrorBox(this, kMsgCannotOpenView, name);
        gCanClose = true;
        return;
    }

    // After the read, so the view's own LOCAL TIME counts.
    const TimeZone zone = SystemTimeZone(gUseLocalTime != 0, gLocalTimeHours);
    gTimeZoneOffset = zone.offset;
    gTimeZoneName = zone.name;

    const ViewPeriod period = ComputeViewPeriod(gPeriodStart, gViewEnd, gDaysToLoop, gMinutesToLoop, CurrentUtcTime());
    gPeriodStart = period.start;
    gViewEnd = period.viewEnd;
    gPeriodEndReachedAt = 0.0;
    gPeriodEnd = period.end;
    gAnimationTime = gPeriodStart;

    const DotScale dots = ComputeDotScale(gMinMagnitude, gMaxMagnitude, gMinDotSize, gMaxDotSize, gScreenHeight);
    gDotSlope = dots.slope;
    gDotIntercept = dots.intercept;

    StartEventLabels(layout_ ? layout_->mapPane() : nullptr);

    SetCaption(ViewCaption(gCurrentDirectory, SlashedName(gMapName)));

    // A reopening shows the settings in memory: what was changed stays changed.
    if (name) viewChanged_ = false;
    viewOpen_ = true;
    gEffectiveSpeed = gSpeed;
    gEnergyBins = std::make_unique<EnergyBins>();

    if (popups_[kPopupFile]) popups_[kPopupFile]->Enable(kCmSaveView, true);
    CheckItem(kCmQuakeAudio, gQuakeSoundOn);
    CheckItem(kCmEruptionAudio, gEruptionSoundOn);
    CheckItem(kCmVolcanoNames, gShowVolcanoNames);
    CmEarthquakeSymbols(kCmSymbolsFirst + gSymbolStyle);
    // Clamped: a speed above the fastest entry opens at the fastest.
    const TimeValue own = gSpeed;
    CmSpeed(kCmSpeedFirst + ClampedSpeedIndex());
    const TimeValue run = gSpeed;
    gSpeed = own;
    RunAtSpeed(run);
    CheckItem(kCmEruptionsOn, gShowEruptions);
    CheckItem(kCmEarthquakesOn, gShowEarthquakes);
    CheckItem(kCmPlates, gShowPlates);

    if (welcome_) {
        welcome_->Destroy();
        welcome_ = nullptr;
    }
    if (buttonMenu_) buttonMenu_->Show(ui::ShowCommand::Hide);
    if (const ViewListEntry* first = ViewListEntryAt(gViewList, gViewList.LowerBound()))
        gWorldMenuLabel = first->title + " Menu";

    if (!layout_) {
        layout_ = new myLayoutWindow(this);
        SetClient(layout_);
    } else if (client() != layout_) {
        SetClient(layout_);
    }

    childControl* panel = layout_->control();
    TimeValue day;
    day.SetDaysMinutes(1, 0);
    if (panel) panel->DrawDateReadout(gPeriodStart, day);
    quakesShown_ = 0;
    eruptionsShown_ = 0;
    if (layout_->legend()) layout_->legend()->DrawEventCounters(0, 0);
    if (panel && gControls[kControlBottomLegend]) panel->DrawEventCounters(0, 0);

    MapPane& map = layout_->map();
    map.FlushUpdateRect();
    map.CloseTextWindow();
    map.SetHighlightShown(true);
    map.RenderView();
    if (layout_->title()) layout_->title()->Invalidate();

    gRedrawMap = false;
    if (!gControls[kControlAutoStartView]) gPaused = true;

    if (panel) panel->ResetTimeSlider();

    if (!gAlertEvent && panel) panel->ShowZoomButtons(false);
    map.EraseMarker();
    if (gAlertEvent) {
        map.HighlightEvent(gAlertEvent, true, true);
        bool listed = false;
        for (const ViewListEntry& e : gViewList) listed = listed || EqualsIgnoringCase(e.viewName, gMapName);
        if (panel && !listed) panel->ShowZoomButtons(true);
    }

    if (gControls[kControlInitialInfo] && !gViewInformation.empty() && !FindDataFile(gViewInformation).empty())
        ShowInitialInfo();

    StartAnimationTimer();
    if (panel) panel->Invalidate();
}

void myFrame::ShowInitialInfo() {
    if (infoWindow_) infoWindow_->Destroy();
    infoWindow_ = new myInfo(this, gViewInformation);
    // The clock holds while the pane is busy; Start lets the view play.
    if (layout_) layout_->map().SetBusy(true);
    infoWindow_->SetStartHandler([this] {
        if (layout_) layout_->map().SetBusy(false);
    });
    infoWindow_->Create();
    inactivityCountdown_ = CountdownSeconds(gTimeout);
}

void myFrame::CmNewView() {
    if (!CanClose()) return;
    OpenView("");
    gNewView = true;
    if (popups_[kPopupFile]) popups_[kPopupFile]->Enable(kCmSaveView, false);
}

void myFrame::CmSpeed(int id) {
    if (id < kCmSpeedFirst || id > kCmSpeedLast) return;
    if (ui::Menu* control = popup(kPopupControl)) {
        for (int i = kCmSpeedFirst; i <= kCmSpeedLast; ++i) control->Check(i, false);
        control->Check(id, true);
    }
    gSpeed = gSpeedTable[static_cast<std::size_t>(id - kCmSpeedFirst)];
    if (layout_ && layout_->control()) layout_->control()->Invalidate();
}

void myFrame::CmEarthquakeSymbols(int id) {
    EraseTransientMarkers();
    if (id >= kCmSymbolsFirst && id <= kCmSymbolsLast) {
        const int style = id - kCmSymbolsFirst;
        if (style != gSymbolStyle) viewChanged_ = true;
        gSymbolStyle = style;
        if (ui::Menu* quakes = popup(kPopupEarthquakes)) {
            for (int i = kCmSymbolsFirst; i <= kCmSymbolsLast; ++i) quakes->Check(i, false);
            quakes->Check(id, true);
        }
    }
    if (layout_ && layout_->legend()) layout_->legend()->Invalidate();
}
