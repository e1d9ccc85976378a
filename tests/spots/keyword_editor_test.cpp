// The keyword editor on SQLite and on the test PostgreSQL server: list lines, click parsing,
// "Add / Update" in one transaction with bound values, deletion, new mode words, and the
// classifier seeing each change at its next call.

#include "core/classifier_options.h"
#include "propagation/prop_classifier.h"
#include "spots/database_fixture.h"
#include "spots/keyword_editor.h"
#include "support/print_qstring.h"

using namespace zenthra;
using zenthra::test::Backend;
using zenthra::test::DatabaseFixture;

namespace {

class KeywordEditorTest : public DatabaseFixture
{
protected:
    void SetUp() override
    {
        DatabaseFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        open();
        ASSERT_TRUE(db->isOpen());
        editor = std::make_unique<KeywordEditor>(*db, keywords);
    }

    // The stored rows of a keyword as "mode order".
    QStringList rowsOf(const QString& framed)
    {
        QStringList out;
        QSqlQuery q =
            run(Store::Spots,
                QStringLiteral("SELECT propId, SortOrder FROM tblProp WHERE PropCheck = ? ORDER BY propId"),
                {framed});
        while (q.next()) {
            out.append(q.value(0).toString() + u' ' + q.value(1).toString());
        }
        return out;
    }
    QString classify(const char* comment)
    {
        return GET_PROPAGATION(QString::fromLatin1(comment), QStringLiteral("QX1AA"), 14.2, 500,
                               keywords.arrPropTypes(), ClassifierOptions{}, log);
    }

    std::unique_ptr<KeywordEditor> editor;
};

TEST_P(KeywordEditorTest, ListLinesAndClickingTheSeedRowNilEs)
{
    const QStringList lines = editor->LOAD_PROP_LIST();
    ASSERT_EQ(lines.size(), 148);
    EXPECT_TRUE(lines.contains(QStringLiteral("023  # ES#\tES")));
    const QString nil = QStringLiteral("017  # NIL ES #\tUNKNOWN");
    ASSERT_TRUE(lines.contains(nil));
    const auto fields = editor->lstSpots_Click(nil);
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->orderKey, QStringLiteral("017"));
    EXPECT_EQ(fields->mode, QStringLiteral("UNKNOWN"));
    EXPECT_EQ(fields->keyword, QStringLiteral(" NIL ES "));
    // A line whose row has gone finds nothing.
    EXPECT_FALSE(editor->lstSpots_Click(QStringLiteral("999  #GONE#\tES")));
    EXPECT_TRUE(editor->modes().contains(QStringLiteral("UNKNOWN")));
}

TEST_P(KeywordEditorTest, ApostropheKeywordRoundTripModeOnlyUpdateAndANewKeyword)
{
    const QString line = QStringLiteral("025  #AE'S#\tES");
    ASSERT_TRUE(editor->LOAD_PROP_LIST().contains(line));
    auto fields = editor->lstSpots_Click(line);
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->keyword, QStringLiteral("AE'S"));
    fields->mode = QStringLiteral("MS");
    const auto outcome = editor->UPDATE_PROP(*fields);
    EXPECT_TRUE(outcome.silent()) << outcome.text.toStdString();
    EXPECT_EQ(rowsOf(QStringLiteral("#AE'S#")), QStringList{QStringLiteral("MS 025")});
    EXPECT_EQ(count(QStringLiteral("tblProp")), 148);
    const auto again = editor->lstSpots_Click(QStringLiteral("025  #AE'S#\tMS"));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->mode, QStringLiteral("MS"));

    // A new keyword with an apostrophe and a double quotation mark (dropped), in lower case.
    EXPECT_TRUE(editor->UPDATE_PROP({QStringLiteral("0AZ"), QStringLiteral("ES"), QStringLiteral("o'\"neil")})
                    .silent());
    EXPECT_EQ(rowsOf(QStringLiteral("#O'NEIL#")), QStringList{QStringLiteral("ES 0AZ")});
    ASSERT_TRUE(editor->LOAD_PROP_LIST().contains(QStringLiteral("0AZ  #O'NEIL#\tES")));
    EXPECT_EQ(editor->lstSpots_Click(QStringLiteral("0AZ  #O'NEIL#\tES"))->keyword, QStringLiteral("O'NEIL"));

    // Changing the keyword of a row adds a second row.
    EXPECT_TRUE(
        editor->UPDATE_PROP({QStringLiteral("023"), QStringLiteral("ES"), QStringLiteral(" ESX")}).silent());
    EXPECT_EQ(rowsOf(QStringLiteral("# ES#")), QStringList{QStringLiteral("ES 023")});
    EXPECT_EQ(rowsOf(QStringLiteral("# ESX#")), QStringList{QStringLiteral("ES 023")});
    EXPECT_EQ(count(QStringLiteral("tblProp")), 150);
}

