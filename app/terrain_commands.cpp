// The map menu's terrain colours.
#include "app/frame.h"
#include "app/globals.h"
#include "core/view.h"
#include "map/hue_editor.h"

void myFrame::CmHueFile() {
    gPaused = true;  // left set: the editor is modeless
    auto* editor = new EditHue(this, gTopoHueFile);
    editor->Create();
}
