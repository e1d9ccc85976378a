#include "shell/spot_road_wiring.h"

#include "shell/application.h"
#include "shell/main_window.h"
#include "spots/call_loc_search_window.h"
#include "spots/call_locator.h"
#include "spots/spot_processor.h"

#include <QAction>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

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
        QObject::connect(update, &QPushButton::clicked, &window, [&app, call, loc] {
            QString c = call->text();
            app.setStatus(app.callLocator().DX_DATABASE(c, loc->text(), app.dtmUtcNow()));
            call->clear();
            loc->clear();
        });
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
