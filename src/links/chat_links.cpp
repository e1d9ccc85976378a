#include "chat_links.h"

#include "core/current_node.h"
#include "platform/legacy_value.h"
#include "prompts.h"

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

// The received text to look for prompts in: the unfinished line before the chunk (a completed
// line counts as a line start), then the chunk, upper-cased; `seen` is the part looked at before.
QString promptView(const QString& partial, const QString& chunk, qsizetype& seen)
{
    const QString before = partial.isEmpty() ? QStringLiteral("\n") : partial;
    seen = before.size();
    return (before + chunk).toUpper();
}

} // namespace

std::optional<QString> shownLine(const QString& line, char16_t& open)
{
    const auto isLineEnd = [](QChar c) { return c == u'\r' || c == u'\n'; };
    qsizetype start = 0;
    if (open != 0 && !line.isEmpty() && line.front() == open) {
        start = 1;
    }
    open = 0;
    if (start > 0 && start == line.size()) {
        return std::nullopt;
    }
    qsizetype end = line.size();
    while (end > start && isLineEnd(line[end - 1])) {
        --end;
    }
    // Nodes end lines with CR LF, LF CR, CR or LF; each pair counts once, taken from the left.
    QString shown;
    shown.reserve(end - start + 8);
    for (qsizetype i = start; i < line.size(); ++i) {
        const QChar c = line[i];
        if (!isLineEnd(c)) {
            if (c == QChar(7)) {
                shown += QStringLiteral("\r\n");
            } else {
                shown += c;
            }
            continue;
        }
        const bool pair = i + 1 < line.size() && isLineEnd(line[i + 1]) && line[i + 1] != c;
        if (i >= end) {
            // The line's own end: a lone CR or LF here may be the first half of a pair whose
            // second half starts the next line.
            if (!pair && i + 1 == line.size()) {
                open = c == u'\r' ? u'\n' : u'\r';
            }
        } else {
            shown += QStringLiteral("\r\n");
        }
        if (pair) {
            ++i;
        }
    }
    shown.replace(QStringLiteral("  "), QStringLiteral(" "));
    return shown;
}

QString shownLine(const QString& line)
{
    char16_t open = 0;
    return shownLine(line, open).value_or(QString());
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

void WwcLink::INCOMING_WWC(const QString& chunk)
{
    qsizetype seen = 0;
    const QString upper = promptView(partialLine(), chunk, seen);
    // The channel operator notice comes with the node's channel texts; answering them again
    // would join once more. Its lines are still shown below.
    if (!prompts::holds(upper, QStringView(operatorNotice), seen)) {
        bool answerJoin = !chunk.isEmpty();
        // A line of nothing but the login prompt starts the login again and is answered at once.
        bool barePrompt = false;
        if (intWwcLoginStage == Idle && legacy::trim(chunk.toUpper()) == QLatin1String("LOGIN:\r\n")) {
            intWwcLoginStage = AwaitLogin;
            barePrompt = true;
        }
        // Only what ends in a prompt asks for the call or the password; the same words inside
        // a line are other users' text and never draw either out.
        const bool asksPassword = prompts::endsIn(upper, prompts::password, seen);
        const bool asksCall = barePrompt || prompts::endsIn(upper, prompts::login, seen) ||
                              (asksPassword && prompts::holdsAny(upper, prompts::login, seen));
        if (intWwcLoginStage == AwaitLogin && asksCall) {
            intWwcLoginStage = CallSent;
            reply(m_node.strWwcCallsign, stepPause);
            answerJoin = false;
            // A node that asks for call and password at once gets both.
            if (asksPassword && prompts::passwordAfterLogin(upper)) {
                intWwcLoginStage = Idle;
                reply(m_node.strWwcPassword, 0);
                reply(m_node.strWwcPassword, stepPause);
            }
        } else if (intWwcLoginStage == CallSent && asksPassword) {
            intWwcLoginStage = Idle;
            reply(m_node.strWwcPassword, 0);
            reply(m_node.strWwcPassword, stepPause);
            answerJoin = false;
        } else if ((intWwcLoginStage == AwaitLogin && !chunk.contains(u'\n')) ||
                   (intWwcLoginStage == CallSent && prompts::mayBegin(upper, prompts::password))) {
            // The greeting before the login prompt, or the password prompt, may have been cut by
            // the network: the stage waits for the rest. After the call only the first part of
            // a password prompt is worth waiting for; anything else means the node asks none.
        } else {
            // Anything else ends the login: a later prompt is other users' text.
            intWwcLoginStage = Idle;
        }
        if (prompts::holds(upper, u",CONV,", seen)) {
            reply(QStringLiteral("CONV"), stepPause);
        }
        if (prompts::holds(upper, u"\nCHAT SELECTION ?\r\n", seen)) {
            reply(m_node.strWwcConnectStr, stepPause);
        }
        if (answerJoin) {
            if (prompts::holdsAny(upper, joinPrompts, seen)) {
                reply(m_node.strWwcConnectStr, 0);
            } else if (prompts::holds(upper, u"/U CALLSIGN NAME", seen)) {
                reply(QStringLiteral("/U ") + m_node.strWwcCallsign + QLatin1String(userDetails), 0);
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
    qsizetype seen = 0;
    const QString upper = promptView(partialLine(), chunk, seen);
    // As on the chat link, only what ends in a prompt is the node asking.
    const bool asksPassword = prompts::endsIn(upper, prompts::password, seen);
    const bool asksCall = prompts::endsIn(upper, prompts::login, seen) ||
                          (asksPassword && prompts::holdsAny(upper, prompts::login, seen));
    if (intBbsLoginStage == AwaitLogin && asksCall) {
        intBbsLoginStage = CallSent;
        deliver(chunk);
        sequence().pause(stepPause);
        sequence().run([this] { sendLine(m_node.strBbsCallsign); });
        sequence().pause(stepPause);
        if (asksPassword && prompts::passwordAfterLogin(upper)) {
            answerPassword();
        }
    } else if (intBbsLoginStage == CallSent && asksPassword) {
        deliver(chunk);
        answerPassword();
    } else if (intBbsLoginStage == CallSent && prompts::mayBegin(upper, prompts::password)) {
        // A password prompt cut in two by the network: the connection string waits for the rest.
        deliver(chunk);
    } else {
        if (intBbsLoginStage == CallSent) {
            intBbsLoginStage = Idle;
            // Each "#"-separated node command goes out as a line of its own.
            QString commands = m_node.strBbsConnectStr;
            commands.replace(u'#', QStringLiteral("\r\n"));
            sendLine(commands);
        }
        deliver(chunk);
    }
}

} // namespace zenthra
