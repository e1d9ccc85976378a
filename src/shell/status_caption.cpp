#include "shell/status_caption.h"

namespace zenthra {

StatusCaption::StatusCaption(QString initial, QObject* parent)
    : QObject(parent), m_text(std::move(initial)), m_shown(m_text)
{
    m_textShown.setSingleShot(true);
    m_textShown.setInterval(textShown);
    connect(&m_textShown, &QTimer::timeout, this, &StatusCaption::noteBack);
}

void StatusCaption::setText(const QString& text)
{
    m_text = text;
    if (!m_note.isEmpty() && !m_textShown.isActive()) {
        m_textShown.start();
    }
    show(text);
}

void StatusCaption::setRoadText(const QString& text)
{
    m_text = text;
    if (m_note.isEmpty()) {
        show(text);
    }
}

void StatusCaption::setNote(const QString& note)
{
    m_note = note;
    if (note.isEmpty()) {
        m_textShown.stop();
        show(m_text);
    } else if (!m_textShown.isActive()) {
        show(note);
    }
}

void StatusCaption::noteBack()
{
    if (!m_note.isEmpty()) {
        show(m_note);
    }
}

void StatusCaption::show(const QString& caption)
{
    if (caption == m_shown) {
        return;
    }
    m_shown = caption;
    Q_EMIT shownChanged(m_shown);
}

} // namespace zenthra
