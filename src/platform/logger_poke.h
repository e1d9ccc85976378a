#pragma once
// Hands one line to a logging program over TCP: the program's address ("host:port", or a bare
// port on this machine), then one connection per line carrying topic, TAB, item, TAB, the line
// and CR LF, closed again at once. Never blocks: the outcome arrives as a signal.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

class QTcpSocket;

namespace zenthra {

struct LoggerAddress
{
    QString host;
    quint16 port = 0;

    // "host:port" or a bare port (127.0.0.1); blanks around the parts are ignored. Nothing for
    // an empty text, a port that is not a whole number in 1..65535, or an empty host.
    static std::optional<LoggerAddress> parse(const QString& applicationName);
};

class LoggerPoke : public QObject
{
    Q_OBJECT
public:
    // How long a poke may take from the connection attempt to the close.
    static constexpr int timeoutMs = 2000;

    explicit LoggerPoke(QObject* parent = nullptr);
    ~LoggerPoke() override;

    // The bytes that go on the wire for one line.
    static QByteArray record(const QString& topic, const QString& item, const QString& line);

    // Starts a poke; `finished` follows, always later, never from inside this call. A poke still
    // running is abandoned (and reports nothing).
    void poke(const QString& applicationName, const QString& topic, const QString& item, const QString& line);
    bool busy() const { return m_socket != nullptr; }

Q_SIGNALS:
    // True when the whole record was written and the connection closed; false when the address
    // is unusable, the connection was refused or failed, or the time-out passed.
    void finished(bool delivered);

private:
    void onConnected();
    void onBytesWritten(qint64 count);
    void onDisconnected();
    void onError();
    void finish(bool delivered);

    QTcpSocket* m_socket = nullptr;
    QTimer m_timeout;
    QByteArray m_record;
    qint64 m_written = 0;
};

} // namespace zenthra
