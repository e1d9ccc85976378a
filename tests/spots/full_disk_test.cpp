// The data folder on a small tmpfs that fills up under a stream of spots: the rows wait in the
// writers' bounded backlog, the writers say why they are not storing, and once there is room
// again every row that fitted in the backlog is stored, in order, without anyone asking.

#include "support/eventually.h"
#include "support/print_qstring.h"
#include "support/small_disk.h"
#include "support/station_spot.h"
#include "support/temp_folder.h"

#include "core/database_settings.h"
#include "core/error_log.h"
#include "core/options_model.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "platform/sound_player.h"
#include "propagation/prop_keywords.h"
#include "shell/text_windows.h"
#include "spots/call_locator.h"
#include "spots/database.h"
#include "spots/keyword_table.h"
#include "spots/spot_road.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace zenthra;
using namespace zenthra::test;

namespace {

class FullDisk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        data = dir.file(QStringLiteral("data"));
        disk = std::make_unique<SmallDisk>(data, "2m");
        ASSERT_TRUE(disk->mounted) << disk->why.toStdString();
        folder = std::make_unique<DataFolder>(data);
        db = std::make_unique<Database>(settings, *folder, log, keywordSeeding(keywords));
        db->OPEN_DATABASES(QStringLiteral("a"));
        ASSERT_TRUE(db->isOpen()) << dir.lines(QStringLiteral("muf_errors.log")).join('\n').toStdString();
        windows = std::make_unique<TextWindows>(options, [this] { return clock.utcNow(); });
        road = std::make_unique<SpotRoad>(SpotRoadServices{options, log, db.get(), *folder, keywords,
                                                           windows->intHiddenHfSpot, player,
                                                           [this] { return clock.utcNow(); }});
    }

    void TearDown() override
    {
        road.reset();
        windows.reset();
        db.reset();
        disk.reset();
    }

    void spot(int i)
    {
        QueuedSpot s = stationSpot(
            QStringLiteral("DX de G4ABC:     50110.0  DL%1ZZ       tropo 59                  1234Z")
                .arg(i, 3, 10, QLatin1Char('0')));
        road->queue.QUEUE_DXC_SPOT(s);
        road->processor.tmrProcessSpot_Timer();
    }

    QStringList storedCalls()
    {
        QSqlQuery q;
        QStringList calls;
        if (db->exec(Store::Spots, QStringLiteral("SELECT Spot_Call2 FROM tblAllSpots ORDER BY rowid"), {},
                     &q)) {
            while (q.next()) {
                calls << q.value(0).toString();
            }
        }
        return calls;
    }

    static QStringList callsFrom(int first, int last)
    {
        QStringList calls;
        for (int i = first; i <= last; ++i) {
            calls << QStringLiteral("DL%1ZZ").arg(i, 3, 10, QLatin1Char('0'));
        }
        return calls;
    }

    // Leaves the databases' logs empty and fills what room the tmpfs has left.
    void fillTheDisk()
    {
        ASSERT_TRUE(db->exec(Store::Spots, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")));
        ASSERT_TRUE(db->exec(Store::CallLoc, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")));
        QFile filler(data + QStringLiteral("/filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
    }
    void freeTheDisk() { ASSERT_TRUE(QFile::remove(data + QStringLiteral("/filler"))); }

    TempFolder dir;
    QString data;
    std::unique_ptr<SmallDisk> disk;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    std::unique_ptr<DataFolder> folder;
    DatabaseSettings settings;
    PropKeywords keywords{log};
    std::unique_ptr<Database> db;
    OptionsModel options;
    SilentPlayer player;
    std::unique_ptr<TextWindows> windows;
    std::unique_ptr<SpotRoad> road;
};

TEST_F(FullDisk, SpotsWaitInMemoryAndAreStoredWhenThereIsRoomAgain)
{
    SpotWriters& writers = road->store.writers();
    QSignalSpy told(&writers, &SpotWriters::storingChanged);
    for (int i = 0; i < 3; ++i) {
        spot(i);
    }
    ASSERT_EQ(storedCalls(), callsFrom(0, 2));
    fillTheDisk();
    for (int i = 3; i < 200; ++i) {
        spot(i);
    }
    EXPECT_EQ(storedCalls(), callsFrom(0, 2));
    EXPECT_EQ(writers.backlogRows(), 197);
    EXPECT_EQ(writers.notStoring(),
              QStringLiteral("Spots are not being stored (database or disk is full): 197 waiting in memory"));
    // Said when the first row could not be written (and again at each failed retry).
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told.last().at(0).toString(),
              QStringLiteral("Spots are not being stored (database or disk is full): 1 waiting in memory"));

    // Nobody calls the writers now: their own retry stores the rows once there is room.
    freeTheDisk();
    EXPECT_EVENTUALLY(writers.backlogRows() == 0 && writers.notStoring().isEmpty(), 10000);
    EXPECT_EQ(storedCalls(), callsFrom(0, 199));
    EXPECT_EQ(told.last().at(0).toString(), QString());
    const QStringList lines = dir.lines(QStringLiteral("muf_errors.log"));
    // The failure once (with the first row that did not go in), not a line per spot.
    ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("-2147217900 - WRITE_SPOT_TO_DB(")));
    EXPECT_TRUE(lines[0].contains(QStringLiteral(", DL003ZZ, ")));
}

// A retry each second while the disk stays full: counted, not logged each time.
TEST_F(FullDisk, RetriesWhileTheDiskStaysFullAreCounted)
{
    SpotWriters& writers = road->store.writers();
    spot(0);
    fillTheDisk();
    for (int i = 1; i <= 5; ++i) {
        spot(i);
    }
    QSignalSpy told(&writers, &SpotWriters::storingChanged);
    // Told at the first retry and again at the next, a second apart.
    EXPECT_EVENTUALLY(told.size() >= 2, 5000);
    freeTheDisk();
    EXPECT_EVENTUALLY(writers.backlogRows() == 0 && writers.notStoring().isEmpty(), 10000);
    EXPECT_EQ(storedCalls(), callsFrom(0, 5));
    // The failure once, then how often the retries met it again.
    const QStringList lines = dir.lines(QStringLiteral("muf_errors.log"));
    ASSERT_EQ(lines.size(), 2) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("-2147217900 - WRITE_SPOT_TO_DB(")));
    EXPECT_TRUE(lines[1].contains(QRegularExpression(
        QStringLiteral("-2147217900 - WRITE_SPOT_TO_DB\\(\\): the same failure \\d+ more times$"))));
}

