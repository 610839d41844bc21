#include "app/startup.h"
#include "net/frame_commands.h"

int main(int argc, char** argv) {
    InstallNetworkCommands();
    return OwlMain(argc, argv);
}
