// Logic never includes a window or the application.
#include "shell/main_window.h"
