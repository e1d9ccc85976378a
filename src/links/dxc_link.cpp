#include "dxc_link.h"

#include "core/current_node.h"
#include "prompts.h"

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
        flushPartial();
    });
    m_heldTimer.setInterval(backpressurePoll);
    connect(&m_heldTimer, &QTimer::timeout, this, &DxcLink::releaseHeld);
    connect(&WinsockDXC, &TelnetSocket::remoteClosed, this,
            [this] { sequence().run([this] { flushPartial(); }); });
}

void DxcLink::DXC_CONNECT()
{
    DXC_DISCONNECT();
    sequence().run([this] {
        intDxcLoginStage = AwaitLogin;
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
    // A prompt cut by the network is seen whole: look at the unfinished line as well, but
    // only at prompts that reach into the new chunk, as the others have had their answer.
    const qsizetype seen = m_lines.partial().size();
    const QString upper = (m_lines.partial() + chunk).toUpper();
    // Only what ends in a prompt asks for the call or the password: the same words inside a
    // line are other users' text (talk right after a packet node's greeting included).
    const bool passwordPrompt = prompts::endsIn(upper, prompts::password, seen);
    const bool loginPrompt = prompts::endsIn(upper, prompts::login, seen) ||
                             (passwordPrompt && prompts::holdsAny(upper, prompts::login, seen));
    const bool auto_ = m_autoClx && m_autoClx();
    if (intDxcLoginStage != Idle && prompts::holds(upper, clusterPrompt(), seen)) {
        // The node's own prompt ends the login, however many steps it skipped (a node may send
        // its whole greeting and the prompt in one piece).
        intDxcLoginStage = Idle;
    } else if (auto_ && intDxcLoginStage == AwaitLogin && loginPrompt) {
        intDxcLoginStage = CallSent;
        sequence().pause(callPause);
        sequence().run([this] { sendLine(m_node.strDxcCallsign); });
        // A node that asks for call and password at once gets both, in that order.
        if (passwordPrompt && prompts::passwordAfterLogin(upper)) {
            intDxcLoginStage = AwaitMenu;
            sequence().pause(replyPause);
            sequence().run([this] { sendLine(m_node.strDxcPassword); });
        }
    } else {
        // Only a login under way is answered: after it, "password:" is text of other users
        // (talk, announcements) that must never draw the password out.
        if (passwordPrompt && intDxcLoginStage != Idle) {
            intDxcLoginStage = CallSent;
        }
        if (auto_) {
            advanceLogin(upper, seen, passwordPrompt);
        }
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

QString DxcLink::clusterPrompt() const
{
    return m_node.strDxcCallsign.toUpper() + QStringLiteral(" DE");
}

void DxcLink::advanceLogin(const QString& upper, qsizetype seen, bool passwordPrompt)
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
        if (prompts::holds(upper, u"DXC,", seen)) {
            sequence().pause(replyPause);
            sequence().run([this] {
                sendLine(QStringLiteral("DXC"));
                intDxcLoginStage = Idle;
            });
        }
        break;
    case AwaitPrompt:
        // Still no cluster prompt (the chunk would have ended the login): ask for the cluster.
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

void DxcLink::flushPartial()
{
    m_partialTimer.stop();
    const QString tail = m_lines.flush();
    if (!tail.isEmpty()) {
        offer(tail);
    }
}

} // namespace zenthra