TEST_F(FullDisk, AFullBacklogLetsTheOldestGoAndSaysHowMany)
{
    SpotWriters& writers = road->store.writers();
    writers.setBacklogLimit(10);
    spot(0);
    fillTheDisk();
    for (int i = 1; i <= 30; ++i) {
        spot(i);
    }
    EXPECT_EQ(writers.backlogRows(), 10);
    freeTheDisk();
    EXPECT_EVENTUALLY(writers.backlogRows() == 0 && writers.notStoring().isEmpty(), 10000);
    EXPECT_EQ(storedCalls(), QStringList{"DL000ZZ"} + callsFrom(21, 30));
    EXPECT_EQ(dir.lines(QStringLiteral("muf_errors.log"))
                  .filter(QStringLiteral("spot backlog full: 20 oldest rows dropped"))
                  .size(),
              1);
}

// A station entered by hand whose commit finds the disk full is rolled back: once there is room
// again the next entry is stored, and is still there once the databases are opened again.
TEST_F(FullDisk, AHandEntryThatCannotBeCommittedIsRolledBack)
{
    CallLocator& calls = road->store.calls();
    const QDateTime when(QDate(2024, 6, 14), QTime(11, 6), Qt::UTC);
    fillTheDisk();
    QString first = QStringLiteral("G4ABC");
    EXPECT_EQ(calls.DX_DATABASE(first, QStringLiteral("IO91WM"), when),
              QStringLiteral("Zenthra - ERROR ADDING DX STATION G4ABC? in ?IO91WM"));
    freeTheDisk();
    QString next = QStringLiteral("S51ZZ");
    EXPECT_EQ(calls.DX_DATABASE(next, QStringLiteral("JN76DB"), when),
              QStringLiteral("Zenthra - ADDED OR UPDATED DX STATION S51ZZ in JN76DB"));
    db->CLOSE_DATABASES();
    db->OPEN_DATABASES(QStringLiteral("a"));
    ASSERT_TRUE(db->isOpen());
    QSqlQuery q;
    ASSERT_TRUE(
        db->exec(Store::CallLoc, QStringLiteral("SELECT DxCallsign, DxLocatorID FROM tblDxStation"), {}, &q));
    QStringList stations;
    while (q.next()) {
        stations << q.value(0).toString() + u' ' + q.value(1).toString();
    }
    EXPECT_EQ(stations, QStringList{QStringLiteral("S51ZZ JN76DB")});
    const QStringList lines = dir.lines(QStringLiteral("muf_errors.log"));
    ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(
        lines[0].endsWith(QStringLiteral("\t-2147217900 - DX_DATABASE(G4ABC,IO91WM,2024-06-14 11:06:00)")))
        << lines[0].toStdString();
}

} // namespace
