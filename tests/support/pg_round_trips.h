#pragma once
// Counts the round trips a PostgreSQL client asks for, read from the bytes it sends. A message
// that makes the server answer and wait for the client's next word ends a round trip: a simple
// query ('Q'), or the Sync ('S') that closes a run of the extended protocol (Parse, Bind,
// Execute...), however many statements came before it. What comes before the startup packet and
// the login itself (password messages) is not counted: it is the cost of a connection, not of
// the work done over it. One counter reads one connection's bytes, in order, in any pieces.

#include <QByteArray>
#include <QByteArrayView>

namespace zenthra::test {

class PgRoundTrips
{
public:
    // Reads the next bytes the client sent; returns the round trips they finished.
    int clientBytes(QByteArrayView bytes);
    qint64 total() const { return m_total; }

private:
    // Before the startup packet messages carry no type byte: a length and a request code.
    bool m_started = false;
    QByteArray m_head;
    qint64 m_skip = 0;
    qint64 m_total = 0;
};

} // namespace zenthra::test
