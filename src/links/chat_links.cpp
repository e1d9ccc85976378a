#include "chat_links.h"

#include "core/current_node.h"
#include "platform/line_ends.h"
#include "prompts.h"

#include <utility>

namespace zenthra {

namespace {

// Channel-join prompts of the convers nodes, in their languages and styles, each answered with
// the node's connection string.
constexpr std::array joinPrompts = {
    u"MAIS O NUMERO",
    u"/N <YOUR",
    u"LOGIN WITH '/N",
    u"LOGIN WITH /N",
    u",CONV,",
    u"POR FAVOR TECLE /N",
    u"LOG IN USING /N CALLSIGN",
    u"ACCESS TO CHANNEL 0 HAS BEEN",
    u"ZUGANG ZUM KANAL 0 WIRD AUF",
    u"/N <CALL> CANALE#",
    u"LOG IN WITH '/N <CALLSIGN>",
    u"/N CALL TO LOG ON",
    u"/N <CALL> [CHAN",
};

} // namespace

std::optional<QString> shownLine(const QString& line, char16_t& open)
{
    const qsizetype start = line_ends::takeAwaited(line, open);
    if (start > 0 && start == line.size()) {
        return std::nullopt;
    }
    qsizetype end = line.size();
    while (end > start && line_ends::isLineEnd(line[end - 1])) {
        --end;
    }
    QString shown;
    shown.reserve(end - start + 8);
    for (qsizetype i = start; i < line.size();) {
        const qsizetype n = line_ends::at(line, i);
        if (n == 0) {
            const QChar c = line[i++];
            if (c == QChar(7)) {
                shown += QStringLiteral("\r\n");
            } else {
                shown += c;
            }
            continue;
        }
        if (i >= end) {
            // The line's own end: a lone CR or LF here may be the first half of a pair whose
            // second half starts the next line.
            if (n == 1 && i + 1 == line.size()) {
                open = line_ends::awaitedAfter(line[i]);
            }
        } else {
            shown += QStringLiteral("\r\n");
        }
        i += n;
    }
    shown.replace(QStringLiteral("  "), QStringLiteral(" "));
    return shown;
}

// --- WWC

WwcLink::WwcLink(const CurrentNode& node, qint16& intLinkError, QObject* parent)
    : LineLink(QStringLiteral("WWC"), &intLinkError, parent), WinsockWWC(socket()),
      intWwcLoginStage(loginStage), blnWwcClosing(closing), m_node(node)
{
}

void WwcLink::WWC_CONNECT()
{
    // Unlike the other two links the chat node gets no goodbye before a new connection.
    sequence().run([this] {
        flushPartial();
        WinsockWWC.close();
        intWwcLoginStage = AwaitLogin;
        m_joinDue.reset();
        forgetPrompts();
    });
    sequence().pause(stepPause);
    sequence().run([this] {
        blnWwcClosing = false;
        if (!startConnect(m_node.strWwcHost, m_node.sngWwcPort)) {
            intWwcLoginStage = Idle;
            return;
        }
        Q_EMIT statusChanged(status());
    });
}

void WwcLink::WWC_DISCONNECT()
{
    sequence().run([this] { intWwcLoginStage = Idle; });
    sequence().pause(stepPause);
    sequence().run([this] {
        sendLine(QStringLiteral("/quit"));
        blnWwcClosing = true;
    });
    sequence().pause(stepPause);
    sequence().run([this] {
        sendLine(QStringLiteral("b"));
        flushPartial();
        WinsockWWC.close();
        Q_EMIT statusChanged(status());
    });
}

void WwcLink::handleChunk(const QString& chunk)
{
    sequence().pause(receivePause);
    sequence().run([this, chunk] { INCOMING_WWC(chunk); });
}

void WwcLink::reply(const QString& text, int pauseAfter)
{
    sequence().run([this, text] { sendLine(text); });
    if (pauseAfter > 0) {
        sequence().pause(pauseAfter);
    }
}

std::optional<QString> WwcLink::joinReply()
{
    if (pieceView().holdsAny(joinPrompts)) {
        return m_node.strWwcConnectStr;
    }
    if (pieceView().holds(u"/U CALLSIGN NAME")) {
        return QStringLiteral("/U ") + m_node.strWwcCallsign + QLatin1String(userDetails);
    }
    return std::nullopt;
}

bool WwcLink::asksForStage(prompts::Ask ask) const
{
    switch (intWwcLoginStage) {
    case AwaitLogin:
        return ask == prompts::Ask::Call || ask == prompts::Ask::CallAndPassword;
    case CallSent:
        return ask == prompts::Ask::Password || ask == prompts::Ask::CallAndPassword;
    default:
        return false;
    }
}

void WwcLink::INCOMING_WWC(const QString& chunk)
{
    pieceView().next(chunk);
    // The channel operator notice comes with the node's channel texts; answering them again
    // would join once more. Its lines are still shown below.
    if (!pieceView().holds(QStringView(operatorNotice))) {
        // A line of nothing but the login prompt starts the login again.
        if (intWwcLoginStage == Idle && pieceView().holds(u"\nLOGIN:\r\n")) {
            intWwcLoginStage = AwaitLogin;
        }
        if (pieceView().holds(u",CONV,")) {
            reply(QStringLiteral("CONV"), stepPause);
        }
        if (pieceView().holds(u"\nCHAT SELECTION ?\r\n")) {
            reply(m_node.strWwcConnectStr, stepPause);
        }
        const std::optional<QString> join = joinReply();
        if (intWwcLoginStage != Idle) {
            // Text that asks for the login gets no join reply, and whether it asks is known
            // once the node is quiet: the reply waits for that verdict.
            if (!m_joinDue) {
                m_joinDue = join;
            }
            hearLogin(chunk);
        } else {
            // Kept for a login prompt line whose start came in an earlier piece.
            promptText().add(chunk);
            if (join) {
                reply(*join, 0);
            }
        }
    }
    sequence().run([this, chunk] {
        deliver(chunk);
        if (blnWwcClosing) {
            flushPartial();
            WinsockWWC.close();
        }
    });
}

void WwcLink::nodeQuiet(bool settled)
{
    if (intWwcLoginStage == Idle) {
        return;
    }
    const prompts::Ask ask = promptText().asks();
    if (asksForStage(ask)) {
        promptText().clear();
        m_joinDue.reset();
        if (intWwcLoginStage == AwaitLogin) {
            intWwcLoginStage = CallSent;
            reply(m_node.strWwcCallsign, stepPause);
            if (ask != prompts::Ask::CallAndPassword) {
                return;
            }
        }
        intWwcLoginStage = Idle;
        reply(m_node.strWwcPassword, 0);
        reply(m_node.strWwcPassword, stepPause);
        return;
    }
    // Text that asked nothing of the login ends it once the node has settled: a prompt that
    // comes after a pause in the greeting is still the login's, and a join line sent before it
    // would be read as the call or the password.
    if (!settled) {
        awaitSettled();
        return;
    }
    // The node said what it had to say and asked nothing of the login: a join prompt in it was
    // meant.
    if (m_joinDue) {
        reply(*std::exchange(m_joinDue, std::nullopt), 0);
    }
    // Before the call, a node quiet in the middle of a line may have been cut by the network
    // there: the login waits for the rest. A node settled after whole lines asks for no call,
    // and one that asks for no password after the call has none: the automatic login ends.
    const QString& said = promptText().upper();
    if (intWwcLoginStage == AwaitLogin && !said.isEmpty() && !line_ends::isLineEnd(said.back())) {
        return;
    }
    intWwcLoginStage = Idle;
    promptText().clear();
}

// --- BBS

BbsLink::BbsLink(const CurrentNode& node, QObject* parent)
    : LineLink(QStringLiteral("BBS"), nullptr, parent), WinsockBBS(socket()), intBbsLoginStage(loginStage),
      m_node(node)
{
}

void BbsLink::BBS_CONNECT()
{
    BBS_DISCONNECT();
    sequence().run([this] {
        WinsockBBS.close();
        intBbsLoginStage = AwaitLogin;
        forgetPrompts();
        if (!startConnect(m_node.strBbsHost, m_node.sngBbsPort)) {
            intBbsLoginStage = Idle;
            return;
        }
        Q_EMIT statusChanged(status());
        Q_EMIT focusCommandLine();
    });
}

void BbsLink::BBS_DISCONNECT()
{
    sequence().run([this] {
        intBbsLoginStage = Idle;
        sendLine(QStringLiteral("bye"));
    });
    sequence().pause(stepPause);
    sequence().run([this] { sendLine(QStringLiteral("q")); });
    sequence().pause(stepPause);
    sequence().run([this] {
        Q_EMIT statusChanged(status());
        flushPartial();
        WinsockBBS.close();
    });
}

void BbsLink::handleChunk(const QString& chunk)
{
    sequence().pause(receivePause);
    sequence().run([this, chunk] { INCOMING_BBS(chunk); });
}

void BbsLink::answerPassword()
{
    sequence().pause(stepPause);
    sequence().run([this] {
        sendLine(m_node.strBbsPassword);
        sendLine(m_node.strBbsPassword);
    });
    sequence().pause(stepPause);
}

void BbsLink::INCOMING_BBS(const QString& chunk)
{
    if (m_node.strBbsConnectStr.contains(QLatin1String(placeholder))) {
        Q_EMIT refused(QString::fromLatin1(refusal));
        flushPartial();
        WinsockBBS.close();
        return;
    }
    // After the call nothing is decided until the node waits: a password prompt then gets the
    // password, anything else the connection string, never in the password's place.
    if (intBbsLoginStage != Idle) {
        hearLogin(chunk);
    }
    deliver(chunk);
}

void BbsLink::nodeQuiet(bool settled)
{
    const prompts::Ask ask = promptText().asks();
    if (intBbsLoginStage == AwaitLogin &&
        (ask == prompts::Ask::Call || ask == prompts::Ask::CallAndPassword)) {
        promptText().clear();
        intBbsLoginStage = CallSent;
        sequence().pause(stepPause);
        sequence().run([this] { sendLine(m_node.strBbsCallsign); });
        sequence().pause(stepPause);
        if (ask == prompts::Ask::CallAndPassword) {
            answerPassword();
        }
    } else if (intBbsLoginStage == CallSent) {
        if (ask == prompts::Ask::Password || ask == prompts::Ask::CallAndPassword) {
            promptText().clear();
            answerPassword();
        } else if (!settled) {
            // The node may still be checking the call before it asks for the password: the
            // connection string goes once it has settled, never in the password's place.
            awaitSettled();
        } else {
            intBbsLoginStage = Idle;
            // Each "#"-separated node command goes out as a line of its own.
            QString commands = m_node.strBbsConnectStr;
            commands.replace(u'#', QStringLiteral("\r\n"));
            sendLine(commands);
        }
    }
}

} // namespace zenthra
