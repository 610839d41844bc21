#include "core/config.h"

std::uint8_t gControls[kControlCount] = {};
