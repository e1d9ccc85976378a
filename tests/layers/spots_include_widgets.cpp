// Logic holds no widgets.
#include <QtWidgets/QWidget>
