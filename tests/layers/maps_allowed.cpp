// The maps read the stored spots; they share the link windows' geometry record.
#include "links/view_geometry.h"
#include "maps/map_canvas.h"
#include "spots/database.h"
