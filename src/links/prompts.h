#pragma once
// What the nodes ask at login, and how a prompt is found in received text: in the upper-cased
// text, also when the network cut it in two (the unfinished line received before is looked at
// together with the new piece, but only prompts reaching into the new piece count, as the others
// have had their answer). A node asks with the prompt at the end of what it sent; the links
// answer only such text (endsIn), so the same words in a line of talk draw nothing out.

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

// Where the first (or last) of the prompts stands in `upper`, -1 when none does.
template <typename List> qsizetype position(const QString& upper, const List& list, bool last)
{
    qsizetype found = -1;
    for (const auto* prompt : list) {
        const qsizetype at =
            last ? upper.lastIndexOf(QStringView(prompt)) : upper.indexOf(QStringView(prompt));
        if (at >= 0 && (found < 0 || (last ? at > found : at < found))) {
            found = at;
        }
    }
    return found;
}

// The text without the blanks at its end.
inline QStringView withoutTrailingBlanks(const QString& upper)
{
    QStringView text(upper);
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\t')) {
        text.chop(1);
    }
    return text;
}

// Whether `upper` ends (blanks aside) in one of the prompts, which reaches past its first `seen`
// characters. Nodes ask with the prompt as the last thing they send, with no line end after it;
// a prompt's words inside a line ("what is the club password: ?") are someone's talk.
template <typename List> bool endsIn(const QString& upper, const List& list, qsizetype seen)
{
    const QStringView text = withoutTrailingBlanks(upper);
    return text.size() > seen && std::any_of(list.begin(), list.end(), [&](const auto* prompt) {
               return text.endsWith(QStringView(prompt));
           });
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

// True when a password prompt follows the login prompt in the same text: a node that asks for
// call and password at once gets both, in that order.
inline bool passwordAfterLogin(const QString& upper)
{
    const qsizetype pass = position(upper, password, true);
    return pass >= 0 && pass > position(upper, login, false);
}

} // namespace zenthra::prompts
