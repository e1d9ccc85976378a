#include "spots/database_fixture.h"

#include "platform/legacy_value.h"
#include "spots/announcements.h"
#include "spots/query_catalogue.h"

#include <QSqlError>
#include <QSqlRecord>

using namespace zenthra;
using zenthra::test::Backend;
using zenthra::test::DatabaseFixture;

// The catalogue as text: keys, dialects and placeholders.

TEST(QueryCatalogue, KeysAreNumberAndKindLetterInAnyCase)
{
    EXPECT_EQ(SET_SQL(u"4a"), SET_SQL(u"4A"));
    EXPECT_TRUE(SET_SQL(u"4a").contains("ann_date text"));
    EXPECT_TRUE(SET_SQL(u"4s").contains("ann_text varchar(255), ann_date timestamp(0)"));
    EXPECT_TRUE(SET_SQL(u"8a").startsWith("DELETE FROM tblSpider"));
    EXPECT_TRUE(SET_SQL(u"1S").startsWith("CREATE TABLE IF NOT EXISTS tblProp"));
    for (const char16_t* key :
         {u"9a", u"12a", u"19s", u"20a", u"0a", u"", u"a", u"4", u"4x", u"-4a", u"04a"}) {
        EXPECT_EQ(SET_SQL(key), QString()) << QString::fromUtf16(key).toStdString();
    }
}

TEST(QueryCatalogue, ValuesAreNeverPartOfTheText)
{
    // Key 7 binds the type, matched whole in both dialects and in any letter case.
    for (const char16_t* key : {u"7a", u"7s"}) {
        const QString sql = SET_SQL(key);
        EXPECT_TRUE(sql.contains("WHERE upper(spidertype) = upper(?)")) << sql.toStdString();
        EXPECT_FALSE(sql.contains('\''));
    }
    // Key 2 binds its limits; the map's own clauses extend the WHERE clause in their places.
    const QString map =
        SET_SQL(u"2A", "AND QRB1 < :maxQrb", "AND DxDateTime >= :fromDate", "AND Freq < :topFreq");
    EXPECT_TRUE(map.startsWith("SELECT DxDateTime, DxLoc1, DxLoc2, MUF, Freq, CentreLoc, TryFrom, TryTo,"));
    EXPECT_TRUE(
        map.contains("WHERE MUF >= :mufMin AND MUF <= :mufMax AND QRB1 < :maxQrb AND length(DxLoc1) > 0"));
    EXPECT_TRUE(
        map.contains("unicode(upper(substr(DxLoc2, 2, 1))) BETWEEN 65 AND 82 AND DxDateTime >= :fromDate "
                     "AND Freq < :topFreq ORDER BY DxDateTime DESC LIMIT :rowCount"))
        << map.toStdString();
    EXPECT_TRUE(SET_SQL(u"2s").contains("ascii(upper(substr(DxLoc1, 1, 1)))"));
}

// Every catalogue statement, run on both databases.

class Catalogue : public DatabaseFixture
{
protected:
    void SetUp() override
    {
        DatabaseFixture::SetUp();
        if (!IsSkipped()) {
            open();
            ASSERT_TRUE(db->isOpen()) << logLines().join('\n').toStdString();
        }
    }
};

TEST_P(Catalogue, TableCreationsRunAgainOnExistingTables)
{
    for (int key : {1, 4, 5}) {
        run(Store::Spots, db->SET_SQL(key));
    }
    EXPECT_EQ(count("tblProp"), 148);
}

