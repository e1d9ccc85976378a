// Logic holds no widgets.
#include <QtWidgets/QPushButton>
