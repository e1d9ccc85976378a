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
    EXPECT_EQ(calls->DX_DATABASE_MINI_UPDATE(), "Zenthra - 2 CALL / LOC ADDED OR UPDATED");
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
    mini({{QStringLiteral("G4ABC"), QStringLiteral("IO91WM"), QStringLiteral("2024-05-01 12:00:00")},
          {QStringLiteral("G4NUL"), QStringLiteral("IO91WM"), QVariant(QMetaType::fromType<QString>())},
          {QStringLiteral("G4LAT"), QStringLiteral("IO91WM"), QStringLiteral("2024-05-01 12:00:00")}});
    EXPECT_EQ(calls->DX_DATABASE_MINI_UPDATE(), "Zenthra - A FATAL ERROR HAPPENED");
    EXPECT_FALSE(calls->miniUpdateRunning());
    EXPECT_EQ(calls->GET_LOCATOR(QStringLiteral("G4ABC")), "IO91WM");
    EXPECT_EQ(calls->GET_LOCATOR(QStringLiteral("G4LAT")), "");
    EXPECT_TRUE(logLines().last().endsWith("DX_DATABASE_MINI_UPDATE()"));
}

INSTANTIATE_TEST_SUITE_P(Backends, CallLoc, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         backendName);

} // namespace
