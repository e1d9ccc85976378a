// The program on a data folder that fills up, or whose spots database is not one: the main
// window's caption says that spots are not being stored and why, says it again a moment after any
// other text, and gives the caption back once they are stored again.

#include "links/winsock_status.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "support/eventually.h"
#include "support/fake_node.h"
#include "support/print_qstring.h"
#include "support/small_disk.h"
#include "support/station_spot.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace zenthra;
using zenthra::test::SmallDisk;
using zenthra::test::stationSpot;
using zenthra::test::TempFolder;

namespace {

TEST(FullDiskCaption, SaysSpotsAreNotStoredAndGivesTheCaptionBack)
{
    TempFolder dir;
    SmallDisk disk(dir.file(QStringLiteral("data")));
    ASSERT_TRUE(disk.mounted) << disk.why.toStdString();
    {
        Application app{DataFolder(disk.path)};
        MainWindow window(app);
        app.setView(&window);
        app.OPEN_ZENTHRA();
        ASSERT_TRUE(app.database().exec(Store::Spots, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")));
        app.setStatus(QStringLiteral("Zenthra"));
        disk.fill();

        for (int i = 0; i < 5; ++i) {
            QueuedSpot spot = stationSpot(
                QStringLiteral("DX de G4ABC:     50110.0  DL%1ZZ       tropo 59              1234Z").arg(i));
            app.spotQueue().QUEUE_DXC_SPOT(spot);
        }
        app.spotProcessor().tmrProcessSpot_Timer();
        EXPECT_EVENTUALLY_EQ(
            window.windowTitle(),
            QStringLiteral("Spots are not being stored (database or disk is full): 5 waiting in memory"),
            10000);

        disk.free();
        EXPECT_EVENTUALLY_EQ(window.windowTitle(), QStringLiteral("Zenthra"), 10000);
        EXPECT_EVENTUALLY_EQ(app.spotProcessor().waitingSpots(), 0, 10000);
        app.CLOSE_ZENTHRA(Application::restartCode);
    }
}

TEST(FullDiskCaption, ASpotsFileThatIsNoDatabaseIsSaidFromTheFirstSpot)
{
    TempFolder dir;
    const QByteArray text = QByteArray("Not a database.\r\n").repeated(100);
    dir.write(QStringLiteral("spots.sqlite"), text);
    {
        Application app{DataFolder(dir.path())};
        MainWindow window(app);
        app.setView(&window);
        app.OPEN_ZENTHRA();
        app.setStatus(QStringLiteral("Zenthra"));
        QueuedSpot spot =
            stationSpot(QStringLiteral("DX de G4ABC:     50110.0  DL1ZZ       tropo 59              1234Z"));
        app.spotQueue().QUEUE_DXC_SPOT(spot);
        app.spotProcessor().tmrProcessSpot_Timer();
        EXPECT_EVENTUALLY_EQ(
            window.windowTitle(),
            QStringLiteral("Spots are not being stored (%1: file is not a database; move it out of the data "
                           "folder and a new one is made): 1 waiting in memory")
                .arg(dir.file(QStringLiteral("spots.sqlite"))),
            10000);
        EXPECT_EQ(dir.read(QStringLiteral("spots.sqlite")), text);

        ASSERT_TRUE(
            QFile::rename(dir.file(QStringLiteral("spots.sqlite")), dir.file(QStringLiteral("old.sqlite"))));
        EXPECT_EVENTUALLY_EQ(window.windowTitle(), QStringLiteral("Zenthra"), 10000);
        EXPECT_EVENTUALLY_EQ(app.spotProcessor().waitingSpots(), 0, 10000);
        EXPECT_EQ(dir.read(QStringLiteral("old.sqlite")), text);
        app.CLOSE_ZENTHRA(Application::restartCode);
    }
}

} // namespace

namespace {

// When the spot store opens its databases again (a file made writable, a server back), the
// window's layer opens again with it, through the program's own wiring: a connection SQLite
// opened read-only would stay so. Just after its own opening, it does so once the file retry
// interval has passed.
TEST(StoreWiring, TheWindowsLayerOpensAgainWhenTheStoreDoes)
{
    TempFolder dir;
    Application app{DataFolder(dir.path())};
    MainWindow window(app);
    app.setView(&window);
    app.OPEN_ZENTHRA();
    ASSERT_TRUE(app.database().isOpen());
    const QString before = app.database().connection(Store::Spots).connectionName();
    Q_EMIT app.spotStore().opened(true);
    EXPECT_TRUE(app.database().isOpen());
    EXPECT_EVENTUALLY(app.database().connection(Store::Spots).connectionName() != before,
                      2 * Database::fileRetryInterval.count());
    EXPECT_TRUE(app.database().isOpen());
}

// A user who connects the DXC link while spots wait, through the program's own wiring: the
// caption shows the link's status, then says again why spots wait, and shows the link's latest
// status once they are stored.
TEST(FullDiskCaption, TheNoteComesBackAfterALinkStatus)
{
    TempFolder dir;
    dir.write(QStringLiteral("spots.sqlite"), QByteArray("Not a database.\r\n").repeated(100));
    Application app{DataFolder(dir.path())};
    MainWindow window(app);
    app.setView(&window);
    app.OPEN_ZENTHRA();
    QueuedSpot spot =
        stationSpot(QStringLiteral("DX de G4ABC:     50110.0  DL1ZZ       tropo 59              1234Z"));
    app.spotQueue().QUEUE_DXC_SPOT(spot);
    app.spotProcessor().tmrProcessSpot_Timer();
    const QString note =
        QStringLiteral(
            "Spots are not being stored (%1: file is not a database; move it out of the data folder "
            "and a new one is made): 1 waiting in memory")
            .arg(dir.file(QStringLiteral("spots.sqlite")));
    EXPECT_EVENTUALLY_EQ(window.windowTitle(), note, 10000);

    QSignalSpy titles(&window, &QWidget::windowTitleChanged);
    zenthra::test::FakeNode dxc;
    app.options().nodes.strDxcHost = QStringLiteral("127.0.0.1");
    app.options().nodes.sngDxcPort = dxc.port();
    app.connectDxcLink();
    ASSERT_TRUE(dxc.accept());
    const QString connecting = WINSOCK_STATUS(QStringLiteral("DXC"), 6);
    EXPECT_EVENTUALLY(titles.count() > 0 && titles.last().at(0).toString() == note, 5000);
    QStringList shown;
    for (const QList<QVariant>& title : titles) {
        shown << title.at(0).toString();
    }
    EXPECT_EQ(shown.count(connecting), 1) << shown.join(u'\n').toStdString();
    EXPECT_EQ(window.windowTitle(), note);
    // The minute's link status, which replaces only a caption of its own kind, leaves the note.
    app.mainTimers().tmrGetWinsockStatus_Timer();
    EXPECT_EQ(window.windowTitle(), note);
    EXPECT_EQ(app.status(), note);

    ASSERT_TRUE(
        QFile::rename(dir.file(QStringLiteral("spots.sqlite")), dir.file(QStringLiteral("old.sqlite"))));
    EXPECT_EVENTUALLY_EQ(app.spotProcessor().waitingSpots(), 0, 10000);
    EXPECT_EVENTUALLY_EQ(window.windowTitle(), connecting, 10000);
    app.CLOSE_ZENTHRA(Application::restartCode);
}

} // namespace
