#include "core/error_log.h"
#include "platform/clock.h"
#include "support/file_size_limit.h"
#include "support/temp_folder.h"

#include <QFile>
#include <gtest/gtest.h>

using zenthra::Clock;
using zenthra::ErrorLog;
using zenthra::test::FileSizeLimit;
using zenthra::test::TempFolder;

TEST(ErrorLog, FirstCallCreatesTheFileLaterCallsAppendWithTheLocalTimeOfTheClock)
{
    TempFolder dir;
    Clock clock;
    const QDateTime utc(QDate(2026, 6, 1), QTime(12, 34, 56), Qt::UTC);
    clock.setUtc(utc);
    ErrorLog log(dir.path(), clock);
    log.WRITE_ERROR_LOG(91, "tmrDxDateTime_Timer()");
    log.WRITE_ERROR_LOG(-2147217900, "mnuDDE_Click(1)");
    const QByteArray stamp = utc.toLocalTime().toString("yyyy-MM-dd HH:mm:ss").toLatin1();
    EXPECT_EQ(dir.read("muf_errors.log"),
              stamp + "\t91 - tmrDxDateTime_Timer()\r\n" + stamp + "\t-2147217900 - mnuDDE_Click(1)\r\n");
}

TEST(ErrorLog, UnwritableLogIsSilentButSetsTheFlag)
{
    TempFolder dir;
    Clock clock;
    dir.write("muf_errors.log", "kept\r\n");
    ErrorLog log(dir.path(), clock);
    {
        // The disk is full: not one more byte fits.
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
