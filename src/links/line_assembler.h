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

    // Where a line ends: at LF only (the chat and BBS links, whose windows split at the other
    // line ends themselves, see shownLine), or at every line end (see line_ends.h), each then
    // handed on as CR LF (the cluster's spot road).
    enum class Ends
    {
        AtLineFeed,
        Every
    };

    explicit LineAssembler(Ends ends = Ends::AtLineFeed) : m_ends(ends) {}

    // Adds a received piece; returns the lines it completes, each with its own line end. A line
    // that ends the piece is handed on at once, even when its line end may be the first half of
    // a pair: the second half, starting the next piece, is then no line of its own.
    QStringList feed(const QString& piece);
    // Hands over the unfinished tail (a prompt, or text a node never ends), empty when none.
    QString flush();
    bool hasPartial() const { return !m_partial.isEmpty(); }
    const QString& partial() const { return m_partial; }

private:
    Ends m_ends;
    QString m_partial;
    // The half of a line end that the next piece may start with (0 for none).
    char16_t m_awaited = 0;
};

} // namespace zenthra
