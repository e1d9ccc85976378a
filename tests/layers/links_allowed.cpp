// The links store their node lists through the database layer.
#include "links/dxc_link.h"
#include "spots/database.h"
