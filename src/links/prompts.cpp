#include "prompts.h"

#include "platform/line_ends.h"

namespace zenthra::prompts {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

template <typename List> bool endsWithAny(QStringView text, const List& list)
{
    return std::any_of(list.begin(), list.end(),
                       [&](const auto* prompt) { return text.endsWith(QStringView(prompt)); });
}

template <typename List> bool equalsAny(QStringView text, const List& list)
{
    return std::any_of(list.begin(), list.end(),
                       [&](const auto* prompt) { return text == QStringView(prompt); });
}

// Where the line that ends `text` begins.
qsizetype lineStart(QStringView text)
{
    return std::max(text.lastIndexOf(u'\r'), text.lastIndexOf(u'\n')) + 1;
}

// A mark no prompt holds, standing for the text dropped before it.
constexpr QChar cutMark = u'\u2026';

} // namespace

Ask asks(QStringView upper)
{
    QStringView text = upper;
    while (!text.isEmpty() && isBlank(text.back())) {
        text.chop(1);
    }
    bool call = endsWithAny(text, login);
    bool pass = endsWithAny(text, password);
    if (!call && !pass) {
        // A prompt on a line of its own, ended by CR, CR LF or LF.
        while (!text.isEmpty() && (isBlank(text.back()) || line_ends::isLineEnd(text.back()))) {
            text.chop(1);
        }
        QStringView line = text.mid(lineStart(text));
        while (!line.isEmpty() && isBlank(line.front())) {
            line = line.mid(1);
        }
        call = equalsAny(line, login);
        pass = equalsAny(line, password);
    }
    if (pass) {
        const QStringView before = text.left(lineStart(text));
        return asks(before) == Ask::Call ? Ask::CallAndPassword : Ask::Password;
    }
    return call ? Ask::Call : Ask::Nothing;
}

void PromptText::add(const QString& received)
{
    // Only what is kept is upper-cased: a long piece costs no more than a short one.
    m_upper += QStringView(received).right(keep).toString().toUpper();
    if (m_upper.size() > keep || received.size() > keep) {
        m_upper.remove(0, m_upper.size() - keep);
        m_upper[0] = cutMark;
    }
}

void PieceView::next(const QString& piece)
{
    // A phrase is shorter than what a prompt line may hold, so this much of the text before is
    // enough to find any of them cut at any place.
    QString before = m_upper.right(PromptText::keep);
    m_seen = before.size();
    m_upper = std::move(before) + piece.toUpper();
}

} // namespace zenthra::prompts
