#pragma once
// One tick of the animation clock (timer 1 of the main frame). Run keeps the
// order of the steps; each step is one member, and the values the steps hand
// on to each other live here for the length of the tick.
#include <cstdint>

#include "core/timevalue.h"

class myFrame;
class childMap;
class childControl;
struct EruptionEvent;
namespace platform {
class TimeSource;
}

class ClockTick {
public:
    explicit ClockTick(myFrame& frame);
    void Run();

private:
    // ---- before the clock moves; the bool steps say the tick ends there
    void FindPanes();            // the map pane and the control panel of the layout
    void WriteSphereLegendImage();
    bool Scrub();                // while a scrub button is held; the timer keeps running
    void StopForTheTick();       // ticks never overlap: the timer starts again at the end
    bool SliderMoved();
    void HighlightPendingAlert();
    bool Hold();                 // paused, inactive or the map busy
    bool ResumeAfterPause();     // false when the panel's Play took the view away
    void StartBudget();
    void StartPairOfTicks();     // the eruption tone sounds once per pair of ticks

    // ---- the end of the period, every tick once the clock has reached it
    void EndOfPeriod();
    void ClearTheMapAtEnd();
    void RestartTimerAtEnd();
    void RunEndActionsOnce();
    void ShowNowWhenCut();
    void ArmPauseAtEnd();

    // ---- a tick that moves the clock
    void ShowReadout();
    void ChooseStep();
    void OpenQuakesAtClock();
    void OpenEruptionsAtClock();
    void ShowEruptionsUnderWay();
    void EraseLastTicksMarkers();
    void AgeEruptions();
    void MergeEvents();
    bool TakeQuake();            // false: leave the merge
    bool TakeEruption();         // false: leave the merge
    bool WithinBudget();         // false: leave the merge
    void EraseEruptionsSwitchedOff();
    void RestoreOverlappedEruptions();
    void StepEventLabels();
    void RedrawPlates();
    void MoveClock();
    void RedrawMarkerIcon();
    void SoundTheTick();
    void SaveSphereOutput();
    void Finish();

    // On the map, in view and not below ERUPTION MAGNITUDE CUTOFF.
    bool Place(EruptionEvent& e);

    myFrame& frame_;
    const platform::TimeSource& clock_;
    childMap* map_ = nullptr;
    childControl* panel_ = nullptr;
    bool sphere_ = false;
    bool daysDisplay_ = false;
    std::uint32_t deadline_ = 0;
    // Taken at the start of the tick; a catalogue that cannot be opened, or
    // one read to the end of the period, switches its kind off for the rest.
    bool quakesOn_ = false;
    bool eruptionsOn_ = false;
    bool fast_ = false;
    TimeValue windowEnd_;
    double tickMax_ = 0.0;  // the largest magnitude drawn
    bool budgetHit_ = false;
};
