#include "spots/spot_road_fixture.h"

#include "support/postgres.h"

#include <QSignalSpy>

using namespace zenthra;
using namespace zenthra::test;

namespace {

QDateTime day(int d, int h = 12)
{
    return QDateTime(QDate(2024, 5, d), QTime(h, 0), Qt::UTC);
}

class CallLoc : public SpotRoadFixture
{
protected:
    QStringList rowsOf(const QString& call)
    {
        QSqlQuery q = run(Store::CallLoc,
                          QStringLiteral("SELECT DxCallsign, DxLocatorID, DxDate FROM tblDxStation"
                                         " WHERE upper(DxCallsign) = upper(?) ORDER BY DxDate"),
                          {call});
        QStringList out;
        while (q.next()) {
            out << q.value(0).toString() + u'|' + q.value(1).toString() + u'|' +
                       Database::readDate(q.value(2)).toString(Qt::ISODate);
        }
        return out;
    }
    // A mini.sqlite with the same table, holding these rows (a null QVariant stands for NULL).
    void mini(const QList<QVariantList>& rows)
    {
        const QString name = QStringLiteral("mini-%1").arg(quintptr(this));
        {
            QSqlDatabase m = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            m.setDatabaseName(dir.file(QStringLiteral("mini.sqlite")));
            ASSERT_TRUE(m.open());
            QSqlQuery q(m);
            ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE tblDxStation (DxCallsign varchar(50), "
                                              "DxLocatorID varchar(20), DxDate datetime)")));
            for (const QVariantList& r : rows) {
                ASSERT_TRUE(q.prepare(QStringLiteral("INSERT INTO tblDxStation VALUES (?, ?, ?)")));
                for (const QVariant& v : r) {
                    q.addBindValue(v);
                }
                ASSERT_TRUE(q.exec());
            }
        }
        QSqlDatabase::removeDatabase(name);
    }
};

TEST_P(CallLoc, LookupTakesTheNewestRowOfTheCall)
{
    station(QStringLiteral("G4ABC"), QStringLiteral("IO91WM"), day(1));
    station(QStringLiteral("G4ABC"), QStringLiteral("JO01AA  "), day(3));
    station(QStringLiteral("G4ABD"), QStringLiteral("IO80AA"), day(9));
    EXPECT_EQ(calls->GET_LOCATOR(QStringLiteral("G4ABC")), "JO01AA");
    EXPECT_EQ(calls->GET_LOCATOR(QStringLiteral("NOBODY")), "");
    queue->blnDbBusy = true;
    EXPECT_EQ(calls->GET_LOCATOR(QStringLiteral("G4ABC")), "");
    EXPECT_TRUE(queue->blnDbBusy);
    queue->blnDbBusy = false;
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_P(CallLoc, HandEntryReplacesOlderRowsInOneGo)
{
    station(QStringLiteral("G4ABC"), QStringLiteral("IO91WM"), day(1));
    station(QStringLiteral("G4ABC"), QStringLiteral("IO91WL"), day(2));
    QString call = QStringLiteral("  g4abc ");
    EXPECT_EQ(calls->DX_DATABASE(call, QStringLiteral("io91"), day(10)),
              "Zenthra - ADDED OR UPDATED DX STATION G4ABC in IO91MM");
    EXPECT_EQ(call, "G4ABC");
    EXPECT_EQ(rowsOf(QStringLiteral("G4ABC")), QStringList({"G4ABC|IO91MM|2024-05-10T12:00:00Z"}));
    // An older or equally old entry leaves the table as it is.
    QString again = QStringLiteral("G4ABC");
    EXPECT_EQ(calls->DX_DATABASE(again, QStringLiteral("JO01AA"), day(5)),
              "Zenthra - DX STATION G4ABC in JO01AA NOT MODIFIED");
    EXPECT_EQ(calls->DX_DATABASE(again, QStringLiteral("JO01AA"), day(10)),
              "Zenthra - DX STATION G4ABC in JO01AA NOT MODIFIED");
    EXPECT_EQ(rowsOf(QStringLiteral("G4ABC")), QStringList({"G4ABC|IO91MM|2024-05-10T12:00:00Z"}));
    EXPECT_TRUE(logLines().isEmpty());
}

// A row of the call without a date is not older than any entry: it stays, and keeps the entry out.
TEST_P(CallLoc, AnUndatedRowOfTheCallKeepsTheEntryOut)
{
    station(QStringLiteral("G4ABC"), QStringLiteral("IO91WL"), day(1));
    run(Store::CallLoc, QStringLiteral("INSERT INTO tblDxStation (DxCallsign, DxLocatorID) VALUES (?, ?)"),
        {QStringLiteral("g4abc"), QStringLiteral("IO91WM")});
    QString call = QStringLiteral("G4ABC");
    EXPECT_EQ(calls->DX_DATABASE(call, QStringLiteral("JO01AA"), day(10)),
              "Zenthra - DX STATION G4ABC in JO01AA NOT MODIFIED");
    EXPECT_EQ(rowsOf(QStringLiteral("G4ABC")), QStringList({"g4abc|IO91WM|"}));
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
}

TEST_P(CallLoc, InvalidEntriesStoreNothingAndSaySo)
{
    for (const auto& [typedCall, typedLoc] :
         {std::pair{"G4", "IO91WM"}, std::pair{"G4ABC", "IO9"}, std::pair{"G4ABC", "SS91AA"}}) {
        QString call = QString::fromLatin1(typedCall);
        EXPECT_EQ(calls->DX_DATABASE(call, QString::fromLatin1(typedLoc), day(1)),
                  QStringLiteral("ERROR ADDING DX STATION %1 in ?%2")
                      .arg(QLatin1String(typedCall), QLatin1String(typedLoc)));
    }
    EXPECT_EQ(count(QStringLiteral("tblDxStation"), Store::CallLoc), 0);
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].endsWith("\t7777 - DX_DATABASE(G4,IO91WM,2024-05-01 12:00:00)"))
        << lines[0].toStdString();
}

