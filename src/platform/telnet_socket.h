#pragma once
// A TCP client for the telnet-style links: nodes speak plain text lines, may open with telnet
// option negotiation (which we refuse and strip), and are reported through the ten link states
// the rest of the program knows (0 closed ... 7 connected ... 9 error). NUL, which a telnet node
// sends after a bare CR, carries nothing and is dropped from the text. Nodes send UTF-8 or a
// Windows code page, and a single read may hold both, so each line is decoded on its own, at
// every line end of line_ends.h (a packet node ends its lines with CR alone).

#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpSocket;

namespace zenthra {

class TelnetSocket : public QObject
{
    Q_OBJECT
public:
    enum State : int
    {
        Closed = 0,
        Open = 1,
        Listening = 2,
        ConnectionPending = 3,
        ResolvingHost = 4,
        HostResolved = 5,
        Connecting = 6,
        Connected = 7,
        Closing = 8,
        Error = 9,
    };
    // Sending while not connected ("wrong protocol or connection state").
    static constexpr int errWrongState = 40006;
    // A port outside 1..65535 is refused before any connection attempt ("invalid argument").
    static constexpr int errInvalidPort = 10022;

    explicit TelnetSocket(QObject* parent = nullptr);
    ~TelnetSocket() override;

    int state() const;
    QString remoteHost() const { return m_host; }
    qint32 remotePort() const { return m_port; }

    // Starts connecting; the outcome arrives through connected() or errorOccurred().
    // Returns errInvalidPort (and does nothing) for a port outside 1..65535, else 0.
    int connectTo(const QString& host, qint32 port);
    // Sends the text unchanged (UTF-8); 0 on success, errWrongState when not connected.
    int sendData(const QString& text);
    // Drops the connection at once; harmless on a closed socket.
    void close();
    // While reading is off, received data stays with the network (which then slows the node
    // down) instead of piling up here; turning it on hands over what has waited.
    void setReading(bool on);
    bool reading() const { return m_reading; }
    // What the socket itself holds at most while reading is off.
    static constexpr qint64 readBufferLimit = 256 * 1024;
    // Longer than any subnegotiation a node sends (terminal type, window size).
    static constexpr qsizetype subnegotiationLimit = 1024;

Q_SIGNALS:
    void connected();
    // What one read brought, negotiation and NUL removed (a read of nothing else brings no
    // signal). Each line is decoded on its own: UTF-8 when valid, else windows-1252. An
    // unfinished last line (a prompt) comes at once; the rest of it follows with a later read,
    // and once it has shown a byte that is no UTF-8 the rest is windows-1252 too. A UTF-8
    // character cut by the network is held until it is whole.
    void dataArrival(const QString& chunk);
    // The peer closed the connection.
    void remoteClosed();
    // A socket failure, numbered as the links' error texts expect (10061 refused, ...).
    void errorOccurred(int number, const QString& description);

private:
    void onReadyRead();
    QByteArray stripNegotiation(const QByteArray& bytes);
    void strip(QByteArrayView bytes, QByteArray& out, QByteArray& reply, bool subAllowed);
    QString decodeLines(QByteArray bytes);
    QString decodePiece(QByteArrayView piece);
    void resetStreamState();

    QTcpSocket* m_socket;
    QString m_host;
    qint32 m_port = 0;
    bool m_failed = false;
    bool m_reading = true;
    // Negotiation parser state, kept across reads so a sequence split by the network is handled.
    enum class Iac
    {
        Data,
        Command,
        Option,
        Sub,
        SubIac
    } m_iac = Iac::Data;
    quint8 m_iacVerb = 0;
    // The bytes of an unfinished subnegotiation: one that outgrows this is no negotiation but a
    // stray 0xFF in the text, and its bytes are taken back as text.
    QByteArray m_sub;
    QByteArray m_pendingUtf8;
    // The unfinished line has shown a byte that is no UTF-8.
    bool m_lineIsWindows1252 = false;
};

} // namespace zenthra
