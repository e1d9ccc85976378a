#include "platform/data_folder.h"
#include "shell/app_icon.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/termination_requests.h"
#include "spots/spot_store.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    // Before any thread exists, so a termination request always waits for the event loop.
    zenthra::TerminationRequests::holdSignals();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zenthra"));
    QApplication::setWindowIcon(zenthra::zenthraIcon());

    const zenthra::DataFolder folder(zenthra::DataFolder::resolve(QApplication::arguments()));
    if (!folder.ensureExists()) {
        std::fprintf(stderr, "zenthra: cannot create the data folder %s\n", qPrintable(folder.path()));
        return 1;
    }
    folder.installDefaults(zenthra::DataFolder::shippedAssets());

    int code = 0;
    {
        zenthra::Application shell(folder);
        zenthra::MainWindow window(shell);
        shell.setView(&window);
        QObject::connect(&shell, &zenthra::Application::endProgram, &app, [] { QCoreApplication::exit(0); });

        shell.OPEN_ZENTHRA();
        if (!shell.ended()) {
            // A termination request closes the window, which shuts down as a close by the user does.
            zenthra::TerminationRequests termination;
            QObject::connect(&termination, &zenthra::TerminationRequests::requested, &window,
                             &QWidget::close);
            code = QApplication::exec();
        }
    }
    // A spot store thread that a server still holds ends with the process, now: taking the
    // process down around it would free what it may still wake up to use.
    if (!zenthra::SpotStore::awaitThreadsEnded(std::chrono::milliseconds(0))) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