TEST_P(Catalogue, SpiderStatementsOnAHostileTable)
{
    const QString insert = db->sql(Statement::InsertSpider);
    run(Store::Spots, insert, {"MNUSPIDERSHOW", "SH/WWV"});
    run(Store::Spots, insert, {"MNUSPIDERSHOW", "SH/DX"});
    run(Store::Spots, insert, {"MNUSPIDERSET", "SET/NAME"});
    run(Store::Spots, insert, {"MNUSPIDERUSER_DEFINED", "SH/DX 50'; DELETE FROM tblSpider; --"});
    // A command is the key: the same command cannot be added twice.
    EXPECT_FALSE(db->exec(Store::Spots, insert, {"MNUSPIDERSET", "SH/DX"}));
    EXPECT_EQ(column(Store::Spots, db->SET_SQL(6)),
              (QVariantList{"MNUSPIDERSET", "MNUSPIDERSHOW", "MNUSPIDERUSER_DEFINED"}));
    EXPECT_EQ(column(Store::Spots, db->SET_SQL(7), {"mnuSpiderSHOW"}), (QVariantList{"SH/DX", "SH/WWV"}));
    EXPECT_EQ(column(Store::Spots, db->SET_SQL(7), {"mnuSpiderUSER_DEFINED"}),
              (QVariantList{"SH/DX 50'; DELETE FROM tblSpider; --"}));
    EXPECT_EQ(column(Store::Spots, db->SET_SQL(7), {"A' OR 'A'='A"}), QVariantList{});
    // No pattern characters: "%" and "_" are themselves.
    EXPECT_EQ(column(Store::Spots, db->SET_SQL(7), {"%SET"}), QVariantList{});
    run(Store::Spots, insert, {"MNUSPIDERUSERXDEFINED", "SH/X"});
    EXPECT_EQ(column(Store::Spots, db->SET_SQL(7), {"mnuSpiderUSER_DEFINED"}),
              (QVariantList{"SH/DX 50'; DELETE FROM tblSpider; --"}));
    EXPECT_EQ(count("tblSpider"), 5);
    run(Store::Spots, db->SET_SQL(8));
    EXPECT_EQ(count("tblSpider"), 0);
}

TEST_P(Catalogue, KeywordQueryListsEveryRowWithTheCount)
{
    QSqlQuery q = run(Store::Spots, db->SET_SQL(3));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), "TROPO");
    EXPECT_EQ(q.value(1).toString(), "#<TR>#");
    EXPECT_EQ(q.value(2).toString(), "000");
    EXPECT_EQ(q.value(3).toInt(), 148);
    EXPECT_EQ(q.record().fieldName(3).toLower(), "reccount");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(1).toString(), "#NIL ES#");
}

TEST_P(Catalogue, MapQueryKeepsValidPathsNewestFirst)
{
    const QString insert =
        "INSERT INTO tblSPOT (DxDateTime, DxLoc1, DxLoc2, MUF, Freq, CentreLoc, TryFrom, TryTo,"
        " Qrb_To_Midpoint) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";
    const auto at = [](int hour) {
        return Database::dateValue(QDateTime(QDate(2024, 6, 1), QTime(hour, 0), Qt::UTC));
    };
    const QVariant none(QMetaType::fromType<double>());
    run(Store::Spots, insert,
        {at(10), "JO01AA", "IN80AA", 120.0, 50.11, "JN00AA", "JO01AA", "IN80AA", 900.0});
    run(Store::Spots, insert, {at(11), "io91wm", "KN05AA", 140.0, 50.12, "JN55AA", "JO01AA", "KN05AA", none});
    run(Store::Spots, insert,
        {at(12), "SO01AA", "IN80AA", 150.0, 50.13, "", "", "", 10.0}); // S: not a field letter
    run(Store::Spots, insert, {at(13), "", "IN80AA", 150.0, 50.13, "", "", "", 10.0}); // no spotter locator
    run(Store::Spots, insert, {at(14), "JO01AA", "IN80AA", 40.0, 50.13, "", "", "", 10.0}); // MUF too low
    run(Store::Spots, insert, {at(15), "JO01AA", "I8", 150.0, 50.13, "", "", "", 10.0}); // digit in DX field
    run(Store::Spots, insert, {at(9), "JO01AA", "IN80AA", 100.0, 50.1, "", "", "", 10.0}); // beyond the count

    QSqlQuery q = db->prepare(Store::Spots, db->SET_SQL(2, {}, "AND DxDateTime >= :fromDate"));
    q.bindValue(":mufMin", 50.0);
    q.bindValue(":mufMax", 250.0);
    q.bindValue(":fromDate", at(0));
    q.bindValue(":rowCount", 2);
    ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    ASSERT_TRUE(q.next());
    EXPECT_EQ(Database::readDate(q.value(0)), QDateTime(QDate(2024, 6, 1), QTime(11, 0), Qt::UTC));
    EXPECT_EQ(q.value(1).toString(), "io91wm");
    EXPECT_EQ(q.value(8).toDouble(), 0.0); // no mid-point distance reads as 0
    EXPECT_EQ(q.record().fieldName(8).toLower(), "midqrb");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(2).toString(), "IN80AA");
    EXPECT_EQ(q.value(8).toDouble(), 900.0);
    EXPECT_FALSE(q.next());
}

