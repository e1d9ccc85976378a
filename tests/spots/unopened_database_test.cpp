// A spots database that cannot be opened at start: the spots wait in memory, the writers say
// which file or server failed and what to do, the user's file is left exactly as it was, and once
// the database can be opened the waiting spots are stored, each once.

#include "support/cpu_time.h"
#include "support/eventually.h"
#include "support/print_qstring.h"
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
#include "spots/database.h"
#include "spots/keyword_table.h"
#include "spots/spot_road.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace zenthra;
using namespace zenthra::test;

namespace {

struct Unopened
{
    Unopened()
    {
        road = std::make_unique<SpotRoad>(SpotRoadServices{options, log, &db, folder, keywords,
                                                           windows.intHiddenHfSpot, player,
                                                           [this] { return clock.utcNow(); }});
    }
    void spots(int count)
    {
        for (int i = 0; i < count; ++i) {
            QueuedSpot s = stationSpot(
                QStringLiteral("DX de G4ABC:     50110.0  DL%1ZZ       tropo 59              1234Z").arg(i));
            road->queue.QUEUE_DXC_SPOT(s);
            road->processor.tmrProcessSpot_Timer();
        }
    }
    QStringList storedCalls()
    {
        QSqlQuery q;
        QStringList calls;
        if (db.exec(Store::Spots, QStringLiteral("SELECT Spot_Call2 FROM tblAllSpots ORDER BY rowid"), {},
                    &q)) {
            while (q.next()) {
                calls << q.value(0).toString();
            }
        }
        return calls;
    }

    TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DataFolder folder{dir.path()};
    DatabaseSettings settings;
    PropKeywords keywords{log};
    Database db{settings, folder, log, keywordSeeding(keywords)};
    OptionsModel options;
    TextWindows windows{options, [this] { return clock.utcNow(); }};
    SilentPlayer player;
    std::unique_ptr<SpotRoad> road;
};

// What is under the name: a folder, a FIFO, or a file with its bytes.
QByteArray whatIsAt(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        return "folder";
    }
    if (!info.isFile()) {
        return info.exists() ? "not a file" : "missing";
    }
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? "file " + f.readAll() : "unreadable";
}

struct BadFile
{
    const char* name;
    void (*make)(const QString& path);
    const char* reason;
};

class BadSpotsFile : public ::testing::TestWithParam<BadFile>
{
};

TEST_P(BadSpotsFile, SpotsWaitAndAreStoredOnceTheFileIsMovedAway)
{
    Unopened u;
    const QString bad = u.dir.file(QLatin1String(Database::spotsFileName));
    GetParam().make(bad);
    const QByteArray before = whatIsAt(bad);
    u.db.OPEN_DATABASES(QStringLiteral("a"));
    ASSERT_FALSE(u.db.isOpen());

    u.spots(3);
    EXPECT_EQ(u.road->processor.waitingSpots(), 3);
    EXPECT_EQ(
        u.road->processor.notStoring(),
        QStringLiteral("Spots are not being stored (%1: %2; move it out of the data folder and a new one is "
                       "made): 3 waiting in memory")
            .arg(bad, QLatin1String(GetParam().reason)));
    EXPECT_EQ(whatIsAt(bad), before);

    // Tried again a while; then, with the file moved away, nobody calls the road: its retry
    // opens the database once a new file can be made.
    QTest::qWait(1200);
    EXPECT_EQ(whatIsAt(bad), before);
    const QString aside = u.dir.file(QStringLiteral("spots.bad"));
    ASSERT_TRUE(QDir().rename(bad, aside));
    EXPECT_EVENTUALLY(u.db.isOpen() && u.road->processor.waitingSpots() == 0, 10000);
    EXPECT_EQ(u.storedCalls(), (QStringList{"DL0ZZ", "DL1ZZ", "DL2ZZ"}));
    EXPECT_TRUE(u.road->processor.notStoring().isEmpty());
    EXPECT_EQ(whatIsAt(aside), before);
    // The failure once, not a line per spot or per retry.
    const QStringList lines = u.dir.lines(QStringLiteral("muf_errors.log"));
    EXPECT_EQ(lines.filter(QStringLiteral("OPEN_DATABASES(a): spots.sqlite: ")).size(), 1)
        << lines.join('\n').toStdString();
    EXPECT_EQ(lines
                  .filter(QRegularExpression(
                      QStringLiteral("OPEN_DATABASES\\(\\): the same failure \\d+ more times$")))
                  .size(),
              1)
        << lines.join('\n').toStdString();
    // Each waiting spot's look-up failed at every retry: one line, and one with the count.
    EXPECT_EQ(lines.filter(QStringLiteral("- GET_LOCATOR(G4ABC)")).size(), 1)
        << lines.join('\n').toStdString();
    EXPECT_EQ(
        lines.filter(QRegularExpression(QStringLiteral("GET_LOCATOR.*the same failure \\d+ more times")))
            .size(),
        1)
        << lines.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadSpotsFile,
    ::testing::Values(
        BadFile{"RandomBytes",
                [](const QString& path) {
                    QByteArray bytes(65536, '\0');
                    QRandomGenerator(35).fillRange(reinterpret_cast<quint32*>(bytes.data()),
                                                   bytes.size() / 4);
                    QFile f(path);
                    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
                },
                "file is not a database"},
        BadFile{"Folder", [](const QString& path) { ASSERT_TRUE(QDir().mkdir(path)); }, "not a regular file"},
        BadFile{"Fifo", [](const QString& path) { ASSERT_EQ(::mkfifo(qPrintable(path), 0600), 0); },
                "not a regular file"}),
    [](const auto& info) { return std::string(info.param.name); });

