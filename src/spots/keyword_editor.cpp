#include "spots/keyword_editor.h"

#include "platform/legacy_value.h"
#include "spots/database.h"
#include "spots/keyword_table.h"

#include <QSqlError>
#include <QSqlQuery>

namespace zenthra {

namespace {

bool lettersOnly(const QString& word, qsizetype maxLength)
{
    if (word.isEmpty() || word.size() > maxLength) {
        return false;
    }
    for (const QChar c : word) {
        if (c < u'A' || c > u'Z') {
            return false;
        }
    }
    return true;
}

KeywordEditor::Outcome failure(const SqlFailure& why)
{
    return {true, {}, QStringLiteral("Error: ") + legacy::numberText(why.number) + u'\r' + why.text};
}

} // namespace

KeywordEditor::KeywordEditor(Database& db, PropKeywords& keywords) : m_db(db), m_keywords(keywords) {}

QString KeywordEditor::framedKeyword(const QString& keyword)
{
    QString k = keyword.toUpper();
    k.remove(u'"');
    return u'#' + k + u'#';
}

QStringList KeywordEditor::LOAD_PROP_LIST() const
{
    QStringList lines;
    QSqlQuery q;
    if (!m_db.exec(Store::Spots, m_db.SET_SQL(3), {}, &q)) {
        return lines;
    }
    while (q.next()) {
        // propId, PropCheck, SortOrder
        lines.append(q.value(2).toString() + QStringLiteral("  ") + q.value(1).toString() + u'\t' +
                     q.value(0).toString());
    }
    return lines;
}

QStringList KeywordEditor::modes() const
{
    return FILL_PROPAGATION_LIST(m_db);
}

std::optional<KeywordEditor::Fields> KeywordEditor::lstSpots_Click(const QString& line) const
{
    const QString orderKey = line.left(3);
    const qsizetype lastMark = line.lastIndexOf(u'#');
    if (lastMark < 0) {
        return std::nullopt;
    }
    const QString framed = line.left(lastMark + 1).mid(3).trimmed();
    QSqlQuery q;
    if (!m_db.exec(Store::Spots,
                   QStringLiteral("SELECT propId, PropCheck, SortOrder FROM tblProp WHERE SortOrder = ? AND "
                                  "PropCheck = ? ORDER BY SortOrder"),
                   {orderKey, framed}, &q) ||
        !q.next()) {
        return std::nullopt;
    }
    QString keyword = q.value(1).toString();
    keyword.remove(u'#');
    return Fields{q.value(2).toString(), q.value(0).toString(), keyword};
}

KeywordEditor::Outcome KeywordEditor::UPDATE_PROP(const Fields& fields)
{
    Outcome outcome;
    const QString framed = framedKeyword(fields.keyword);
    if (framed.mid(1, framed.size() - 2).trimmed().isEmpty()) {
        outcome = {
            true, {}, QStringLiteral("An empty keyword would match every spot; type the keyword to store.")};
    } else if (!lettersOnly(fields.mode, 6) && !modes().contains(fields.mode)) {
        outcome = {true, {}, QStringLiteral("The propagation type must be 1 to 6 letters A to Z.")};
    } else if (fields.orderKey.size() != 3) {
        outcome = {true, {}, QStringLiteral("The spot order needs all three characters.")};
    } else {
        SqlFailure why;
        Database::Transaction transaction(m_db, Store::Spots);
        bool ok = m_db.exec(Store::Spots, QStringLiteral("DELETE FROM tblProp WHERE PropCheck = ?"), {framed},
                            nullptr, &why) &&
                  m_db.exec(Store::Spots, m_db.sql(Statement::InsertProp),
                            {fields.mode, framed, fields.orderKey}, nullptr, &why);
        if (ok && transaction.begun() && !transaction.commit(&why)) {
            ok = false;
        }
        if (!ok) {
            outcome = failure(why);
        }
    }
    reloadClassifier();
    return outcome;
}

KeywordEditor::Outcome KeywordEditor::DELETE_PROP(const QString& keyword)
{
    Outcome outcome;
    SqlFailure why;
    if (!m_db.exec(Store::Spots, QStringLiteral("DELETE FROM tblProp WHERE PropCheck = ?"),
                   {framedKeyword(keyword)}, nullptr, &why)) {
        outcome = failure(why);
    }
    reloadClassifier();
    return outcome;
}

KeywordEditor::Outcome KeywordEditor::cmdNewPropType(const QString& answer, bool* added)
{
    if (added) {
        *added = false;
    }
    QString word = answer.trimmed();
    word.remove(u' ');
    word = word.toUpper();
    if (word.isEmpty()) {
        return {};
    }
    const Outcome refused{true, QString::fromLatin1(newTypeFailedTitle),
                          QStringLiteral("Sorry, >>") + word +
                              QStringLiteral("<< does not fit the criteria")};
    if (!lettersOnly(word, 6)) {
        return refused;
    }
    if (!m_db.exec(Store::Spots, m_db.sql(Statement::InsertProp),
                   {word, QString::fromLatin1(placeholderKeyword), QString::fromLatin1(placeholderOrder)})) {
        return refused;
    }
    if (added) {
        *added = true;
    }
    return {false, QString::fromLatin1(newTypeAddedTitle),
            QStringLiteral("Propagation type ") + word +
                QStringLiteral(" added to list (Item No 000 with value 'CHANGE ME'")};
}

void KeywordEditor::reloadClassifier()
{
    POPULATE_PROPAGATION_ARRAYS(m_keywords, m_db);
}

} // namespace zenthra
