// The application's side of the node links: where their text, errors and status go, and the
// start-up and shut-down steps that connect and log off.

#include "shell/application.h"

#include <algorithm>

#include "platform/line_ends.h"

#include <QElapsedTimer>

namespace zenthra {

namespace {
// How long shut-down waits for the node to be told goodbye.
constexpr int goodbyeWaitMs = 2000;
// How long shut-down works on the lines already received before the databases close.
constexpr int receivedLinesWaitMs = 2000;
constexpr int queueReserve = 10;
} // namespace

void Application::wireLinks()
{
    for (TelnetLink* link : {static_cast<TelnetLink*>(&m_links.dxc), static_cast<TelnetLink*>(&m_links.wwc),
                             static_cast<TelnetLink*>(&m_links.bbs)}) {
        connect(link, &TelnetLink::statusChanged, this, &Application::setStatus);
    }
    connect(&m_links.dxc, &DxcLink::lineReceived, this, &Application::incomingDxcLine);
    // A node that sends spots faster than they are processed is slowed down instead of having
    // its spots dropped at a full queue; a few rows stay free for the DEBUG line and the like.
    m_links.dxc.setBackpressure(
        [this] { return m_spotRoad.queue.pendingRows() >= spotQueueRows - queueReserve; });
    // A tick that empties the queue takes the next held lines at once instead of a tick later.
    m_spotRoad.processor.setFeeder([this] { return m_links.dxc.feedHeld(); });
    connect(&m_links.dxc, &TelnetLink::windowText, this,
            [this](QString text) { m_textWindows.POPULATE_DXC_WINDOW(text); });
    connect(&m_links.wwc, &WwcLink::lineReceived, &m_chatMessages, &ChatMessages::lineReceived);
    connect(&m_chatMessages, &ChatMessages::windowText, this,
            [this](QString text) { m_textWindows.POPULATE_WWC_WINDOW(text); });
    connect(&m_links.wwc, &TelnetLink::windowText, this,
            [this](QString text) { m_textWindows.POPULATE_WWC_WINDOW(text); });
    connect(&m_links.bbs, &BbsLink::lineReceived, &m_textWindows, &TextWindows::bbsLineReceived);
    connect(&m_links.bbs, &BbsLink::refused, this,
            [this](const QString& text) { m_textWindows.txtDataRetrieval[4].replace(text); });
    connect(&m_links.bbs, &TelnetLink::windowText, this,
            [this](QString text) { m_textWindows.POPULATE_BBS_WINDOW(text); });
}

void Application::incomingDxcLine(QString line)
{
    // A blank line holds nothing for the spot road, and the window keeps it.
    if (line_ends::isBlankLine(line)) {
        m_textWindows.dxcBlankLine();
        return;
    }
    // The filter cleans the line, queues a spot and returns what the window shows (which may be
    // nothing, for a spot on a band switched off).
    QString shown = m_spotRoad.filter.FILTER_DXC_BY_FREQ(line);
    m_textWindows.POPULATE_DXC_WINDOW(shown);
}

void Application::connectDxcLink()
{
    m_links.dxc.DXC_CONNECT();
}

void Application::connectWwcLink()
{
    m_links.wwc.WWC_CONNECT();
}

void Application::disconnectDxcLink()
{
    m_links.dxc.DXC_DISCONNECT();
    // The goodbye lines are paced; let them reach the node before the databases close and,
    // at the end, before the process goes.
    m_links.waitIdle(goodbyeWaitMs);
    // The lines already received (queued or held back by the link) are spots the user expects
    // in the tables; the processing ticks take the held lines as the queue empties.
    QElapsedTimer spent;
    spent.start();
    const auto remaining = [&spent] {
        return std::chrono::milliseconds(std::max<qint64>(receivedLinesWaitMs - spent.elapsed(), 0));
    };
    SpotProcessor& processor = m_spotRoad.processor;
    while (spent.elapsed() < receivedLinesWaitMs &&
           (m_spotRoad.queue.pendingRows() > 0 || processor.waitingSpots() > 0 || m_links.dxc.feedHeld())) {
        processor.tmrProcessSpot_Timer();
        // The spots taken from the queue wait for the store's answers, and only for those:
        // nothing the user does runs meanwhile.
        const qsizetype before = processor.waitingSpots();
        m_spotRoad.store.awaitAnswers(remaining(), [&] {
            processor.tmrProcessSpot_Timer();
            return processor.waitingSpots() < before || processor.waitingSpots() == 0;
        });
    }
}

} // namespace zenthra

namespace zenthra {

void Application::wireCommandLines()
{
    connect(&m_commandLines, &CommandLines::windowText, this, [this](LinkPane pane, QString text) {
        switch (pane) {
        case LinkPane::Dxc:
            m_textWindows.POPULATE_DXC_WINDOW(text);
            break;
        case LinkPane::Wwc:
            m_textWindows.POPULATE_WWC_WINDOW(text);
            break;
        case LinkPane::Bbs:
            m_textWindows.POPULATE_BBS_WINDOW(text);
            break;
        }
    });
    // The split pane shows the DXC window's text, so one banner serves both.
    connect(&m_commandLines, &CommandLines::screenCleared, this, [this](LinkPane pane) {
        if (pane == LinkPane::Dxc) {
            m_textWindows.TBCluster.replace(CommandLines::banner(CommandLines::dxcLabel));
        } else if (pane == LinkPane::Wwc) {
            m_textWindows.txtDataRetrieval[2].replace(CommandLines::banner(CommandLines::wwcLabel));
        }
    });
}

} // namespace zenthra
