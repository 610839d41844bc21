#include "app/commands.h"
#include "app/event_step.h"
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
    return OwlMain(argc, argv);
}
