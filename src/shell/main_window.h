#pragma once

#include <QMainWindow>

namespace zenthra {

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
};

} // namespace zenthra