TEST_P(CallLoc, QuotesInACallTouchNoOtherRow)
{
    station(QStringLiteral("G4ABC"), QStringLiteral("IO91WM"), day(1));
    station(QStringLiteral("A"), QStringLiteral("IO91WM"), day(1));
    QString call = QStringLiteral("A' OR 'A'='A");
    EXPECT_EQ(calls->DX_DATABASE(call, QStringLiteral("JO01AA"), day(20)),
              "Zenthra - ADDED OR UPDATED DX STATION A' OR 'A'='A in JO01AA");
    EXPECT_EQ(rowsOf(QStringLiteral("G4ABC")).size(), 1);
    EXPECT_EQ(rowsOf(QStringLiteral("A")).size(), 1);
    EXPECT_EQ(calls->GET_LOCATOR(QStringLiteral("A' OR 'A'='A")), "JO01AA");
    EXPECT_EQ(count(QStringLiteral("tblDxStation"), Store::CallLoc), 3);
}

TEST_P(CallLoc, MiniImportCountsOnlyAddedRows)
{
    station(QStringLiteral("OH1XX"), QStringLiteral("KP20LE"), day(10));
    mini({{QStringLiteral("g4abc"), QStringLiteral("io91wm"), QStringLiteral("2024-05-01 12:00:00")},
          {QStringLiteral("OH1XX"), QStringLiteral("KP20AA"), QStringLiteral("2024-05-02 12:00:00")},
          {QStringLiteral("BAD1"), QStringLiteral("ZZ99"), QStringLiteral("2024-05-02 12:00:00")},
          {QStringLiteral("DL1ZZ"), QStringLiteral("JO62"), QStringLiteral("2024-05-03 12:00:00")}});
    QSignalSpy running(calls, &CallLocator::miniUpdateRunningChanged);
    QSignalSpy status(calls, &CallLocator::statusChanged);
    EXPECT_EQ(calls->DX_DATABASE_MINI_UPDATE(), "Zenthra - 2 CALL / LOC ADDED OR UPDATED");
    ASSERT_EQ(running.count(), 2);
    EXPECT_TRUE(running[0][0].toBool());
    EXPECT_FALSE(running[1][0].toBool());
    ASSERT_EQ(status.count(), 3);
    EXPECT_EQ(status[1][0].toString(), "Zenthra - DX STATION OH1XX in KP20AA NOT MODIFIED");
    EXPECT_EQ(calls->GET_LOCATOR(QStringLiteral("G4ABC")), "IO91WM");
    EXPECT_EQ(calls->GET_LOCATOR(QStringLiteral("OH1XX")), "KP20LE");
    EXPECT_EQ(calls->GET_LOCATOR(QStringLiteral("DL1ZZ")), "JO62MM");
    EXPECT_EQ(calls->GET_LOCATOR(QStringLiteral("BAD1")), "");
}

