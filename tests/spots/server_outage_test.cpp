// A server that goes away under a stream of spots and comes back: every spot is stored once, in
// order, and the error log holds a few lines, not one per spot.

#include "spots/server_cut_proxy.h"
#include "spots/spot_road_fixture.h"
#include "support/eventually.h"
#include "support/postgres.h"

#include <QTest>

using namespace zenthra;
using namespace zenthra::test;

namespace {

class ServerOutage : public SpotRoadFixture
{
protected:
    void SetUp() override
    {
        SpotRoadFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        const PostgresAddress a = postgresAddress();
        proxy = std::make_unique<ServerCutProxy>(a.host, static_cast<quint16>(a.port));
        settings.strSqlServer = QStringLiteral("127.0.0.1:%1").arg(proxy->port());
        db->setServerRetryInterval(std::chrono::milliseconds(100));
        db->CLOSE_DATABASES();
        open();
        ASSERT_TRUE(db->isOpen()) << logLines().join('\n').toStdString();
    }
    void TearDown() override
    {
        SpotRoadFixture::TearDown();
        proxy.reset();
    }

    // One spot through the whole road, then a moment for the timers.
    void spot(int i)
    {
        queueLine(QStringLiteral("DX de G4ABC:     50110.0  DL%1ZZ       ES 59                     1234Z")
                      .arg(i, 3, 10, QLatin1Char('0')));
        drain();
        QTest::qWait(10);
    }
    QStringList storedCalls()
    {
        QStringList calls;
        for (const QVariant& v :
             column(Store::Spots, QStringLiteral("SELECT Spot_Call2 FROM tblAllSpots ORDER BY ctid"))) {
            calls << v.toString();
        }
        return calls;
    }
    QStringList callsFrom(int first, int last)
    {
        QStringList calls;
        for (int i = first; i <= last; ++i) {
            calls << QStringLiteral("DL%1ZZ").arg(i, 3, 10, QLatin1Char('0'));
        }
        return calls;
    }

    std::unique_ptr<ServerCutProxy> proxy;
};

TEST_P(ServerOutage, EverySpotIsStoredOnceInOrder)
{
    for (int i = 0; i < 60; ++i) {
        if (i == 20) {
            proxy->cut();
        } else if (i == 40) {
            ASSERT_TRUE(proxy->restore());
        }
        spot(i);
    }
    EXPECT_EVENTUALLY(db->isOpen() && processor->waitingSpots() == 0 && writers->backlogRows() == 0, 20000);
    EXPECT_EQ(storedCalls(), callsFrom(0, 59));
    const QStringList lines = logLines();
    const std::string all = lines.join('\n').toStdString();
    // The spots waited for their look-ups, so no row failed; the first failed look-up, then one
    // count when the run ends.
    EXPECT_EQ(lines.filter(QStringLiteral("WRITE_SPOT_TO_DB(")).size(), 0) << all;
    EXPECT_EQ(lines.filter(QStringLiteral("GET_LOCATOR(G4ABC)")).size(), 1) << all;
    EXPECT_EQ(lines
                  .filter(QRegularExpression(
                      QStringLiteral("GET_LOCATOR\\(\\): the same failure \\d+ more times$")))
                  .size(),
              1)
        << all;
    // Reopened while the server was away (failed, and said so), and once after it came back;
    // nothing else was logged.
    const qsizetype failedReopens = lines.filter(QStringLiteral("-2147467259 - SQL_RECOVERY()")).size();
    EXPECT_GE(failedReopens, 1) << all;
    EXPECT_EQ(lines.filter(QStringLiteral("\t0 - SQL_RECOVERY()")).size(), 1) << all;
    EXPECT_EQ(lines.filter(QStringLiteral("OPEN_DATABASES(s): ")).size(), failedReopens) << all;
    EXPECT_EQ(lines.size(), 3 + 2 * failedReopens) << all;
}

TEST_P(ServerOutage, AFullBacklogLetsTheOldestGoAndSaysHowMany)
{
    processor->setWaitingLimit(5);
    spot(0);
    proxy->cut();
    for (int i = 1; i <= 8; ++i) {
        spot(i);
    }
    ASSERT_TRUE(proxy->restore());
    spot(9);
    EXPECT_EVENTUALLY(db->isOpen() && processor->waitingSpots() == 0, 20000);
    EXPECT_EQ(storedCalls(), QStringList{"DL000ZZ"} + callsFrom(5, 9));
    EXPECT_EQ(logLines().filter(QStringLiteral("spots waiting for the database: 4 oldest dropped")).size(), 1)
        << logLines().join('\n').toStdString();
}

TEST_P(ServerOutage, AServerAwayAtStartIsOpenedWhenItComesBack)
{
    proxy->cut();
    db->CLOSE_DATABASES();
    open();
    ASSERT_FALSE(db->isOpen());
    for (int i = 0; i < 3; ++i) {
        spot(i);
    }
    EXPECT_EQ(processor->waitingSpots(), 3);
    EXPECT_TRUE(processor->notStoring().startsWith(
        QStringLiteral("Spots are not being stored (server 127.0.0.1:%1, database ").arg(proxy->port())))
        << processor->notStoring().toStdString();
    ASSERT_TRUE(proxy->restore());
    EXPECT_EVENTUALLY(db->isOpen() && processor->waitingSpots() == 0, 20000);
    EXPECT_EQ(storedCalls(), callsFrom(0, 2));
    EXPECT_TRUE(processor->notStoring().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Server, ServerOutage, ::testing::Values(Backend::Postgres), backendName);

} // namespace
