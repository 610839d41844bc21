#pragma once
// What opening a view asks of the map pane. The layout makes the pane through
// a factory, so tests can put a recording pane in its place; the default is
// the real map pane, whose markers and highlights fill their hooks later.
#include <functional>

#include "platform/ui/window.h"

struct QuakeRecord;

struct MapPane {
    platform::ui::Window* window = nullptr;  // a child of the layout, which owns it
    // Each hook may be empty: the pane has nothing to do for it.
    std::function<bool()> eraseTransientMarker;  // true when one was erased (call until false)
    std::function<void()> flushUpdateRect;
    std::function<void()> closeTextWindow;
    std::function<void()> resetHighlight;
    std::function<void()> renderView;  // the whole map into the pane's image
    std::function<void()> eraseMarker;
    std::function<void(QuakeRecord*)> highlightEvent;
    std::function<void(bool)> setBusy;  // the clock holds while busy
    std::function<void(const QuakeRecord&)> buildAlertView;  // the record's alert view becomes the current view
};

using MapPaneFactory = std::function<MapPane(platform::ui::Window* parent)>;
// nullptr restores the default, the real map pane.
void SetMapPaneFactory(MapPaneFactory factory);
MapPane MakeMapPane(platform::ui::Window* parent);
