#include "shell/spot_road_wiring.h"

#include "shell/application.h"
#include "shell/main_window.h"
#include "spots/call_loc_search_window.h"
#include "spots/call_locator.h"
#include "spots/spot_processor.h"

#include <QAction>
#include <QDateTime>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <memory>
#include <utility>
#include <vector>

namespace zenthra {

void connectSpotRoadWindow(MainWindow& window, Application& app, const DxDatabaseControls& controls)
{
    QLineEdit* call = controls.txtdbCall;
    QLineEdit* loc = controls.txtdbLoc;
    QPushButton* update = controls.upDateDb;
    if (call) {
        call->setToolTip(QStringLiteral("Dxcall to add to dx database"));
    }
    if (loc) {
        loc->setToolTip(QStringLiteral("DX locator to add to dx database"));
    }
    if (call && loc && update) {
        update->setToolTip(QStringLiteral("Add the above DxCall and Locator to the DX Database"));
        // An entry made while the databases are still being opened, which over a long path to the
        // server takes a while, waits for the window's layer instead of failing for a layer not
        // open yet. Once the opening is over, whatever its outcome, it goes as it would have; one
        // still waiting at the end goes then, and fails into the error log by name.
        struct Entry
        {
            QString call;
            QString loc;
            QDateTime utc;
        };
        auto waiting = std::make_shared<std::vector<Entry>>();
        const auto add = [&app](Entry e) {
            app.setStatus(app.callLocator().DX_DATABASE(e.call, e.loc, e.utc));
        };
        const auto addWaiting = [waiting, add] {
            for (Entry& e : std::exchange(*waiting, {})) {
                add(std::move(e));
            }
        };
        QObject::connect(update, &QPushButton::clicked, &window, [&app, call, loc, waiting, add] {
            Entry e{call->text(), loc->text(), app.dtmUtcNow()};
            call->clear();
            loc->clear();
            if (!app.database().isOpen() && !app.spotStore().openAnswered()) {
                waiting->push_back(std::move(e));
                return;
            }
            add(std::move(e));
        });
        // The window's layer opens once the store has: its outcome, or the store's failure, ends
        // the wait.
        QObject::connect(&app.database(), &Database::databasesOpened, &window, addWaiting);
        QObject::connect(&app.spotStore(), &SpotStore::opened, &window, [addWaiting](bool ok) {
            if (!ok) {
                addWaiting();
            }
        });
        QObject::connect(&app, &Application::linkWindowsUnloading, &window, addWaiting);
    }

    CallLocator& calls = app.callLocator();
    QObject::connect(&calls, &CallLocator::miniUpdateRunningChanged, &window,
                     [&window, update](bool running) {
                         if (update) {
                             update->setEnabled(!running);
                         }
                         if (QAction* item = window.menuItem(keys::miniUpdateDxDatabase)) {
                             item->setEnabled(!running);
                         }
                     });
    window.setMenuHandler(keys::miniUpdateDxDatabase,
                          [&app] { app.setStatus(app.callLocator().DX_DATABASE_MINI_UPDATE()); });

    auto search = std::make_shared<QPointer<CallLocSearchWindow>>();
    window.setMenuHandler(keys::searchCallLocDatabase, [&window, &app, search] {
        if (!*search) {
            auto* w = new CallLocSearchWindow(
                app.callLocator(), app.errorLog(), [&app] { return app.options().homeLocator(); },
                [&app] { return app.dtmUtcNow(); }, &window, app.options().intFontSize, &window);
            w->setAttribute(Qt::WA_DeleteOnClose);
            *search = w;
        }
        (*search)->show();
        (*search)->raise();
    });

    // The pointer shows that a spot is being processed; a dropped spot leaves it until the next
    // tick, which restores it.
    auto crossHair = std::make_shared<bool>(false);
    QObject::connect(&app.spotProcessor(), &SpotProcessor::crossHairChanged, &window, [crossHair](bool on) {
        if (on && !*crossHair) {
            QGuiApplication::setOverrideCursor(Qt::CrossCursor);
            *crossHair = true;
        } else if (!on && *crossHair) {
            QGuiApplication::restoreOverrideCursor();
            *crossHair = false;
        }
    });
}

} // namespace zenthra
