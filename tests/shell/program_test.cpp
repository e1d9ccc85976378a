#include "spots/server_cut_proxy.h"
#include "support/file_mode.h"
#include "support/postgres.h"
#include "support/settings_lines.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

using zenthra::test::TempFolder;

namespace {

// Starts the real program on `folder` (offscreen), waits until `readyFile` in it exists, asks it
// to end as a desktop session or a service manager does (SIGTERM) and returns its exit code, or
// -1 when it did not start, get ready or end in time.
int runAndTerminate(const QString& folder, const QString& readyFile)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(ZENTHRA_BINARY), {QStringLiteral("--folder"), folder});
    if (!program.waitForStarted(10000)) {
        return -1;
    }
    const QString ready = readyFile.isEmpty() ? folder : folder + u'/' + readyFile;
    const bool wasReady = QTest::qWaitFor([&] { return QFileInfo::exists(ready); }, 30000);
    program.terminate();
    if (!program.waitForFinished(30000) || program.exitStatus() != QProcess::NormalExit || !wasReady) {
        return -1;
    }
    return program.exitCode();
}

} // namespace

// The real program: started on a fresh data folder and asked to end as a desktop session or a
// service manager does (SIGTERM); it closes its window, saves its settings and exits with 0.
TEST(Program, StartsAndEndsCleanlyLeavingTheSettingsFile)
{
    TempFolder dir;
    const QString folder = dir.file("data");
    // The program creates its folder once it is ready to be asked to end.
    ASSERT_EQ(runAndTerminate(folder, QString()), 0);
    const QStringList lines = dir.lines("data/zenthra.dat");
    ASSERT_EQ(lines.size(), 123);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines[31], "8");
    EXPECT_EQ(lines[89], "10000");
}

// A window 999999999 twips square with its Top far below every screen comes up at its default
// place at most as large as the screen (800 x 800 pixels offscreen), and still ends when asked.
TEST(Program, StartsWithASaneWindowFromAHostileSettingsFile)
{
    TempFolder dir;
    ASSERT_TRUE(QDir().mkpath(dir.file("data")));
    dir.write("data/zenthra.dat", "a\r\n\r\n\r\n\r\n\r\n999999999\r\n999999999\r\n99999999\r\n999999999\r\n");
    const QString folder = dir.file("data");
    // The databases are opened during start-up, when termination requests already wait for the loop.
    ASSERT_EQ(runAndTerminate(folder, QStringLiteral("spots.sqlite")), 0);
    // Height, width, top, left of the window as it was at the end, in twips.
    const QStringList lines = dir.lines("data/zenthra.dat");
    ASSERT_EQ(lines.size(), 123);
    EXPECT_EQ(lines.mid(5, 4), (QStringList{"12000", "12000", "0", "0"}));
}

// Mode bits, not who may read, so this holds as root too.
TEST(Program, TheNewFolderAndFilesWithNodeDataAreTheOwnersAloneUnderUmask022)
{
    const zenthra::test::ScopedUmask umask(022);
    TempFolder dir;
    const QString folder = dir.file("new/data");
    ASSERT_EQ(runAndTerminate(folder, QStringLiteral("spots.sqlite")), 0);
    EXPECT_EQ(zenthra::test::modeOf(dir.file("new")), 0700);
    EXPECT_EQ(zenthra::test::modeOf(folder), 0700);
    // The first start logs the two missing histories, so the error log is there too.
    for (const char* name : {"zenthra.dat", "spots.sqlite", "call_loc.sqlite", "muf_errors.log",
                             "dxc_history.dat", "wwc_history.dat"}) {
        EXPECT_EQ(zenthra::test::modeOf(folder + u'/' + QLatin1String(name)), 0600) << name;
    }
}

namespace {

// A database of the test's own on the test server, reached through a relay; dropped at the end.
struct ProgramServer
{
    ProgramServer()
    {
        const auto a = zenthra::test::postgresAddress();
        name = QStringLiteral("zenthra_program_%1").arg(QRandomGenerator::global()->generate());
        admin = zenthra::test::openPostgres(name);
        QSqlQuery(admin).exec(QStringLiteral("CREATE DATABASE ") + name);
        proxy = std::make_unique<zenthra::test::ServerCutProxy>(a.host, quint16(a.port));
    }
    ~ProgramServer()
    {
        proxy.reset();
        QSqlQuery(admin).exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
        admin.close();
        admin = {};
        QSqlDatabase::removeDatabase(name);
    }
    bool hasTables()
    {
        QSqlQuery q(admin);
        q.prepare(QStringLiteral("SELECT count(*) FROM pg_database WHERE datname = ?"));
        q.addBindValue(name);
        if (!q.exec() || !q.next() || q.value(0).toInt() != 1) {
            return false;
        }
        QSqlDatabase db = QSqlDatabase::cloneDatabase(admin, name + QStringLiteral("_look"));
        db.setDatabaseName(name);
        bool found = false;
        if (db.open()) {
            QSqlQuery t(db);
            found = t.exec(QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE table_name = "
                                          "'tblallspots'")) &&
                    t.next() && t.value(0).toInt() == 1;
            t = QSqlQuery();
            db.close();
        }
        db = {};
        QSqlDatabase::removeDatabase(name + QStringLiteral("_look"));
        return found;
    }

    QString name;
    QSqlDatabase admin;
    std::unique_ptr<zenthra::test::ServerCutProxy> proxy;
};

} // namespace

// The program with the server as its database, which stops answering before it is reached or
// once the program works with it: asked to end, it ends at once with 0 all the same.
TEST(Program, EndsWithinMomentsWhileTheServerDoesNotAnswer)
{
    ZENTHRA_REQUIRE_POSTGRES();
    struct Row
    {
        const char* name;
        bool fromTheStart;
        int silentForMs; // before the program is asked to end
    };
    for (const Row& row : {Row{"silent from the start", true, 1500},
                           Row{"silent once the program has its tables, asked to end at once", false, 300},
                           Row{"silent once the program has its tables, asked to end later", false, 1500}}) {
        SCOPED_TRACE(row.name);
        const bool fromTheStart = row.fromTheStart;
        ProgramServer server;
        TempFolder dir;
        zenthra::test::installStartFiles(dir);
        zenthra::test::prepareSettings(dir, {{1, QStringLiteral("s")},
                                             {2, QStringLiteral("127.0.0.1:%1").arg(server.proxy->port())},
                                             {3, server.name},
                                             {4, zenthra::test::postgresAddress().user}});
        if (fromTheStart) {
            server.proxy->silence();
        }
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(ZENTHRA_BINARY), {QStringLiteral("--folder"), dir.path()});
        ASSERT_TRUE(program.waitForStarted(10000));
        if (fromTheStart) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return server.proxy->accepted() > 0; }, 20000));
        } else {
            ASSERT_TRUE(QTest::qWaitFor([&] { return server.hasTables(); }, 20000));
            server.proxy->silence();
        }
        QTest::qWait(row.silentForMs);
        ASSERT_EQ(program.state(), QProcess::Running);
        QElapsedTimer ending;
        ending.start();
        program.terminate();
        const bool ended = program.waitForFinished(15000);
        if (!ended) {
            program.kill();
            program.waitForFinished(5000);
        }
        ASSERT_TRUE(ended);
        // The window's own login may have been under way as the silence came (4 s at most), and
        // the store's end takes 3 s at most beside a server that does not answer.
        EXPECT_LT(ending.elapsed(), 8000);
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_EQ(dir.lines(QStringLiteral("zenthra.dat")).value(0), QStringLiteral("s"));
    }
}
