#pragma once
// The chat (WWC) and packet BBS links: connect, log off and hand received chunks on. What is
// answered at their prompts is the business of their receive routines.

#include "telnet_link.h"

namespace zenthra {

struct CurrentNode;

class WwcLink : public TelnetLink
{
    Q_OBJECT
public:
    static constexpr int stepPause = 200;
    // The chat node's text is looked at a moment after it arrives, so a prompt sent in pieces
    // is more likely to be whole.
    static constexpr int receivePause = 100;

    WwcLink(const CurrentNode& node, qint16& intLinkError, QObject* parent = nullptr);

    void WWC_CONNECT();
    void WWC_DISCONNECT();

    TelnetSocket& WinsockWWC;
    qint16& intWwcLoginStage;
    bool& blnWwcClosing;

Q_SIGNALS:
    // One received chunk, for the chat receive routine.
    void chunkReceived(const QString& chunk);

protected:
    void handleChunk(const QString& chunk) override;

private:
    const CurrentNode& m_node;
};

class BbsLink : public TelnetLink
{
    Q_OBJECT
public:
    static constexpr int stepPause = 200;
    static constexpr int receivePause = 100;

    explicit BbsLink(const CurrentNode& node, QObject* parent = nullptr);

    void BBS_CONNECT();
    void BBS_DISCONNECT();

    TelnetSocket& WinsockBBS;
    qint16& intBbsLoginStage;

Q_SIGNALS:
    void chunkReceived(const QString& chunk);
    // The connect sequence hands the input focus to the BBS command line.
    void focusCommandLine();

protected:
    void handleChunk(const QString& chunk) override;

private:
    const CurrentNode& m_node;
};

} // namespace zenthra
