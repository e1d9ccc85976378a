#include "spots/announcement_writer.h"

#include "spots/server_watch.h"
#include "spots/spot_writers.h"

#include <QSqlError>

namespace zenthra {

namespace {

// The insert says which transaction it ran in, so that the server can be asked how it ended.
const QString returning = QStringLiteral(" RETURNING txid_current()");
const QString statusSql = QStringLiteral("SELECT txid_status(?)");

} // namespace

AnnouncementWriter::AnnouncementWriter(Database& db) : m_db(db)
{
    connect(&m_db, &Database::databasesClosed, this, [this] { ++m_closings; });
}

int AnnouncementWriter::cutsSoFar() const
{
    const std::shared_ptr<ServerWatch>& watch = m_db.serverWatch();
    return watch ? watch->cuts() : 0;
}

AnnouncementWriter::Outcome AnnouncementWriter::lost(const QString& why) const
{
    QString text = why;
    if (text.isEmpty()) {
        text = m_db.serverWatch() ? m_db.serverWatch()->silence() : QString();
    }
    if (text.isEmpty()) {
        text = QStringLiteral("connection to the database lost");
    }
    return {Fate::Lost, {Database::errProviderFailure, text}};
}

bool AnnouncementWriter::endLeftOpen(SqlFailure* why)
{
    // A transaction left open on a connection that is still the same (its rollback could not be
    // sent) would take this write in with its own.
    if (!m_leftOpen || *m_leftOpen != m_closings) {
        m_leftOpen.reset();
        return true;
    }
    if (m_db.rollback(Store::Spots) || *m_leftOpen != m_closings) {
        m_leftOpen.reset();
        return true;
    }
    *why = lost({}).why;
    return false;
}

std::optional<AnnouncementWriter::Outcome> AnnouncementWriter::settle()
{
    SqlFailure failure;
    QString state;
    {
        Database::Prepared status(m_db, Store::Spots, statusSql, &failure);
        bool asked = failure.number == 0;
        if (asked) {
            // The one row of the answer comes with it, under the watch.
            status->setForwardOnly(false);
            status->bindValue(0, *m_unknown);
            asked = m_db.run(Store::Spots, *status, &failure);
        }
        if (!asked) {
            if (failure.number == Database::errProviderFailure) {
                return lost(failure.text);
            }
            // Only a server too old to be asked (class 42: no such function) has the announcement
            // written again unasked; any other refusal is asked again at the next try.
            if (!status->lastError().nativeErrorCode().startsWith(QLatin1String("42"))) {
                return Outcome{Fate::Wait, failure};
            }
            m_unknown.reset();
            return std::nullopt;
        }
        state = status->next() ? status->value(0).toString() : QString();
    }
    if (state == QLatin1String("committed")) {
        m_unknown.reset();
        return Outcome{};
    }
    if (state == QLatin1String("in progress")) {
        // The commit has not reached the server process of the connection that was cut, or it is
        // still at work on it: a write now could be stored beside it.
        return Outcome{Fate::Wait, {Database::errCommandFailed, QString::fromLatin1(unfinishedText)}};
    }
    // Rolled back, or a server that cannot say: written again.
    m_unknown.reset();
    return std::nullopt;
}

AnnouncementWriter::Outcome AnnouncementWriter::write(const QString& text, const QVariant& utc)
{
    SqlFailure failure;
    if (!endLeftOpen(&failure)) {
        return {Fate::Lost, failure};
    }
    if (m_unknown) {
        if (const std::optional<Outcome> settled = settle()) {
            return *settled;
        }
    }
    const int cuts = cutsSoFar();
    if (!m_db.transaction(Store::Spots, &failure)) {
        return failure.number == Database::errProviderFailure ? lost(failure.text)
                                                              : Outcome{Fate::Wait, failure};
    }
    // The connection the transaction began on, made anew before it if a statement was cut. A
    // statement the watch cuts from now on, even one that went through, has the layer make its
    // connection anew before the next: a statement after it would run outside this transaction.
    const quint64 closings = m_closings;
    const auto broken = [&] { return m_closings != closings || cutsSoFar() != cuts; };
    m_leftOpen = closings;
    const auto giveUp = [&](const Outcome& outcome) {
        if (m_db.rollback(Store::Spots) || m_closings != closings) {
            m_leftOpen.reset();
        }
        return outcome;
    };
    if (broken()) {
        return giveUp(lost({}));
    }
    qint64 transaction = 0;
    {
        Database::Prepared insert(m_db, Store::Spots, m_db.sql(Statement::InsertAnnounce) + returning,
                                  &failure);
        bool inserted = failure.number == 0;
        if (inserted) {
            insert->setForwardOnly(false);
            insert->bindValue(0, text);
            insert->bindValue(1, utc);
            inserted = m_db.run(Store::Spots, *insert, &failure);
        }
        if (!inserted) {
            if (failure.number == Database::errProviderFailure) {
                return giveUp(lost(failure.text));
            }
            const bool row =
                SpotWriters::refusalOf(insert->lastError().nativeErrorCode()) == SpotWriters::Refusal::Drop;
            return giveUp({row ? Fate::Refused : Fate::Wait, failure});
        }
        if (!insert->next()) {
            return giveUp({Fate::Wait, {Database::errCommandFailed, QStringLiteral("no transaction id")}});
        }
        transaction = insert->value(0).toLongLong();
    }
    if (broken()) {
        return giveUp(lost({}));
    }
    const bool committed = m_db.commit(Store::Spots, &failure);
    if (m_closings != closings) {
        // Made anew before the commit went: the transaction went with the old connection.
        m_leftOpen.reset();
        return lost(failure.text);
    }
    if (committed) {
        m_leftOpen.reset();
        return {};
    }
    if (failure.number == Database::errProviderFailure) {
        m_unknown = transaction;
        return lost(failure.text);
    }
    // The server answered the commit with a refusal: nothing was stored.
    const bool row = SpotWriters::refusalOf(m_db.connection(Store::Spots).lastError().nativeErrorCode()) ==
                     SpotWriters::Refusal::Drop;
    return giveUp({row ? Fate::Refused : Fate::Wait, failure});
}

} // namespace zenthra
