// The DX Spider command table on SQLite and on the test PostgreSQL server.

#include "links/spider_table.h"
#include "spots/database_fixture.h"
#include "support/print_qstring.h"

#include <QDir>
#include <QFile>

using namespace zenthra;
using zenthra::test::Backend;
using zenthra::test::DatabaseFixture;

namespace {

class SpiderTableTest : public DatabaseFixture
{
protected:
    void SetUp() override
    {
        DatabaseFixture::SetUp();
        if (!IsSkipped()) {
            open();
            ASSERT_TRUE(db->isOpen()) << logLines().join('\n').toStdString();
            table = std::make_unique<SpiderTable>(
                *db, QStringList{"MNUSPIDERKILL", "MNUSPIDERSET", "MNUSPIDERSHOW", "MNUSPIDERUSER_DEFINED"});
        }
    }
    SpiderTable::ImportOutcome import(const QStringList& lines)
    {
        dir.write("spider_menu.txt", test::fileOf(lines));
        return table->IMPORT_SPIDER_COMMANDS(dir.file("spider_menu.txt"));
    }
    QVariantList stored() { return column(Store::Spots, "SELECT spiderCommand FROM tblSpider ORDER BY 1"); }
    std::unique_ptr<SpiderTable> table;
};

const QStringList goodFile{"# commands", "mnuSpiderShow, show/users", "mnuSpiderSHOW, SHOW/DX",
                           "mnuSpiderSET, first, SET/QRA", "mnuSpiderFoo, FOO/BAR"};

TEST_P(SpiderTableTest, AGoodFileReplacesTheTableAndABadOneChangesNothing)
{
    import({"mnuSpiderKILL, KILL/FULL"});
    const auto good = import(goodFile);
    EXPECT_TRUE(good.ok);
    EXPECT_EQ(good.count, 4);
    EXPECT_EQ(stored(), (QVariantList{"FOO/BAR", "SET/QRA", "SHOW/DX", "SHOW/USERS"}));
    const QList<QStringList> groups{{}, {"SET/QRA"}, {"SHOW/DX", "SHOW/USERS"}, {}};
    EXPECT_EQ(table->groups(), groups);

    const auto bad = import({"mnuSpiderKILL, KILL/EXPUNGE", "mnuSpiderSHOW SHOW/WWV"});
    EXPECT_EQ(bad.errorNumber, SpiderTable::errInvalidArgument);
    EXPECT_EQ(bad.description,
              "Line 2 of spider_menu.txt: no comma between type and command. Nothing was imported.");
    // A file larger than any command list is refused unread; one of that size exactly is read.
    QByteArray big = "mnuSpiderKILL, KILL/EXPUNGE\r\n#";
    big += QByteArray(spiderFileLargest + 1 - big.size(), 'x');
    dir.write("spider_menu.txt", big);
    const auto huge = table->IMPORT_SPIDER_COMMANDS(dir.file("spider_menu.txt"));
    EXPECT_EQ(huge.errorNumber, SpiderTable::errInvalidArgument);
    EXPECT_EQ(huge.description,
              "spider_menu.txt is larger than 1 MB, more than any list of commands. Nothing was imported.");
    QFile::remove(dir.file("spider_menu.txt"));
    const auto missing = table->IMPORT_SPIDER_COMMANDS(dir.file("spider_menu.txt"));
    EXPECT_EQ(missing.description, "File not found: spider_menu.txt");
    ASSERT_TRUE(QDir(dir.path()).mkdir("spider_menu.txt"));
    EXPECT_EQ(table->IMPORT_SPIDER_COMMANDS(dir.file("spider_menu.txt")).errorNumber,
              SpiderTable::errFileAccess);
    EXPECT_FALSE(bad.ok || missing.ok || huge.ok);
    EXPECT_EQ(stored().size(), 4);
    EXPECT_EQ(table->groups(), groups);
    dir.write("largest.txt", big.chopped(1));
    EXPECT_EQ(table->IMPORT_SPIDER_COMMANDS(dir.file("largest.txt")).count, 1);
}

TEST_P(SpiderTableTest, ARowTheDatabaseRefusesRollsTheWholeImportBack)
{
    // A rule of the database that the file's reader cannot know.
    run(Store::Spots, "DROP TABLE tblSpider");
    run(Store::Spots, "CREATE TABLE tblSpider (spidertype varchar(50),"
                      " spiderCommand varchar(255) PRIMARY KEY CHECK (spiderCommand <> 'SET/BAD'))");
    ASSERT_TRUE(import(goodFile).ok);
    const auto outcome = import({"mnuSpiderSET, SET/GOOD", "# x", "mnuSpiderSET, SET/BAD"});
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.description.startsWith(
        "The database refused line 3 (MNUSPIDERSET, SET/BAD) of spider_menu.txt: "))
        << outcome.description.toStdString();
    EXPECT_EQ(stored().size(), 4);
}

TEST_P(SpiderTableTest, GroupsMatchTheirTypeWholeInAnyCaseAndNeverTwice)
{
    const QString insert = db->sql(Statement::InsertSpider);
    for (const auto& [type, command] : {std::pair{"mnuSpiderShow", "sh/wwv"},
                                        {"MNUSPIDERSHOW", "SH/DX"},
                                        {"MNUSPIDERUSERXDEFINED", "SH/X"},
                                        {"MNUSPIDERUSER_DEFINED", "SH/DX ON 6M"},
                                        {"MNUSPIDER'KILL", "KILL"}}) {
        run(Store::Spots, insert, {type, command});
    }
    table->LOAD_MENU_ITEMS();
    table->LOAD_MENU_ITEMS();
    EXPECT_EQ(table->groups(), (QList<QStringList>{{}, {}, {"SH/DX", "SH/WWV"}, {"SH/DX ON 6M"}}));
    EXPECT_FALSE(table->placeholderVisible(2));
    table->CLEAR_SPIDER_MENUS();
    EXPECT_EQ(table->groups(), QList<QStringList>(4));
    EXPECT_TRUE(table->placeholderVisible(2));
    EXPECT_FALSE(table->placeholderVisible(0));
    // A database that cannot be read leaves the menus empty.
    db->CLOSE_DATABASES();
    table->LOAD_MENU_ITEMS();
    EXPECT_EQ(table->groups(), QList<QStringList>(4));
}

// The menus are read in one statement; a table that is missing is made, and the menus are empty.
TEST_P(SpiderTableTest, AMissingTableIsMadeAndLeavesTheMenusEmpty)
{
    ASSERT_TRUE(import(goodFile).ok);
    run(Store::Spots, "DROP TABLE tblSpider");
    table->LOAD_MENU_ITEMS();
    EXPECT_TRUE(db->tableExists(Store::Spots, "tblSpider"));
    EXPECT_EQ(table->groups(), QList<QStringList>(4));
    EXPECT_FALSE(table->placeholderVisible(2));
    ASSERT_TRUE(import(goodFile).ok);
    EXPECT_EQ(table->groups(), (QList<QStringList>{{}, {"SET/QRA"}, {"SHOW/DX", "SHOW/USERS"}, {}}));
}

INSTANTIATE_TEST_SUITE_P(Backends, SpiderTableTest, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         zenthra::test::backendName);

} // namespace
