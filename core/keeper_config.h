#pragma once
// The maintenance program's build of the configuration reader and writer. It
// knows neither ALERT USGS EVENTS URL nor SCIENCE ON A SPHERE nor the /N
// criterion option; the lines of those two keys are carried from the read to
// the write unchanged, so that saving here never loses what the main program
// stored.
#include "core/config.h"

namespace keeper {

// As ::ReadConfigFile; also does not create the "sos" folder.
int ReadConfigFile();
// As ::WriteConfigFile.
[[nodiscard]] int WriteConfigFile();

}  // namespace keeper
