#include "app/commands.h"
#include "app/sphere_output.h"
#include "app/startup.h"
#include "net/network_wiring.h"

int main(int argc, char** argv) {
    InstallCommandSeamLog();
    InstallNetworkWiring();
    InstallSphereOutput();
    return OwlMain(argc, argv);
}