TEST_P(CallLoc, MiniImportFailures)
{
    QSignalSpy running(calls, &CallLocator::miniUpdateRunningChanged);
    EXPECT_EQ(calls->DX_DATABASE_MINI_UPDATE(),
              "Zenthra Error, make sure mini.sqlite is in your zenthra working folder!");
    EXPECT_FALSE(calls->miniUpdateRunning());
    EXPECT_EQ(running.count(), 2);
    mini({});
    EXPECT_EQ(calls->DX_DATABASE_MINI_UPDATE(), "Zenthra - 0 CALL / LOC ADDED OR UPDATED");
    QFile::remove(dir.file(QStringLiteral("mini.sqlite")));
    mini({{QStringLiteral("G4ABC"), QStringLiteral("IO91WM"), QStringLiteral("2024-05-01 12:00:00")},
          {QStringLiteral("G4NUL"), QStringLiteral("IO91WM"), QVariant(QMetaType::fromType<QString>())},
          {QStringLiteral("G4LAT"), QStringLiteral("IO91WM"), QStringLiteral("2024-05-01 12:00:00")}});
    EXPECT_EQ(calls->DX_DATABASE_MINI_UPDATE(), "Zenthra - A FATAL ERROR HAPPENED");
    EXPECT_FALSE(calls->miniUpdateRunning());
    EXPECT_EQ(calls->GET_LOCATOR(QStringLiteral("G4ABC")), "IO91WM");
    EXPECT_EQ(calls->GET_LOCATOR(QStringLiteral("G4LAT")), "");
    EXPECT_TRUE(logLines().last().endsWith("DX_DATABASE_MINI_UPDATE()"));
}

// One rule on both databases: the server would refuse the call in its own words, SQLite store it.
TEST_P(CallLoc, MiniImportSkipsCallsLongerThanTheirColumn)
{
    const QString fifty(50, u'K');
    mini({{QStringLiteral("G4ABC"), QStringLiteral("IO91WM"), QStringLiteral("2024-05-01 12:00:00")},
          {QString(10 * 1024 * 1024, u'K'), QStringLiteral("IO91WM"), QStringLiteral("2024-05-01 12:00:00")},
          {QStringLiteral(" ") + fifty + QStringLiteral(" "), QStringLiteral("JO01AA"),
           QStringLiteral("2024-05-01 12:00:00")},
          // Stored upper-cased: "ß" becomes "SS", 52 characters.
          {QString(26, u'ß'), QStringLiteral("JO01AA"), QStringLiteral("2024-05-01 12:00:00")},
          // Characters, not UTF-16 units, are counted.
          {QStringLiteral("\U0001D11E").repeated(50), QStringLiteral("JO02AA"),
           QStringLiteral("2024-05-01 12:00:00")}});
    QSignalSpy status(calls, &CallLocator::statusChanged);
    EXPECT_EQ(calls->DX_DATABASE_MINI_UPDATE(), "Zenthra - 3 CALL / LOC ADDED OR UPDATED");
    ASSERT_EQ(status.count(), 5);
    EXPECT_EQ(status[1][0].toString(),
              "Zenthra - Row 2 of mini.sqlite: the call is longer than 50 characters and was skipped.");
    EXPECT_EQ(status[3][0].toString(),
              "Zenthra - Row 4 of mini.sqlite: the call is longer than 50 characters and was skipped.");
    EXPECT_EQ(count(QStringLiteral("tblDxStation"), Store::CallLoc), 3);
    EXPECT_EQ(calls->GET_LOCATOR(fifty), "JO01AA");
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith(
        "\t5 - DX_DATABASE_MINI_UPDATE(): rows skipped with a call longer than 50 characters: 2"))
        << lines[0].toStdString();
}

