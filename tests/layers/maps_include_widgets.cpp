// Logic holds no widgets.
#include <QtWidgets/QtWidgets>
