// The DX Spider command table on SQLite and on the test PostgreSQL server: the import of
// spider_menu.txt and the menu groups loaded from the table.

#include "links/spider_table.h"
#include "spots/database_fixture.h"
#include "support/print_qstring.h"

#include <QFile>
#include <QSignalSpy>

using namespace zenthra;
using zenthra::test::Backend;
using zenthra::test::DatabaseFixture;

namespace {

const QStringList typeWords{"MNUSPIDERKILL", "MNUSPIDERSET", "MNUSPIDERSHOW", "MNUSPIDERUSER_DEFINED"};

class SpiderTableTest : public DatabaseFixture
{
protected:
    void SetUp() override
    {
        DatabaseFixture::SetUp();
        if (!IsSkipped()) {
            open();
            ASSERT_TRUE(db->isOpen()) << logLines().join('\n').toStdString();
            table = std::make_unique<SpiderTable>(*db, typeWords);
        }
    }
    SpiderTable::ImportOutcome import(const QStringList& lines)
    {
        dir.write(QLatin1String(SpiderTable::fileName), test::fileOf(lines));
        return table->IMPORT_SPIDER_COMMANDS(dir.file(QLatin1String(SpiderTable::fileName)));
    }
    QVariantList stored()
    {
        return column(Store::Spots, "SELECT spidertype || ' ' || spiderCommand FROM tblSpider ORDER BY 1");
    }
    std::unique_ptr<SpiderTable> table;
};

const QStringList goodFile{"# commands",
                           "mnuSpiderShow, show/users",
                           "mnuSpiderSHOW, SHOW/DX",
                           " mnuSpiderSET, SET/NAME",
                           "mnuSpiderSET, first, SET/QRA",
                           "mnuSpiderFoo, FOO/BAR",
                           "mnuSpiderKILL, KILL"};

TEST_P(SpiderTableTest, ImportReplacesTheTableAndLoadsTheGroups)
{
    import({"mnuSpiderKILL, KILL/FULL"});
    QSignalSpy changed(table.get(), &SpiderTable::menusChanged);
    const auto outcome = import(goodFile);
    EXPECT_TRUE(outcome.ok) << outcome.description.toStdString();
    EXPECT_EQ(outcome.count, 5);
    EXPECT_EQ(stored(), (QVariantList{"MNUSPIDERFOO FOO/BAR", "MNUSPIDERKILL KILL", "MNUSPIDERSET SET/QRA",
                                      "MNUSPIDERSHOW SHOW/DX", "MNUSPIDERSHOW SHOW/USERS"}));
    EXPECT_EQ(table->groups(), (QList<QStringList>{{"KILL"}, {"SET/QRA"}, {"SHOW/DX", "SHOW/USERS"}, {}}));
    EXPECT_GE(changed.count(), 1);
    // An empty file empties the table and every group.
    const auto empty = import({"# nothing", "abc", " mnuSpiderSHOW, SHOW/DX"});
    EXPECT_TRUE(empty.ok);
    EXPECT_EQ(empty.count, 0);
    EXPECT_EQ(count("tblSpider"), 0);
    EXPECT_EQ(table->groups(), QList<QStringList>(4));
    for (int g = 0; g < 4; ++g) {
        EXPECT_FALSE(table->placeholderVisible(g)) << "the import loads the groups again: " << g;
    }
}

TEST_P(SpiderTableTest, ABadFileLeavesTableAndMenusAsTheyWere)
{
    ASSERT_TRUE(import(goodFile).ok);
    const QVariantList before = stored();
    const QList<QStringList> groups = table->groups();

    const auto noComma = import({"mnuSpiderKILL, KILL/EXPUNGE", "mnuSpiderSHOW SHOW/WWV"});
    EXPECT_FALSE(noComma.ok);
    EXPECT_EQ(noComma.errorNumber, SpiderTable::errInvalidArgument);
    EXPECT_EQ(noComma.description,
              "Line 2 of spider_menu.txt: no comma between type and command. Nothing was imported.");

    const auto twice = import({"mnuSpiderKILL, KILL/EXPUNGE", "mnuSpiderSHOW, KILL/EXPUNGE"});
    EXPECT_FALSE(twice.ok);
    EXPECT_TRUE(twice.description.startsWith("Line 2 of spider_menu.txt: KILL/EXPUNGE is listed already"));

    QFile::remove(dir.file(QLatin1String(SpiderTable::fileName)));
    const auto missing = table->IMPORT_SPIDER_COMMANDS(dir.file(QLatin1String(SpiderTable::fileName)));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.errorNumber, SpiderTable::errFileNotFound);
    EXPECT_EQ(missing.description, "File not found: spider_menu.txt");

