#include "shell/map_menus.h"

#include "core/option_keys.h"
#include "maps/muf_map.h"
#include "maps/muf_map_window.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/option_menus.h"

#include <QMenu>
#include <QTabWidget>

namespace zenthra {

namespace {

constexpr int mapTab = 5;

} // namespace

MapMenus::MapMenus(Application& app, MainWindow& window, OptionMenus& dialogs)
    : QObject(&window), m_app(app), m_window(window), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("mapMenus"));
    MufMap& map = app.mufMap();
    m_saver = std::make_unique<MapSaver>(QStringLiteral("map_muf"), QStringLiteral("SAVE_MAP"),
                                         app.folder().path(), app.clock(), app.errorLog(), dialogs,
                                         MapSaver::Hooks{[&map] { map.SHOW_HIDE_MAP(true); },
                                                         [&map] { return map.canvas().persistentImage(); },
                                                         [this] { return m_window.grab().toImage(); }});
    m_popup = [](QMenu* menu, const QPoint& globalPos) { menu->exec(globalPos); };

    for (int index = 0; index <= 4; ++index) {
        window.setMenuHandler(keys::mapDraw(index), [this, index] { mnuMapDraw_Click(index); });
    }
    if (auto* tab = window.findChild<MufMapTab*>()) {
        connect(tab, &MufMapTab::optionsMenuRequested, this, [this](const QPoint& global) {
            if (QMenu* menu = m_window.menu(keys::mapOptions)) {
                m_popup(menu, global);
            }
        });
    }
}

MapMenus::~MapMenus() = default;

void MapMenus::mnuMapDraw_Click(int index)
{
    m_window.tabSporadic()->setCurrentIndex(mapTab);
    PathMap& paths = m_app.mufMap().pathMap();
    switch (index) {
    case 0:
        paths.draw();
        break;
    case 1: {
        const QString yesterday =
            m_app.clock().localNow().date().addDays(-1).toString(QStringLiteral("yyyy-MM-dd"));
        if (const auto answer = m_dialogs.ask(QString(), QString::fromLatin1(datePrompt), yesterday)) {
            paths.drawWithDate(*answer);
        }
        break;
    }
    case 2:
        m_app.clearMap();
        break;
    case 3:
        SAVE_MAP(true);
        break;
    case 4:
        SAVE_MAP(false);
        break;
    default:
        break;
    }
}

QString MapMenus::SAVE_MAP(bool full)
{
    return m_saver->save(full);
}

} // namespace zenthra
