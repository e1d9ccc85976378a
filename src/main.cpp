#include "platform/data_folder.h"
#include "shell/main_window.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zenthra"));

    const zenthra::DataFolder folder(zenthra::DataFolder::resolve(QApplication::arguments()));
    if (!folder.ensureExists()) {
        std::fprintf(stderr, "zenthra: cannot create the data folder %s\n", qPrintable(folder.path()));
        return 1;
    }
    folder.installDefaults(zenthra::DataFolder::shippedAssets());

    zenthra::MainWindow window;
    window.show();
    return QApplication::exec();
}
