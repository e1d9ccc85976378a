#pragma once
// The map menu's "Load Single Spot Map" and "Load Average MUF Map": each opens its map window
// modeless, or brings the open one forward. The windows close with the program, so each writes
// its settings file on the way out.

#include <QObject>
#include <QPointer>

namespace zenthra {

class Application;
class AvgMapWindow;
class MainWindow;
class Prompter;
class SingleMapWindow;

class MapperMenus : public QObject
{
    Q_OBJECT
public:
    MapperMenus(Application& app, MainWindow& window, Prompter& prompter);

    void mnuMapSingleSpot_Click();
    void mnuMapLoadAverage_Click();
    // Closes both map windows (their settings files are written as they close).
    void closeMapWindows();

    AvgMapWindow* frmMapping() const;
    SingleMapWindow* frmMapSingle() const;

private:
    Application& m_app;
    MainWindow& m_window;
    Prompter& m_prompter;
    QPointer<AvgMapWindow> m_frmMapping;
    QPointer<SingleMapWindow> m_frmMapSingle;
};

} // namespace zenthra
