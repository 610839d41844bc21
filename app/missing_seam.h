#pragma once
// The report lives with the data library, so every layer can make a missing step visible.
#include "core/missing_seam.h"
