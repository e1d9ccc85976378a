#pragma once
// The "Draw Options" of the "&Map Options" menu (draw, draw a chosen day, clear, save the full or
// the small map) and the map's pop-up of that menu. The check marks of the menu flip through the
// options model; the map logic reads them.

#include "maps/map_saving.h"

#include <QObject>
#include <functional>
#include <memory>

class QMenu;

namespace zenthra {

class Application;
class MainWindow;
class OptionMenus;

class MapMenus : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* datePrompt = "Enter the date for mapping";
    // Shows a menu as a pop-up at a screen position (tests replace it).
    using Popup = std::function<void(QMenu* menu, const QPoint& globalPos)>;

    MapMenus(Application& app, MainWindow& window, OptionMenus& dialogs);
    ~MapMenus() override;

    void setPopup(Popup popup) { m_popup = std::move(popup); }

    // 0 "Draw", 1 "Draw (With Date)", 2 "Clear", 3 "Save Full bitmap", 4 "Save Small bitmap"; the
    // map's tab is selected first.
    void mnuMapDraw_Click(int index);
    // SAVE_MAP: the full or the small map as map_muf<UTC stamp>.bmp in the data folder.
    QString SAVE_MAP(bool full);

private:
    Application& m_app;
    MainWindow& m_window;
    OptionMenus& m_dialogs;
    std::unique_ptr<MapSaver> m_saver;
    Popup m_popup;
};

} // namespace zenthra
