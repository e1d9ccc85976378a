#include "shell/mapper_menus.h"

#include "core/option_keys.h"
#include "maps/avg_map_window.h"
#include "maps/single_map_window.h"
#include "shell/application.h"
#include "shell/main_window.h"

namespace zenthra {

namespace {

template <typename Window>
Window* bringForward(QPointer<Window>& window, Application& app, MainWindow& main, Prompter& prompter)
{
    if (!window) {
        const MapperServices services{app.database(), app.options(), app.errorLog(),
                                      app.clock(),    app.folder(),  prompter};
        window = new Window(services, &main);
        // Closing discards the window; the next opening starts afresh.
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace

MapperMenus::MapperMenus(Application& app, MainWindow& window, Prompter& prompter)
    : QObject(&window), m_app(app), m_window(window), m_prompter(prompter)
{
    setObjectName(QStringLiteral("mapperMenus"));
    window.setMenuHandler(keys::mapSingleSpot, [this] { mnuMapSingleSpot_Click(); });
    window.setMenuHandler(keys::mapLoadAverage, [this] { mnuMapLoadAverage_Click(); });
    // The end of the program closes the map windows rather than dropping them with the main window.
    connect(&app, &Application::endProgram, this, &MapperMenus::closeMapWindows);
}

void MapperMenus::mnuMapSingleSpot_Click()
{
    bringForward(m_frmMapSingle, m_app, m_window, m_prompter);
}

void MapperMenus::mnuMapLoadAverage_Click()
{
    bringForward(m_frmMapping, m_app, m_window, m_prompter);
}

void MapperMenus::closeMapWindows()
{
    if (m_frmMapping) {
        m_frmMapping->close();
    }
    if (m_frmMapSingle) {
        m_frmMapSingle->close();
    }
}

AvgMapWindow* MapperMenus::frmMapping() const
{
    return m_frmMapping;
}

SingleMapWindow* MapperMenus::frmMapSingle() const
{
    return m_frmMapSingle;
}

} // namespace zenthra
