#include "support/pg_round_trips.h"

#include <QtEndian>

#include <algorithm>

namespace zenthra::test {

namespace {
// Asked before the startup packet, each answered by one byte from the server; the startup packet
// still follows.
constexpr quint32 sslRequest = 80877103;
constexpr quint32 gssEncRequest = 80877104;
} // namespace

int PgRoundTrips::clientBytes(QByteArrayView bytes)
{
    int finished = 0;
    qsizetype at = 0;
    while (at < bytes.size()) {
        if (m_skip > 0) {
            const qsizetype n = qsizetype(std::min<qint64>(m_skip, bytes.size() - at));
            m_skip -= n;
            at += n;
            continue;
        }
        // A typed message: its type and its length (which counts itself, not the type); before
        // the startup packet: the length (which counts itself) and the request code.
        const qsizetype headSize = m_started ? 5 : 8;
        const qsizetype n = std::min(headSize - m_head.size(), bytes.size() - at);
        m_head.append(bytes.sliced(at, n));
        at += n;
        if (m_head.size() < headSize) {
            break;
        }
        if (m_started) {
            const char type = m_head[0];
            m_skip = qint64(qFromBigEndian<quint32>(m_head.constData() + 1)) - 4;
            if (type == 'Q' || type == 'S') {
                ++finished;
            }
        } else {
            const quint32 code = qFromBigEndian<quint32>(m_head.constData() + 4);
            m_skip = qint64(qFromBigEndian<quint32>(m_head.constData())) - 8;
            m_started = code != sslRequest && code != gssEncRequest;
        }
        m_head.clear();
    }
    m_total += finished;
    return finished;
}

} // namespace zenthra::test
