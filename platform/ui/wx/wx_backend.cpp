#include "platform/ui/backend.h"
