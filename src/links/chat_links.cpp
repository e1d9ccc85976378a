#include "chat_links.h"

#include "core/current_node.h"

namespace zenthra {

WwcLink::WwcLink(const CurrentNode& node, qint16& intLinkError, QObject* parent)
    : TelnetLink(QStringLiteral("WWC"), &intLinkError, parent), WinsockWWC(socket()),
      intWwcLoginStage(loginStage), blnWwcClosing(closing), m_node(node)
{
}

void WwcLink::WWC_CONNECT()
{
    // Unlike the other two links the chat node gets no goodbye before a new connection.
    sequence().run([this] {
        WinsockWWC.close();
        intWwcLoginStage = 1;
    });
    sequence().pause(stepPause);
    sequence().run([this] {
        blnWwcClosing = false;
        if (!startConnect(m_node.strWwcHost, m_node.sngWwcPort)) {
            intWwcLoginStage = 0;
            return;
        }
        Q_EMIT statusChanged(status());
    });
}

void WwcLink::WWC_DISCONNECT()
{
    sequence().run([this] { intWwcLoginStage = 0; });
    sequence().pause(stepPause);
    sequence().run([this] {
        sendLine(QStringLiteral("/quit"));
        blnWwcClosing = true;
    });
    sequence().pause(stepPause);
    sequence().run([this] {
        sendLine(QStringLiteral("b"));
        WinsockWWC.close();
        Q_EMIT statusChanged(status());
    });
}

void WwcLink::handleChunk(const QString& chunk)
{
    sequence().pause(receivePause);
    sequence().run([this, chunk] { Q_EMIT chunkReceived(chunk); });
}

BbsLink::BbsLink(const CurrentNode& node, QObject* parent)
    : TelnetLink(QStringLiteral("BBS"), nullptr, parent), WinsockBBS(socket()), intBbsLoginStage(loginStage),
      m_node(node)
{
}

void BbsLink::BBS_CONNECT()
{
    BBS_DISCONNECT();
    sequence().run([this] {
        WinsockBBS.close();
        intBbsLoginStage = 1;
        if (!startConnect(m_node.strBbsHost, m_node.sngBbsPort)) {
            intBbsLoginStage = 0;
            return;
        }
        Q_EMIT statusChanged(status());
        Q_EMIT focusCommandLine();
    });
}

void BbsLink::BBS_DISCONNECT()
{
    sequence().run([this] {
        intBbsLoginStage = 0;
        sendLine(QStringLiteral("bye"));
    });
    sequence().pause(stepPause);
    sequence().run([this] { sendLine(QStringLiteral("q")); });
    sequence().pause(stepPause);
    sequence().run([this] {
        Q_EMIT statusChanged(status());
        WinsockBBS.close();
    });
}

void BbsLink::handleChunk(const QString& chunk)
{
    sequence().pause(receivePause);
    sequence().run([this, chunk] { Q_EMIT chunkReceived(chunk); });
}

} // namespace zenthra
