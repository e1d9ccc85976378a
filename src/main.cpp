#include "platform/data_folder.h"
#include "shell/app_icon.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/termination_requests.h"

#include <QApplication>
#include <cstdio>

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

    zenthra::Application shell(folder);
    zenthra::MainWindow window(shell);
    shell.setView(&window);
    QObject::connect(&shell, &zenthra::Application::endProgram, &app, [] { QCoreApplication::exit(0); });

    shell.OPEN_ZENTHRA();
    if (shell.ended()) {
        return 0;
    }

    // A termination request closes the window, which shuts down as a close by the user does.
    zenthra::TerminationRequests termination;
    QObject::connect(&termination, &zenthra::TerminationRequests::requested, &window, &QWidget::close);
    return QApplication::exec();
}
