#pragma once
// An announcement written to the server as the spot rows are, so that it is stored exactly once
// however late the server's answer: a transaction whose id is known before its commit is sent,
// and when the answer to the commit never comes, the server is asked, once it answers again,
// whether that transaction committed. A refusal for time or a lock has the announcement wait and
// be written again; one for the row itself loses it.
//
// One announcement at a time: the caller writes the same one again until it is stored or
// refused, as what the server is asked about belongs to it.

#include "spots/database.h"

#include <QObject>
#include <QString>
#include <QVariant>

#include <optional>

namespace zenthra {

class AnnouncementWriter : public QObject
{
public:
    enum class Fate
    {
        Stored,
        // The server refused the row itself: it will never take it.
        Refused,
        // The server refused for time or a lock, or has not finished an earlier write of it:
        // written again, or asked again, at the retry interval.
        Wait,
        // The connection is closed, was lost, or the server does not answer.
        Lost,
    };
    struct Outcome
    {
        Fate fate = Fate::Stored;
        SqlFailure why;
    };

    static constexpr const char* unfinishedText = "the database server has not finished an earlier write";

    explicit AnnouncementWriter(Database& db);

    Outcome write(const QString& text, const QVariant& utc);
    // What the server was asked about no longer matters: the announcement went elsewhere.
    void forget() { m_unknown.reset(); }

private:
    // The outcome of the transaction whose commit went unanswered; none when it did not commit
    // and the announcement is to be written again.
    std::optional<Outcome> settle();
    // Rolls back a transaction of ours that may still be open on the connection; false, with
    // `why`, when that could not be sent.
    bool endLeftOpen(SqlFailure* why);
    int cutsSoFar() const;
    Outcome lost(const QString& why) const;

    Database& m_db;
    // Counts the closings of the connection: a transaction is void once it closed.
    quint64 m_closings = 0;
    // The closing count of the connection on which a transaction was begun and not yet ended.
    std::optional<quint64> m_leftOpen;
    // The transaction whose commit was sent without an answer.
    std::optional<qint64> m_unknown;
};

} // namespace zenthra
