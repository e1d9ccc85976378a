#include "shell/window_menus.h"

#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/option_menus.h"
#include "shell/window_commands.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextCursor>

namespace zenthra {

namespace {

constexpr int dxcWindow = windowcommands::dxcWindowCode;
constexpr int upperPane = 5;

// The selection with its line breaks as CR LF, as the window's text holds them.
QString selectionOf(const QPlainTextEdit* view)
{
    QString text = view->textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    return text;
}

} // namespace

WindowMenus::WindowMenus(Application& app, MainWindow& window, OptionMenus& dialogs)
    : QObject(&window), m_app(app), m_window(window), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("windowMenus"));
    m_popup = [](QMenu* menu, const QPoint& globalPos) { menu->exec(globalPos); };

    connect(window.cmdClearWindows(), &QPushButton::clicked, this, &WindowMenus::cmdClearWindows_Click);
    connect(window.cmdSaveAnalysis(), &QPushButton::clicked, this, [this] { SAVE_TO_FILE(3); });
    for (int index = 0; index <= 4; ++index) {
        window.setMenuHandler(keys::windowSaved(index), [this, index] { mnuWindowSaved_Click(index); });
    }
    window.setMenuHandler(keys::mufCopyText, [this] { copySelection(view(0)); });
    window.setMenuHandler(keys::vhfCopyText, [this] { copySelection(view(1)); });
    window.setMenuHandler(keys::wwcCopyText,
                          [this] { copySelection(m_popupSource ? m_popupSource : view(2)); });
    window.setMenuHandler(keys::dxcCopyText,
                          [this] { copySelection(m_popupSource ? m_popupSource : view(dxcWindow)); });

    for (int w : {dxcWindow, 0, 1, 2, 3, 4, upperPane}) {
        if (QPlainTextEdit* v = view(w)) {
            // The pop-ups below replace the text widget's own menu.
            v->setContextMenuPolicy(Qt::PreventContextMenu);
            v->viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
            v->viewport()->setProperty("zenthraWindow", w);
            v->viewport()->installEventFilter(this);
        }
    }
}

QPlainTextEdit* WindowMenus::view(int window) const
{
    return window == dxcWindow ? m_window.TBCluster() : m_window.txtDataRetrieval(window);
}

void WindowMenus::cmdClearWindows_Click()
{
    TextWindows& windows = m_app.textWindows();
    switch (m_window.tabSporadic()->currentIndex()) {
    case 0:
        windows.TBCluster.replace({});
        break;
    case 1:
        windows.txtDataRetrieval[0].replace({});
        break;
    case 2:
        windows.txtDataRetrieval[1].replace({});
        break;
    case 3:
        windows.txtDataRetrieval[2].replace({});
        break;
    case 4:
        windows.txtDataRetrieval[3].replace({});
        break;
    case 5:
        m_app.clearMap();
        break;
    case 6:
        windows.txtDataRetrieval[4].replace({});
        break;
    default:
        break;
    }
}

void WindowMenus::mnuWindowSaved_Click(int index)
{
    static constexpr int codes[] = {dxcWindow, 0, 1, 2, 4};
    if (index >= 0 && index < 5) {
        SAVE_TO_FILE(codes[index]);
    }
}

void WindowMenus::SAVE_TO_FILE(int window)
{
    TextWindows& windows = m_app.textWindows();
    if (window != dxcWindow && (window < 0 || window > 4)) {
        return;
    }
    const TextWindow& model = window == dxcWindow ? windows.TBCluster : windows.txtDataRetrieval[window];
    QPlainTextEdit* shown = view(window);
    const int pointSize = shown ? shown->font().pointSize() : m_app.options().intFontSize;

    const std::optional<QString> name = m_dialogs.ask(QString::fromLatin1(windowcommands::saveTitle),
                                                      QString::fromLatin1(windowcommands::savePrompt), {});
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const windowcommands::SaveResult result =
        windowcommands::SAVE_TO_FILE(name, model.text(), pointSize, m_app.folder(), m_app.errorLog());
    QGuiApplication::restoreOverrideCursor();

    using Outcome = windowcommands::SaveResult::Outcome;
    switch (result.outcome) {
    case Outcome::Nothing:
        break;
    case Outcome::Saved:
        m_dialogs.tell(QMessageBox::NoIcon, result.title, result.text);
        break;
    case Outcome::Refused:
        m_dialogs.tell(QMessageBox::Warning, result.title, result.text);
        break;
    case Outcome::Failed:
        m_dialogs.tell(QMessageBox::Critical, result.title, result.text);
        break;
    }
}