INSTANTIATE_TEST_SUITE_P(Backends, Catalogue, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         zenthra::test::backendName);

// The keyword table.

class Keywords : public DatabaseFixture
{
};

TEST_P(Keywords, NewDatabaseIsSeededOnceAndLoaded)
{
    open();
    ASSERT_TRUE(keywords.loaded());
    EXPECT_EQ(count("tblProp"), 148);
    EXPECT_EQ(keywords.arrPropTypes().rows(), PropKeywords::seedList().rows());
    for (const char* stored : {"#AE'S#", "#E'S#", "#SP-E'S#", "#I'LL CALL#", "# NIL ES #", "# 51A#"}) {
        EXPECT_EQ(column(Store::Spots, "SELECT count(*) FROM tblProp WHERE PropCheck = ?", {stored})
                      .value(0)
                      .toInt(),
                  1)
            << stored;
    }
    // A second opening finds the table and seeds nothing, even when rows were deleted.
    run(Store::Spots, "DELETE FROM tblProp WHERE PropCheck = ?", {"#AE'S#"});
    db->CLOSE_DATABASES();
    open();
    EXPECT_EQ(count("tblProp"), 147);
    EXPECT_EQ(keywords.arrPropTypes().size(), 147);
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
}

TEST_P(Keywords, LoadCleansKeywordsAndSkipsEmptyOnes)
{
    open();
    const QString insert = db->sql(Statement::InsertProp);
    run(Store::Spots, insert, {"ES", "#mid#dle#", "001"});
    run(Store::Spots, insert, {"UNKNOWN", "##", "001"});
    run(Store::Spots, insert, {"MS", "#  #", "001"});
    POPULATE_PROPAGATION_ARRAYS(keywords, *db);
    const PropTypeList& list = keywords.arrPropTypes();
    ASSERT_EQ(list.size(), 150); // the empty keyword is left out
    EXPECT_EQ(list[2], (PropType{"MS", "  "}));
    EXPECT_EQ(list[3], (PropType{"ES", "MIDDLE"}));
    EXPECT_EQ(list[list.size() - 1], (PropType{"ES", "<ES>"}));
}

TEST_P(Keywords, ModeListFailedLoadKeepsTheListAndEmptyTableEmptiesIt)
{
    open();
    ASSERT_EQ(keywords.arrPropTypes().size(), 148);
    EXPECT_EQ(FILL_PROPAGATION_LIST(*db), QStringList({"AU", "BS", "DIGI", "EME", "ES", "F2", "FAI", "IONO",
                                                       "MS", "RAIN", "SAT", "TROPO", "UNKNOWN"}));
    db->CLOSE_DATABASES();
    POPULATE_PROPAGATION_ARRAYS(keywords, *db);
    EXPECT_EQ(keywords.arrPropTypes().size(), 148);
    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines()[0].endsWith("-2147467259 - POPULATE_PROPAGATION_ARRAYS()"));
    EXPECT_TRUE(FILL_PROPAGATION_LIST(*db).isEmpty());
    open();
    run(Store::Spots, "DELETE FROM tblProp");
    POPULATE_PROPAGATION_ARRAYS(keywords, *db);
    EXPECT_TRUE(keywords.arrPropTypes().isEmpty());
    EXPECT_TRUE(keywords.loaded());
}