TEST_P(KeywordEditorTest, BlankKeywordsAndBadModesAreRefused)
{
    for (const char* keyword : {"", "   ", "\"\""}) {
        const auto outcome =
            editor->UPDATE_PROP({QStringLiteral("000"), QStringLiteral("ES"), QString::fromLatin1(keyword)});
        EXPECT_TRUE(outcome.failed) << keyword;
        EXPECT_EQ(outcome.text,
                  QStringLiteral("An empty keyword would match every spot; type the keyword to store."));
    }
    for (const char* mode : {"", "es", "E5", "TOOLONG", "ES "}) {
        const auto outcome =
            editor->UPDATE_PROP({QStringLiteral("000"), QString::fromLatin1(mode), QStringLiteral("NEWKEY")});
        EXPECT_TRUE(outcome.failed) << mode;
        EXPECT_EQ(outcome.text, QStringLiteral("The propagation type must be 1 to 6 letters A to Z."))
            << mode;
    }
    EXPECT_EQ(count(QStringLiteral("tblProp")), 148);
    EXPECT_EQ(rowsOf(QStringLiteral("##")), QStringList());
    // The table's own seven-letter mode word stays usable.
    EXPECT_TRUE(
        editor->UPDATE_PROP({QStringLiteral("017"), QStringLiteral("UNKNOWN"), QStringLiteral(" NIL ES ")})
            .silent());
}

TEST_P(KeywordEditorTest, AFailedInsertKeepsTheOldRow)
{
    if (server()) {
        run(Store::Spots,
            QStringLiteral("ALTER TABLE tblProp ADD CONSTRAINT refuse_fails CHECK (propId <> 'FAILS')"));
    } else {
        run(Store::Spots,
            QStringLiteral("CREATE TRIGGER refuse_fails BEFORE INSERT ON tblProp WHEN NEW.propId = "
                           "'FAILS' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    }
    const auto outcome =
        editor->UPDATE_PROP({QStringLiteral("023"), QStringLiteral("FAILS"), QStringLiteral(" ES")});
    EXPECT_TRUE(outcome.failed);
    EXPECT_TRUE(outcome.text.startsWith(QStringLiteral("Error: "))) << outcome.text.toStdString();
    EXPECT_EQ(rowsOf(QStringLiteral("# ES#")), QStringList{QStringLiteral("ES 023")});
    EXPECT_EQ(count(QStringLiteral("tblProp")), 148);
    // The connection is usable afterwards.
    EXPECT_TRUE(
        editor->UPDATE_PROP({QStringLiteral("023"), QStringLiteral("MS"), QStringLiteral(" ES")}).silent());
    EXPECT_EQ(rowsOf(QStringLiteral("# ES#")), QStringList{QStringLiteral("MS 023")});
}

TEST_P(KeywordEditorTest, TheClassifierSeesEachChangeAtItsNextCallAndDeletion)
{
    EXPECT_EQ(classify(" ZZTOP HEARD "), QStringLiteral("UNKNOWN"));
    EXPECT_TRUE(
        editor->UPDATE_PROP({QStringLiteral("000"), QStringLiteral("AU"), QStringLiteral("zztop")}).silent());
    EXPECT_EQ(classify(" ZZTOP HEARD "), QStringLiteral("AU"));
    EXPECT_TRUE(
        editor->UPDATE_PROP({QStringLiteral("000"), QStringLiteral("MS"), QStringLiteral("ZZTOP")}).silent());
    EXPECT_EQ(classify(" ZZTOP HEARD "), QStringLiteral("MS"));
    EXPECT_TRUE(editor->DELETE_PROP(QStringLiteral("zztop")).silent());
    EXPECT_EQ(classify(" ZZTOP HEARD "), QStringLiteral("UNKNOWN"));
    EXPECT_EQ(rowsOf(QStringLiteral("#ZZTOP#")), QStringList());
    // Deleting an unknown keyword changes nothing; a seed keyword goes whatever its case.
    EXPECT_TRUE(editor->DELETE_PROP(QStringLiteral("NOT THERE")).silent());
    EXPECT_EQ(count(QStringLiteral("tblProp")), 148);
    EXPECT_TRUE(editor->DELETE_PROP(QStringLiteral("ae's")).silent());
    EXPECT_EQ(count(QStringLiteral("tblProp")), 147);
    EXPECT_EQ(rowsOf(QStringLiteral("#AE'S#")), QStringList());
}

TEST_P(KeywordEditorTest, NewPropTypeAddsAPlaceholderRowOnce)
{
    bool added = true;
    EXPECT_TRUE(editor->cmdNewPropType(QString(), &added).silent());
    EXPECT_FALSE(added);
    EXPECT_TRUE(editor->cmdNewPropType(QStringLiteral("   "), &added).silent());

    auto outcome = editor->cmdNewPropType(QStringLiteral(" sp o "), &added);
    EXPECT_TRUE(added);
    EXPECT_FALSE(outcome.failed);
    EXPECT_EQ(outcome.title, QStringLiteral("New propagation mode added"));
    EXPECT_EQ(outcome.text,
              QStringLiteral("Propagation type SPO added to list (Item No 000 with value 'CHANGE ME'"));
    EXPECT_EQ(rowsOf(QStringLiteral("#CHANGE ME#")), QStringList{QStringLiteral("SPO 000")});
    EXPECT_TRUE(editor->modes().contains(QStringLiteral("SPO")));

    for (const char* refused : {"ab1", "abcdefg", "TR-OP", "second"}) {
        outcome = editor->cmdNewPropType(QString::fromLatin1(refused), &added);
        EXPECT_FALSE(added) << refused;
        EXPECT_TRUE(outcome.failed);
        EXPECT_EQ(outcome.title, QStringLiteral("An error occured"));
        EXPECT_EQ(outcome.text, QStringLiteral("Sorry, >>%1<< does not fit the criteria")
                                    .arg(QString::fromLatin1(refused).toUpper()));
    }
    EXPECT_EQ(count(QStringLiteral("tblProp")), 149);
}

INSTANTIATE_TEST_SUITE_P(Backends, KeywordEditorTest, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         zenthra::test::backendName);

} // namespace
