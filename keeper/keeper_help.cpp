#include "keeper/keeper_help.h"

#include <string>

#include "core/missing_seam.h"

void ShowKeeperHelp(int topic) { ReportMissingSeam("help file, topic " + std::to_string(topic)); }
