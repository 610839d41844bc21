#include "app/commands.h"
#include "app/floating_legend.h"
#include "app/startup.h"
#include "net/network_wiring.h"

int main(int argc, char** argv) {
    InstallFloatingLegend();
    InstallNetworkWiring();
    return OwlMain(argc, argv);
}
