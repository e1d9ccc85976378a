// The spot road with its store on a thread of its own, as the program runs it, while its database
// cannot answer in each of the ways a user meets: the road goes on taking spots and the caption
// says why they wait; once the database answers, each is stored once, in order, with the rows it
// would have had without the wait.

#include "spots/database_fixture.h"
#include "spots/relayed_server.h"
#include "support/cpu_time.h"
#include "support/eventually.h"
#include "support/postgres.h"
#include "support/print_qstring.h"
#include "support/small_disk.h"
#include "support/station_spot.h"
#include "support/temp_folder.h"

#include "core/error_log.h"
#include "core/options_model.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "propagation/prop_keywords.h"
#include "shell/text_windows.h"
#include "spots/database.h"
#include "spots/keyword_table.h"
#include "spots/server_watch.h"
#include "spots/spot_road.h"
#include "spots/spot_writers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>

using namespace zenthra;
using namespace zenthra::test;

namespace {

// A data folder (and with the server, a schema of its own) with the road the program runs: its
// store on a thread and a layer of its own, and a layer of the test's that joins once the store
// has opened the databases, as the window's does.
struct Scene
{
    Scene(bool server, bool ownDisk)
        : server(server),
          disk(ownDisk ? std::make_unique<SmallDisk>(dir.file(QStringLiteral("data"))) : nullptr)
    {
        QDir().mkpath(folder.path());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        clock.setUtc(QDateTime(QDate(2024, 6, 14), QTime(12, 40), Qt::UTC));
        if (server) {
            relayed = std::make_unique<RelayedServer>("zs");
            relayed->aim(settings);
            schema = relayed->schema;
            proxy = relayed->proxy.get();
            view.setServerSchema(schema);
        }
        options.setChecked(QStringLiteral("mnuEsOptions(0)"), true);
        QObject::connect(&road.store, &SpotStore::opened, [this](bool ok) {
            if (ok && view.isOpen()) {
                view.reconnect();
            } else if (ok) {
                view.setMakesSchema(false);
                view.OPEN_DATABASES(settings.strDbType);
            }
        });
    }
    ~Scene()
    {
        view.CLOSE_DATABASES();
        QLocale::setDefault(QLocale::c());
    }

    // The tables made, the keyword list seeded and both stations known, as an earlier session
    // leaves them, before the road starts.
    void prepare()
    {
        PropKeywords seeded{log};
        Database first{settings, folder, log, keywordSeeding(seeded)};
        first.setServerSchema(schema);
        first.OPEN_DATABASES(settings.strDbType);
        ASSERT_TRUE(first.isOpen()) << log.path().toStdString();
        for (const auto& [call, loc] : {std::pair{"G4ABC", "IO91WM"}, std::pair{"S51ZZ", "JN76DB"}}) {
            ASSERT_TRUE(first.exec(
                Store::CallLoc,
                QStringLiteral("INSERT INTO tblDxStation (DxCallsign, DxLocatorID, DxDate) VALUES (?, ?, ?)"),
                {QLatin1String(call), QLatin1String(loc), Database::dateValue(clock.utcNow().addDays(-1))}));
        }
    }
    void start() { road.store.open(settings, std::chrono::milliseconds(200), schema); }
    void spots(const QStringList& lines)
    {
        for (const QString& line : lines) {
            QueuedSpot spot = stationSpot(line);
            road.queue.QUEUE_DXC_SPOT(spot);
        }
        road.processor.tmrProcessSpot_Timer();
    }
    QStringList rows(const QString& sql)
    {
        QStringList out;
        QSqlQuery q;
        if (view.exec(Store::Spots, sql, {}, &q)) {
            while (q.next()) {
                QStringList fields;
                for (int i = 0; i < q.record().count(); ++i) {
                    fields << q.value(i).toString();
                }
                out << fields.join(u'|');
            }
        }
        return out;
    }
    QString path(const char* name) const { return dir.file(QStringLiteral("data/") + QLatin1String(name)); }

