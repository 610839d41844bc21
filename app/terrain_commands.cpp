// The map menu's terrain colours and population overlay.
#include "app/frame.h"
#include "app/globals.h"
#include "core/config.h"
#include "core/view.h"
#include "map/hue_editor.h"

void myFrame::CmHueFile() {
    gPaused = true;  // left set: the editor is modeless
    auto* editor = new EditHue(this, gTopoHueFile);
    editor->Create();
}

void myFrame::CmPopulation() {
    gControls[kControlPopulation] = gControls[kControlPopulation] ? 0 : 1;
    // The overlay is drawn only on a rendering that starts afresh; without
    // this the first one would find no cached overlay and draw none.
    if (gControls[kControlPopulation]) gRedrawMap = true;
    CmRepeat();
}
