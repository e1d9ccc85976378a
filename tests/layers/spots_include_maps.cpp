// The spot road lies below the maps.
#include "maps/map_canvas.h"
