#include "support/temp_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

using zenthra::test::TempFolder;

// The real program: started on a fresh data folder and asked to end as a desktop session or a
// service manager does (SIGTERM); it closes its window, saves its settings and exits with 0.
TEST(Program, StartsAndEndsCleanlyLeavingTheSettingsFile)
{
    TempFolder dir;
    const QString folder = dir.file("data");
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(ZENTHRA_BINARY), {QStringLiteral("--folder"), folder});
    ASSERT_TRUE(program.waitForStarted(10000));
    // The program creates its folder once it is ready to be asked to end.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(folder).isDir(); }, 30000));
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    const QStringList lines = dir.lines("data/zenthra.dat");
    ASSERT_EQ(lines.size(), 123);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines[31], "8");
    EXPECT_EQ(lines[89], "10000");
}
