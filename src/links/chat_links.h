#pragma once
// The chat (WWC) and packet BBS links: connect, log off, answer the nodes' login and channel
// prompts, and hand what the nodes send on line by line for their windows.

#include "line_link.h"

#include <optional>

namespace zenthra {

struct CurrentNode;

// A received line as the chat and BBS windows show it: without its line end, every line end
// inside it (CR LF, LF CR, a lone CR or a lone LF: packet nodes end lines with CR alone) and every
// BEL (which some nodes send to ring) written as one CR LF, and each pair of blanks made one (one
// pass, so four blanks become two). The link splits at LF, so the CR of an LF CR pair starts the
// next line, and a pause in the node's sending may split a CR LF pair the same way: `open`
// carries the half still awaited from one line of a link's run to the next (0 at first), and a
// line that is nothing but that half shows nothing.
std::optional<QString> shownLine(const QString& line, char16_t& open);

class WwcLink : public LineLink
{
    Q_OBJECT
public:
    // Where the login stands: 0 none in progress, 1 waiting for the login prompt, 2 call sent,
    // waiting for a password prompt. Each step is taken by all the node said up to a quiet
    // moment, its greeting and prompts read across the pieces the network cut them into; text
    // that asked nothing ends the login only once the node has settled.
    enum LoginStage : qint16
    {
        Idle = 0,
        AwaitLogin = 1,
        CallSent = 2
    };

    static constexpr int stepPause = 200;
    // The chat node's text is looked at a moment after it arrives, so a prompt sent in pieces
    // is more likely to be whole.
    static constexpr int receivePause = 100;
    // The node's notice to a channel's first user, which draws no automatic reply.
    static constexpr const char16_t* operatorNotice = u"MADE YOU A CHANNEL OPERATOR FOR CHANNEL";
    // The name and frequency "/U CALLSIGN NAME" asks for are answered with.
    static constexpr const char* userDetails = " 144345";

    WwcLink(const CurrentNode& node, qint16& intLinkError, QObject* parent = nullptr);

    void WWC_CONNECT();
    void WWC_DISCONNECT();
    // Answers what one received chunk asks (login, password, convers service, channel join),
    // then hands its lines on.
    void INCOMING_WWC(const QString& chunk);

    TelnetSocket& WinsockWWC;
    qint16& intWwcLoginStage;
    bool& blnWwcClosing;

Q_SIGNALS:
    // One received line with its line end, for the chat rules and the window.
    void lineReceived(const QString& line);

protected:
    void handleChunk(const QString& chunk) override;
    void handleLine(const QString& line) override { Q_EMIT lineReceived(line); }

    void nodeQuiet(bool settled) override;

private:
    void reply(const QString& text, int pauseAfter);
    // The one reply a channel-join prompt or the user-details request in the piece read last draws.
    std::optional<QString> joinReply();
    // Whether the node's text asks what the login stage waits for.
    bool asksForStage(prompts::Ask ask) const;

    const CurrentNode& m_node;
    // The channel-join reply due for login text that waits for the node to be quiet: it goes out
    // if the text asked nothing of the login, and not if it did.
    std::optional<QString> m_joinDue;
};

class BbsLink : public LineLink
{
    Q_OBJECT
public:
    enum LoginStage : qint16
    {
        Idle = 0,
        AwaitLogin = 1,
        // Call sent (and perhaps the password): the connection string is due once the node has
        // settled without asking for the password.
        CallSent = 2
    };

    static constexpr int stepPause = 200;
    static constexpr int receivePause = 100;
    // A connection string still holding this placeholder (exact case) is refused.
    static constexpr const char* placeholder = "yourcallsign";
    static constexpr const char* refusal = "PLEASE GO TO MENU BBS/ EDIT AVAILABLE BBS'S AND CHANGE "
                                           "CONNECTION STRING FROM 'yourcallsign' TO YOUR "
                                           "REAL CALLSIGN!!";

    explicit BbsLink(const CurrentNode& node, QObject* parent = nullptr);

    void BBS_CONNECT();
    void BBS_DISCONNECT();
    // Answers the node's login and password prompts, sends the connection string once logged
    // in, and hands the chunk's lines on.
    void INCOMING_BBS(const QString& chunk);

    TelnetSocket& WinsockBBS;
    qint16& intBbsLoginStage;

Q_SIGNALS:
    void lineReceived(const QString& line);
    // The connection string still holds the placeholder: the window shows only the refusal.
    void refused(const QString& text);
    // The connect sequence hands the input focus to the BBS command line.
    void focusCommandLine();

protected:
    void handleChunk(const QString& chunk) override;
    void handleLine(const QString& line) override { Q_EMIT lineReceived(line); }

    void nodeQuiet(bool settled) override;

private:
    void answerPassword();

    const CurrentNode& m_node;
};

} // namespace zenthra
