#include "wwc_popup.h"

#include "chat_links.h"
#include "core/options_model.h"
#include "platform/legacy_value.h"
#include "platform/text_file.h"

#include <cmath>

namespace zenthra {

WwcPopup::WwcPopup(const OptionsModel& options, std::function<QDateTime()> utcNow, QObject* parent)
    : QObject(parent), m_options(options), m_utcNow(std::move(utcNow))
{
}

void WwcPopup::WWC_POPUP(QString& text)
{
    text.replace(QStringLiteral("  "), QStringLiteral(" "));
    if (m_text.isEmpty()) {
        Q_EMIT showRequested();
    }
    QString message = legacy::trim(text);
    message.remove(u'\r');
    m_text += QStringLiteral("\r\n") + m_utcNow().toString(QStringLiteral("HH:mm")) + QStringLiteral(" - ") +
              message;
    const double limit = m_options.sngWindowBuffer;
    if (m_text.size() > limit) {
        const double keep = legacy::roundHalfEven(limit);
        m_text = m_text.right(keep > 0 ? static_cast<qsizetype>(keep) : 0);
    }
    if (m_options.checked(keys::wwcPopupTopWin)) {
        Q_EMIT topmostRequested();
    }
    Q_EMIT textChanged(m_text, text.size() < shortMessage);
    Q_EMIT focusReturned();
}

void WwcPopup::clear()
{
    m_text.clear();
    Q_EMIT textChanged(m_text, true);
}

StoredTwipsRect WwcPopup::readGeometry(const QString& path)
{
    StoredTwipsRect g;
    const std::optional<QStringList> lines = textfile::readLines(path, geometryLineCount);
    if (!lines) {
        return g;
    }
    const auto value = [&](int i) -> std::optional<float> {
        if (i >= lines->size()) {
            return std::nullopt;
        }
        const double v = legacy::val(lines->at(i));
        return std::isfinite(v) ? std::optional<float>(static_cast<float>(v)) : std::nullopt;
    };
    if (const auto top = value(0); top && *top > 0) {
        g.top = top;
    }
    if (const auto left = value(1); left && *left > -100) {
        g.left = left;
    }
    if (const auto height = value(2); height && *height > 200) {
        g.height = height;
    }
    if (const auto width = value(3); width && *width > 200) {
        g.width = width;
    }
    return g;
}

bool WwcPopup::writeGeometry(const QString& path, const TwipsRect& g)
{
    return textfile::writeLines(path, {legacy::numberText(g.top), legacy::numberText(g.left),
                                       legacy::numberText(g.height), legacy::numberText(g.width)});
}

std::optional<QString> WwcPopup::replyCommand(const QString& selection)
{
    if (selection.isEmpty() || selection.contains(u'\r') || selection.contains(u'\n') ||
        selection.contains(QChar::ParagraphSeparator) || selection.size() >= callLimit) {
        return std::nullopt;
    }
    QString call = legacy::trim(selection.toLower());
    call.remove(QStringLiteral("/msg "));
    return QStringLiteral("/MSG ") + call + u' ';
}

// --- ChatMessages

ChatMessages::ChatMessages(const OptionsModel& options, WwcPopup& popup, std::function<void(qint16)> playWwc,
                           QObject* parent)
    : QObject(parent), m_options(options), m_popup(popup), m_playWwc(std::move(playWwc))
{
}

bool ChatMessages::isPrivate(const QString& shown)
{
    return shown.contains(QLatin1String("<*")) && shown.contains(QLatin1String("*>:"));
}

bool ChatMessages::mentions(const QString& shown, const QString& callsign)
{
    if (callsign.size() <= 3) {
        return false;
    }
    return shown.contains(QStringView(callsign).right(3), Qt::CaseInsensitive);
}

void ChatMessages::lineReceived(const QString& line)
{
    const std::optional<QString> whole = shownLine(line, m_openLineEnd);
    if (!whole) {
        return;
    }
    QString shown = *whole;
    if (isPrivate(shown)) {
        m_playWwc(0);
        if (m_options.checked(keys::wwcPopupMessage)) {
            m_popup.WWC_POPUP(shown);
        }
    }
    if (mentions(shown, m_options.nodes.strWwcCallsign)) {
        m_playWwc(1);
        if (m_options.checked(keys::wwcShowAllMessages) && !shown.contains(QLatin1String("<*")) &&
            !shown.contains(QLatin1String("*>:"))) {
            m_popup.WWC_POPUP(shown);
        }
    }
    // An empty received line stays an empty line in the window (the appender keeps text of
    // line ends alone as one).
    Q_EMIT windowText(shown.isEmpty() ? QStringLiteral("\r\n") : shown);
}

} // namespace zenthra
