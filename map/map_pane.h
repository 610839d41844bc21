#pragma once
// What the application asks of the map pane. childMap is the pane; tests put
// a recording or quiet pane in its place through the layout's maker.
#include "platform/ui/window.h"

struct QuakeRecord;

class MapPane {
public:
    virtual ~MapPane() = default;
    // The pane's window, a child of the layout, which owns it.
    virtual platform::ui::Window& window() = 0;
    // One step of the transient markers; false when none were left.
    virtual bool EraseMarkers() = 0;
    virtual void FlushUpdateRect() = 0;
    virtual void CloseTextWindow() = 0;
    virtual void SetHighlightShown(bool on) = 0;
    virtual void RenderView() = 0;  // the whole map into the pane's image
    virtual void EraseMarker() = 0;
    virtual void HighlightEvent(const QuakeRecord* q, bool withDot, bool withRings) = 0;
    // The clock holds while busy; clearing it leaves a mode the user chose alone.
    virtual void SetBusy(bool busy) = 0;
    // The record's alert view becomes the current view.
    virtual void BuildAlertView(const QuakeRecord& record) = 0;
};
