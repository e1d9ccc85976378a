#include "telnet_socket.h"

#include "platform/line_ends.h"
#include "text_file.h"

#include <QTcpSocket>
#include <utility>

namespace zenthra {

namespace {
constexpr quint8 IAC = 255;
constexpr quint8 DONT = 254;
constexpr quint8 DO = 253;
constexpr quint8 WONT = 252;
constexpr quint8 WILL = 251;
constexpr quint8 SB = 250;
constexpr quint8 SE = 240;

int errorNumber(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return 10061;
    case QAbstractSocket::RemoteHostClosedError:
        return 10053;
    case QAbstractSocket::HostNotFoundError:
        return 11001;
    case QAbstractSocket::SocketTimeoutError:
        return 10060;
    case QAbstractSocket::NetworkError:
        return 10065;
    case QAbstractSocket::SocketAccessError:
        return 10013;
    case QAbstractSocket::SocketResourceError:
        return 10055;
    default:
        return 10004 + static_cast<int>(error);
    }
}

// Length of an incomplete UTF-8 sequence at the end of `bytes` (0 when the end is complete).
qsizetype incompleteUtf8Tail(QByteArrayView bytes)
{
    const qsizetype n = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= n; ++back) {
        const auto c = static_cast<quint8>(bytes[n - back]);
        if ((c & 0xC0) == 0x80) {
            continue; // continuation byte: look further back for the lead byte
        }
        qsizetype needed = 0;
        if ((c & 0xE0) == 0xC0) {
            needed = 2;
        } else if ((c & 0xF0) == 0xE0) {
            needed = 3;
        } else if ((c & 0xF8) == 0xF0) {
            needed = 4;
        }
        return needed > back ? back : 0;
    }
    return 0;
}
} // namespace

TelnetSocket::TelnetSocket(QObject* parent) : QObject(parent), m_socket(new QTcpSocket(this))
{
    m_socket->setReadBufferSize(readBufferLimit);
    connect(m_socket, &QTcpSocket::connected, this, &TelnetSocket::connected);
    connect(m_socket, &QTcpSocket::readyRead, this, &TelnetSocket::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        if (!m_failed) {
            Q_EMIT remoteClosed();
        }
    });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // The peer closing is an orderly end, reported through remoteClosed().
        if (error == QAbstractSocket::RemoteHostClosedError) {
            return;
        }
        m_failed = true;
        Q_EMIT errorOccurred(errorNumber(error), m_socket->errorString());
    });
}

TelnetSocket::~TelnetSocket()
{
    m_socket->blockSignals(true);
    m_socket->abort();
}

int TelnetSocket::state() const
{
    if (m_failed && m_socket->state() == QAbstractSocket::UnconnectedState) {
        return Error;
    }
    switch (m_socket->state()) {
    case QAbstractSocket::UnconnectedState:
        return Closed;
    case QAbstractSocket::HostLookupState:
        return ResolvingHost;
    case QAbstractSocket::ConnectingState:
        return Connecting;
    case QAbstractSocket::ConnectedState:
        return Connected;
    case QAbstractSocket::BoundState:
        return Open;
    case QAbstractSocket::ListeningState:
        return Listening;
    case QAbstractSocket::ClosingState:
        return Closing;
    }
    return Closed;
}

int TelnetSocket::connectTo(const QString& host, qint32 port)
{
    if (port < 1 || port > 65535) {
        return errInvalidPort;
    }
    close();
    m_host = host;
    m_port = port;
    m_socket->connectToHost(host, static_cast<quint16>(port));
    return 0;
}

int TelnetSocket::sendData(const QString& text)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        return errWrongState;
    }
    const QByteArray bytes = text.toUtf8();
    if (m_socket->write(bytes) != bytes.size()) {
        return errWrongState;
    }
    return 0;
}

void TelnetSocket::close()
{
    // A goodbye line written just before closing must still reach the node.
    if (m_socket->state() == QAbstractSocket::ConnectedState) {
        m_socket->flush();
    }
    m_socket->blockSignals(true);
    m_socket->abort();
    m_socket->blockSignals(false);
    m_failed = false;
    m_reading = true;
    resetStreamState();
}

void TelnetSocket::resetStreamState()
{
    m_iac = Iac::Data;
    m_iacVerb = 0;
    m_sub.clear();
    m_pendingUtf8.clear();
    m_lineIsWindows1252 = false;
}

void TelnetSocket::setReading(bool on)
{
    m_reading = on;
    if (on && m_socket->bytesAvailable() > 0) {
        onReadyRead();
    }
}

