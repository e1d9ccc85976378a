// The spot road reaches the layers below it.
#include "core/options_model.h"
#include "platform/text_file.h"
#include "propagation/muf_calcs.h"
#include "spots/database.h"