    EXPECT_EQ(stored(), before);
    EXPECT_EQ(table->groups(), groups);
}

TEST_P(SpiderTableTest, ARowTheDatabaseRefusesRollsTheWholeImportBack)
{
    ASSERT_TRUE(import(goodFile).ok);
    const QVariantList before = stored();
    // A rule of the database that the file cannot know: the first rows went in before the refusal.
    run(Store::Spots, "ALTER TABLE tblSpider RENAME TO tblSpiderOld");
    run(Store::Spots,
        "CREATE TABLE tblSpider (spidertype varchar(50), spiderCommand varchar(255) PRIMARY KEY,"
        " CHECK (spiderCommand <> 'SET/BAD'))");
    run(Store::Spots, "INSERT INTO tblSpider SELECT spidertype, spiderCommand FROM tblSpiderOld");
    const auto outcome = import({"mnuSpiderSET, SET/GOOD", "# x", "mnuSpiderSET, SET/BAD"});
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.errorNumber, 0);
    EXPECT_TRUE(outcome.description.startsWith("spider_menu.txt refused line 3 (MNUSPIDERSET, SET/BAD): "))
        << outcome.description.toStdString();
    EXPECT_EQ(stored(), before);
}

TEST_P(SpiderTableTest, LoadingMatchesTypesWholeInAnyCaseAndNeverTwice)
{
    const QString insert = db->sql(Statement::InsertSpider);
    run(Store::Spots, insert, {"mnuSpiderShow", "sh/wwv"});
    run(Store::Spots, insert, {"MNUSPIDERSHOW", "SH/DX"});
    run(Store::Spots, insert, {"MNUSPIDERUSERXDEFINED", "SH/X"});
    run(Store::Spots, insert, {"MNUSPIDERUSER_DEFINED", "SH/DX ON 6M"});
    run(Store::Spots, insert, {"MNUSPIDER'KILL", "KILL"});
    table->LOAD_MENU_ITEMS();
    table->LOAD_MENU_ITEMS();
    EXPECT_EQ(table->groups(), (QList<QStringList>{{}, {}, {"SH/DX", "SH/WWV"}, {"SH/DX ON 6M"}}));
    for (int g = 0; g < 4; ++g) {
        EXPECT_FALSE(table->placeholderVisible(g)) << g;
    }
    table->CLEAR_SPIDER_MENUS();
    EXPECT_EQ(table->groups(), QList<QStringList>(4));
    EXPECT_TRUE(table->placeholderVisible(2));
    EXPECT_FALSE(table->placeholderVisible(0));
}

TEST_P(SpiderTableTest, AMissingTableIsCreatedByTheLoadAndAClosedDatabaseKeepsTheGroups)
{
    ASSERT_TRUE(import(goodFile).ok);
    run(Store::Spots, "DROP TABLE tblSpider");
    EXPECT_FALSE(import(goodFile).ok);
    table->LOAD_MENU_ITEMS();
    EXPECT_EQ(count("tblSpider"), 0);
    EXPECT_EQ(table->groups(), QList<QStringList>(4));

    ASSERT_TRUE(import(goodFile).ok);
    db->CLOSE_DATABASES();
    table->LOAD_MENU_ITEMS();
    EXPECT_EQ(table->groups()[2], (QStringList{"SHOW/DX", "SHOW/USERS"}));
    const auto closed = import(goodFile);
    EXPECT_FALSE(closed.ok);
    EXPECT_EQ(closed.errorNumber, Database::errProviderFailure);
}

INSTANTIATE_TEST_SUITE_P(Backends, SpiderTableTest, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         zenthra::test::backendName);

} // namespace
