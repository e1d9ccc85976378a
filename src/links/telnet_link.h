#pragma once
// What the three node links share: their socket, the paced sequence every step goes through,
// the login stage and closing flag, the status text and the handling of socket failures.

#include "link_sequence.h"
#include "platform/telnet_socket.h"
#include "prompts.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

namespace zenthra {

class TelnetLink : public QObject
{
    Q_OBJECT
public:
    static constexpr int errorPause = 200;

    // `linkError` is the process-wide failure flag the reconnect tick reads; a link without
    // one (the BBS link) reports its failures without raising it.
    TelnetLink(QString name, qint16* linkError, QObject* parent = nullptr);

    const QString& name() const { return m_name; }
    TelnetSocket& socket() { return m_socket; }
    const TelnetSocket& socket() const { return m_socket; }
    LinkSequence& sequence() { return m_sequence; }
    // The caption text for the socket's state now.
    QString status() const;
    // True while a dialogue step or a pause is pending.
    bool busy() const { return m_sequence.busy(); }
    // Sends, in the sequence's turn, a line that only keeps the connection from idling out. None
    // goes while a login is under way: the node would take it for the answer to the prompt it
    // waits at, refuse the login and close.
    void sendIdleLine(const QString& text);
    // Received text (characters) that the link holds and has not handed on yet. Once it
    // reaches holdLimit the socket is no longer read, in every state, so a burst waits with the
    // network (which slows the node down) instead of in memory.
    qsizetype heldText() const { return m_nextRead.size() + ownHeldText(); }
    static constexpr qsizetype holdLimit = 64 * 1024;
    // A login moves on by what the node said once it has sent nothing more for this long: a
    // prompt is the node asking and then waiting, and text that goes on sooner (the rest of a
    // greeting, or of someone's line ending in prompt words, cut by the network or by the node's
    // own writes) belongs to the same step. It is well past the gaps inside one text (a first
    // resend of a lost segment comes after at most a second) and far below the minute or more a
    // node waits for a login.
    static constexpr int promptQuiet = 1200;
    // Text that asked nothing of the login is the node's last word only once the node has been
    // quiet this long. A node may pause for seconds inside its greeting (looking the call up, a
    // slow disk, a relay that holds text back) before its prompt comes, and what a login sends
    // for a last word (the connection string, the channel join, "DXC") would be read as the
    // answer to that prompt. Well past such pauses (5 s), and still a few seconds for a node that
    // asks nothing more. Text that may begin the password prompt waits this long for its rest.
    static constexpr int settleQuiet = 6000;
    // True while received login text waits to see whether the node stays quiet.
    bool awaitingQuiet() const { return m_quietTimer.isActive(); }
    // How soon a quiet node is looked at again when the link is still busy with what it sent.
    static constexpr int quietRecheck = 20;

    qint16 loginStage = 0;
    bool closing = false;

Q_SIGNALS:
    // Text for the link's window that is not received text (socket errors).
    void windowText(const QString& text);
    // A new status text for the main window's caption.
    void statusChanged(const QString& caption);

protected:
    // Sends one line with CR LF; on a closed link the line is refused and the dialogue goes on.
    void sendLine(const QString& text);
    // Starts connecting to host and port (rounded); a port outside 1..65535 is refused with
    // a status text saying so. Returns whether a connection attempt was started.
    bool startConnect(const QString& host, float port);
    // Received text, one read at a time, in arrival order and after the dialogue steps queued
    // before it. What arrives while a step or pause is pending is the next read, whatever the
    // number of network pieces it came in: a burst costs one pause, not one per piece.
    virtual void handleChunk(const QString& chunk) = 0;
    // Called before the socket is closed by a failure, and once the node's close is reached in
    // what it sent: a link hands over what it holds.
    virtual void beforeClose() {}
    // What a link holds of its own beyond the chunks waiting for the sequence.
    virtual qsizetype ownHeldText() const { return 0; }
    // True while a link takes no more text whatever it holds.
    virtual bool holdingBack() const { return false; }
    // Reads on while the link holds little, and stops once it holds enough or holds back.
    void updateReading();
    // What the node has sent lately, for the login prompt rules.
    prompts::PromptText& promptText() { return m_promptText; }
    // Takes received text into the login under way: the login moves on (nodeQuiet) once the node
    // is quiet, by all it said since the last step, so what a login does never hangs on where
    // the network cut the text or how long it held a piece back.
    void hearLogin(const QString& piece);
    // What the node sends, piece by piece, for its own phrases.
    prompts::PieceView& pieceView() { return m_pieceView; }
    // nodeQuiet() runs once the node has sent nothing for promptQuiet and the link has handled
    // all it received, unless the text may still begin the password prompt: that waits for its
    // rest up to settleQuiet and is then judged as it stands. Calling it again while waiting
    // keeps the one wait; new text ends a wait for the node to settle.
    void awaitQuiet();
    void stopAwaitingQuiet();
    // `settled` once the node has been quiet for settleQuiet: what it said is its last word.
    virtual void nodeQuiet(bool settled) { (void)settled; }
    // From nodeQuiet(): the step waits until the node has settled, and nodeQuiet() runs again
    // then, unless the node says more first (which is looked at after promptQuiet as usual).
    void awaitSettled();
    // A new connection: nothing is asked yet, and its text starts afresh.
    void forgetPrompts();

private:
    void incoming(const QString& chunk);
    void runDeferred();
    void onRemoteClosed();
    void onSocketError(int number, const QString& description);
    void checkQuiet();
    // How long the node has sent nothing.
    qint64 quietFor() const;

    QString m_name;
    qint16* m_linkError;
    TelnetSocket m_socket;
    LinkSequence m_sequence;
    QString m_nextRead;
    bool m_runningDeferred = false;
    prompts::PromptText m_promptText;
    prompts::PieceView m_pieceView;
    QElapsedTimer m_lastArrival;
    QTimer m_quietTimer;
    // The quiet timer waits for the node to settle rather than for a prompt's answer.
    bool m_settling = false;
};

} // namespace zenthra
