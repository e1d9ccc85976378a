#include "shell/application.h"

#include "core/utc_clock.h"
#include "shell/shell_view.h"
#include "shell/spider_menus.h"
#include "spots/keyword_table.h"

#include <QCoreApplication>
#include <QTimer>

namespace zenthra {

Application::Application(DataFolder folder, QObject* parent)
    : QObject(parent), m_folder(std::move(folder)), m_errorLog(m_folder.path(), m_clock),
      m_textWindows(m_options, [this] { return m_dtmUtcNow; }), m_keywords(m_errorLog),
      m_database(m_options.database, m_folder, m_errorLog,
                 [this](Database& db) {
                     // The store's opening, which comes first, read the list for the window: reading
                     // it again would hold the window for round trips of its own.
                     if (!m_keywords.loaded()) {
                         POPULATE_PROPAGATION_ARRAYS(m_keywords, db);
                     }
                 }),
      m_links(m_options.nodes, [this] { return m_options.checked(keys::autoClx); }),
      m_mainTimers(m_options, m_database, m_textWindows, m_links,
                   {[this] { return status(); }, [this](const QString& text) { setStatus(text); },
                    [this] { restart(); }}),
      m_spiderTable(m_database, spiderTypeWords())
{
    m_dtmUtcNow = GET_UTC_NOW(m_clock);
    m_tmrDxDateTime.setInterval(500);
    connect(&m_tmrDxDateTime, &QTimer::timeout, this, &Application::tmrDxDateTime_Timer);
    m_tmrDxDateTime.start();
    connect(&m_caption, &StatusCaption::shownChanged, this, &Application::statusChanged);
    wireLinks();
    wireCommandLines();
    wireSpotRoad();
    ownSpotRoad();
    m_mainTimers.start();

    // The window's statements are watched as the store's are: a server that stops answering
    // fails both at once, and neither waits on it.
    m_database.setServerWatch(m_spotRoad.store.serverWatch());
    // Its login, on the window's thread, may hold the window no longer than a statement would:
    // the watch asks after a second and gives the server three more to answer.
    m_database.setServerLoginWait(std::chrono::seconds(4));
    // Nor does it wait for the server's names: it takes the addresses the store's opening found.
    m_database.setServerNameWait(std::chrono::milliseconds(0));
    connect(&m_spotRoad.store, &SpotStore::keywordsRead, this,
            [this](const PropTypeList& list) { m_keywords.adopt(list); });
    m_announcements.setStore(&m_spotRoad.store);
    connect(&m_spotRoad.store, &SpotStore::opened, this, &Application::storeOpened);
    connect(&m_callLocator, &CallLocator::miniUpdateRunningChanged, this, [this](bool running) {
        if (!running && m_deferredClose) {
            // Queued, so that the import has returned to the event loop first.
            QTimer::singleShot(0, this, &Application::runDeferredClose);
        }
    });

    m_tmrTarnLog.setInterval(2500);
    connect(&m_tmrTarnLog, &QTimer::timeout, this, &Application::ddeSendQueue);
    // The logging-program sender runs exactly while "DDE Link to Log?" is ticked.
    connect(&m_options, &OptionsModel::checkChanged, this, [this](const QString& item, bool on) {
        if (item == keys::ddeLink) {
            if (on) {
                m_tmrTarnLog.start();
            } else {
                m_tmrTarnLog.stop();
            }
        }
    });
}

Application::~Application() = default;

QString Application::settingsPath() const
{
    return m_folder.file(QLatin1String(SettingsReader::fileName));
}

void Application::tmrDxDateTime_Timer()
{
    m_dtmUtcNow = GET_UTC_NOW(m_clock);
    Q_EMIT utcTimeChanged(m_dtmUtcNow.toString(QStringLiteral("HH:mm:ss")) + u'z');
}

TwipsRect Application::currentGeometry() const
{
    return m_view ? m_view->geometryTwips() : m_geometry;
}

void Application::applyGeometry(const TwipsRect& g)
{
    if (!m_view) {
        m_geometry = g;
        return;
    }
    m_view->setHeightTwips(g.height);
    m_view->setWidthTwips(g.width);
    m_view->setTopTwips(g.top);
    m_view->setLeftTwips(g.left);
}

void Application::OPEN_ZENTHRA()
{
    m_ended = false;
    const SettingsReader settings(settingsPath());
    settings.readDatabaseLines(m_options);

    openDatabases();
    frameMap();

    TwipsRect geometry = currentGeometry();
    settings.readGeometryLines(geometry);
    const bool offScreen = geometry.top < offScreenLimit || geometry.left < offScreenLimit;
    if (m_view) {
        // A stored size or place past the screens would give a window too large to paint.
        geometry = m_view->fitToScreens(geometry, {.top = 0, .left = 0});
    }
    applyGeometry(geometry);
    if (offScreen) {
        RESTORE_SCREEN();
    }

    settings.readOptionLines(m_options);
    if (m_options.checked(keys::ddeLink)) {
        m_tmrTarnLog.start();
    } else {
        m_tmrTarnLog.stop();
    }

    if (m_view) {
        m_view->showAndSettle();
    }

    loadSpiderMenus();
    if (m_options.checked(keys::autoClx)) {
        connectDxcLink();
    }
    if (m_options.checked(keys::wwcStartWithProgram)) {
        connectWwcLink();
    }
    // The BBS link is never connected at start.

    if (m_view) {
        // The split is derived from the window's layout, so a restart never shrinks the panes.
        m_view->setSplitView(m_options.checked(keys::wwcSeeDxcWindow));
        m_view->applyFontSize(m_options.intFontSize);
    }
    loadLinkWindows(m_options.intFontSize);
    loadHistories();
}

bool Application::deferWhileImporting(int code)
{
    if (!m_callLocator.miniUpdateRunning()) {
        return false;
    }
    // An end of the program outweighs a restart.
    if (!m_deferredClose || code != restartCode) {
        m_deferredClose = code;
    }
    m_callLocator.stopMiniUpdate();
    return true;
}

void Application::runDeferredClose()
{
    if (!m_deferredClose || m_ended) {
        m_deferredClose.reset();
        return;
    }
    const int code = *m_deferredClose;
    m_deferredClose.reset();
    if (code == restartCode) {
        restart();
    } else {
        CLOSE_ZENTHRA(code);
    }
}

void Application::CLOSE_ZENTHRA(int code)
{
    if (deferWhileImporting(code)) {
        return;
    }
    m_deferredClose.reset();
    // Each step handles and logs its own failure, so every later step still runs and the
    // settings are always saved.
    unloadLinkWindows();
    disconnectDxcLink();
    closeDatabases();
    SAVE_SETTINGS();
    if (code != restartCode && !m_ended) {
        m_ended = true;
        // The lines the link still holds back were received all the same: the road takes them
        // in, and names at its end what it could not process.
        m_links.dxc.setBackpressure({});
        m_links.dxc.feedHeld();
        m_tmrDxDateTime.stop();
        m_tmrTarnLog.stop();
        m_spotRoad.queue.tmrProcessSpot().stop();
        m_tmrMapping.stop();
        Q_EMIT endProgram();
    }
}

void Application::restart()
{
    if (deferWhileImporting(restartCode)) {
        return;
    }
    CLOSE_ZENTHRA(restartCode);
    OPEN_ZENTHRA();
}

void Application::RESTORE_SCREEN()
{
    if (m_view) {
        m_view->setNormalState();
    }
    applyGeometry({.top = 0, .left = 0, .width = restoredWidth, .height = restoredHeight});
}

QString Application::SAVE_SETTINGS()
{
    int errorNumber = 0;
    if (!writeSettingsFile(settingsPath(), settingsLines(m_options, currentGeometry()), &errorNumber)) {
        m_errorLog.WRITE_ERROR_LOG(errorNumber, QStringLiteral("SAVE_SETTINGS()"));
        return QString::fromLatin1(settingsNotSaved);
    }
    saveHistories();
    return QString::fromLatin1(settingsSaved);
}

void Application::setStatus(const QString& text)
{
    m_caption.setText(text);
}

// --- Steps that the neighbouring subsystems fill in.

void Application::openDatabases()
{
    SpotStore& store = m_spotRoad.store;
    store.open(m_options.database, m_database.serverRetryInterval(), m_database.serverSchema());
    // Usually the databases open in a moment, and start-up goes on with them as it always did; one
    // that takes longer is joined by the window's layer when it opens.
    m_starting = true;
    store.awaitAnswers(startWait, [&store] { return store.openAnswered(); });
    m_starting = false;
}

void Application::storeOpened(bool ok)
{
    if (!ok || m_ended) {
        return;
    }
    // The store opened again what it had lost: so has the window's layer, as a rule.
    if (m_database.isOpen()) {
        m_database.reconnect();
        return;
    }
    // The store made and upgraded the tables.
    m_database.setMakesSchema(false);
    m_database.OPEN_DATABASES(m_options.database.strDbType);
    if (m_database.isOpen() && !m_starting) {
        loadSpiderMenus();
    }
}

void Application::closeDatabases()
{
    m_spotRoad.store.close();
    m_database.CLOSE_DATABASES();
}

void Application::frameMap()
{
    m_mufMap.FRAME_MAP();
}

void Application::clearMap()
{
    m_mufMap.CLEAR_MAP();
}

void Application::loadSpiderMenus()
{
    m_spiderTable.LOAD_MENU_ITEMS();
}

void Application::loadLinkWindows(int fontSize)
{
    Q_EMIT linkWindowsLoading(fontSize);
}

void Application::unloadLinkWindows()
{
    Q_EMIT linkWindowsUnloading();
}

void Application::loadHistories()
{
    m_commandLines.LOAD_SAVE_HISTORY(0);
    m_commandLines.LOAD_SAVE_HISTORY(2);
}

void Application::saveHistories()
{
    m_commandLines.LOAD_SAVE_HISTORY(1);
    m_commandLines.LOAD_SAVE_HISTORY(3);
}

void Application::showHideMap(bool show)
{
    m_mufMap.SHOW_HIDE_MAP(show);
}

void Application::populateAnalysisOptions()
{
    m_analysisReports.POPULATE_ANALYSIS_OPTIONS();
}

void Application::sqlRecovery()
{
    m_database.SQL_RECOVERY();
}

void Application::showWwcPopup()
{
    m_wwcPopup.requestShow();
}

void Application::ddeSendQueue()
{
    m_ddeLink.tmrTarnLog_Timer();
}

} // namespace zenthra
