#include "app/startup.h"
#include "map/overlay.h"
#include "net/frame_commands.h"

int main(int argc, char** argv) {
    InstallNetworkCommands();
    InstallOverlayRenderer();
    return OwlMain(argc, argv);
}
