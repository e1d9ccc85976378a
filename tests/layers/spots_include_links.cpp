// The spot road lies below the links.
#include "links/dxc_link.h"