void TelnetSocket::onReadyRead()
{
    if (!m_reading) {
        return;
    }
    const QByteArray text = stripNegotiation(m_socket->readAll());
    if (text.isEmpty()) {
        return;
    }
    const QString chunk = decodeLines(text);
    if (!chunk.isEmpty()) {
        Q_EMIT dataArrival(chunk);
    }
}

QByteArray TelnetSocket::stripNegotiation(const QByteArray& bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    QByteArray reply;
    strip(bytes, out, reply, true);
    if (!reply.isEmpty() && m_socket->state() == QAbstractSocket::ConnectedState) {
        m_socket->write(reply);
    }
    return out;
}

void TelnetSocket::strip(QByteArrayView bytes, QByteArray& out, QByteArray& reply, bool subAllowed)
{
    for (const char ch : bytes) {
        const auto c = static_cast<quint8>(ch);
        switch (m_iac) {
        case Iac::Data:
            // NUL is a no-op for the network virtual terminal and follows every bare CR (RFC 854);
            // kept, it would stand between a prompt and its line end. A command's 0 is an option
            // or a value and goes with the command.
            if (c == IAC) {
                m_iac = Iac::Command;
            } else if (c != 0) {
                out.append(ch);
            }
            break;
        case Iac::Command:
            if (c == IAC) {
                out.append(ch); // an escaped 255 is a data byte
                m_iac = Iac::Data;
            } else if (c == DO || c == DONT || c == WILL || c == WONT) {
                m_iacVerb = c;
                m_iac = Iac::Option;
            } else if (c == SB && subAllowed) {
                m_iac = Iac::Sub;
            } else {
                m_iac = Iac::Data; // NOP, GA and the like carry nothing for us
            }
            break;
        case Iac::Option:
            // We enable no option: refuse what the node asks of us and what it offers.
            if (m_iacVerb == DO) {
                reply.append(static_cast<char>(IAC)).append(static_cast<char>(WONT)).append(ch);
            } else if (m_iacVerb == WILL) {
                reply.append(static_cast<char>(IAC)).append(static_cast<char>(DONT)).append(ch);
            }
            m_iac = Iac::Data;
            break;
        case Iac::Sub:
        case Iac::SubIac:
            if (m_iac == Iac::Sub) {
                m_iac = c == IAC ? Iac::SubIac : Iac::Sub;
            } else {
                m_iac = c == SE ? Iac::Data : Iac::Sub;
            }
            if (m_iac == Iac::Data) {
                m_sub.clear();
                break;
            }
            m_sub.append(ch);
            if (m_sub.size() > subnegotiationLimit) {
                // Taken back as text, these bytes open no subnegotiation of their own, so none
                // is looked at more than twice.
                const QByteArray back = std::exchange(m_sub, {});
                m_iac = Iac::Data;
                strip(back, out, reply, false);
            }
            break;
        }
    }
}

QString TelnetSocket::decodeLines(QByteArray bytes)
{
    bytes.prepend(m_pendingUtf8);
    m_pendingUtf8.clear();
    QString text;
    const QByteArrayView all(bytes);
    for (qsizetype start = 0; start < all.size();) {
        // Every line end ends a line, whichever a node sends: a node that ends its lines with CR
        // alone has each decoded on its own too. The half of a pair that a later read starts
        // with is ASCII, the same in either code page.
        qsizetype eol = start;
        while (eol < all.size() && line_ends::at(all, eol) == 0) {
            ++eol;
        }
        const bool ended = eol < all.size();
        const qsizetype end = ended ? eol + line_ends::at(all, eol) : all.size();
        QByteArrayView piece = all.sliced(start, end - start);
        if (!ended && !m_lineIsWindows1252) {
            // The line goes on in a later read, which brings the rest of a cut character.
            const qsizetype tail = incompleteUtf8Tail(piece);
            if (textfile::decodeUtf8(piece.chopped(tail).toByteArray())) {
                m_pendingUtf8 = piece.last(tail).toByteArray();
                piece.chop(tail);
            }
        }
        text += decodePiece(piece);
        if (ended) {
            m_lineIsWindows1252 = false;
        }
        start = end;
    }
    return text;
}

QString TelnetSocket::decodePiece(QByteArrayView piece)
{
    if (!m_lineIsWindows1252) {
        if (auto text = textfile::decodeUtf8(piece.toByteArray())) {
            return *text;
        }
        m_lineIsWindows1252 = true;
    }
    return textfile::decodeWindows1252(piece);
}

} // namespace zenthra
