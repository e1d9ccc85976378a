#include "main_timers.h"

#include "core/options_model.h"
#include "links/links.h"
#include "links/winsock_status.h"
#include "shell/text_windows.h"
#include "spots/database.h"

#include <limits>
#include <utility>

namespace zenthra {

namespace {
bool closedOrFailing(int state)
{
    return state <= 0 || state >= 8;
}
} // namespace

MainTimers::MainTimers(const OptionsModel& options, Database& database, TextWindows& textWindows,
                       Links& links, Hooks hooks, QObject* parent)
    : QObject(parent), m_options(options), m_database(database), m_textWindows(textWindows), m_links(links),
      m_hooks(std::move(hooks))
{
    for (QTimer* t : {&tmrReconnect, &tmrGetWinsockStatus, &tmrDatabaseRestart}) {
        t->setInterval(minute);
    }
    connect(&tmrReconnect, &QTimer::timeout, this, &MainTimers::tmrReconnect_Timer);
    connect(&tmrGetWinsockStatus, &QTimer::timeout, this, &MainTimers::tmrGetWinsockStatus_Timer);
    connect(&tmrDatabaseRestart, &QTimer::timeout, this, &MainTimers::tmrDatabaseRestart_Timer);
}

void MainTimers::start()
{
    tmrReconnect.start();
    tmrGetWinsockStatus.start();
    tmrDatabaseRestart.start();
}

void MainTimers::tmrReconnect_Timer()
{
    const qint16 period = m_options.intReconnectMinutes;
    if (period > 0 && intReconnectTicks < std::numeric_limits<qint16>::max()) {
        ++intReconnectTicks;
    }
    if (period < 1 || intReconnectTicks < period) {
        return;
    }
    DxcLink& dxc = m_links.dxc;
    // Sending on a dead link is refused; the state test below then reconnects it.
    dxc.sendIdleLine({});
    dxc.sequence().pause(heartbeatWait);
    dxc.sequence().run([this, &dxc] {
        if (closedOrFailing(dxc.WinsockDXC.state()) || m_links.intLinkError == 1) {
            dxc.DXC_DISCONNECT();
            dxc.DXC_CONNECT();
        }
        m_links.intLinkError = 0;
        intReconnectTicks = 0;
        if (m_options.checked(keys::wwcReconnectWithDxc)) {
            wwcHeartbeat();
        }
    });
}

void MainTimers::wwcHeartbeat()
{
    WwcLink& wwc = m_links.wwc;
    const CurrentNode& node = m_options.nodes;
    const QString line = node.strWwcHost.toUpper().contains(QLatin1String(plainHeartbeatHost))
                             ? QString()
                             : QStringLiteral("/msg ") + node.strWwcCallsign;
    wwc.sendIdleLine(line);
    wwc.sequence().pause(heartbeatWait);
    wwc.sequence().run([&wwc] {
        if (closedOrFailing(wwc.WinsockWWC.state())) {
            wwc.WWC_DISCONNECT();
            wwc.WWC_CONNECT();
        }
    });
}

void MainTimers::tmrGetWinsockStatus_Timer()
{
    if (strStatusLink.isEmpty()) {
        strStatusLink = QStringLiteral("DXC");
    }
    const TelnetLink* link = &m_links.dxc;
    QString next = QStringLiteral("WWC");
    if (strStatusLink == QLatin1String("WWC")) {
        link = &m_links.wwc;
        next = QStringLiteral("BBS");
    } else if (strStatusLink == QLatin1String("BBS")) {
        link = &m_links.bbs;
        next = QStringLiteral("DXC");
    }
    const QString caption = m_hooks.status();
    // Warnings such as the home-locator message stay until something replaces them.
    if (caption.startsWith(QLatin1String("Zenthra")) || caption.size() < 3) {
        m_hooks.setStatus(WINSOCK_STATUS(strStatusLink, static_cast<float>(link->socket().state())));
    }
    strStatusLink = next;
}

void MainTimers::tmrDatabaseRestart_Timer()
{
    if (m_options.database.strDbType != QLatin1String("s")) {
        return;
    }
    if (++intDbCheckTicks < dbCheckMinutes) {
        return;
    }
    intDbCheckTicks = 0;
    SqlFailure why;
    const bool alive =
        m_database.exec(Store::Spots, QStringLiteral("SELECT * FROM tblSPOT LIMIT 5"), {}, nullptr, &why);
    sngDbState = alive ? 0 : static_cast<float>(why.number != 0 ? why.number : Database::errProviderFailure);
    if (m_options.database.strDbType == QLatin1String("s") && sngDbState != 0) {
        m_hooks.restart();
        QString line = QLatin1String(restartLine);
        m_textWindows.POPULATE_DXC_WINDOW(line);
    }
}

} // namespace zenthra
