#include "line_assembler.h"

#include "platform/line_ends.h"

namespace zenthra {

QStringList LineAssembler::feed(const QString& piece)
{
    QStringList lines;
    if (piece.isEmpty()) {
        return lines;
    }
    // The tail kept from before holds no line end: only the new text is searched.
    qsizetype from = m_partial.size();
    qsizetype start = 0;
    if (m_ends == Ends::AtLineFeed) {
        m_partial += piece;
        for (qsizetype lf = m_partial.indexOf(u'\n', from); lf >= 0; lf = m_partial.indexOf(u'\n', start)) {
            lines.append(m_partial.mid(start, lf + 1 - start));
            start = lf + 1;
        }
    } else {
        m_partial += QStringView(piece).mid(line_ends::takeAwaited(piece, m_awaited));
        while (from < m_partial.size()) {
            const qsizetype n = line_ends::at(m_partial, from);
            if (n == 0) {
                ++from;
                continue;
            }
            lines.append(m_partial.mid(start, from - start) + QStringLiteral("\r\n"));
            if (n == 1 && from + 1 == m_partial.size()) {
                m_awaited = line_ends::awaitedAfter(m_partial[from]);
            }
            from += n;
            start = from;
        }
    }
    m_partial.remove(0, start);
    while (m_partial.size() > maxLine) {
        lines.append(m_partial.left(maxLine));
        m_partial.remove(0, maxLine);
    }
    return lines;
}

QString LineAssembler::flush()
{
    // Whatever follows a flush (a quiet node's next text, a new connection) starts afresh.
    m_awaited = 0;
    QString tail;
    tail.swap(m_partial);
    return tail;
}

} // namespace zenthra
