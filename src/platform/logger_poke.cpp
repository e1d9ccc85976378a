#include "platform/logger_poke.h"

#include "platform/log.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace zenthra {

namespace {

std::optional<quint16> portOf(const QString& text)
{
    bool ok = false;
    const uint port = text.trimmed().toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        return std::nullopt;
    }
    return static_cast<quint16>(port);
}
} // namespace

std::optional<LoggerAddress> LoggerAddress::parse(const QString& applicationName)
{
    const QString text = applicationName.trimmed();
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon < 0) {
        if (const auto port = portOf(text)) {
            return LoggerAddress{QHostAddress(QHostAddress::LocalHost).toString(), *port};
        }
        return std::nullopt;
    }
    QString host = text.left(colon).trimmed();
    // An IPv6 address is written in brackets so its own colons do not end the host.
    if (host.startsWith(u'[') && host.endsWith(u']')) {
        host = host.mid(1, host.size() - 2);
    }
    const auto port = portOf(text.mid(colon + 1));
    if (host.isEmpty() || !port) {
        return std::nullopt;
    }
    return LoggerAddress{host, *port};
}

LoggerPoke::LoggerPoke(QObject* parent) : QObject(parent)
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(timeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        qCDebug(lcPlatform) << "poke timed out";
        finish(false);
    });
}

LoggerPoke::~LoggerPoke()
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        delete m_socket;
    }
}

QByteArray LoggerPoke::record(const QString& topic, const QString& item, const QString& line)
{
    return (topic + u'\t' + item + u'\t' + line + QLatin1String("\r\n")).toUtf8();
}

void LoggerPoke::poke(const QString& applicationName, const QString& topic, const QString& item,
                      const QString& line)
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    m_record = record(topic, item, line);
    m_written = 0;
    const auto address = LoggerAddress::parse(applicationName);
    if (!address) {
        qCDebug(lcPlatform) << "unusable logging program address" << applicationName;
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT finished(false); }, Qt::QueuedConnection);
        return;
    }
    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, &LoggerPoke::onConnected);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &LoggerPoke::onBytesWritten);
    connect(m_socket, &QTcpSocket::disconnected, this, &LoggerPoke::onDisconnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &LoggerPoke::onError);
    m_timeout.start();
    m_socket->connectToHost(address->host, address->port);
}

void LoggerPoke::onConnected()
{
    if (m_socket) {
        m_socket->write(m_record);
    }
}

void LoggerPoke::onBytesWritten(qint64 count)
{
    m_written += count;
    if (m_socket && m_written >= m_record.size()) {
        m_socket->disconnectFromHost();
    }
}

void LoggerPoke::onDisconnected()
{
    finish(m_written >= m_record.size());
}

void LoggerPoke::onError()
{
    if (!m_socket) {
        return;
    }
    // The logging program may close first once it has read the line; that is no failure.
    if (m_socket->error() == QAbstractSocket::RemoteHostClosedError && m_written >= m_record.size()) {
        finish(true);
        return;
    }
    qCDebug(lcPlatform) << "poke failed:" << m_socket->errorString();
    finish(false);
}

void LoggerPoke::finish(bool delivered)
{
    if (!m_socket) {
        return;
    }
    m_timeout.stop();
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    if (!delivered) {
        socket->abort();
    }
    socket->deleteLater();
    Q_EMIT finished(delivered);
}

} // namespace zenthra