void WindowMenus::CopyFromRichTextBox(const QString& text)
{
    if (text.isEmpty()) {
        return;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void WindowMenus::copySelection(QPlainTextEdit* view)
{
    if (!view) {
        return;
    }
    QString text = view->textCursor().selectedText();
    // Plain text on this desktop ends its lines with LF.
    text.replace(QChar::ParagraphSeparator, u'\n');
    CopyFromRichTextBox(text);
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(cursor.selectionStart());
    view->setTextCursor(cursor);
}

bool WindowMenus::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const int window = watched->property("zenthraWindow").toInt();
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            popupFor(window, mouse->globalPosition().toPoint());
        } else if (mouse->button() == Qt::LeftButton) {
            prepareMessage(window);
        }
    }
    return QObject::eventFilter(watched, event);
}

void WindowMenus::popupFor(int window, const QPoint& globalPos)
{
    const QString* menuName = nullptr;
    const QString* copyItem = nullptr;
    switch (window) {
    case dxcWindow:
    case upperPane:
        menuName = &keys::dxcMenu;
        copyItem = &keys::dxcCopyText;
        break;
    case 0:
        menuName = &keys::esMenu;
        copyItem = &keys::mufCopyText;
        break;
    case 1:
        menuName = &keys::optionsMenu;
        copyItem = &keys::vhfCopyText;
        break;
    case 2:
        menuName = &keys::wwcMenu;
        copyItem = &keys::wwcCopyText;
        break;
    case 4:
        menuName = &keys::bbsMenu;
        break;
    default:
        return;
    }
    QMenu* menu = m_window.menu(*menuName);
    if (!menu) {
        return;
    }
    QAction* copy = copyItem ? m_window.menuItem(*copyItem) : nullptr;
    if (copy) {
        copy->setVisible(true);
    }
    m_popupSource = view(window);
    m_popup(menu, globalPos);
    m_popupSource = nullptr;
    if (copy) {
        copy->setVisible(false);
    }
}

void WindowMenus::popupOver(QPlainTextEdit* source, bool wwc, const QPoint& globalPos)
{
    QMenu* menu = m_window.menu(wwc ? keys::wwcMenu : keys::dxcMenu);
    QAction* copy = m_window.menuItem(wwc ? keys::wwcCopyText : keys::dxcCopyText);
    if (!menu || !copy) {
        return;
    }
    copy->setVisible(true);
    m_popupSource = source;
    m_popup(menu, globalPos);
    m_popupSource = nullptr;
    copy->setVisible(false);
}

void WindowMenus::prepareMessage(int window)
{
    if (window != 2 && window != 4) {
        return;
    }
    const bool wwc = window == 2;
    if (!m_app.options().checked(wwc ? keys::wwcMsgText : keys::bbsMsgText)) {
        return;
    }
    QPlainTextEdit* source = view(window);
    if (!source) {
        return;
    }
    const std::optional<QString> command = windowcommands::messageCommand(selectionOf(source));
    if (!command) {
        return;
    }
    QLineEdit* line = nullptr;
    if (wwc) {
        line = m_window.txtWwcCommand()->lineEdit();
        m_window.txtWwcCommand()->setFocus();
    } else {
        line = m_window.txtBbsCommand();
        line->setFocus();
    }
    line->setText(*command);
    line->setCursorPosition(static_cast<int>(line->text().size()));
}

} // namespace zenthra
