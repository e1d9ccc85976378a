#include "line_assembler.h"

namespace zenthra {

QStringList LineAssembler::feed(const QString& piece)
{
    QStringList lines;
    m_partial += piece;
    qsizetype start = 0;
    for (qsizetype lf = m_partial.indexOf(u'\n'); lf >= 0; lf = m_partial.indexOf(u'\n', start)) {
        lines.append(m_partial.mid(start, lf + 1 - start));
        start = lf + 1;
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
    QString tail;
    tail.swap(m_partial);
    return tail;
}

} // namespace zenthra
