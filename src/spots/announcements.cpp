#include "announcements.h"

#include "core/error_log.h"
#include "core/utc_clock.h"
#include "spots/database.h"
#include "spots/spot_store.h"

namespace zenthra {

Announcements::Announcements(Database& db, const Clock& clock, ErrorLog& log)
    : m_db(db), m_clock(clock), m_log(log)
{
}

QString Announcements::cleaned(QString text)
{
    text.remove(QChar(7));
    text.remove(QStringLiteral("..."));
    for (char16_t c : {u'\t', u'\n', u'\r', u'"', u'\''}) {
        text.remove(QChar(c));
    }
    text.replace(QStringLiteral("  "), QStringLiteral(" "));
    if (text.size() > maxTextLength) {
        // Never split a surrogate pair: half a character is not text the database can store.
        const qsizetype cut =
            text.at(maxTextLength - 1).isHighSurrogate() ? maxTextLength - 1 : maxTextLength;
        text.truncate(cut);
    }
    return text;
}

void Announcements::ANNOUNCE_TO_DB(QString& text)
{
    text = cleaned(std::move(text));
    const QVariant utc = Database::dateValue(GET_UTC_NOW(m_clock));
    if (m_store) {
        m_store->announce(text, utc);
    } else {
        append(m_db, m_log, text, utc);
    }
}

void Announcements::append(Database& db, ErrorLog& log, const QString& text, const QVariant& utc)
{
    const SqlFailure why = insert(db, text, utc);
    if (why.number != 0) {
        logFailure(log, why, text);
    }
}

SqlFailure Announcements::insert(Database& db, const QString& text, const QVariant& utc)
{
    SqlFailure why;
    db.exec(Store::Spots, db.sql(Statement::InsertAnnounce), {text, utc}, nullptr, &why);
    return why;
}

void Announcements::logFailure(ErrorLog& log, const SqlFailure& why, const QString& text)
{
    log.WRITE_ERROR_LOG(why.number, QStringLiteral("ANNOUNCE_TO_DB(") + text + QLatin1Char(')'));
}

void Announcements::CREATE_ANNOUNCE_TABLE()
{
    m_db.exec(Store::Spots, m_db.SET_SQL(4));
}

} // namespace zenthra