INSTANTIATE_TEST_SUITE_P(Backends, Keywords, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         zenthra::test::backendName);

// Announcements.

TEST(AnnouncementCleaning, RemovesAndJoinsAsTheDatabaseExpects)
{
    for (const auto& [in, out] :
         {std::pair{"TO ALL DE G4ABC: ES open... to EA", "TO ALL DE G4ABC: ES open to EA"},
          std::pair{"it's \"great\"", "its great"}, std::pair{"two\twords", "twowords"},
          std::pair{"line one\r\nline two", "line oneline two"}, std::pair{"a    b", "a  b"},
          std::pair{"a   b", "a  b"}, std::pair{"a  b", "a b"}, std::pair{"bell\a!", "bell!"},
          std::pair{"..\a.", ""}, std::pair{"100%_off; ok", "100%_off; ok"},
          std::pair{"Grüße 🙂", "Grüße 🙂"}}) {
        EXPECT_EQ(Announcements::cleaned(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
    }
    // Cut to 255 without splitting a character.
    EXPECT_EQ(Announcements::cleaned(QString(300, u'x')), QString(255, u'x'));
    const QString face = QString::fromUtf8("🙂");
    const QString cut = Announcements::cleaned(QString(254, u'x') + face + "tail");
    EXPECT_EQ(cut, QString(254, u'x'));
    EXPECT_EQ(Announcements::cleaned(QString(253, u'x') + face + "tail"), QString(253, u'x') + face);
}

class AnnouncementTable : public DatabaseFixture
{
};

TEST_P(AnnouncementTable, StoresTheCleanedTextWithTheUtcTime)
{
    open();
    const QDateTime now(QDate(2024, 7, 4), QTime(18, 5, 9), Qt::UTC);
    clock.setUtc(now);
    Announcements ann(*db, clock, log);
    QString text = QString("TO ALL DE DL1AA: 'Es'... \"open\"    ") + QString(300, u'z');
    ann.ANNOUNCE_TO_DB(text);
    EXPECT_EQ(text.size(), 255);
    EXPECT_TRUE(text.startsWith("TO ALL DE DL1AA: Es open  zz"));
    QString hostile =
        QString::fromUtf8("WCY DE DK0WCY <18> : K=4 expK=0 A=26 R=126 SFI=172 SA=act; 100%_ 東京");
    ann.ANNOUNCE_TO_DB(hostile);
    QSqlQuery q = run(Store::Spots, "SELECT ann_text, ann_date FROM tblAnnounce ORDER BY ann_text");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), text);
    EXPECT_EQ(Database::readDate(q.value(1)), now);
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), hostile);
    EXPECT_TRUE(logLines().isEmpty()) << logLines().join('\n').toStdString();
}

TEST_P(AnnouncementTable, MissingTableLogsEachAnnouncementUntilCreated)
{
    open();
    run(Store::Spots, "DROP TABLE tblAnnounce");
    Announcements ann(*db, clock, log);
    QString first = "TO ALL DE G4ABC: first";
    QString second = "TO ALL DE G4ABC: 'second'";
    ann.ANNOUNCE_TO_DB(first);
    ann.ANNOUNCE_TO_DB(second);
    const QStringList lines = logLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(" - ANNOUNCE_TO_DB(TO ALL DE G4ABC: first)")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(" - ANNOUNCE_TO_DB(TO ALL DE G4ABC: second)")) << lines[1].toStdString();
    ann.CREATE_ANNOUNCE_TABLE();
    ann.CREATE_ANNOUNCE_TABLE(); // again on an existing table: nothing happens
    ann.ANNOUNCE_TO_DB(first);
    EXPECT_EQ(count("tblAnnounce"), 1);
    EXPECT_EQ(logLines().size(), 2);
}

INSTANTIATE_TEST_SUITE_P(Backends, AnnouncementTable, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         zenthra::test::backendName);
