// Timer 1 of the main frame: the animation clock, and the commands that start and hold it.
#include "app/frame.h"

void myFrame::AnimationTick() {}
void myFrame::CmPlay() { StartAnimationTimer(); }
void myFrame::CmPause() {}
void myFrame::CmRestartClock() { StartAnimationTimer(); }
void myFrame::CmRepeat() { OpenView(nullptr); }
void myFrame::CmRedraw() { OpenView(nullptr); }
void myFrame::CloseInfoWindows() {}
void myFrame::ShowEventCounters() {}
