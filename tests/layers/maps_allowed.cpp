// The maps read the stored spots.
#include "maps/map_canvas.h"
#include "spots/database.h"
