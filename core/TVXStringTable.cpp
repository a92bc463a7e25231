// Placeholder until the catalogue texts land.
#include "core/TVXStringTable.h"
