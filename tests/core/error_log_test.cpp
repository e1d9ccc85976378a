#include "core/error_log.h"
#include "platform/clock.h"
#include "support/file_size_limit.h"
#include "support/temp_folder.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using zenthra::Clock;
using zenthra::ErrorLog;
using zenthra::test::FileSizeLimit;
using zenthra::test::TempFolder;

namespace {
const QRegularExpression lineShape(QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\t(-?\d+) - (.*)$)"));
}

TEST(ErrorLog, FirstCallCreatesTheFileLaterCallsAppend)
{
    TempFolder dir;
    Clock clock;
    ErrorLog log(dir.path(), clock);
    log.WRITE_ERROR_LOG(91, "tmrDxDateTime_Timer()");
    log.WRITE_ERROR_LOG(-2147217900, "mnuDDE_Click(1)");

    const QByteArray bytes = dir.read("muf_errors.log");
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 2);
    const QStringList lines = dir.lines("muf_errors.log");
    ASSERT_EQ(lines.size(), 2);
    const auto first = lineShape.match(lines[0]);
    ASSERT_TRUE(first.hasMatch()) << lines[0].toStdString();
    EXPECT_EQ(first.captured(1), "91");
    EXPECT_EQ(first.captured(2), "tmrDxDateTime_Timer()");
    const auto second = lineShape.match(lines[1]);
    ASSERT_TRUE(second.hasMatch()) << lines[1].toStdString();
    EXPECT_EQ(second.captured(1), "-2147217900");
    EXPECT_EQ(second.captured(2), "mnuDDE_Click(1)");
}

TEST(ErrorLog, PrintsTheLocalTimeOfTheClock)
{
    TempFolder dir;
    Clock clock;
    const QDateTime utc(QDate(2026, 6, 1), QTime(12, 34, 56), Qt::UTC);
    clock.setUtc(utc);
    ErrorLog log(dir.path(), clock);
    log.WRITE_ERROR_LOG(6, "");
    const QString expected = utc.toLocalTime().toString("yyyy-MM-dd HH:mm:ss") + "\t6 - ";
    EXPECT_EQ(dir.lines("muf_errors.log"), QStringList{expected});
}

TEST(ErrorLog, UnwritableLogIsSilentButSetsTheFlag)
{
    TempFolder dir;
    Clock clock;
    dir.write("muf_errors.log", "kept\r\n");
    ErrorLog log(dir.path(), clock);
    EXPECT_EQ(log.intErrorLogged, 0);
    {
        // The disk is full: not one more byte fits in the log.
        const FileSizeLimit fullDisk(6);
        ASSERT_TRUE(fullDisk.active());
        log.WRITE_ERROR_LOG(5, "Asin(2)");
    }
    EXPECT_EQ(log.intErrorLogged, 1);
    EXPECT_EQ(dir.read("muf_errors.log"), "kept\r\n");

    ErrorLog nowhere(dir.file("no/such/folder"), clock);
    nowhere.WRITE_ERROR_LOG(5, "x");
    EXPECT_EQ(nowhere.intErrorLogged, 1);
}
