#include "shell/separate_link_window.h"

#include "links/command_lines.h"
#include "platform/twips.h"
#include "platform/window_place.h"
#include "shell/text_view.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <cmath>

namespace zenthra {

namespace {
}

QString SeparateLinkWindow::geometryFile(Kind kind)
{
    return kind == Kind::Dxc ? QStringLiteral("dxc_view.dat") : QStringLiteral("wwc_view.dat");
}

SeparateLinkWindow::SeparateLinkWindow(Kind kind, TextWindow& model, const QString& folder, QPoint origin,
                                       int fontSize, QWidget* parent)
    : QWidget(parent, Qt::Window), m_kind(kind), m_model(model), m_path(folder + u'/' + geometryFile(kind))
{
    const bool dxc = kind == Kind::Dxc;
    setObjectName(dxc ? QStringLiteral("frmNewDxc") : QStringLiteral("frmNewWwc"));
    setWindowTitle(dxc ? QStringLiteral("DXC") : QStringLiteral("WWC"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    m_pane = makeTextView(dxc ? QStringLiteral("TBCluster") : QStringLiteral("txtWWC"));
    // The newest line stays in view on every change, whatever the main window's scroll option.
    bindTextView(
        m_model, m_pane, [this] { return isVisible(); }, [](Caret) { return Caret::LastLineStart; },
        [dxc](const QString& text) {
            return dxc ? CommandLines::mirroredText(text, CommandLines::dxcLabel, CommandLines::dxcTwinLabel)
                       : CommandLines::mirroredText(text, CommandLines::wwcLabel, CommandLines::wwcTwinLabel);
        });
    m_pane->setContextMenuPolicy(Qt::PreventContextMenu);
    m_pane->viewport()->installEventFilter(this);
    layout->addWidget(m_pane, 1);

    m_command = new QComboBox;
    m_command->setObjectName(dxc ? QStringLiteral("txtDxcCommand2") : QStringLiteral("txtWwcCommand2"));
    m_command->setEditable(true);
    m_command->setInsertPolicy(QComboBox::NoInsert);
    layout->addWidget(m_command);

    resize(640, 420);
    setFontSize(fontSize);
    LOAD_VIEW(origin);
}

void SeparateLinkWindow::setFontSize(int points)
{
    if (points <= 0) {
        return;
    }
    QFont font = m_pane->font();
    font.setPointSize(points);
    m_pane->setFont(font);
}

void SeparateLinkWindow::showMirror()
{
    resetTextView(m_model, m_pane);
    moveViewCaret(m_pane, Caret::LastLineStart);
    show();
    if (m_sizePending) {
        // The stored size is the outer one; the frame is known once the window shows.
        m_sizePending = false;
        const QSize frame = frameGeometry().size() - size();
        resize(size() - frame);
    }
    raise();
    activateWindow();
    m_command->setFocus();
}

void SeparateLinkWindow::LOAD_VIEW(QPoint origin)
{
    const Dpi dpi{logicalDpiX(), logicalDpiY()};
    const QPoint at(std::abs(origin.x()), std::abs(origin.y()));
    // The file holds the outer size; the frame is not known before the window is shown, and a
    // hidden window's outer size is its inner size.
    const TwipsRect current = pixelsToTwips(QRect(at, size()), dpi);
    const TwipsPoint unplaced{.top = current.top, .left = current.left};
    const StoredTwipsRect stored = readViewGeometry(m_path);
    const QRect placed = placeOnScreens(stored.over(current), unplaced, dpi);
    resize(placed.size());
    move(placed.topLeft());
    m_sizePending = stored.width || stored.height;
}

TwipsRect SeparateLinkWindow::geometryTwips() const
{
    return pixelsToTwips(frameGeometry(), {logicalDpiX(), logicalDpiY()});
}

void SeparateLinkWindow::SAVE_VIEW()
{
    // A failed write keeps the old file; the window closes all the same.
    writeViewGeometry(m_path, geometryTwips());
}

void SeparateLinkWindow::closeEvent(QCloseEvent* event)
{
    SAVE_VIEW();
    event->accept();
}

bool SeparateLinkWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pane->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            Q_EMIT menuRequested(mouse->globalPosition().toPoint());
        } else if (mouse->button() == Qt::LeftButton) {
            QString selection = m_pane->textCursor().selectedText();
            selection.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
            Q_EMIT selectionReleased(selection);
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zenthra
