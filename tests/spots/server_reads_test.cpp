// Every read from the server passes the watch: the rows of a result, the statements of an opening
// (the driver's own after the login too) and the forgetting of a prepared statement. A path that
// falls silent during any of them holds the caller for moments, never for the silence.

#include "spots/database_fixture.h"
#include "spots/relayed_server.h"
#include "support/eventually.h"
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
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

using namespace zenthra;
using namespace zenthra::test;
using std::chrono::milliseconds;

namespace {

// Room for a path that is slow each way; the limit leaves a report of a few seconds alone.
constexpr ServerWatch::Timing timing{milliseconds(300), milliseconds(1000), milliseconds(8000)};
constexpr const char* silent = "the database server does not answer";

// Runs `action` on a thread of its own once `after` has passed, unless the thread goes first.
std::jthread later(milliseconds after, std::function<void()> action)
{
    return std::jthread([after, action = std::move(action)](const std::stop_token& stop) {
        std::mutex mutex;
        std::unique_lock lock(mutex);
        std::condition_variable_any().wait_for(lock, stop, after, [] { return false; });
        if (!stop.stop_requested()) {
            action();
        }
    });
}

// Two layers of the program on one relayed server and one watch, as the window's and the store's.
struct Layers
{
    explicit Layers(milliseconds limit = timing.limit)
        : watch(
              std::make_shared<ServerWatch>(ServerWatch::Timing{timing.askAfter, timing.answerWithin, limit}))
    {
        server.aim(settings);
        for (Database* db : {&first, &second}) {
            db->setServerSchema(server.schema);
            db->setServerWatch(watch);
            db->setServerRetryInterval(milliseconds(0));
        }
    }
    ~Layers()
    {
        proxy->answer();
        first.CLOSE_DATABASES();
        second.CLOSE_DATABASES();
    }
    QStringList logLines() const { return dir.lines(QStringLiteral("muf_errors.log")); }
    // A table of `count` rows of about 120 bytes each on the wire.
    bool makeReport(int count)
    {
        return first.exec(Store::Spots,
                          QStringLiteral("CREATE TABLE report AS SELECT g, repeat('x', 100) AS t"
                                         " FROM generate_series(1, %1) g")
                              .arg(count));
    }

    TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DataFolder folder{dir.path()};
    DatabaseSettings settings;
    RelayedServer server{"sr"};
    ServerCutProxy* proxy = server.proxy.get();
    std::shared_ptr<ServerWatch> watch;
    Database first{settings, folder, log, {}};
    Database second{settings, folder, log, {}};
};

const QString reportSql = QStringLiteral("SELECT g, t FROM report ORDER BY g");

TEST(ServerReads, AReportReadWhileThePathFallsSilentFailsWithinMoments)
{
    ZENTHRA_REQUIRE_POSTGRES();
    Layers l;
    l.first.OPEN_DATABASES(l.settings.strDbType);
    ASSERT_TRUE(l.first.isOpen());
    ASSERT_TRUE(l.makeReport(2000));
    // About 240 kB at 60 kB/s: the rows flow for some 4 s, and the path falls silent after 1 s.
    l.proxy->setRate(60000);
    QElapsedTimer took;
    took.start();
    const std::jthread silence = later(milliseconds(1000), [&l] { l.proxy->silence(); });
    // A read that waits on the path ends with the silence.
    const std::jthread answer = later(milliseconds(9000), [&l] { l.proxy->answer(); });
    QSqlQuery rows;
    SqlFailure why;
    const bool ok = l.first.exec(Store::Spots, reportSql, {}, &rows, &why);
    int read = 0;
    while (rows.next()) {
        ++read;
    }
    EXPECT_LT(took.elapsed(), 4000);
    EXPECT_FALSE(ok);
    EXPECT_EQ(why.text, QLatin1String(silent));
    EXPECT_EQ(why.number, Database::errProviderFailure);
    EXPECT_EQ(read, 0);
}

// Only once the watch's limit counts from the last bytes the statement received.
TEST(ServerReads, AReportWhoseRowsStillFlowOnASlowLinkIsNotCut)
{
    ZENTHRA_REQUIRE_POSTGRES();
    Layers l(milliseconds(3000));
    l.first.OPEN_DATABASES(l.settings.strDbType);
    ASSERT_TRUE(l.first.isOpen());
    ASSERT_TRUE(l.makeReport(2000));
    // Some 4 s of rows, longer than the limit.
    l.proxy->setRate(60000);
    QSqlQuery rows;
    SqlFailure why;
    EXPECT_TRUE(l.first.exec(Store::Spots, reportSql, {}, &rows, &why)) << why.text.toStdString();
    int read = 0;
    while (rows.next()) {
        EXPECT_EQ(rows.value(0).toInt(), ++read);
    }
    EXPECT_EQ(read, 2000);
    EXPECT_EQ(l.watch->cuts(), 0);
}

struct Moment
{
    const char* name;
    // When the path falls silent, in one-way delays after the relay accepted the connection: the
    // login takes two or three round trips (four or six delays), the driver's own statements five
    // more, and the schema's upgrade two after them (what exists read, what is missing made).
    int delays;
};

void PrintTo(const Moment& m, std::ostream* os)
{
    *os << m.name;
}

class SilenceAfterLogin : public ::testing::TestWithParam<Moment>
{
};

TEST_P(SilenceAfterLogin, HoldsTheOpeningNoLongerThanAStatement)
{
    ZENTHRA_REQUIRE_POSTGRES();
    Layers l;
    constexpr milliseconds delay(200);
    l.proxy->setDelay(delay);
    std::atomic<qint64> silencedAt{-1};
    QElapsedTimer clock;
    clock.start();
    std::thread silencer([&] {
        while (l.proxy->accepted() == 0) {
            std::this_thread::sleep_for(milliseconds(2));
        }
        std::this_thread::sleep_for(delay * GetParam().delays);
        l.proxy->silence();
        silencedAt = clock.elapsed();
    });
    // An opening that waits on the path ends with the silence.
    const std::jthread answer = later(milliseconds(20000), [&l] { l.proxy->answer(); });
    l.first.OPEN_DATABASES(l.settings.strDbType);
    const qint64 ended = clock.elapsed();
    silencer.join();
    ASSERT_GE(silencedAt, 0);
    EXPECT_LT(ended - silencedAt, 3000) << "silenced at " << silencedAt << " ms";
    EXPECT_FALSE(l.first.isOpen());
    const QStringList lines = l.logLines();
    ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("OPEN_DATABASES(s): ") + QLatin1String(silent)))
        << lines[0].toStdString();

    // Once the server answers, the next attempt opens.
    l.proxy->setDelay(milliseconds(0));
    l.proxy->answer();
    EXPECT_TRUE(QTest::qWaitFor([&l] { return l.watch->silence().isEmpty(); }, 5000));
    EXPECT_TRUE(l.first.retryOpen()) << l.logLines().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Opening, SilenceAfterLogin,
                         ::testing::Values(Moment{"TheDriversOwnStatements", 9},
                                           Moment{"TheSchemaUpgrade", 17}),
                         [](const auto& info) { return std::string(info.param.name); });

// A prepared statement is forgotten on the server when its query goes. While the server does not
// answer, the query waits for the layer's next statement rather than holding the caller.
TEST(ServerReads, AQueryPutAwayWhileTheServerIsSilentWaitsForItsAnswer)
{
    ZENTHRA_REQUIRE_POSTGRES();
    Layers l;
    l.first.OPEN_DATABASES(l.settings.strDbType);
    l.second.setMakesSchema(false);
    l.second.OPEN_DATABASES(l.settings.strDbType);
    ASSERT_TRUE(l.first.isOpen() && l.second.isOpen());
    QSqlQuery q = l.first.prepare(Store::Spots, QStringLiteral("SELECT ?"));
    q.addBindValue(7);
    ASSERT_TRUE(l.first.run(Store::Spots, q));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 7);
    // The other layer finds the silence; this one's connection is idle and whole.
    l.proxy->silence();
    EXPECT_FALSE(l.second.exec(Store::Spots, QStringLiteral("SELECT 1")));
    ASSERT_EQ(l.watch->silence(), QLatin1String(silent));
    const std::jthread answer = later(milliseconds(8000), [&l] { l.proxy->answer(); });
    QElapsedTimer took;
    took.start();
    l.first.putAway(Store::Spots, q);
    EXPECT_LT(took.elapsed(), 500);
    EXPECT_FALSE(q.isActive());

    // Once the server answers, the next statement goes, and the statement put away is forgotten.
    l.proxy->answer();
    EXPECT_TRUE(QTest::qWaitFor([&l] { return l.watch->silence().isEmpty(); }, 5000));
    QSqlQuery prepared;
    EXPECT_TRUE(l.first.exec(Store::Spots, QStringLiteral("SELECT count(*) FROM pg_prepared_statements"), {},
                             &prepared));
    ASSERT_TRUE(prepared.next());
    EXPECT_EQ(prepared.value(0).toInt(), 0);
}

} // namespace