// A line the processor refuses needs no look-up, so it is answered at once; at the front of the
// waiting spots while no keyword list could be read, it waits for the list with them, and the
// window's thread idles meanwhile. Once the file opens, the list is read, the line is refused in
// its turn and the spots behind it are stored.
struct RefusedFirst
{
    const char* name;
    QString line;
};

void PrintTo(const RefusedFirst& r, std::ostream* os)
{
    *os << r.name;
}

class RefusedLineFirst : public ::testing::TestWithParam<RefusedFirst>
{
};

TEST_P(RefusedLineFirst, WaitsForTheKeywordListWithoutBusyingTheWindow)
{
    Unopened u;
    const QString bad = u.dir.file(QLatin1String(Database::spotsFileName));
    ASSERT_TRUE(QDir().mkdir(bad));
    u.db.OPEN_DATABASES(QStringLiteral("a"));
    ASSERT_FALSE(u.db.isOpen());
    ASSERT_FALSE(u.keywords.loaded());
    QueuedSpot refused = stationSpot(GetParam().line);
    u.road->queue.QUEUE_DXC_SPOT(refused);
    u.spots(2);
    EXPECT_EQ(u.road->processor.waitingSpots(), 3);

    EXPECT_LT(coreShareWhileWaiting(std::chrono::seconds(2), CLOCK_THREAD_CPUTIME_ID), 0.1);
    EXPECT_EQ(u.road->processor.waitingSpots(), 3);
    ASSERT_TRUE(QDir().rmdir(bad));
    EXPECT_EVENTUALLY(u.db.isOpen() && u.road->processor.waitingSpots() == 0, 10000);
    EXPECT_EQ(u.storedCalls(), (QStringList{"DL0ZZ", "DL1ZZ"}));
    EXPECT_EQ(u.dir.lines(QStringLiteral("muf_errors.log"))
                  .filter(QStringLiteral("9876 - PROCESS_DXC_SPOTS("))
                  .size(),
              1)
        << u.dir.lines(QStringLiteral("muf_errors.log")).join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RefusedLineFirst,
    ::testing::Values(
        RefusedFirst{"NoFrequency",
                     QStringLiteral("DX de G4ABC:         0.0  DL9ZZ        tropo 59          1234Z")},
        RefusedFirst{"TooLong",
                     QStringLiteral("DX de G4ABC:     50110.0  DL9ZZ        ") + QString(500, u'x')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UnopenedServer, SaysWhichServerFailedWithoutWindowsAdvice)
{
    Unopened u;
    u.settings.strDbType = QStringLiteral("s");
    u.settings.strSqlServer = QStringLiteral("127.0.0.1:1");
    u.settings.strSqlDatabase = QStringLiteral("zenthra");
    u.settings.strSqlUser = QStringLiteral("nobody");
    u.db.OPEN_DATABASES(QStringLiteral("s"));
    ASSERT_FALSE(u.db.isOpen());
    u.spots(2);
    EXPECT_EQ(u.road->processor.waitingSpots(), 2);
    const QString why =
        QStringLiteral("server 127.0.0.1:1, database zenthra: connection to server at \"127.0.0.1\", "
                       "port 1 failed: Connection refused; check that the server runs and the Sql "
                       "Server Settings, tried again every 10 s");
    EXPECT_EQ(u.db.notOpenText(), why);
    EXPECT_EQ(u.road->processor.notStoring(),
              QStringLiteral("Spots are not being stored (%1): 2 waiting in memory").arg(why));
}

} // namespace
