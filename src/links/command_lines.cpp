#include "command_lines.h"

#include "core/error_log.h"
#include "core/options_model.h"
#include "core/prompter.h"
#include "links.h"
#include "platform/legacy_value.h"

#include <QDir>

namespace zenthra {

namespace {

// Run-time error numbers of the history files.
constexpr int errFileNotFound = 53;
constexpr int errPathFileAccess = 75;

bool isCls(const QString& line)
{
    return legacy::trim(line).toUpper() == QLatin1String("CLS");
}

// What a failed send logs for the boxes that name the key: Enter has been consumed by then, so
// the key code is 0, and the typed line (a password, perhaps) stays out of the log.
QString keyPressLabel(const char* box)
{
    return QString::fromLatin1(box) + QStringLiteral("_KeyPress(0)");
}

QString echoed(const QString& line)
{
    return QStringLiteral(">>>") + line + QStringLiteral("<<<");
}

} // namespace

// --- CommandLine

CommandLine::CommandLine(Box box, CommandLines& owner) : QObject(&owner), m_box(box), m_owner(owner)
{
    switch (box) {
    case Box::Dxc:
    case Box::DxcTwin:
        m_history = std::make_unique<CommandHistory>(HistoryKind::Dxc);
        break;
    case Box::Wwc:
    case Box::WwcTwin:
        m_history = std::make_unique<CommandHistory>(HistoryKind::Wwc);
        break;
    case Box::Bbs:
        break;
    }
}

void CommandLine::enter(const QString& line)
{
    m_owner.enter(*this, line);
}

void CommandLine::deleteKey(int index, int selectedLength)
{
    if (m_history) {
        m_history->deleteChosen(index, selectedLength);
    }
}

void CommandLine::prefill(const QString& text)
{
    Q_EMIT textSet(text);
    Q_EMIT focusRequested();
}

// --- CommandLines

CommandLines::CommandLines(OptionsModel& options, Links& links, ErrorLog& errorLog, QString folder,
                           QObject* parent)
    : QObject(parent), txtDxCommand(CommandLine::Box::Dxc, *this),
      txtWwcCommand(CommandLine::Box::Wwc, *this), txtBbsCommand(CommandLine::Box::Bbs, *this),
      txtDxcCommand2(CommandLine::Box::DxcTwin, *this), txtWwcCommand2(CommandLine::Box::WwcTwin, *this),
      m_options(options), m_links(links), m_errorLog(errorLog), m_folder(std::move(folder))
{
}

CommandLines::~CommandLines() = default;

bool CommandLines::isExitLine(const QString& line)
{
    // Only the word alone: a command that merely holds it ("sh/dx exit", "NEXIT") is sent.
    return line.trimmed().compare(QLatin1String("EXIT"), Qt::CaseInsensitive) == 0;
}

QString CommandLines::banner(const char* label)
{
    return QStringLiteral("ZENTHRA BY THE ZENTHRA DEVELOPERS") + QString::fromLatin1(label);
}

QString CommandLines::mirroredText(const QString& text, const char* mainLabel, const char* ownLabel)
{
    return text == banner(mainLabel) ? banner(ownLabel) : text;
}

QString CommandLines::sendErrorText(int number)
{
    QString description;
    if (number == TelnetSocket::errWrongState) {
        description =
            QStringLiteral("Wrong protocol or connection state for the requested transaction or request");
    } else {
        description = QStringLiteral("Application-defined or object-defined error");
    }
    return QStringLiteral("Error: ") + QString::number(number) + QStringLiteral(" - ") + description;
}

QString CommandLines::routedText(const QString& line)
{
    const QLatin1String marker(dxcRoute);
    const qsizetype at = line.indexOf(marker, 0, Qt::CaseInsensitive);
    return at < 0 ? line : line.mid(at + marker.size());
}

CommandLine& CommandLines::twinOf(CommandLine& box)
{
    switch (box.box()) {
    case CommandLine::Box::Dxc:
        return txtDxcCommand2;
    case CommandLine::Box::DxcTwin:
        return txtDxCommand;
    case CommandLine::Box::Wwc:
        return txtWwcCommand2;
    case CommandLine::Box::WwcTwin:
        return txtWwcCommand;
    case CommandLine::Box::Bbs:
        break;
    }
    return box;
}

void CommandLines::enter(CommandLine& box, const QString& line)
{
    switch (box.box()) {
    case CommandLine::Box::Dxc:
    case CommandLine::Box::DxcTwin:
        enterDxc(box, line);
        break;
    case CommandLine::Box::Wwc:
    case CommandLine::Box::WwcTwin:
        enterWwc(box, line);
        break;
    case CommandLine::Box::Bbs:
        enterBbs(line);
        break;
    }
}

void CommandLines::echo(LinkPane pane, const QString& echoKey, const QString& line)
{
    if (m_options.checked(echoKey)) {
        Q_EMIT windowText(pane, echoed(line));
    }
}

void CommandLines::enterDxc(CommandLine& box, const QString& line)
{
    const bool twin = box.box() == CommandLine::Box::DxcTwin;
    // The main line echoes before "CLS" (the banner wipes the echo again); the separate
    // window's box looks for "CLS" first.
    if (!twin) {
        echo(LinkPane::Dxc, keys::dxcEcho, line);
    }
    if (isCls(line)) {
        Q_EMIT screenCleared(LinkPane::Dxc);
        Q_EMIT box.textSet({});
        return;
    }
    box.history()->enter(line);
    twinOf(box).history()->mirror(*box.history());
    if (twin) {
        echo(LinkPane::Dxc, keys::dxcEcho, line);
        if (isExitLine(line)) {
            Q_EMIT box.closeRequested();
            return;
        }
    } else {
        // The main line is emptied whatever becomes of the send.
        Q_EMIT box.textSet({});
    }
    QPointer<CommandLine> target(&box);
    send(m_links.dxc, line, 0, [this, target, twin, line](int error) {
        if (error == 0) {
            if (twin && target) {
                Q_EMIT target->textSet({});
            }
            return;
        }
        if (!twin) {
            m_links.intLinkError = 1;
        }
        Q_EMIT windowText(LinkPane::Dxc, sendErrorText(error));
        m_errorLog.WRITE_ERROR_LOG(error, twin ? keyPressLabel("txtDxcCommand2")
                                               : QStringLiteral("txtDxCommand_KeyPress(") + line + u')');
    });
}

void CommandLines::enterWwc(CommandLine& box, const QString& line)
{
    const bool twin = box.box() == CommandLine::Box::WwcTwin;
    if (isCls(line)) {
        // The main line clears the DX-cluster panes while it sends there.
        Q_EMIT screenCleared(!twin && m_wwcToDxc ? LinkPane::Dxc : LinkPane::Wwc);
        Q_EMIT box.textSet({});
        return;
    }
    box.history()->enter(line);
    twinOf(box).history()->mirror(*box.history());
    if (twin && isExitLine(line)) {
        Q_EMIT box.closeRequested();
        return;
    }
    const bool routed = line.contains(QLatin1String(dxcRoute), Qt::CaseInsensitive);
    if (routed || (!twin && m_wwcToDxc)) {
        sendToDxc(box, line);
        return;
    }
    echo(LinkPane::Wwc, keys::wwcEcho, line);
    if (!twin) {
        Q_EMIT box.textSet({});
    }
    QPointer<CommandLine> target(&box);
    send(m_links.wwc, line, sendPause, [this, target, twin, line](int error) {
        if (error == 0) {
            if (twin && target) {
                Q_EMIT target->textSet({});
            }
            return;
        }
        Q_EMIT windowText(LinkPane::Wwc, sendErrorText(error));
        m_errorLog.WRITE_ERROR_LOG(error, twin ? keyPressLabel("txtWwcCommand2")
                                               : QStringLiteral("txtWwcCommand_KeyPress(") + line + u')');
    });
}

void CommandLines::sendToDxc(CommandLine& box, const QString& line)
{
    echo(LinkPane::Dxc, keys::dxcEcho, line);
    Q_EMIT box.textSet({});
    send(m_links.dxc, routedText(line), 0, [this](int error) {
        if (error == 0) {
            return;
        }
        // Only while every chat line goes to the DX-cluster node does a failure there call
        // for its reconnect.
        if (m_wwcToDxc) {
            m_links.intLinkError = 1;
        }
        Q_EMIT windowText(LinkPane::Dxc, sendErrorText(error));
    });
}

void CommandLines::enterBbs(const QString& line)
{
    echo(LinkPane::Bbs, keys::bbsEcho, line);
    QPointer<CommandLine> target(&txtBbsCommand);
    send(m_links.bbs, line, 0, [this, target, line](int error) {
        if (error == 0) {
            if (target) {
                Q_EMIT target->textSet({});
            }
            return;
        }
        // The line stays in the box to be sent again.
        Q_EMIT windowText(LinkPane::Bbs, sendErrorText(error));
        m_errorLog.WRITE_ERROR_LOG(error, keyPressLabel("txtbbsCommand"));
    });
}

void CommandLines::send(TelnetLink& link, const QString& text, int pauseBefore,
                        std::function<void(int error)> done)
{
    if (pauseBefore > 0) {
        link.sequence().pause(pauseBefore);
    }
    QPointer<CommandLines> self(this);
    QPointer<TelnetLink> on(&link);
    link.sequence().run([self, on, text, done = std::move(done)] {
        if (!self || !on) {
            return;
        }
        done(on->socket().sendData(text + QStringLiteral("\r\n")));
    });
    link.sequence().pause(sendPause);
}

void CommandLines::sendQuietly(TelnetLink& link, const QString& text)
{
    QPointer<TelnetLink> on(&link);
    link.sequence().run([on, text] {
        if (on) {
            on->socket().sendData(text + QStringLiteral("\r\n"));
        }
    });
}

// --- Histories

void CommandLines::LOAD_SAVE_HISTORY(qint16 mode)
{
    switch (mode) {
    case 0:
        loadHistory(mode, txtWwcCommand, txtWwcCommand2, wwcHistoryFile);
        break;
    case 1:
        saveHistory(mode, txtWwcCommand, wwcHistoryFile);
        break;
    case 2:
        loadHistory(mode, txtDxCommand, txtDxcCommand2, dxcHistoryFile);
        break;
    case 3:
        saveHistory(mode, txtDxCommand, dxcHistoryFile);
        break;
    default:
        break;
    }
}

void CommandLines::loadHistory(qint16 mode, CommandLine& main, CommandLine& twin, const char* file)
{
    // Replacing rather than adding: a restart loads each entry once.
    main.history()->clear();
    twin.history()->clear();
    const std::optional<QStringList> entries =
        CommandHistory::readFile(QDir(m_folder).filePath(QString::fromLatin1(file)));
    if (!entries) {
        m_errorLog.WRITE_ERROR_LOG(errFileNotFound,
                                   QStringLiteral("LOAD_SAVE_HISTORY(") + QString::number(mode) + u')');
        return;
    }
    main.history()->setEntries(*entries);
    twin.history()->setEntries(*entries);
}

void CommandLines::saveHistory(qint16 mode, const CommandLine& main, const char* file)
{
    if (!CommandHistory::writeFile(QDir(m_folder).filePath(QString::fromLatin1(file)),
                                   main.history()->entries())) {
        m_errorLog.WRITE_ERROR_LOG(errPathFileAccess,
                                   QStringLiteral("LOAD_SAVE_HISTORY(") + QString::number(mode) + u')');
    }
}

void CommandLines::clearDxcHistory()
{
    txtDxCommand.history()->clear();
    txtDxcCommand2.history()->clear();
}

void CommandLines::clearWwcHistory()
{
    txtWwcCommand.history()->clear();
    txtWwcCommand2.history()->clear();
}

// --- Ready-made commands

void CommandLines::DXC_QUICK_COMMAND(int index)
{
    switch (index) {
    case 0:
        txtDxCommand.prefill(QStringLiteral("TALK "));
        break;
    case 1:
        txtDxCommand.prefill(QStringLiteral("SHOW/DX "));
        break;
    case 2:
        sendQuietly(m_links.dxc, QStringLiteral("SHOW/USERS"));
        break;
    case 3:
        sendQuietly(m_links.dxc, QStringLiteral("SHOW/WWV"));
        break;
    case 4:
        txtDxCommand.prefill(QStringLiteral("ANNOUNCE/FULL "));
        break;
    case 5:
        sendQuietly(m_links.dxc, QStringLiteral("SHOW/ANNOUNCE"));
        break;
    default:
        break;
    }
}

void CommandLines::askText(const QString& title, const QString& prompt, QString& stored)
{
    if (!m_prompter) {
        return;
    }
    const std::optional<QString> answer = m_prompter->ask(title, prompt, stored);
    // Cancel and an emptied answer keep the text; blanks clear it.
    if (answer && !answer->isEmpty()) {
        stored = legacy::trim(*answer);
    }
}

void CommandLines::mnuWwcComm_Click(int index)
{
    if (index < 0 || index > 6) {
        return;
    }
    Q_EMIT tabRequested(3);
    switch (index) {
    case 0:
        sendQuietly(m_links.wwc, QStringLiteral("/w *"));
        break;
    case 1:
        txtWwcCommand.prefill(QStringLiteral("/MSG "));
        break;
    case 2:
        askText(QStringLiteral("Away message"), QStringLiteral("Please type your away message"),
                m_options.strWwcAwayText);
        break;
    case 3:
        sendQuietly(m_links.wwc, QStringLiteral("/AWAY ") + m_options.strWwcAwayText);
        break;
    case 4:
        sendQuietly(m_links.wwc, QStringLiteral("/AWAY"));
        break;
    case 5:
        askText(
            QStringLiteral("personal message"),
            QStringLiteral("Please type your WWC personal message or put a single space to clear current"),
            m_options.strWwcPersonalText);
        break;
    case 6:
        sendQuietly(m_links.wwc, QStringLiteral("/PERSONAL ") + m_options.strWwcPersonalText);
        break;
    default:
        break;
    }
    Q_EMIT txtWwcCommand.focusRequested();
}

void CommandLines::mnuBbsComm_Click(int index)
{
    switch (index) {
    case 0:
        sendQuietly(m_links.bbs, QStringLiteral("user"));
        break;
    case 1:
        sendQuietly(m_links.bbs, QStringLiteral("nodes"));
        break;
    case 2:
        sendQuietly(m_links.bbs, QStringLiteral("links"));
        break;
    case 3:
        txtBbsCommand.prefill(QStringLiteral("find "));
        break;
    case 4:
        txtBbsCommand.prefill(QStringLiteral("connect "));
        break;
    case 5:
        sendQuietly(m_links.bbs, QStringLiteral("dest"));
        break;
    default:
        break;
    }
}

} // namespace zenthra
