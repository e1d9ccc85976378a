#pragma once
// The link to the DX-cluster node: connect and log off, answer the node's login prompts, and
// hand received text on line by line to the spot road.

#include "line_assembler.h"
#include "telnet_link.h"

#include <QTimer>
#include <deque>
#include <functional>

namespace zenthra {

struct CurrentNode;

class DxcLink : public TelnetLink
{
    Q_OBJECT
public:
    // Where the login stands: 0 none in progress, 1 waiting for the login prompt, 2 call sent
    // (or a password prompt seen), 3 waiting for the node menu, 4 waiting for the cluster prompt.
    // Each step is taken by all the node said up to a quiet moment; the cluster prompt ends the
    // login as soon as it is seen. A step past the call or the password prompt is no answer to
    // it: a password prompt that comes after it is still answered with the password.
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
    // How long an unfinished line (a prompt) waits for its line end before it is shown. A line
    // that begins like a spot or an announcement waits for its line end however long it takes.
    static constexpr int partialLineWait = 500;

    // `autoClx` tells whether the login is answered automatically ("Auto CLX?").
    DxcLink(const CurrentNode& node, qint16& intLinkError, std::function<bool()> autoClx,
            QObject* parent = nullptr);

    void DXC_CONNECT();
    void DXC_DISCONNECT();
    // While `full` says the spot road can take no more, received lines wait here and the node is
    // slowed down by the network, so a burst of spots is delayed rather than lost (what waits
    // is bounded, see heldText()).
    void setBackpressure(std::function<bool()> full) { m_full = std::move(full); }
    static constexpr int backpressurePoll = 20; // ms
    // Passes on held lines while the road takes them; true when at least one went on.
    bool feedHeld();

    // Handles one received chunk (the socket's chunks arrive here in order).
    void INCOMING_DXC(const QString& chunk) { handleChunk(chunk); }

    TelnetSocket& WinsockDXC;
    qint16& intDxcLoginStage;
    bool& blnDxcClosing;

Q_SIGNALS:
    // A received line (its line end, whichever the node sends, written CR LF; "..." removed) for
    // the line filter and the window. Text the node waits at without a line end (a prompt) comes
    // without one, to be shown; the rest of its line then comes as a line of its own. When the
    // connection ends, what is left of a line comes without a line end too: shown, never read.
    void lineReceived(const QString& line);

protected:
    void handleChunk(const QString& chunk) override;
    void beforeClose() override { flushPartial(); }
    qsizetype ownHeldText() const override { return m_queuedText + m_heldText; }
    bool holdingBack() const override { return !m_held.empty(); }

private:
    void nodeQuiet(bool settled) override;
    // Looks at received text for the login under way.
    void loginText(const QString& chunk);
    // The login step for what the node said since the last one, with what it asked in it.
    void loginStep(prompts::Ask ask);
    void advanceLogin(bool passwordPrompt);
    // What the node shows once it is ready for commands ("G0ABC de GB7XX ... >"), upper case.
    QString clusterPrompt() const;
    void deliver(const QString& chunk);
    void offer(const QString& line);
    void passOn(QString line);
    void releaseHeld();
    // Hands on the unfinished line to be shown while the node waits at it.
    void showPartial();
    // Hands on the unfinished line to be shown: the connection ends, and the line with it.
    void flushPartial();

    const CurrentNode& m_node;
    qint16& m_linkError;
    std::function<bool()> m_autoClx;
    LineAssembler m_lines{LineAssembler::Ends::Every};
    QTimer m_partialTimer;
    std::function<bool()> m_full;
    std::deque<QString> m_held;
    qsizetype m_heldText = 0;
    // Received chunks waiting in the sequence behind a dialogue step.
    qsizetype m_queuedText = 0;
    QTimer m_heldTimer;
    // The text waiting for its login step held the node menu.
    bool m_menuSeen = false;
    // The start of the line being received has been shown.
    bool m_restOfShown = false;
};

} // namespace zenthra
