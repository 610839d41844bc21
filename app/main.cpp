#include "app/commands.h"
#include "app/startup.h"
#include "net/network_wiring.h"

int main(int argc, char** argv) {
    InstallNetworkWiring();
    return OwlMain(argc, argv);
}
