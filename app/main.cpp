#include "app/commands.h"
#include "app/event_step.h"
#include "app/sphere_output.h"
#include "app/startup.h"
#include "map/overlay.h"
#include "map/section3d.h"
#include "net/frame_commands.h"

int main(int argc, char** argv) {
    InstallCommandSeamLog();
    InstallEventStepping();
    InstallNetworkCommands();
    InstallOverlayRenderer();
    InstallSectionAnd3DViews();
    InstallSphereOutput();
    return OwlMain(argc, argv);
}
