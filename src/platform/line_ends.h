#pragma once
// Nodes end their lines with CR LF, LF CR, a lone CR (packet nodes) or a lone LF. Two different
// line-end characters in a row are one line end, paired from the left, so CR LF CR is one line end
// and the start of the next. The network, or a pause in a node's sending, may cut a pair between
// two pieces of text: the half still awaited is carried to the next piece, which then does not
// count it again.

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace zenthra::line_ends {

constexpr bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

constexpr bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

namespace detail {
template <typename View> qsizetype at(View text, qsizetype i)
{
    if (i >= text.size() || !isLineEnd(text[i])) {
        return 0;
    }
    return i + 1 < text.size() && isLineEnd(text[i + 1]) && text[i + 1] != text[i] ? 2 : 1;
}
} // namespace detail

// The length of the line end at `i` of `text` (characters, or bytes as received): 0 when none
// starts there, 2 for a pair, else 1.
inline qsizetype at(QStringView text, qsizetype i)
{
    return detail::at(text, i);
}

inline qsizetype at(QByteArrayView bytes, qsizetype i)
{
    return detail::at(bytes, i);
}

// The half still awaited after a piece of text that ends in the lone line end `last`.
constexpr char16_t awaitedAfter(QChar last)
{
    return last == u'\r' ? u'\n' : u'\r';
}

// How many characters at the start of `text` are the awaited half `open` (0 or 1). Only the
// piece right after may hold it, so `open` is forgotten either way.
inline qsizetype takeAwaited(QStringView text, char16_t& open)
{
    const bool half = open != 0 && !text.isEmpty() && text.front() == open;
    open = 0;
    return half ? 1 : 0;
}

// Whether `text` is nothing but one line end: a blank line.
inline bool isBlankLine(QStringView text)
{
    return !text.isEmpty() && at(text, 0) == text.size();
}

// `text` without the line end it ends in.
inline QStringView withoutLast(QStringView text)
{
    qsizetype run = text.size();
    while (run > 0 && isLineEnd(text[run - 1])) {
        --run;
    }
    // Pairs count from the left, so the last line end is found from the start of the run.
    qsizetype last = text.size();
    for (qsizetype i = run; i < text.size(); i += at(text, i)) {
        last = i;
    }
    return text.left(last);
}

} // namespace zenthra::line_ends
