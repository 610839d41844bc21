#include "app/sphere_output.h"

#include "app/clock.h"
#include "map/child_map.h"
#include "map/image_files.h"

void InstallSphereOutput() {
    gClockHooks.writeSphereLegend = &WriteSphereLegend;
    gClockHooks.saveSphereFrame = [](childMap& pane) { pane.SaveSphereFrame(); };
}
