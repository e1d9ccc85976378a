#include "shell/text_view.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace zenthra {

QPlainTextEdit* makeTextView(const QString& objectName)
{
    auto* view = new QPlainTextEdit;
    view->setObjectName(objectName);
    view->setReadOnly(true);
    // Undo history would keep every line ever shown.
    view->setUndoRedoEnabled(false);
    view->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    view->setFont(font);
    return view;
}

void moveViewCaret(QPlainTextEdit* view, Caret caret)
{
    switch (caret) {
    case Caret::Keep:
        break;
    case Caret::End:
        view->moveCursor(QTextCursor::End);
        break;
    case Caret::LastLineStart:
        view->moveCursor(QTextCursor::End);
        view->moveCursor(QTextCursor::StartOfBlock);
        break;
    case Caret::Top:
        view->moveCursor(QTextCursor::Start);
        break;
    }
}

void resetTextView(const TextWindow& model, QPlainTextEdit* view)
{
    QString text = model.text();
    text.remove(u'\r');
    view->setPlainText(text);
}

namespace {

// Gathers the model's changes and applies them to the view at most once per frame. Laying out
// and painting cost the widget a fixed hundreds of microseconds per change, whatever its size,
// so the lines of one frame become one insert, one cut and one paint. A change after a quiet
// spell is shown at the end of its own turn of the event loop; the changes that follow within
// the frame together at the frame's end.
class ViewUpdater : public QObject
{
public:
    ViewUpdater(TextWindow& model, QPlainTextEdit* view, std::function<bool()> active,
                std::function<Caret(Caret)> caretFor, std::function<QString(const QString&)> replacedText)
        : QObject(view), m_model(model), m_view(view), m_active(std::move(active)),
          m_caretFor(std::move(caretFor)), m_replacedText(std::move(replacedText))
    {
        m_frame.setSingleShot(true);
        connect(&m_frame, &QTimer::timeout, this, &ViewUpdater::flush);
        m_sinceFlush.start();
        connect(&model, &TextWindow::appended, this, [this](const QString& tail) {
            if (isActive()) {
                m_tail += tail;
                schedule();
            }
        });
        connect(&model, &TextWindow::headRemoved, this, [this](qsizetype count) {
            if (isActive()) {
                m_cut += count;
                schedule();
            }
        });
        connect(&model, &TextWindow::replaced, this, [this](const QString&) {
            if (isActive()) {
                m_replace = true;
                m_tail.clear();
                m_cut = 0;
                schedule();
            }
        });
        connect(&model, &TextWindow::caretMoved, this, [this](Caret caret) {
            if (isActive()) {
                m_caret = m_caretFor ? m_caretFor(caret) : caret;
                schedule();
            }
        });
        view->installEventFilter(this);
    }

    // A view out of sight keeps the scroll position it had for its old size: the caret it was
    // given may lie below the viewport once the view is shown (a tab chosen, a separate window
    // opened) or made smaller (the DXC copy pane turned on beside the chat). The caret is
    // brought back into view once the layouts have settled the new size.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_view && (event->type() == QEvent::Show || event->type() == QEvent::Resize) &&
            !m_caretCheckPending) {
            m_caretCheckPending = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_caretCheckPending = false;
                    m_view->ensureCursorVisible();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

    void flush()
    {
        m_scheduled = false;
        m_frame.stop();
        m_sinceFlush.restart();
        QTextDocument* doc = m_view->document();
        const qsizetype shown = doc->characterCount() - 1;
        if (m_replace && m_replacedText) {
            QString text = m_replacedText(m_model.text());
            text.remove(u'\r');
            m_view->setPlainText(text);
            // The view differs from the model until the model changes again.
            m_differs = true;
        } else if (m_replace || m_cut > shown || m_differs) {
            m_differs = false;
            // A cut that reaches into the new text: take the model's text whole.
            resetTextView(m_model, m_view);
        } else {
            if (!m_tail.isEmpty()) {
                QTextCursor end(doc);
                end.movePosition(QTextCursor::End);
                end.insertText(m_tail);
            }
            if (m_cut > 0) {
                QTextCursor head(doc);
                head.setPosition(static_cast<int>(m_cut), QTextCursor::KeepAnchor);
                head.removeSelectedText();
            }
        }
        m_replace = false;
        m_tail.clear();
        m_cut = 0;
        moveViewCaret(m_view, m_caret);
        m_caret = Caret::Keep;
    }

private:
    bool isActive() const { return !m_active || m_active(); }

    static constexpr qint64 frameMs = 20;
    void schedule()
    {
        if (m_scheduled) {
            return;
        }
        m_scheduled = true;
        const qint64 since = m_sinceFlush.elapsed();
        if (since >= frameMs) {
            QMetaObject::invokeMethod(this, &ViewUpdater::flush, Qt::QueuedConnection);
        } else {
            m_frame.start(int(frameMs - since));
        }
    }

    TextWindow& m_model;
    QPlainTextEdit* m_view;
    std::function<bool()> m_active;
    std::function<Caret(Caret)> m_caretFor;
    std::function<QString(const QString&)> m_replacedText;
    QString m_tail;
    qsizetype m_cut = 0;
    bool m_replace = false;
    bool m_differs = false;
    bool m_scheduled = false;
    bool m_caretCheckPending = false;
    Caret m_caret = Caret::Keep;
    QTimer m_frame;
    QElapsedTimer m_sinceFlush;
};

} // namespace

void bindTextView(TextWindow& model, QPlainTextEdit* view, std::function<bool()> active,
                  std::function<Caret(Caret)> caretFor, std::function<QString(const QString&)> replacedText)
{
    new ViewUpdater(model, view, std::move(active), std::move(caretFor), std::move(replacedText));
}

} // namespace zenthra
