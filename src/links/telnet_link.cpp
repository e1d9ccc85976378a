#include "telnet_link.h"

#include "platform/legacy_value.h"
#include "winsock_status.h"

#include <algorithm>

namespace zenthra {

TelnetLink::TelnetLink(QString name, qint16* linkError, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_linkError(linkError)
{
    connect(&m_socket, &TelnetSocket::dataArrival, this, &TelnetLink::incoming);
    connect(&m_socket, &TelnetSocket::errorOccurred, this, &TelnetLink::onSocketError);
    connect(&m_socket, &TelnetSocket::remoteClosed, this, &TelnetLink::onRemoteClosed);
    connect(&m_sequence, &LinkSequence::idle, this, &TelnetLink::runDeferred);
    m_quietTimer.setSingleShot(true);
    connect(&m_quietTimer, &QTimer::timeout, this, &TelnetLink::checkQuiet);
}

QString TelnetLink::status() const
{
    return WINSOCK_STATUS(m_name, static_cast<float>(m_socket.state()));
}

void TelnetLink::sendLine(const QString& text)
{
    m_socket.sendData(text + QStringLiteral("\r\n"));
}

void TelnetLink::sendIdleLine(const QString& text)
{
    m_sequence.run([this, text] {
        if (loginStage == 0) {
            sendLine(text);
        }
    });
}

bool TelnetLink::startConnect(const QString& host, float port)
{
    // A first start has no node yet; say where one is chosen rather than blame the empty port.
    if (host.trimmed().isEmpty()) {
        Q_EMIT statusChanged(QStringLiteral("Zenthra calcs from DXC. ") + m_name +
                             QStringLiteral(" STATUS: no node chosen, pick one in ") + m_name +
                             QStringLiteral(" > Edit Available ") + m_name + QStringLiteral("'s"));
        return false;
    }
    const auto whole = legacy::toInt32(port);
    if (!whole || m_socket.connectTo(host, *whole) != 0) {
        Q_EMIT statusChanged(QStringLiteral("Zenthra calcs from DXC. ") + m_name +
                             QStringLiteral(" STATUS: port ") + legacy::numberText(port) +
                             QStringLiteral(" is not a TCP port (1-65535), check the node"));
        return false;
    }
    return true;
}

void TelnetLink::incoming(const QString& chunk)
{
    m_lastArrival.start();
    if (m_sequence.busy() || !m_nextRead.isEmpty()) {
        m_nextRead += chunk;
    } else {
        handleChunk(chunk);
    }
    updateReading();
}

void TelnetLink::runDeferred()
{
    // A handled read runs steps whose end calls this again; the loop below goes on instead.
    if (m_runningDeferred) {
        return;
    }
    m_runningDeferred = true;
    while (!m_nextRead.isEmpty() && !m_sequence.busy()) {
        QString chunk;
        chunk.swap(m_nextRead);
        handleChunk(chunk);
    }
    m_runningDeferred = false;
    updateReading();
}

void TelnetLink::onRemoteClosed()
{
    // The close comes after all the node sent, and is handled after it: a line whose end came
    // first is read whole, even while a step's pause or a full road kept that text waiting.
    // Left behind, it would follow the close as a line cut in two, its start never read.
    m_socket.setReading(true);
    if (!m_nextRead.isEmpty()) {
        QString chunk;
        chunk.swap(m_nextRead);
        handleChunk(chunk);
    }
    m_sequence.run([this] { beforeClose(); });
    updateReading();
}

void TelnetLink::updateReading()
{
    const bool wanted = !holdingBack() && heldText() < holdLimit;
    if (wanted != m_socket.reading()) {
        m_socket.setReading(wanted);
    }
}

void TelnetLink::hearLogin(const QString& piece)
{
    if (piece.isEmpty()) {
        return;
    }
    m_promptText.add(piece);
    awaitQuiet();
}

void TelnetLink::awaitQuiet()
{
    // New text may be the prompt a settling node was still to send: it is looked at as soon as
    // the node is quiet again.
    if (m_settling || !m_quietTimer.isActive()) {
        m_settling = false;
        m_quietTimer.start(promptQuiet);
    }
}

void TelnetLink::stopAwaitingQuiet()
{
    m_settling = false;
    m_quietTimer.stop();
}

qint64 TelnetLink::quietFor() const
{
    return m_lastArrival.isValid() ? m_lastArrival.elapsed() : settleQuiet;
}

void TelnetLink::awaitSettled()
{
    m_settling = true;
    m_quietTimer.start(int(std::max<qint64>(0, settleQuiet - quietFor())));
}

void TelnetLink::checkQuiet()
{
    // How long ago the node sent its last text, which restarts the count.
    const qint64 since = quietFor();
    const int wanted = m_settling ? settleQuiet : promptQuiet;
    if (since < wanted) {
        m_quietTimer.start(int(wanted - since));
        return;
    }
    // Text that came in but waits behind a step is not looked at yet: it decides first.
    if (m_sequence.busy() || !m_nextRead.isEmpty()) {
        m_quietTimer.start(quietRecheck);
        return;
    }
    const bool settled = since >= settleQuiet;
    // Text that may still begin the password prompt waits for its rest, on every link: taken as
    // asking nothing, the pieces of a prompt the node sends slowly would move the login on, and
    // the next stage's answer would go out in the password's place. A node that stays quiet
    // that long meant it as it stands (a menu ending in "HELP").
    if (!settled && m_promptText.asks() == prompts::Ask::Nothing && m_promptText.mayBeginPassword()) {
        awaitSettled();
        return;
    }
    m_settling = false;
    nodeQuiet(settled);
}

void TelnetLink::forgetPrompts()
{
    stopAwaitingQuiet();
    m_promptText.clear();
    m_pieceView.reset();
}

void TelnetLink::onSocketError(int number, const QString& description)
{
    m_sequence.run([this, number, description] {
        if (m_linkError != nullptr) {
            *m_linkError = 1;
        }
        Q_EMIT windowText(QStringLiteral("Error WinSock (") + QString::number(number) + QStringLiteral(") ") +
                          description);
        Q_EMIT statusChanged(status());
        beforeClose();
        m_socket.close();
    });
    m_sequence.pause(errorPause);
}

} // namespace zenthra
