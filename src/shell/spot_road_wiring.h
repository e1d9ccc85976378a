#pragma once
// Connects the spot road to the main window: the "&Update Dx" controls, the two call/locator
// menu items and the search window, and the cross-hair pointer while a spot is processed.

namespace zenthra {

class Application;
class MainWindow;

void connectSpotRoadWindow(MainWindow& window, Application& app);

} // namespace zenthra
