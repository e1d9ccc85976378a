#pragma once
// What the nodes ask at login, and how a prompt is found in received text: in the upper-cased
// text, also when the network cut it in two (the unfinished line received before is looked at
// together with the new piece, but only prompts reaching into the new piece count, as the others
// have had their answer). A node asks for the call or the password with the prompt at the end of
// what it sent, or on a line of its own, and then waits (asks); the same words inside a line of
// talk draw nothing out.

#include <QString>
#include <QStringView>
#include <algorithm>
#include <array>

namespace zenthra::prompts {

inline constexpr std::array login = {u"LOGIN:", u"CALLSIGN:", u"CALL:", u"CALLSIGN :", u"LOGIN :"};
inline constexpr std::array password = {u"PASS:", u"PASSWORD:", u"PASSWORD :", u"PASS :"};

// Whether `upper` holds `prompt` in a place that reaches past its first `seen` characters.
inline bool holds(const QString& upper, QStringView prompt, qsizetype seen)
{
    return upper.indexOf(prompt, std::max<qsizetype>(0, seen - prompt.size() + 1)) >= 0;
}

template <typename List> bool holdsAny(const QString& upper, const List& list, qsizetype seen)
{
    return std::any_of(list.begin(), list.end(),
                       [&](const auto* prompt) { return holds(upper, QStringView(prompt), seen); });
}

// Whether the unfinished end of `upper` may be the first part of one of the prompts, cut by the
// network: then the rest is worth waiting for.
template <typename List> bool mayBegin(const QString& upper, const List& list)
{
    const QStringView text(upper);
    return std::any_of(list.begin(), list.end(), [&](const auto* prompt) {
        const QStringView p(prompt);
        for (qsizetype n = std::min(p.size() - 1, text.size()); n > 0; --n) {
            if (text.endsWith(p.left(n))) {
                return true;
            }
        }
        return false;
    });
}

// What the end of a node's text asks for, upper-cased (`Nothing` when it asks nothing).
enum class Ask
{
    Nothing,
    Call,
    Password,
    // The call prompt on the line before the password prompt: both are due, in that order.
    CallAndPassword
};

// What `upper`, the end of what a node has sent, asks for: a prompt counts when it ends the text
// (blanks after it aside) or when the last line holds nothing but the prompt ("PASSWORD :\r",
// "\r\rCALLSIGN :\r", "LOGIN:\r\n"). A line that merely ends in the words is someone's talk. Whether
// the node then waits for the answer is for the link to see.
Ask asks(QStringView upper);

// The end of what a node has sent, upper-cased, kept for the prompt rules: a prompt cut by the
// network is seen whole, whatever was passed on of it in between.
class PromptText
{
public:
    // More than the longest line a prompt can stand on, and the line before it.
    static constexpr qsizetype keep = 512;

    void add(const QString& received);
    // Forgets what was looked at: a prompt that had its answer is not answered again.
    void clear() { m_upper.clear(); }
    const QString& upper() const { return m_upper; }
    Ask asks() const { return prompts::asks(m_upper); }
    // Whether the text may still be the first part of a password prompt that the network cut:
    // a login waits for the rest rather than take it as asking nothing.
    bool mayBeginPassword() const { return mayBegin(m_upper, password); }

private:
    QString m_upper;
};

// Received text read piece by piece for a node's own phrases (its cluster prompt, its menu, a
// channel-join prompt), which the network may cut anywhere and hold back for any time: each piece
// is read with the end of the text before it, however long ago that came and whatever was shown
// of it meanwhile, and only a phrase reaching into the piece counts, as the others were found with
// the piece before. A connection's first piece starts a line.
class PieceView
{
public:
    // Reads the next piece, upper-cased.
    void next(const QString& piece);
    // A new connection.
    void reset() { *this = PieceView(); }
    bool holds(QStringView phrase) const { return prompts::holds(m_upper, phrase, m_seen); }
    template <typename List> bool holdsAny(const List& list) const
    {
        return prompts::holdsAny(m_upper, list, m_seen);
    }

private:
    QString m_upper = QStringLiteral("\n");
    qsizetype m_seen = 1;
};

} // namespace zenthra::prompts
