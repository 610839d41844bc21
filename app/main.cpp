#include "app/commands.h"
#include "app/startup.h"
#include "net/alert_email.h"
#include "net/network_wiring.h"

int main(int argc, char** argv) {
    InstallNetworkWiring();
    const int result = OwlMain(argc, argv);
    FinishOutgoingMail();
    return result;
}
