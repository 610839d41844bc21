#include "core/keeper_config.h"

namespace keeper {

int ReadConfigFile() { return ReadConfigFileFor(ConfigBuild::kKeeper); }
int WriteConfigFile() { return WriteConfigFileFor(ConfigBuild::kKeeper); }

}  // namespace keeper
