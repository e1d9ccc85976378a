#pragma once
// Connects the spot road to the main window: the "&Update Dx" controls, the two call/locator
// menu items and the search window, and the cross-hair pointer while a spot is processed.

class QLineEdit;
class QPushButton;

namespace zenthra {

class Application;
class MainWindow;

// The "DX DATABASE" controls of the main window's panel.
struct DxDatabaseControls
{
    QLineEdit* txtdbCall;
    QLineEdit* txtdbLoc;
    QPushButton* upDateDb;
};

void connectSpotRoadWindow(MainWindow& window, Application& app, const DxDatabaseControls& controls);

} // namespace zenthra
