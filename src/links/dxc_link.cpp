#include "dxc_link.h"

#include "core/current_node.h"
#include "platform/line_ends.h"
#include "prompts.h"
#include "spots/line_filter.h"

#include <utility>

namespace zenthra {

DxcLink::DxcLink(const CurrentNode& node, qint16& intLinkError, std::function<bool()> autoClx,
                 QObject* parent)
    : TelnetLink(QStringLiteral("DXC"), &intLinkError, parent), WinsockDXC(socket()),
      intDxcLoginStage(loginStage), blnDxcClosing(closing), m_node(node), m_linkError(intLinkError),
      m_autoClx(std::move(autoClx))
{
    m_partialTimer.setSingleShot(true);
    m_partialTimer.setInterval(partialLineWait);
    connect(&m_partialTimer, &QTimer::timeout, this, [this] {
        // A pending dialogue step, or text we stopped reading ourselves, is no silence of the
        // node: the rest of the line may be waiting right behind.
        if (busy() || !m_held.empty() || !WinsockDXC.reading()) {
            m_partialTimer.start();
            return;
        }
        // A spot or an announcement waits for its line end however long the node pauses: read
        // cut short it would be stored cut short, under a wrong call, or not at all.
        if (LineFilter::mayBecomeReadLine(m_lines.partial())) {
            return;
        }
        showPartial();
    });
    m_heldTimer.setInterval(backpressurePoll);
    connect(&m_heldTimer, &QTimer::timeout, this, &DxcLink::releaseHeld);
}

void DxcLink::DXC_CONNECT()
{
    DXC_DISCONNECT();
    sequence().run([this] {
        intDxcLoginStage = AwaitLogin;
        m_menuSeen = false;
        forgetPrompts();
        blnDxcClosing = false;
        WinsockDXC.close();
        if (!startConnect(m_node.strDxcHost, m_node.sngDxcPort)) {
            intDxcLoginStage = Idle;
            return;
        }
        Q_EMIT statusChanged(status());
        m_linkError = 0;
    });
}

void DxcLink::DXC_DISCONNECT()
{
    sequence().run([this] {
        intDxcLoginStage = Idle;
        sendLine(QStringLiteral("bye"));
    });
    sequence().pause(goodbyePause);
    sequence().run([this] {
        blnDxcClosing = true;
        sendLine(QStringLiteral("q"));
    });
    sequence().pause(goodbyePause);
    sequence().run([this] {
        Q_EMIT statusChanged(status());
        flushPartial();
        WinsockDXC.close();
    });
}

void DxcLink::handleChunk(const QString& chunk)
{
    // Only a login under way is answered: after it, "password:" is text of other users (talk,
    // announcements) that must never draw the password out, and the spots pass untouched.
    if (intDxcLoginStage != Idle) {
        loginText(chunk);
    }
    if (chunk.isEmpty()) {
        return;
    }
    m_queuedText += chunk.size();
    sequence().run([this, chunk] {
        m_queuedText -= chunk.size();
        deliver(chunk);
    });
}

void DxcLink::loginText(const QString& chunk)
{
    // The node's own texts are seen whole when the network cut them, even after a pause that
    // showed the first part.
    pieceView().next(chunk);
    if (pieceView().holds(clusterPrompt())) {
        // The node's own prompt ends the login, however many steps it skipped (a node may send
        // its whole greeting and the prompt in one piece).
        intDxcLoginStage = Idle;
        m_menuSeen = false;
        stopAwaitingQuiet();
        return;
    }
    m_menuSeen = m_menuSeen || pieceView().holds(u"DXC,");
    // A greeting and a message of the day come in as many pieces as the network makes of them:
    // a step for each piece would send "DXC" to a node about to show its prompt.
    hearLogin(chunk);
}

void DxcLink::nodeQuiet(bool settled)
{
    if (intDxcLoginStage == Idle) {
        return;
    }
    const prompts::Ask ask = promptText().asks();
    // The steps that send nothing are taken at once, as a password prompt that comes later still
    // gets the password. "DXC" for text that asked nothing waits for the node to settle: sent
    // before a prompt the node was still to show, it would be read as the password.
    if (ask == prompts::Ask::Nothing && !settled && intDxcLoginStage == AwaitPrompt && m_autoClx &&
        m_autoClx()) {
        awaitSettled();
        return;
    }
    // A prompt that had its answer is not answered again. Text that asked nothing stays: the
    // start of a prompt (its first word, its colon still to come) is read whole with its rest.
    if (ask != prompts::Ask::Nothing) {
        promptText().clear();
    }
    loginStep(ask);
}

void DxcLink::loginStep(prompts::Ask ask)
{
    const bool passwordPrompt = ask == prompts::Ask::Password || ask == prompts::Ask::CallAndPassword;
    const bool loginPrompt = ask == prompts::Ask::Call || ask == prompts::Ask::CallAndPassword;
    const bool auto_ = m_autoClx && m_autoClx();
    if (auto_ && intDxcLoginStage == AwaitLogin && loginPrompt) {
        m_menuSeen = false;
        intDxcLoginStage = CallSent;
        sequence().pause(callPause);
        sequence().run([this] { sendLine(m_node.strDxcCallsign); });
        // A node that asks for call and password at once gets both, in that order.
        if (ask == prompts::Ask::CallAndPassword) {
            intDxcLoginStage = AwaitMenu;
            sequence().pause(replyPause);
            sequence().run([this] { sendLine(m_node.strDxcPassword); });
        }
        return;
    }
    if (passwordPrompt) {
        intDxcLoginStage = CallSent;
    }
    if (auto_) {
        advanceLogin(passwordPrompt);
    }
    m_menuSeen = false;
}

QString DxcLink::clusterPrompt() const
{
    return m_node.strDxcCallsign.toUpper() + QStringLiteral(" DE");
}

void DxcLink::advanceLogin(bool passwordPrompt)
{
    switch (intDxcLoginStage) {
    case CallSent:
        intDxcLoginStage = AwaitMenu;
        if (passwordPrompt) {
            sequence().pause(replyPause);
            sequence().run([this] { sendLine(m_node.strDxcPassword); });
        }
        break;
    case AwaitMenu:
        intDxcLoginStage = AwaitPrompt;
        if (m_menuSeen) {
            sequence().pause(replyPause);
            sequence().run([this] {
                sendLine(QStringLiteral("DXC"));
                intDxcLoginStage = Idle;
            });
        }
        break;
    case AwaitPrompt:
        // Still no cluster prompt (it would have ended the login): ask for the cluster.
        intDxcLoginStage = Idle;
        sequence().pause(replyPause);
        sequence().run([this] { sendLine(QStringLiteral("DXC")); });
        break;
    default:
        break;
    }
}

void DxcLink::deliver(const QString& chunk)
{
    const QStringList lines = m_lines.feed(chunk);
    for (const QString& line : lines) {
        if (std::exchange(m_restOfShown, false) && line_ends::isBlankLine(line)) {
            // The line end of text already shown: the window starts each line on a new one.
            continue;
        }
        offer(line);
    }
    if (m_lines.hasPartial()) {
        m_partialTimer.start();
    } else {
        m_partialTimer.stop();
    }
    if (blnDxcClosing) {
        flushPartial();
        WinsockDXC.close();
    }
    updateReading();
}

void DxcLink::offer(const QString& line)
{
    if (!m_held.empty() || (m_full && m_full())) {
        m_held.push_back(line);
        m_heldText += line.size();
        updateReading();
        m_heldTimer.start();
        return;
    }
    passOn(line);
}

bool DxcLink::feedHeld()
{
    const size_t before = m_held.size();
    releaseHeld();
    return m_held.size() < before;
}

void DxcLink::releaseHeld()
{
    while (!m_held.empty() && !(m_full && m_full())) {
        QString line = std::move(m_held.front());
        m_held.pop_front();
        m_heldText -= line.size();
        passOn(std::move(line));
    }
    if (m_held.empty()) {
        m_heldTimer.stop();
    }
    updateReading();
}

void DxcLink::passOn(QString line)
{
    line.remove(QStringLiteral("..."));
    Q_EMIT lineReceived(line);
}

void DxcLink::showPartial()
{
    // Shown without a line end it is read for nothing; the rest of its line follows as a line
    // of its own.
    const QString tail = m_lines.flush();
    m_restOfShown = true;
    offer(tail);
}

void DxcLink::flushPartial()
{
    m_partialTimer.stop();
    m_restOfShown = false;
    const QString tail = m_lines.flush();
    if (!tail.isEmpty()) {
        // Shown, not read: a connection that ends mid-line may have cut a spot anywhere, and a
        // spot stored cut short would hold a wrong call or frequency.
        offer(tail);
    }
}

} // namespace zenthra
