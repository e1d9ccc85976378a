// The server watch between a layer and a server that answers, works slowly, or falls silent:
// only silence cuts a statement, it is cut within moments, and until the server answers again
// every statement, a transaction's too, fails at once instead of waiting on it.

#include "spots/database_fixture.h"
#include "spots/relayed_server.h"
#include "support/postgres.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include "core/database_settings.h"
#include "core/error_log.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "spots/database.h"
#include "spots/server_watch.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace zenthra;
using namespace zenthra::test;
using std::chrono::milliseconds;

namespace {

// Short enough for a test, in the proportions the program uses.
constexpr ServerWatch::Timing quick{milliseconds(300), milliseconds(500), milliseconds(4000)};

struct Layer
{
    Layer()
    {
        server.aim(settings);
        db.setServerSchema(server.schema);
        db.setServerWatch(watch);
        db.OPEN_DATABASES(settings.strDbType);
    }
    ~Layer()
    {
        proxy->answer();
        db.CLOSE_DATABASES();
    }
    // How long the statement took, and how it failed.
    qint64 timed(const std::function<bool(SqlFailure&)>& statement, bool& ok, SqlFailure& why)
    {
        why = {};
        QElapsedTimer t;
        t.start();
        ok = statement(why);
        return t.elapsed();
    }

    TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DataFolder folder{dir.path()};
    DatabaseSettings settings;
    RelayedServer server{"sw"};
    ServerCutProxy* proxy = server.proxy.get();
    std::shared_ptr<ServerWatch> watch = std::make_shared<ServerWatch>(quick);
    Database db{settings, folder, log, {}};
};

TEST(ServerWatch, OnlySilenceCutsAStatement)
{
    ZENTHRA_REQUIRE_POSTGRES();
    Layer l;
    ASSERT_TRUE(l.db.isOpen());
    bool ok = false;
    SqlFailure why;
    // Longer than the moment after which the server is asked, and than the limit the watch would
    // leave armed on the connection, had it kept one after the statement.
    l.timed(
        [&](SqlFailure& w) {
            return l.db.exec(Store::Spots, QStringLiteral("SELECT pg_sleep(1)"), {}, nullptr, &w);
        },
        ok, why);
    EXPECT_TRUE(ok) << why.text.toStdString();
    QTest::qWait(int(quick.limit.count()) + 500);
    l.timed(
        [&](SqlFailure& w) { return l.db.exec(Store::Spots, QStringLiteral("SELECT 1"), {}, nullptr, &w); },
        ok, why);
    EXPECT_TRUE(ok) << why.text.toStdString();
    EXPECT_EQ(l.watch->cuts(), 0);
}

struct Silenced
{
    const char* name;
    std::function<bool(Database&, SqlFailure&)> statement;
};

void PrintTo(const Silenced& s, std::ostream* os)
{
    *os << s.name;
}

class SilentServer : public ::testing::TestWithParam<Silenced>
{
};

TEST_P(SilentServer, IsFoundWithinMomentsAndRefusedAtOnceUntilItAnswers)
{
    ZENTHRA_REQUIRE_POSTGRES();
    Layer l;
    ASSERT_TRUE(l.db.isOpen());
    l.proxy->silence();
    bool ok = true;
    SqlFailure why;
    const qint64 first = l.timed([&](SqlFailure& w) { return GetParam().statement(l.db, w); }, ok, why);
    EXPECT_FALSE(ok);
    EXPECT_EQ(why.text, QStringLiteral("the database server does not answer"));
    EXPECT_LT(first, 3000);
    const qint64 next = l.timed([&](SqlFailure& w) { return GetParam().statement(l.db, w); }, ok, why);
    EXPECT_FALSE(ok);
    EXPECT_EQ(why.text, QStringLiteral("the database server does not answer"));
    EXPECT_LT(next, 500);

    l.proxy->answer();
    EXPECT_TRUE(QTest::qWaitFor([&] { return l.watch->silence().isEmpty(); }, 5000));
    // The connection that was cut is made anew for the next statement.
    l.timed([&](SqlFailure& w) { return GetParam().statement(l.db, w); }, ok, why);
    EXPECT_TRUE(ok) << why.text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Statements, SilentServer,
                         ::testing::Values(Silenced{"Select",
                                                    [](Database& db, SqlFailure& why) {
                                                        return db.exec(Store::Spots,
                                                                       QStringLiteral("SELECT 1"), {},
                                                                       nullptr, &why);
                                                    }},
                                           Silenced{"Transaction",
                                                    [](Database& db, SqlFailure& why) {
                                                        Database::Transaction t(db, Store::Spots, &why);
                                                        return t.begun() && t.commit(&why);
                                                    }},
                                           Silenced{"Prepared",
                                                    [](Database& db, SqlFailure& why) {
                                                        QSqlQuery q = db.prepare(
                                                            Store::Spots, QStringLiteral("SELECT ?"), &why);
                                                        q.addBindValue(1);
                                                        return why.number == 0 &&
                                                               db.run(Store::Spots, q, &why);
                                                    }}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
