#pragma once
// The link to the DX-cluster node: connect and log off, answer the node's login prompts, and
// hand received text on line by line to the spot road.

#include "line_assembler.h"
#include "link_sequence.h"
#include "platform/telnet_socket.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>

namespace zenthra {

struct CurrentNode;

class DxcLink : public QObject
{
    Q_OBJECT
public:
    // Where the login stands: 0 none in progress, 1 waiting for the login prompt, 2 call sent
    // (or a password prompt seen), 3 waiting for the node menu, 4 waiting for the cluster prompt.
    enum LoginStage : qint16
    {
        Idle = 0,
        AwaitLogin = 1,
        CallSent = 2,
        AwaitMenu = 3,
        AwaitPrompt = 4
    };

    // Pauses between the lines of a dialogue, in milliseconds.
    static constexpr int callPause = 200;
    static constexpr int replyPause = 400;
    static constexpr int goodbyePause = 200;
    static constexpr int errorPause = 200;
    // How long an unfinished line (a prompt) waits for its line end before it is passed on.
    static constexpr int partialLineWait = 500;

    // `autoClx` tells whether the login is answered automatically ("Auto CLX?").
    DxcLink(const CurrentNode& node, qint16& intLinkError, std::function<bool()> autoClx,
            QObject* parent = nullptr);

    void DXC_CONNECT();
    void DXC_DISCONNECT();
    // Handles one received chunk; chunks that arrive while a dialogue step is pending wait
    // for it, as the node's text must be seen in the order it came.
    void INCOMING_DXC(const QString& chunk);

    TelnetSocket WinsockDXC;
    qint16 intDxcLoginStage = Idle;
    bool blnDxcClosing = false;

Q_SIGNALS:
    // A received line (with its line end, "..." removed) for the line filter and the window.
    void lineReceived(const QString& line);
    // Text for the DXC window that does not go through the filter (socket errors).
    void windowText(const QString& text);
    // A new status text for the main window's caption.
    void statusChanged(const QString& caption);

private:
    void handleChunk(const QString& chunk);
    void advanceLogin(const QString& upper, qsizetype seen, bool passwordPrompt);
    void deliver(const QString& chunk);
    void passOn(QString line);
    void flushPartial();
    void sendLine(const QString& text);
    void onSocketError(int number, const QString& description);
    void runDeferred();
    QString status() const;

    const CurrentNode& m_node;
    qint16& m_linkError;
    std::function<bool()> m_autoClx;
    LinkSequence m_sequence;
    LineAssembler m_lines;
    QTimer m_partialTimer;
    std::deque<QString> m_deferred;
};

} // namespace zenthra