    bool server;
    TempFolder dir;
    std::unique_ptr<SmallDisk> disk;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DataFolder folder{dir.file(QStringLiteral("data"))};
    DatabaseSettings settings;
    std::unique_ptr<RelayedServer> relayed;
    QString schema;
    ServerCutProxy* proxy = nullptr;
    OptionsModel options;
    PropKeywords keywords{log};
    Database view{settings, folder, log, keywordSeeding(keywords)};
    TextWindows windows{options, [this] { return clock.utcNow(); }};
    SilentPlayer player;
    SpotRoad road{{options, log, nullptr, folder, keywords, windows.intHiddenHfSpot, player,
                   [this] { return clock.utcNow(); }}};
    QSqlDatabase holder;
};

struct Outage
{
    const char* name;
    bool server;
    // Whether the road starts into the outage, or meets it while running.
    bool atStart;
    // What the caption says while the spots wait, and how many spots or rows it counts: spots
    // wait before their look-ups, rows (two for a sporadic-E spot) once they were processed.
    const char* why;
    int waiting;
    // On a file system of its own: one to fill, or for root to make read-only.
    bool ownDisk;
    std::function<void(Scene&)> begin;
    std::function<void(Scene&)> end;
};

void PrintTo(const Outage& o, std::ostream* os)
{
    *os << o.name;
}

class StoreOutage : public ::testing::TestWithParam<Outage>
{
};

const QStringList lines = {
    QStringLiteral("DX de G4ABC:     50110.0  S51ZZ        ES 559                  1234Z"),
    QStringLiteral("DX de G4ABC:     50110.0  DL1ZZ        tropo 59                1235Z"),
    QStringLiteral("DX de S51ZZ:    144300.0  DL2ZZ        59                      1236Z"),
};

TEST_P(StoreOutage, SpotsWaitWithTheReasonAndAreStoredAsWithoutIt)
{
    const Outage& o = GetParam();
    if (o.server) {
        ZENTHRA_REQUIRE_POSTGRES();
    }
    Scene s(o.server, o.ownDisk);
    if (s.disk) {
        ASSERT_TRUE(s.disk->mounted) << s.disk->why.toStdString();
    }
    s.prepare();
    if (o.atStart) {
        o.begin(s);
        s.start();
    } else {
        s.start();
        EXPECT_EVENTUALLY(s.view.isOpen(), 10000);
        ASSERT_TRUE(s.view.isOpen());
        o.begin(s);
    }
    s.spots(lines);
    if (*o.why) {
        // The window's thread went on: it took the spots and told the caption why they wait.
        const auto told = [&s, &o] {
            const QString text = s.road.processor.notStoring();
            return text.startsWith(QStringLiteral("Spots are not being stored (")) &&
                   text.contains(QLatin1String(o.why)) &&
                   text.endsWith(QStringLiteral("): %1 waiting in memory").arg(o.waiting));
        };
        EXPECT_EVENTUALLY(told(), 15000);
        EXPECT_TRUE(told()) << s.road.processor.notStoring().toStdString();
        // Waiting costs about what idling does, both threads together: the retries go at their
        // interval.
        EXPECT_LT(coreShareWhileWaiting(std::chrono::seconds(2)), 0.1);
    }
    o.end(s);
    EXPECT_EVENTUALLY(s.view.isOpen() && s.rows(QStringLiteral("SELECT count(*) FROM tblAllSpots")) ==
                                             QStringList{QStringLiteral("3")},
                      20000);
    EXPECT_EVENTUALLY(s.road.processor.notStoring().isEmpty(), 5000);
    EXPECT_EQ(
        s.rows(QStringLiteral("SELECT Spot_Call1, Spot_Loc1, Spot_Call2, Spot_Loc2, Spot_Freq, Spot_Mode"
                              " FROM tblAllSpots ORDER BY Spot_Date")),
        (QStringList{"G4ABC|IO91WM|S51ZZ|JN76DB|50.11|ES", "G4ABC|IO91WM|DL1ZZ||50.11|TROPO",
                     "S51ZZ|JN76DB|DL2ZZ||144.3|UNKNOWN"}));
    EXPECT_EQ(s.rows(QStringLiteral("SELECT DxCall1, DxCall2, MUF FROM tblSPOT")),
              (QStringList{"G4ABC|S51ZZ|60.9735"}));
    // Nothing left behind keeps a later session from writing: SQLite gives the journals it makes
    // the mode of a read-only database, and the program's opening gives them back to their owner.
    for (const char* journal :
         {"spots.sqlite-shm", "spots.sqlite-wal", "call_loc.sqlite-shm", "call_loc.sqlite-wal"}) {
        const QFileInfo info(s.path(journal));
        EXPECT_TRUE(!info.exists() || info.permissions().testFlag(QFileDevice::WriteOwner)) << journal;
    }
}

TEST(StoreFlow, WhileTheDatabaseAnswersALinkThatHoldsLinesBackLosesNone)
{
    // More lines than may wait: while look-ups are answered, the processor takes no more than it
    // may wait for, the queue fills and the link keeps the rest, as TCP then keeps the node's.
    Scene s(false, false);
    s.prepare();
    s.start();
    EXPECT_EVENTUALLY(s.view.isOpen(), 10000);
    s.road.processor.setWaitingLimit(20);
    constexpr int total = 400;
    int next = 0;
    s.road.processor.setFeeder([&] {
        bool fed = false;
        while (next < total && s.road.queue.pendingRows() < 100) {
            QueuedSpot spot = stationSpot(
                QStringLiteral("DX de G4ABC:     50110.0  DL%1ZZ        tropo 59         1234Z").arg(next++));
            s.road.queue.QUEUE_DXC_SPOT(spot);
            fed = true;
        }
        return fed;
    });
    s.road.processor.tmrProcessSpot_Timer();
    EXPECT_EVENTUALLY(s.rows(QStringLiteral("SELECT count(*) FROM tblAllSpots")) ==
                          QStringList{QString::number(total)},
                      20000);
    EXPECT_TRUE(QStringList(s.dir.lines(QStringLiteral("muf_errors.log")))
                    .filter(QStringLiteral("dropped"))
                    .isEmpty())
        << s.dir.lines(QStringLiteral("muf_errors.log")).join('\n').toStdString();
}

// A reconnect that fails leaves the layer closed: the caption still names the lost server and
// how often it is tried, rather than closed databases or an opening that never was.
TEST(StoreLost, TheCaptionAfterAFailedReconnectNamesTheLostServer)
{
    ZENTHRA_REQUIRE_POSTGRES();
    Scene s(true, false);
    s.prepare();
    s.road.store.open(s.settings, std::chrono::seconds(1), s.schema);
    EXPECT_EVENTUALLY(s.view.isOpen(), 10000);
    ASSERT_TRUE(s.view.isOpen());
    s.proxy->cut();
    s.spots(lines);
    const auto failedReconnects = [&s] {
        return QStringList(s.dir.lines(QStringLiteral("muf_errors.log")))
            .filter(QStringLiteral("-2147467259 - OPEN_DATABASES(s): "))
            .size();
    };
    EXPECT_EVENTUALLY(failedReconnects() > 0, 10000);
    ASSERT_GT(failedReconnects(), 0);
    // What the store said after it reaches the caption with the window's next events.
    QTest::qWait(300);
    EXPECT_EQ(
        s.road.processor.notStoring(),
        QStringLiteral("Spots are not being stored (the connection to the database server was lost; tried"
                       " again every 1 s): 3 waiting in memory"));
    ASSERT_TRUE(s.proxy->restore());
    EXPECT_EVENTUALLY(s.road.processor.notStoring().isEmpty(), 10000);
}

// Read-only to whoever runs the test: a read-only file system for root, else the modes of the
// data folder and its databases.
void readOnly(Scene& s, bool on)
{
    if (::geteuid() == 0) {
        ASSERT_TRUE(s.disk->setReadOnly(on)) << std::strerror(errno);
        return;
    }
    for (const char* file : {"spots.sqlite", "call_loc.sqlite"}) {
        ASSERT_EQ(::chmod(qPrintable(s.path(file)), on ? 0400 : 0600), 0);
    }
    ASSERT_EQ(::chmod(qPrintable(s.folder.path()), on ? 0500 : 0700), 0);
}

// A spots file (or `name`) that is read-only while its folder is not: bound read-only over itself
// for root, else its mode.
void readOnlyFile(Scene& s, bool on, const char* name = "spots.sqlite")
{
    const QByteArray file = s.path(name).toLocal8Bit();
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(file.constData(), on ? 0400 : 0600), 0);
    } else if (on) {
        ASSERT_EQ(::mount(file.constData(), file.constData(), nullptr, MS_BIND, nullptr), 0)
            << std::strerror(errno);
        ASSERT_EQ(::mount(nullptr, file.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0)
            << std::strerror(errno);
    } else {
        ASSERT_EQ(::umount2(file.constData(), MNT_DETACH), 0) << std::strerror(errno);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Outages, StoreOutage,
    ::testing::Values(
        Outage{"None", false, false, "", 0, false, [](Scene&) {}, [](Scene&) {}},
        Outage{"NotADatabaseAtStart", false, true, "spots.sqlite: file is not a database; move it out", 3,
               false,
               [](Scene& s) {
                   ASSERT_TRUE(QFile::rename(s.path("spots.sqlite"), s.path("spots.good")));
                   s.dir.write(QStringLiteral("data/spots.sqlite"), QByteArray(8192, '\x5a'));
               },
               [](Scene& s) {
                   ASSERT_TRUE(QFile::remove(s.path("spots.sqlite")));
                   ASSERT_TRUE(QFile::rename(s.path("spots.good"), s.path("spots.sqlite")));
               }},
        Outage{"HeldByAnotherProgram", false, false, "another program holds the database", 4, false,
               [](Scene& s) {
                   s.holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), uniqueName("holder"));
                   s.holder.setDatabaseName(s.path("spots.sqlite"));
                   ASSERT_TRUE(s.holder.open());
                   ASSERT_TRUE(QSqlQuery(s.holder).exec(QStringLiteral("BEGIN IMMEDIATE")));
               },
               [](Scene& s) {
                   QSqlQuery(s.holder).exec(QStringLiteral("ROLLBACK"));
                   const QString name = s.holder.connectionName();
                   s.holder.close();
                   s.holder = QSqlDatabase();
                   QSqlDatabase::removeDatabase(name);
               }},
        Outage{"ReadOnlyAtStart", false, true, "make the data folder and the file writable", 3, true,
               [](Scene& s) { readOnly(s, true); }, [](Scene& s) { readOnly(s, false); }},
        Outage{"ReadOnlyFileAtStart", false, true, "attempt to write a readonly database", 4, false,
               [](Scene& s) { readOnlyFile(s, true); }, [](Scene& s) { readOnlyFile(s, false); }},
        Outage{"FullDiskAtStart", false, true, "free disk space", 3, true, [](Scene& s) { s.disk->fill(); },
               [](Scene& s) { s.disk->free(); }},
        Outage{"ServerAwayAtStart", true, true, "Connection refused", 3, false,
               [](Scene& s) { s.proxy->cut(); }, [](Scene& s) { ASSERT_TRUE(s.proxy->restore()); }},
        Outage{"ServerLostWhileRunning", true, false, "the connection to the database server was lost", 3,
               false, [](Scene& s) { s.proxy->cut(); }, [](Scene& s) { ASSERT_TRUE(s.proxy->restore()); }},
        Outage{"ServerSilentWhileRunning", true, false, "the database server does not answer", 3, false,
               [](Scene& s) { s.proxy->silence(); }, [](Scene& s) { s.proxy->answer(); }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

// A row as the processor hands it over, for the spot called `call`.
SpotWriters::Row row(ErrorLog& log, const char* call)
{
    QString date = QStringLiteral("2024-06-14 12:40:00");
    QString call1 = QStringLiteral("G4ABC");
    QString loc1 = QStringLiteral("IO91WM");
    QString call2 = QLatin1String(call);
    QString loc2;
    QString freq = QStringLiteral("50.11");
    QString detail = QStringLiteral("G4ABC: 50110.0 ") + call2;
    QString mode = QStringLiteral("TROPO");
    return *SpotWriters::spotRow(date, call1, loc1, call2, loc2, freq, detail, mode, log);
}

// What the error log says at the end about what waited: its lines after the time, sorted, as the
// thread and the window's side each write their part when they come to it.
QStringList endLines(const TempFolder& dir)
{
    QStringList out;
    for (const QString& line : dir.lines(QStringLiteral("muf_errors.log"))) {
        const QString text = line.section(u'\t', 1);
        if (text.contains(QLatin1String("ANNOUNCE_TO_DB(")) || text.contains(QLatin1String("spot backlog")) ||
            text.contains(QLatin1String("spots waiting"))) {
            out << text;
        }
    }
    out.sort();
    return out;
}
// The same with the rows not written summed into one line: which side names a row the thread had
// taken but not yet written (the writers, or the window's side) depends on how far the thread got
// when the end came, but each row is named once.
QStringList endLines(const Scene& s)
{
    QStringList out;
    qsizetype rows = 0;
    static const QRegularExpression notWritten(QStringLiteral("^7 - spot backlog: (\\d+) rows not written"));
    for (const QString& line : endLines(s.dir)) {
        const QRegularExpressionMatch m = notWritten.match(line);
        if (m.hasMatch()) {
            rows += m.captured(1).toLongLong();
        } else {
            out << line;
        }
    }
    if (rows > 0) {
        out << QStringLiteral("7 - spot backlog: %1 rows not written").arg(rows);
    }
    out.sort();
    return out;
}

struct Ending
{
    const char* name;
    std::function<void(ServerCutProxy&)> begin;
    // What is handed over first, and holds the thread: a look-up, a row or an announcement.
    enum First
    {
        Lookup,
        Row,
        Announcement,
    } first;
    // Whether the server holds the thread, or it takes what it is handed and then waits.
    bool held;
    // The lines naming what waited: each spot, row and announcement once, and rows as rows.
    QStringList logged;
};

void PrintTo(const Ending& e, std::ostream* os)
{
    *os << e.name;
}

class StoreEnd : public ::testing::TestWithParam<Ending>
{
};

// The program ends while the server is away: the road goes within moments, and whatever still
// waits is named in the log, once. While the server does not answer, the thread is left nothing
// of the window's, and once the server answers it ends by itself, clean, having used nothing
// freed (the sanitizers' runs hold it to that).
TEST_P(StoreEnd, ARoadGoesWithinMomentsAndNamesWhatWaited)
{
    ZENTHRA_REQUIRE_POSTGRES();
    auto scene = std::make_unique<Scene>(true, false);
    Scene& s = *scene;
    s.prepare();
    auto road = std::make_unique<SpotRoad>(SpotRoadServices{s.options, s.log, nullptr, s.folder, s.keywords,
                                                            s.windows.intHiddenHfSpot, s.player,
                                                            [&s] { return s.clock.utcNow(); }});
    bool opened = false;
    QObject::connect(&road->store, &SpotStore::opened, [&opened](bool ok) { opened = ok; });
    // Tried again at the program's own interval: the thread is quiet once it has what it was
    // handed, and the two threads do not write the log at once (the thread checker cannot see the
    // C library's own lock on the local time they each read).
    road->store.open(s.settings, std::chrono::seconds(10), s.schema);
    EXPECT_EVENTUALLY(opened, 10000);
    ASSERT_TRUE(opened);
    GetParam().begin(*s.proxy);
    if (GetParam().first == Ending::Row) {
        road->store.store(row(s.log, "DL0ZZ"));
    } else if (GetParam().first == Ending::Announcement) {
        road->store.announce(QStringLiteral("To ALL de DL0ZZ: first"), QVariant());
    }
    // Three spots ask for their look-ups; then rows, announcements and a look-up are handed over.
    for (const QString& line : lines) {
        QueuedSpot spot = stationSpot(line);
        road->queue.QUEUE_DXC_SPOT(spot);
    }
    road->processor.tmrProcessSpot_Timer();
    road->store.store(row(s.log, "DL1ZZ"));
    road->store.announce(QStringLiteral("To ALL de G4ABC: Es to S5 on 6m"), QVariant());
    road->store.store(row(s.log, "DL2ZZ"));
    road->store.locate(99, QStringLiteral("DL3ZZ"), QString());
    road->store.announce(QStringLiteral("To ALL de S51ZZ: 6m open"), QVariant());
    if (!GetParam().held) {
        EXPECT_EVENTUALLY(road->processor.notStoring().endsWith(QStringLiteral(": 5 waiting in memory")),
                          10000);
    }
    QElapsedTimer gone;
    gone.start();
    road.reset();
    EXPECT_LT(gone.elapsed(),
              (SpotStore::finishWait + SpotStore::answerWait + SpotStore::cutWait).count() + 1000);
    // The thread that ends by itself names its own part once it has.
    QStringList logged = GetParam().logged;
    logged.sort();
    EXPECT_EVENTUALLY_EQ(endLines(s), logged, 10000);
    s.proxy->answer();
    scene.reset();
    EXPECT_TRUE(SpotStore::awaitThreadsEnded(std::chrono::seconds(15)));
}

INSTANTIATE_TEST_SUITE_P(Endings, StoreEnd,
                         ::testing::Values(
                             // Refused at once: the thread finishes what it was handed, and the writers and
                             // the thread name what they hold.
                             Ending{"ServerAway",
                                    [](ServerCutProxy& p) { p.cut(); },
                                    Ending::Lookup,
                                    false,
                                    {"7 - spots waiting for the database: 3 not processed, 0 dropped",
                                     "-2147467259 - ANNOUNCE_TO_DB(To ALL de G4ABC: Es to S5 on 6m)",
                                     "-2147467259 - ANNOUNCE_TO_DB(To ALL de S51ZZ: 6m open)",
                                     "7 - spot backlog: 2 rows not written"}},
                             // Held: the thread is left with the first look-up, and the window's side names
                             // the rows and the announcements it never took.
                             Ending{"ServerSilent",
                                    [](ServerCutProxy& p) { p.silence(); },
                                    Ending::Lookup,
                                    true,
                                    {"7 - spots waiting for the database: 3 not processed, 0 dropped",
                                     "7 - spot backlog: 2 rows not written",
                                     "-2147467259 - ANNOUNCE_TO_DB(To ALL de G4ABC: Es to S5 on 6m)",
                                     "-2147467259 - ANNOUNCE_TO_DB(To ALL de S51ZZ: 6m open)"}},
                             // The row the thread was held writing is the writers' to name, once it is cut.
                             Ending{"ServerSilentUnderARow",
                                    [](ServerCutProxy& p) { p.silence(); },
                                    Ending::Row,
                                    true,
                                    {"7 - spots waiting for the database: 3 not processed, 0 dropped",
                                     "7 - spot backlog: 3 rows not written",
                                     "-2147467259 - ANNOUNCE_TO_DB(To ALL de G4ABC: Es to S5 on 6m)",
                                     "-2147467259 - ANNOUNCE_TO_DB(To ALL de S51ZZ: 6m open)"}},
                             // So is the announcement the thread was held storing the thread's, as it ends.
                             Ending{"ServerSilentUnderAnAnnouncement",
                                    [](ServerCutProxy& p) { p.silence(); },
                                    Ending::Announcement,
                                    true,
                                    {"7 - spots waiting for the database: 3 not processed, 0 dropped",
                                     "-2147467259 - ANNOUNCE_TO_DB(To ALL de DL0ZZ: first)",
                                     "7 - spot backlog: 2 rows not written",
                                     "-2147467259 - ANNOUNCE_TO_DB(To ALL de G4ABC: Es to S5 on 6m)",
                                     "-2147467259 - ANNOUNCE_TO_DB(To ALL de S51ZZ: 6m open)"}}),
                         [](const auto& info) { return std::string(info.param.name); });

// A listener on `port` that never accepts, its one place in the queue taken: a connection to it
// waits for its login's own time limit, before the driver has a socket the watch could cut, as one
// to a host that drops every packet does.
class BlackHole
{
public:
    explicit BlackHole(quint16 port)
    {
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(port);
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int on = 1;
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        m_filler = ::socket(AF_INET, SOCK_STREAM, 0);
        m_ready = m_listener >= 0 && m_filler >= 0 &&
                  ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
                  ::bind(m_listener, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 &&
                  ::listen(m_listener, 0) == 0 &&
                  ::connect(m_filler, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0;
    }
    ~BlackHole()
    {
        for (const int fd : {m_filler, m_listener}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    BlackHole(const BlackHole&) = delete;
    BlackHole& operator=(const BlackHole&) = delete;
    bool ready() const { return m_ready; }

private:
    int m_listener = -1;
    int m_filler = -1;
    bool m_ready = false;
};

// The program ends while the store's thread is inside a login that nothing can cut: the road
// still goes within moments, and the rows the thread holds are named once, by the window's side,
// and not again by the writers when the thread ends after all. The road's thread is the only
// one, so that its end can be awaited.
TEST(StoreEndInALogin, TheRowsTheThreadHoldsAreNamedOnce)
{
    ZENTHRA_REQUIRE_POSTGRES();
    TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DataFolder folder{dir.path()};
    DatabaseSettings settings;
    RelayedServer relayed("zl");
    relayed.aim(settings);
    {
        // The tables made, as an earlier session leaves them.
        PropKeywords seeded{log};
        Database first{settings, folder, log, keywordSeeding(seeded)};
        first.setServerSchema(relayed.schema);
        first.OPEN_DATABASES(settings.strDbType);
        ASSERT_TRUE(first.isOpen()) << log.path().toStdString();
    }
    OptionsModel options;
    PropKeywords keywords{log};
    TextWindows windows{options, [&clock] { return clock.utcNow(); }};
    SilentPlayer player;
    auto road = std::make_unique<SpotRoad>(SpotRoadServices{options, log, nullptr, folder, keywords,
                                                            windows.intHiddenHfSpot, player,
                                                            [&clock] { return clock.utcNow(); }});
    bool opened = false;
    QObject::connect(&road->store, &SpotStore::opened, [&opened](bool ok) { opened = ok; });
    road->store.open(settings, std::chrono::seconds(1), relayed.schema);
    EXPECT_EVENTUALLY(opened, 10000);
    ASSERT_TRUE(opened);
    relayed.proxy->cut();
    road->store.store(row(log, "DL1ZZ"));
    road->store.store(row(log, "DL2ZZ"));
    EXPECT_EVENTUALLY(road->store.notStoring(0).endsWith(QStringLiteral(": 2 waiting in memory")), 10000);
    // The next try, at the server's retry interval, goes into a login that waits its full time.
    BlackHole hole(relayed.proxy->port());
    ASSERT_TRUE(hole.ready()) << std::strerror(errno);
    QTest::qWait(2000);
    QElapsedTimer gone;
    gone.start();
    road.reset();
    EXPECT_LT(gone.elapsed(),
              (SpotStore::finishWait + SpotStore::answerWait + SpotStore::cutWait).count() + 1000);
    EXPECT_TRUE(SpotStore::awaitThreadsEnded(std::chrono::seconds(30)));
    EXPECT_EQ(
        endLines(dir),
        QStringList{"7 - spot backlog: 2 rows not written, the program ended before the database took them"});
}

struct Away
{
    const char* name;
    std::function<void(ServerCutProxy&)> begin;
    std::function<void(ServerCutProxy&)> end;
};

void PrintTo(const Away& a, std::ostream* os)
{
    *os << a.name;
}

class StoreAnnounce : public ::testing::TestWithParam<Away>
{
};

// An announcement made while the server is away waits, and is stored once the server answers
// again, with no spot coming along to open the connection again.
TEST_P(StoreAnnounce, AnAnnouncementWaitsForTheServerAndIsStoredOnItsOwn)
{
    ZENTHRA_REQUIRE_POSTGRES();
    Scene s(true, false);
    s.prepare();
    s.start();
    EXPECT_EVENTUALLY(s.view.isOpen(), 10000);
    ASSERT_TRUE(s.view.isOpen());
    GetParam().begin(*s.proxy);
    const QString text = QStringLiteral("To ALL de G4ABC: Es to S5 on 6m");
    s.road.store.announce(text, Database::dateValue(s.clock.utcNow()));
    // Tried, and tried again, while the server is away.
    QTest::qWait(3000);
    GetParam().end(*s.proxy);
    EXPECT_EVENTUALLY_EQ(s.rows(QStringLiteral("SELECT ann_text FROM tblAnnounce")), QStringList{text},
                         10000);
    EXPECT_EQ(endLines(s), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Outages, StoreAnnounce,
                         ::testing::Values(Away{"ServerCut", [](ServerCutProxy& p) { p.cut(); },
                                                [](ServerCutProxy& p) { ASSERT_TRUE(p.restore()); }},
                                           Away{"ServerSilent", [](ServerCutProxy& p) { p.silence(); },
                                                [](ServerCutProxy& p) { p.answer(); }}),
                         [](const auto& info) { return std::string(info.param.name); });

// What keeps an announcement's write waiting on the server, and what the test does meanwhile with
// the path and a session of its own: each ends with the announcement stored exactly once.
struct HeldAnnouncement
{
    const char* name;
    // Statements that make tblAnnounce ready for it.
    QStringList setup;
    // What the test's session holds, and how it counts the store's waits on it.
    QStringList hold;
    QString waiting;
    // Once the store waits: what the test does to the path, and how it lets go.
    std::function<void(Scene&, QSqlQuery&)> script;
    // Whether the watch cuts the store's statement.
    bool cut;
};

void PrintTo(const HeldAnnouncement& c, std::ostream* os)
{
    *os << c.name;
}

class StoreAnnounceOnce : public ::testing::TestWithParam<HeldAnnouncement>
{
};

// A key of this run's own for the advisory lock that holds an announcement's write.
const qint64 announceKey = qint64(QRandomGenerator::global()->bounded(1 << 30)) + 1;

// Waits for the test's advisory lock for as long as the test holds it, the server's statement
// limit notwithstanding: a server still at work on the write.
QString heldFunction()
{
    return QStringLiteral("CREATE FUNCTION held() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN LOOP BEGIN"
                          " PERFORM pg_advisory_xact_lock(%1); RETURN NEW;"
                          " EXCEPTION WHEN query_canceled THEN NULL; END; END LOOP; END $$")
        .arg(announceKey);
}

const QString advisoryWaits = QStringLiteral("SELECT count(*) FROM pg_locks WHERE NOT granted AND"
                                             " locktype = 'advisory' AND objid = %1")
                                  .arg(announceKey);
const QString announceLocked = QStringLiteral("SELECT pg_advisory_lock(%1)").arg(announceKey);
const QString announceUnlocked = QStringLiteral("SELECT pg_advisory_unlock(%1)").arg(announceKey);

// The store's statement is cut while the server does not answer, the server finishes it, and its
// answer is held past the cut.
void answerHeldPastTheWatch(Scene& s, QSqlQuery& q)
{
    s.proxy->silence();
    q.exec(announceUnlocked);
    QTest::qWait(6000);
    s.proxy->answer();
}

// The store's commit is cut while the server is still at work on it, and the server answers
// again: it is asked again at the interval, costing about what idling does, until it says the
// transaction committed.
void commitCutUnfinished(Scene& s, QSqlQuery& q)
{
    const int cuts = s.road.store.serverWatch()->cuts();
    s.proxy->silence();
    EXPECT_EVENTUALLY(s.road.store.serverWatch()->cuts() > cuts, 15000);
    s.proxy->answer();
    QTest::qWait(1500);
    EXPECT_LT(coreShareWhileWaiting(std::chrono::seconds(3)), 0.1);
    q.exec(announceUnlocked);
}

const QStringList heldAtInsert = {
    heldFunction(),
    QStringLiteral("CREATE TRIGGER held BEFORE INSERT ON tblAnnounce FOR EACH ROW EXECUTE FUNCTION held()")};
const QStringList heldAtCommit = {
    heldFunction(), QStringLiteral("CREATE CONSTRAINT TRIGGER held AFTER INSERT ON tblAnnounce"
                                   " DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION held()")};

// A session of the test's own, opened before the store's thread runs and put away once it has
// ended, so that the two threads never use Qt's list of connections at once.
struct OwnSession
{
    OwnSession() : db(openPostgres(name)), q(db) {}
    ~OwnSession()
    {
        q = QSqlQuery();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }
    int count(const QString& sql) { return q.exec(sql) && q.next() ? q.value(0).toInt() : -1; }
    QStringList texts(const QString& sql)
    {
        QStringList out;
        for (bool ok = q.exec(sql); ok && q.next();) {
            out << q.value(0).toString();
        }
        return out;
    }
    const QString name = uniqueName("own");
    QSqlDatabase db;
    QSqlQuery q;
};

TEST_P(StoreAnnounceOnce, TheAnnouncementIsStoredExactlyOnce)
{
    ZENTHRA_REQUIRE_POSTGRES();
    const HeldAnnouncement& c = GetParam();
    OwnSession own;
    Scene s(true, false);
    s.prepare();
    onServer(s.schema, c.setup);
    s.start();
    EXPECT_EVENTUALLY(s.view.isOpen(), 10000);
    ASSERT_TRUE(s.view.isOpen());
    // The test's own session reads what was stored, and the test's layer stays as it is: made anew
    // at each of the store's reconnections, it would use Qt's list of connections while the store's
    // thread does.
    QObject::disconnect(&s.road.store, &SpotStore::opened, nullptr, nullptr);
    ASSERT_TRUE(own.q.exec(QStringLiteral("SET search_path TO ") + s.schema));
    for (const QString& statement : c.hold) {
        ASSERT_TRUE(own.q.exec(statement)) << statement.toStdString();
    }
    const int cuts = s.road.store.serverWatch()->cuts();
    const QString text = QStringLiteral("To ALL de G4ABC: Es to S5 on 6m");
    s.road.store.announce(text, Database::dateValue(s.clock.utcNow()));
    EXPECT_EVENTUALLY(own.count(c.waiting) > 0, 10000);
    c.script(s, own.q);
    EXPECT_EQ(s.road.store.serverWatch()->cuts() > cuts, c.cut);
    // Announcements go in order: once the next one is stored, the first is done with.
    const QString next = QStringLiteral("To ALL de S51ZZ: 6m open");
    s.road.store.announce(next, Database::dateValue(s.clock.utcNow()));
    EXPECT_EVENTUALLY_EQ(own.texts(QStringLiteral("SELECT ann_text FROM tblAnnounce ORDER BY ann_text")),
                         (QStringList{text, next}), 20000);
    EXPECT_EQ(endLines(s), QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    Held, StoreAnnounceOnce,
    ::testing::Values(
        // The insert's answer: its transaction never committed, and it is written again.
        HeldAnnouncement{
            "InsertAnswer", heldAtInsert, {announceLocked}, advisoryWaits, answerHeldPastTheWatch, true},
        // The commit's answer: the server is asked, and says it committed.
        HeldAnnouncement{
            "CommitAnswer", heldAtCommit, {announceLocked}, advisoryWaits, answerHeldPastTheWatch, true},
        HeldAnnouncement{
            "CommitInProgress", heldAtCommit, {announceLocked}, advisoryWaits, commitCutUnfinished, true},
        // Another session holds the table past the server's statement limit: the refusal for time
        // has the announcement written again, and it goes in once the table is free.
        HeldAnnouncement{
            "TableLockedPastTheLimit",
            {},
            {QStringLiteral("BEGIN"), QStringLiteral("LOCK TABLE tblAnnounce IN ACCESS EXCLUSIVE MODE")},
            QStringLiteral("SELECT count(*) FROM pg_locks WHERE NOT granted AND"
                           " relation = 'tblannounce'::regclass"),
            [](Scene&, QSqlQuery& q) {
                QTest::qWait(6500);
                q.exec(QStringLiteral("ROLLBACK"));
            },
            false}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedAnnouncement
{
    const char* name;
    QStringList setup;
    QString text;
};

void PrintTo(const RefusedAnnouncement& c, std::ostream* os)
{
    *os << c.name;
}

class StoreAnnounceRefused : public ::testing::TestWithParam<RefusedAnnouncement>
{
};

// The server refuses the announcement itself, at its insert or at its commit: it is logged, once,
// and the next announcement is stored.
TEST_P(StoreAnnounceRefused, TheAnnouncementIsLoggedAndTheNextStored)
{
    ZENTHRA_REQUIRE_POSTGRES();
    const RefusedAnnouncement& c = GetParam();
    Scene s(true, false);
    s.prepare();
    onServer(s.schema, c.setup);
    s.start();
    EXPECT_EVENTUALLY(s.view.isOpen(), 10000);
    ASSERT_TRUE(s.view.isOpen());
    s.road.store.announce(c.text, Database::dateValue(s.clock.utcNow()));
    const QString next = QStringLiteral("To ALL de S51ZZ: 6m open");
    s.road.store.announce(next, Database::dateValue(s.clock.utcNow()));
    EXPECT_EVENTUALLY_EQ(s.rows(QStringLiteral("SELECT ann_text FROM tblAnnounce")), QStringList{next},
                         10000);
    EXPECT_EQ(endLines(s), QStringList{QStringLiteral("-2147217900 - ANNOUNCE_TO_DB(%1)").arg(c.text)});
}

INSTANTIATE_TEST_SUITE_P(
    Refused, StoreAnnounceRefused,
    ::testing::Values(
        // Longer than the column: 22001.
        RefusedAnnouncement{"AtTheInsert", {}, QString(300, u'x')},
        // A check deferred to the commit: 23514.
        RefusedAnnouncement{
            "AtTheCommit",
            {QStringLiteral("CREATE FUNCTION refused() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
                            " IF NEW.ann_text LIKE '%G4ABC%' THEN RAISE check_violation USING MESSAGE ="
                            " 'refused at commit'; END IF; RETURN NULL; END $$"),
             QStringLiteral("CREATE CONSTRAINT TRIGGER refused AFTER INSERT ON tblAnnounce DEFERRABLE"
                            " INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION refused()")},
            QStringLiteral("To ALL de G4ABC: Es to S5 on 6m")}),
    [](const auto& info) { return std::string(info.param.name); });

// A quiet band hands the store nothing, yet the caption says when the server stops answering,
// and stops saying so once it answers again.
TEST(StoreQuiet, AServerThatFallsSilentWhileNoSpotsFlowIsSaid)
{
    ZENTHRA_REQUIRE_POSTGRES();
    Scene s(true, false);
    s.prepare();
    s.start();
    EXPECT_EVENTUALLY(s.view.isOpen(), 10000);
    ASSERT_TRUE(s.view.isOpen());
    s.proxy->silence();
    EXPECT_EVENTUALLY_EQ(s.road.store.silence(), QStringLiteral("the database server does not answer"),
                         15000);
    EXPECT_EQ(s.road.processor.notStoring(),
              QStringLiteral(
                  "Spots are not being stored (the database server does not answer): 0 waiting in memory"));
    s.proxy->answer();
    EXPECT_EVENTUALLY(s.road.store.silence().isNull(), 10000);
}

} // namespace

namespace {

// The descriptors this process holds open.
int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

struct ReadOnlyFiles
{
    const char* name;
    std::vector<const char*> files;
};

void PrintTo(const ReadOnlyFiles& r, std::ostream* os)
{
    *os << r.name;
}

class StoreReadOnly : public ::testing::TestWithParam<ReadOnlyFiles>
{
};

// Files that cannot be written, opened by the store and by the window's layer beside it: the
// wait holds the same descriptors however long it lasts, and the spots are stored once the files
// can be written.
TEST_P(StoreReadOnly, WaitingHoldsTheSameDescriptorsUntilTheFilesCanBeWritten)
{
    Scene s(false, false);
    s.prepare();
    for (const char* file : GetParam().files) {
        readOnlyFile(s, true, file);
    }
    s.start();
    s.spots(lines);
    const QString waiting = QStringLiteral(
        "Spots are not being stored (attempt to write a readonly database): 4 waiting in memory");
    EXPECT_EVENTUALLY(s.view.isOpen() && s.road.processor.notStoring() == waiting, 15000);
    ASSERT_EQ(s.road.processor.notStoring(), waiting);
    const int interval = int(SpotWriters::diskRetryInterval.count());
    QTest::qWait(2 * interval);
    std::vector<int> held;
    for (int i = 0; i < 6; ++i) {
        held.push_back(openDescriptors());
        QTest::qWait(interval);
    }
    EXPECT_EQ(held, std::vector<int>(held.size(), held.front()));
    EXPECT_EQ(s.road.processor.notStoring(), waiting);
    for (const char* file : GetParam().files) {
        readOnlyFile(s, false, file);
    }
    EXPECT_EVENTUALLY(s.view.isOpen() && s.rows(QStringLiteral("SELECT count(*) FROM tblAllSpots")) ==
                                             QStringList{QStringLiteral("3")},
                      20000);
    EXPECT_EVENTUALLY(s.road.processor.notStoring().isEmpty(), 5000);
    EXPECT_EQ(s.rows(QStringLiteral("SELECT DxCall1, DxCall2, MUF FROM tblSPOT")),
              (QStringList{"G4ABC|S51ZZ|60.9735"}));
}

INSTANTIATE_TEST_SUITE_P(Files, StoreReadOnly,
                         ::testing::Values(ReadOnlyFiles{"SpotsFile", {"spots.sqlite"}},
                                           ReadOnlyFiles{"BothFiles", {"spots.sqlite", "call_loc.sqlite"}}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
