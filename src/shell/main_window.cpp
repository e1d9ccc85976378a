#include "main_window.h"

namespace zenthra {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Zenthra"));
    resize(900, 600);
}

} // namespace zenthra
