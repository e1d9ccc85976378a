// The window's layer beside the spot store's: its opening writes nothing, so that it can never
// wait on a file that another program holds, and it leaves the making of the schema to the store.

#include "support/temp_folder.h"

#include "core/database_settings.h"
#include "core/error_log.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "propagation/prop_keywords.h"
#include "spots/database.h"
#include "spots/keyword_table.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace zenthra;
using zenthra::test::TempFolder;

namespace {

TEST(WindowLayer, ItsOpeningWritesNothingToTheFile)
{
    TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DataFolder folder{dir.path()};
    DatabaseSettings settings;
    settings.strDbType = QStringLiteral("a");
    PropKeywords made{log};
    {
        Database store{settings, folder, log, keywordSeeding(made)};
        store.OPEN_DATABASES(settings.strDbType);
        ASSERT_TRUE(store.isOpen());
        // An index an older program did not make: the store's opening would.
        ASSERT_TRUE(store.exec(Store::Spots, QStringLiteral("DROP INDEX ixSpotDate")));
        store.CLOSE_DATABASES();
    }
    PropKeywords read{log};
    Database window{settings, folder, log, keywordSeeding(read)};
    window.setMakesSchema(false);
    window.OPEN_DATABASES(settings.strDbType);
    ASSERT_TRUE(window.isOpen());
    EXPECT_TRUE(read.loaded());
    QSqlQuery q;
    ASSERT_TRUE(window.exec(Store::Spots,
                            QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'ixSpotDate'"),
                            {}, &q));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 0);
}

} // namespace
