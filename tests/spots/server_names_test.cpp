// The server's host names are looked up by the watch, on threads of their own, and libpq is given
// the addresses: a name whose name servers do not answer holds an opening no longer than the
// layer's wait for names (not at all on the window's thread), never beyond the end of the program,
// and the addresses listed beside it are used meanwhile.

#include "spots/relayed_server.h"
#include "support/name_servers.h"
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
#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <thread>

using namespace zenthra;
using namespace zenthra::test;
using std::chrono::milliseconds;

namespace {

struct Layer
{
    Layer(const QString& hosts, std::shared_ptr<ServerWatch> shared, milliseconds nameWait)
        : watch(std::move(shared))
    {
        server.aim(settings);
        settings.strSqlServer = hosts + u':' + settings.strSqlServer.section(u':', 1);
        db.setServerSchema(server.schema);
        db.setServerWatch(watch);
        db.setServerNameWait(nameWait);
    }
    ~Layer() { db.CLOSE_DATABASES(); }
    // What the caption says while the layer cannot be opened for `reason`.
    QString notOpen(const QString& reason) const
    {
        return QStringLiteral("server %1, database %2: %3; check that the server runs and the Sql Server"
                              " Settings, tried again every 10 s")
            .arg(settings.strSqlServer, settings.strSqlDatabase, reason);
    }
    // Opens the layer; how long that took.
    qint64 open()
    {
        QElapsedTimer t;
        t.start();
        db.OPEN_DATABASES(settings.strDbType);
        return t.elapsed();
    }

    TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DataFolder folder{dir.path()};
    DatabaseSettings settings;
    RelayedServer server{"sn"};
    std::shared_ptr<ServerWatch> watch;
    Database db{settings, folder, log, {}};
};

struct Opening
{
    const char* name;
    // The host part of the server setting; the relay's port follows.
    const char* hosts;
    // How long the layer waits for names: the store's layer, or the window's (0).
    milliseconds nameWait;
    // Hosts a layer opened before, with the same watch (as the store's layer does before the
    // window's), empty for none.
    const char* openedBefore;
    bool opens;
    // What the opening that fails gives as its reason.
    const char* reason;
    // The opening takes less than this, however long the name servers take.
    qint64 withinMs;
};

void PrintTo(const Opening& o, std::ostream* os)
{
    *os << o.name;
}

class ServerNames : public ::testing::TestWithParam<Opening>
{
};

TEST_P(ServerNames, AreLookedUpOffTheThreadAndOnlyAsLongAsTheLayerWaits)
{
    ZENTHRA_REQUIRE_POSTGRES();
    const Opening& o = GetParam();
    NameServers names;
    auto watch = std::make_shared<ServerWatch>();
    watch->setResolver(names.resolver());
    if (*o.openedBefore != 0) {
        Layer before(QLatin1String(o.openedBefore), watch, Database::defaultNameWait);
        before.open();
        ASSERT_TRUE(before.db.isOpen()) << before.db.notOpenText().toStdString();
    }
    Layer layer(QLatin1String(o.hosts), watch, o.nameWait);
    const qint64 took = layer.open();
    EXPECT_EQ(layer.db.isOpen(), o.opens) << layer.db.notOpenText().toStdString();
    if (!o.opens) {
        EXPECT_EQ(layer.db.notOpenText(), layer.notOpen(QLatin1String(o.reason)));
    }
    EXPECT_LT(took, o.withinMs);
    EXPECT_GT(names.lookUps(), 0);
    EXPECT_TRUE(names.noneOn(std::this_thread::get_id()));
}

INSTANTIATE_TEST_SUITE_P(
    Openings, ServerNames,
    ::testing::Values(
        // libpq could not find this name itself: it connects to the address the watch found.
        Opening{"ANameOnlyTheWatchFinds", "known.zenthra.invalid", Database::defaultNameWait, "", true, "",
                3000},
        // The store's layer waits its while for the name, then goes on with the address beside it.
        Opening{"AStoreLayerBesideANameThatHangs", "hangs.zenthra.invalid,127.0.0.1",
                Database::defaultNameWait, "", true, "", Database::defaultNameWait.count() + 2000},
        // The window's layer does not wait at all.
        Opening{"AWindowLayerBesideANameThatHangs", "hangs.zenthra.invalid,127.0.0.1", milliseconds(0), "",
                true, "", 1500},
        // Nor does it wait for a name found before: it takes the addresses found then.
        Opening{"AWindowLayerAfterTheStoreFoundTheName", "known.zenthra.invalid", milliseconds(0),
                "known.zenthra.invalid", true, "", 1500},
        // A name alone that is never answered for, or has no address, fails the opening.
        Opening{"ANameAloneThatHangs", "hangs.zenthra.invalid", Database::defaultNameWait, "", false,
                "no address found for hangs.zenthra.invalid", Database::defaultNameWait.count() + 2000},
        Opening{"ANameWithoutAddress", "nowhere.zenthra.invalid", Database::defaultNameWait, "", false,
                "no address found for nowhere.zenthra.invalid", 3000}),
    [](const auto& info) { return std::string(info.param.name); });

// The end of the program ends an opening's wait for a name at once, however long the layer would
// wait, and the opening fails as the program ends.
TEST(ServerNamesAtTheEnd, AnOpeningWaitingForANameEndsWithTheProgram)
{
    ZENTHRA_REQUIRE_POSTGRES();
    for (const bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stop" : "finish");
        NameServers names;
        auto watch = std::make_shared<ServerWatch>();
        watch->setResolver(names.resolver());
        Layer layer(QStringLiteral("hangs.zenthra.invalid,127.0.0.1"), watch, milliseconds(60000));
        auto opening = std::async(std::launch::async, [&layer] { return layer.open(); });
        ASSERT_EQ(opening.wait_for(std::chrono::seconds(1)), std::future_status::timeout);
        QElapsedTimer ending;
        ending.start();
        if (stop) {
            watch->stop();
        } else {
            watch->finish();
        }
        ASSERT_EQ(opening.wait_for(std::chrono::seconds(5)), std::future_status::ready);
        EXPECT_LT(ending.elapsed(), 1000);
        EXPECT_FALSE(layer.db.isOpen());
        EXPECT_EQ(layer.db.notOpenText(), layer.notOpen(QStringLiteral("the program is ending")));
    }
}

} // namespace
