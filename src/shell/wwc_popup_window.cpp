#include "shell/wwc_popup_window.h"

#include "core/options_model.h"
#include "links/wwc_popup.h"
#include "platform/twips.h"
#include "platform/window_place.h"
#include "shell/topmost.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextBlock>
#include <QVBoxLayout>
#include <cmath>

namespace zenthra {

namespace {
} // namespace

WwcPopupWindow::WwcPopupWindow(WwcPopup& popup, const OptionsModel& options, QString geometryPath,
                               QWidget* parent)
    : QWidget(parent, Qt::Window), m_popup(popup), m_options(options),
      m_geometryPath(std::move(geometryPath)), m_txtPopup(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("frmWwcPopup"));
    setWindowTitle(QStringLiteral("WWC messages"));
    // A message arriving while the user types must not take the keys away from the command line.
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_txtPopup->setObjectName(QStringLiteral("txtPopup"));
    m_txtPopup->setReadOnly(true);
    m_txtPopup->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_txtPopup);
    resize(toPixels(designWidth, true), toPixels(designHeight, false));

    connect(&m_popup, &WwcPopup::showRequested, this, &WwcPopupWindow::showPopup);
    connect(&m_popup, &WwcPopup::textChanged, this, &WwcPopupWindow::showText);
    connect(&m_popup, &WwcPopup::topmostRequested, this, [this] { SET_TOPMOST(this, true); });
}

WwcPopupWindow::~WwcPopupWindow()
{
    unload();
}

int WwcPopupWindow::toPixels(float twips, bool horizontal) const
{
    return twipsToPixels(twips, horizontal ? logicalDpiX() : logicalDpiY());
}

void WwcPopupWindow::LOAD_POPUP_VIEW()
{
    const Dpi dpi{logicalDpiX(), logicalDpiY()};
    const TwipsRect current = pixelsToTwips(frameGeometry(), dpi);
    const TwipsPoint unplaced{.top = current.top, .left = current.left};
    const QRect outer = placeOnScreens(WwcPopup::readGeometry(m_geometryPath).over(current), unplaced, dpi);
    const int frameWidth = frameGeometry().width() - width();
    const int frameHeight = frameGeometry().height() - height();
    resize(std::max(1, outer.width() - frameWidth), std::max(1, outer.height() - frameHeight));
    move(outer.topLeft());
    m_pendingOuter = outer;
}

void WwcPopupWindow::SAVE_POPUP_VIEW()
{
    // A failed write keeps the old file, and the window closes all the same.
    WwcPopup::writeGeometry(m_geometryPath, pixelsToTwips(frameGeometry(), {logicalDpiX(), logicalDpiY()}));
}

void WwcPopupWindow::showPopup()
{
    if (!m_placed) {
        m_placed = true;
        LOAD_POPUP_VIEW();
    }
    if (m_options.intFontSize > 0) {
        QFont font = m_txtPopup->font();
        font.setPointSize(m_options.intFontSize);
        m_txtPopup->setFont(font);
    }
    show();
    if (m_pendingOuter) {
        // A hidden window has no frame yet: the outer size is taken again now that it has one.
        const QRect outer = *m_pendingOuter;
        m_pendingOuter.reset();
        const QSize inner = outer.size() - (frameGeometry().size() - size());
        resize(inner.expandedTo(QSize(1, 1)));
        move(outer.topLeft());
    }
}

void WwcPopupWindow::unload()
{
    if (isVisible()) {
        SAVE_POPUP_VIEW();
        hide();
        m_popup.clear();
    }
}

void WwcPopupWindow::closeEvent(QCloseEvent* event)
{
    SAVE_POPUP_VIEW();
    // The collected messages go with the window; the next message brings it back empty.
    m_popup.clear();
    event->accept();
}

void WwcPopupWindow::showText(const QString& text, bool lastLineStart)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_txtPopup->setPlainText(shown);
    QTextCursor cursor = m_txtPopup->textCursor();
    if (lastLineStart) {
        cursor.setPosition(m_txtPopup->document()->lastBlock().position());
    } else {
        cursor.movePosition(QTextCursor::End);
    }
    m_txtPopup->setTextCursor(cursor);
    m_txtPopup->ensureCursorVisible();
}

bool WwcPopupWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_txtPopup->viewport() && event->type() == QEvent::MouseButtonRelease) {
        QString selection = m_txtPopup->textCursor().selectedText();
        selection.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
        if (const std::optional<QString> command = WwcPopup::replyCommand(selection)) {
            Q_EMIT replyChosen(*command);
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zenthra