TEST_P(CallLoc, SearchReport)
{
    EXPECT_EQ(calls->Search_Call_loc_DB({}, {}, QStringLiteral("IO91WM")), "Sorry No data returned for  ");
    for (int i = 104; i >= 0; --i) {
        station(QStringLiteral("ZZ%1").arg(i, 3, 10, QChar(u'0')), QStringLiteral("JO01AA"), day(1));
    }
    station(QStringLiteral("G4ABCDEFGHIJKLMNOPQR"), QStringLiteral("IO91WM"), day(3));
    station(QStringLiteral("F5XYZ"), QStringLiteral("JN18EU"), day(4));
    const QString all = calls->Search_Call_loc_DB({}, {}, QStringLiteral("IO91WM"));
    const QStringList lines = all.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 102); // heading, 100 rows, the empty text after the last line end
    EXPECT_EQ(lines[0], "Top 100 search results for:  ");
    EXPECT_EQ(lines[1], "F5XYZ           \tJN18EU\t(date: 04 May 24)\tQTF from IO91WM = 149, QRB = 346km");
    EXPECT_EQ(lines[2], "G4ABCDEFGHIJKLMN\tIO91WM\t(date: 03 May 24)\tQTF from IO91WM = 000, QRB = 0km");
    EXPECT_TRUE(lines[3].startsWith("ZZ000           \tJO01AA\t"));
    EXPECT_TRUE(lines[100].startsWith("ZZ097"));
    // A bearing of a few degrees keeps its leading zeros; without a home locator no distance part.
    station(QStringLiteral("GM3ABC"), QStringLiteral("IO92OM"), day(5));
    EXPECT_EQ(calls->Search_Call_loc_DB(QStringLiteral("gm3"), {}, QStringLiteral("IO91")),
              "Top 100 search results for: gm3 \r\nGM3ABC          \tIO92OM\t(date: 05 May 24)\tQTF from "
              "IO91MM = 006,"
              " QRB = 112km\r\n");
    EXPECT_EQ(calls->Search_Call_loc_DB(QStringLiteral("GM3"), QStringLiteral("io92"), QString()),
              "Top 100 search results for: GM3 io92\r\nGM3ABC          \tIO92OM\t(date: 05 May 24)\t\r\n");
    EXPECT_EQ(calls->Search_Call_loc_DB(QStringLiteral("%' OR 1=1 --"), {}, {}),
              "Sorry No data returned for %' OR 1=1 -- ");
}

// A server's own: the reconnect that a lost server asks for.
class CallLocServer : public CallLoc
{
};

// The server refuses a call longer than its column, as a plain insert does, rather than cut it.
TEST_P(CallLocServer, RefusesACallTooLongForItsColumn)
{
    QString call = QString(CallLocator::longestCall + 1, u'G');
    const QString typed = call;
    EXPECT_EQ(calls->DX_DATABASE(call, QStringLiteral("JO01AA"), day(10)),
              QStringLiteral("Zenthra - ERROR ADDING DX STATION %1? in ?JO01AA").arg(typed));
    EXPECT_EQ(count(QStringLiteral("tblDxStation"), Store::CallLoc), 0);
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith(
        QStringLiteral("\t-2147217900 - DX_DATABASE(%1,JO01AA,2024-05-10 12:00:00)").arg(typed)))
        << lines[0].toStdString();
}

TEST_P(CallLocServer, ServerLookupFailureReopensAtMostOncePerInterval)
{
    // The server goes away: every look-up fails, but only the first tries to reconnect, and
    // only the first is logged.
    settings.strSqlServer = QStringLiteral("127.0.0.1:1");
    db->setServerRetryInterval(std::chrono::milliseconds(0));
    db->CLOSE_DATABASES();
    EXPECT_EQ(calls->GET_LOCATOR(QStringLiteral("G4ABC")), "");
    db->setServerRetryInterval(std::chrono::hours(1));
    EXPECT_EQ(calls->GET_LOCATOR(QStringLiteral("G4ABC")), "");
    EXPECT_EQ(calls->GET_LOCATOR(QStringLiteral("G4ABC")), "");
    EXPECT_FALSE(queue->blnDbBusy);
    const QStringList lines = logLines();
    const std::string all = lines.join('\n').toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("GET_LOCATOR(G4ABC)")).size(), 1) << all;
    ASSERT_EQ(lines.filter(QStringLiteral("SQL_RECOVERY()")).size(), 1) << all;
    EXPECT_TRUE(lines.filter(QStringLiteral("SQL_RECOVERY()"))[0].endsWith("-2147467259 - SQL_RECOVERY()"))
        << all;
    road.reset(); // the call/locator database with it
    EXPECT_TRUE(logLines().last().endsWith("-2147467259 - GET_LOCATOR(): the same failure 2 more times"))
        << logLines().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Backends, CallLocServer, ::testing::Values(Backend::Postgres), backendName);
INSTANTIATE_TEST_SUITE_P(Backends, CallLoc, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         backendName);

} // namespace
