// The links and the maps stand beside each other.
#include "links/dxc_link.h"
