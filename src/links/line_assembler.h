#pragma once
// Received cluster text arrives in pieces that the network cuts anywhere. The spot road wants
// whole lines, so the unfinished tail is kept until its line end arrives.

#include <QString>
#include <QStringList>

namespace zenthra {

class LineAssembler
{
public:
    // A tail this long without a line end is passed on in pieces rather than held for ever.
    static constexpr qsizetype maxLine = 64 * 1024;

    // Adds a received piece; returns the lines it completes, each with its own line end.
    QStringList feed(const QString& piece);
    // Hands over the unfinished tail (a prompt, or text a node never ends), empty when none.
    QString flush();
    bool hasPartial() const { return !m_partial.isEmpty(); }
    const QString& partial() const { return m_partial; }

private:
    QString m_partial;
};

} // namespace zenthra
