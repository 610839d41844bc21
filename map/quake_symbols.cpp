// Earthquake dots, transient markers, the marker icon and the alert highlight.
#include "core/quake.h"
#include "map/child_map.h"
