// The links and the maps stand beside each other.
#include "maps/map_canvas.h"
