#include "support/file_mode.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

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
