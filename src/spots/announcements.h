#pragma once
// Announcements and bulletins of the DX cluster, appended to tblAnnounce while "Log announce to
// Db" is ticked.

#include <QString>
#include <QVariant>

namespace zenthra {

class Clock;
class Database;
struct SqlFailure;
class ErrorLog;
class SpotStore;

class Announcements
{
public:
    static constexpr qsizetype maxTextLength = 255;

    Announcements(Database& db, const Clock& clock, ErrorLog& log);

    // Cleans `text` in place (the caller shows the cleaned text) and appends it with the UTC
    // time. A failure logs "ANNOUNCE_TO_DB(cleaned text)"; the announcement is not stored.
    void ANNOUNCE_TO_DB(QString& text);
    // The appends go to the spot store, where the road's other writes wait for the database,
    // instead of the caller's layer: there one the server cannot take yet waits until it can, and
    // is logged so only if the program ends first.
    void setStore(SpotStore* store) { m_store = store; }
    // The append itself, on `db`, with its log line on failure.
    static void append(Database& db, ErrorLog& log, const QString& text, const QVariant& utc);
    // The append without its log line: what failed, number 0 when it was stored.
    static SqlFailure insert(Database& db, const QString& text, const QVariant& utc);
    static void logFailure(ErrorLog& log, const SqlFailure& why, const QString& text);

    // Creates tblAnnounce when it is missing, errors ignored (the "Log announce to Db" item runs
    // this on every click, before it flips its check mark).
    void CREATE_ANNOUNCE_TABLE();

    // The cleaning on its own: bells, "...", TAB, LF, CR, double quotes and apostrophes removed,
    // each pair of blanks made one (a single pass), then cut to 255 characters.
    static QString cleaned(QString text);

private:
    Database& m_db;
    const Clock& m_clock;
    ErrorLog& m_log;
    SpotStore* m_store = nullptr;
};

} // namespace zenthra
