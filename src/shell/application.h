#pragma once
// The application object: owns the program's state (options, error log, clock, text windows,
// database layer, ...) and runs start-up, shut-down and restart. The subsystems reach each
// other's state through it; there are no globals.

#include "core/error_log.h"
#include "core/options_model.h"
#include "links/command_lines.h"
#include "links/dde_link.h"
#include "links/links.h"
#include "links/spider_table.h"
#include "links/wwc_popup.h"
#include "maps/analysis_reports.h"
#include "maps/muf_map.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "platform/sound_player.h"
#include "propagation/prop_keywords.h"
#include "shell/main_timers.h"
#include "shell/settings_file.h"
#include "shell/status_caption.h"
#include "shell/text_windows.h"
#include "spots/alarm_sounds.h"
#include "spots/announcements.h"
#include "spots/call_locator.h"
#include "spots/database.h"
#include "spots/line_filter.h"
#include "spots/spot_processor.h"
#include "spots/spot_queue.h"
#include "spots/spot_road.h"
#include "spots/spot_writers.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <optional>

namespace zenthra {

class ShellView;

class Application : public QObject
{
    Q_OBJECT
public:
    static constexpr int restartCode = 99;
    static constexpr const char* settingsSaved = "Zenthra - Settings saved to dat file.";
    static constexpr const char* settingsNotSaved = "Zenthra - Error saving settings!!";
    // Geometry of RESTORE_SCREEN, twips.
    static constexpr float restoredWidth = 10110;
    static constexpr float restoredHeight = 8055;
    // A stored Top or Left below this lies off the screen.
    static constexpr float offScreenLimit = -200;

    explicit Application(DataFolder folder, QObject* parent = nullptr);
    ~Application() override;

    // The main window; start-up places and shows it. Without one, geometry is kept here.
    void setView(ShellView* view) { m_view = view; }

    // Start-up: settings, databases, map, geometry, options, window shown, menus, links,
    // fonts, histories. Never fails and never reports; each step handles its own failures.
    void OPEN_ZENTHRA();
    // Shut-down: every step is attempted, the settings are always saved. Any code but 99 then
    // ends the program (endProgram); 99 returns for a restart.
    void CLOSE_ZENTHRA(int code);
    // The restart of the database watchdog: CLOSE_ZENTHRA(99), then OPEN_ZENTHRA.
    void restart();
    // Both wait while the call/locator import runs: it pumps events between its rows, so they
    // can be asked for from inside it, and closing the databases under it would fail every row
    // left. The import is stopped and the close or restart runs once it has returned.
    // Puts the main window at 0, 0 with 10110 x 8055 twips, normal state.
    void RESTORE_SCREEN();
    // Writes zenthra.dat atomically and both command histories; returns the status text.
    QString SAVE_SETTINGS();

    // The status line, which the main window shows as its caption. While spots are not being
    // stored, the caption says so: a text set meanwhile shows for a moment, and is the caption
    // again once they are stored.
    static constexpr const char* initialStatus = "Zenthra";
    void setStatus(const QString& text);
    const QString& status() const { return m_caption.shown(); }

    // True once the program was told to end.
    bool ended() const { return m_ended; }

    OptionsModel& options() { return m_options; }
    const OptionsModel& options() const { return m_options; }
    TextWindows& textWindows() { return m_textWindows; }
    Database& database() { return m_database; }
    PropKeywords& keywords() { return m_keywords; }
    ErrorLog& errorLog() { return m_errorLog; }
    Clock& clock() { return m_clock; }
    const DataFolder& folder() const { return m_folder; }

    // The UTC date-time that the clock timer refreshes twice a second.
    const QDateTime& dtmUtcNow() const { return m_dtmUtcNow; }
    QTimer& tmrDxDateTime() { return m_tmrDxDateTime; }
    // Sends the queue to the logging program while "DDE Link to Log?" is ticked.
    QTimer& tmrTarnLog() { return m_tmrTarnLog; }
    // The spot road's entry, the announcements table and the logging-program queue.
    LineFilter& lineFilter() { return m_spotRoad.filter; }
    Announcements& announcements() { return m_announcements; }
    DdeLink& ddeLink() { return m_ddeLink; }
    // The three node links and the ticks that keep them (and the server database) alive.
    Links& links() { return m_links; }
    // The links' command lines (the main window's and the separate windows' boxes) and histories.
    CommandLines& commandLines() { return m_commandLines; }
    // The chat pop-up's messages.
    WwcPopup& wwcPopup() { return m_wwcPopup; }
    MainTimers& mainTimers() { return m_mainTimers; }
    // The DX Spider command table and the commands of its menus.
    SpiderTable& spiderTable() { return m_spiderTable; }
    // The spot road behind the line filter: queue, processor, the two table writers, the
    // call/locator database and the alarm sounds.
    SpotQueue& spotQueue() { return m_spotRoad.queue; }
    SpotProcessor& spotProcessor() { return m_spotRoad.processor; }
    // The road's look-ups and writers, on a thread of their own.
    SpotStore& spotStore() { return m_spotRoad.store; }
    // The call/locator database for what the user asks of it (the panel, the import, the search).
    CallLocator& callLocator() { return m_callLocator; }
    AlarmSounds& alarmSounds() { return m_spotRoad.sounds; }
    // The analysis tab's reports.
    AnalysisReports& analysisReports() { return m_analysisReports; }
    // The main window's map: the world picture and the path map of the latest spots.
    MufMap& mufMap() { return m_mufMap; }

    // The steps the menus and windows ask for; each hands the work to the subsystem that does it.
    // "Clea&r" on the map tab: the map picture cleared and re-centred on the home locator.
    void clearMap();
    void connectDxcLink();
    void connectWwcLink();
    void showHideMap(bool show);
    void populateAnalysisOptions();
    void sqlRecovery();
    void showWwcPopup();

Q_SIGNALS:
    // The clock label's text, "hh:mm:ssz".
    void utcTimeChanged(const QString& text);
    void endProgram();
    void statusChanged(const QString& text);
    // Start-up creates the link windows hidden (font size given); shut-down closes them.
    void linkWindowsLoading(int fontSize);
    void linkWindowsUnloading();

private:
    // Steps of start-up and shut-down, each handing the work to its subsystem.
    QString settingsPath() const;
    // The road's store opens the databases on its thread, making and upgrading the tables; the
    // window's layer follows once they are open, so it never waits on a database another program
    // holds, and what start-up reads from them is read then.
    void openDatabases();
    void closeDatabases();
    void storeOpened(bool ok);
    static constexpr std::chrono::milliseconds startWait{2000};
    bool m_starting = false;
    void frameMap();
    // Rebuilds the DX Spider menus from scratch (a restart must not add the items twice).
    void loadSpiderMenus();
    void disconnectDxcLink();
    // A line received from the DX-cluster node, on its way to the line filter and the window.
    void incomingDxcLine(QString line);
    // Creates the separate DXC and WWC windows and the WWC pop-up hidden with the font size.
    void loadLinkWindows(int fontSize);
    void unloadLinkWindows();
    // True when a close with `code` has to wait for the call/locator import (which is told to stop).
    bool deferWhileImporting(int code);
    void runDeferredClose();
    // Loads the WWC, then the DXC history, replacing what the lists held (never adding twice).
    void loadHistories();
    // Saves the WWC, then the DXC history.
    void saveHistories();
    void ddeSendQueue();
    void tmrDxDateTime_Timer();
    // Connects the line filter to the announcements, the DXC window, the logging-program queue
    // and the caption.
    void wireSpotRoad();
    // Routes the links' text and status to the windows and the caption.
    void wireLinks();
    // Routes the command lines' echoes, failures and banners to the text windows.
    void wireCommandLines();
    // Interval of tmrMapping, the caption and the map timer of the spot road.
    void ownSpotRoad();
    TwipsRect currentGeometry() const;
    void applyGeometry(const TwipsRect& g);

    DataFolder m_folder;
    Clock m_clock;
    // Before the subsystems, so that it outlives any of them that sets a text as it goes.
    StatusCaption m_caption{QString::fromLatin1(initialStatus)};
    ErrorLog m_errorLog;
    OptionsModel m_options;
    TextWindows m_textWindows;
    PropKeywords m_keywords;
    Database m_database;
    QDateTime m_dtmUtcNow;
    QTimer m_tmrDxDateTime;
    QTimer m_tmrTarnLog;
    bool m_callLocBusy = false;
    CallLocator m_callLocator{m_database, m_folder, m_errorLog, m_callLocBusy};
    Announcements m_announcements{m_database, m_clock, m_errorLog};
    DdeLink m_ddeLink{m_options, [this](const QString& text) { setStatus(text); }};
    Links m_links;
    CommandLines m_commandLines{m_options, m_links, m_errorLog, m_folder.path()};
    MainTimers m_mainTimers;
    ShellView* m_view = nullptr;
    TwipsRect m_geometry; // used while no window is attached
    bool m_ended = false;
    // A close (code) or restart waiting for the call/locator import to return.
    std::optional<int> m_deferredClose;
    EffectSoundPlayer m_soundPlayer;
    SpotRoad m_spotRoad{{m_options, m_errorLog, nullptr, m_folder, m_keywords, m_textWindows.intHiddenHfSpot,
                         m_soundPlayer, [this] { return m_dtmUtcNow; }}};
    QTimer m_tmrMapping;
    AnalysisReports m_analysisReports{m_database, m_errorLog};
    MufMap m_mufMap{{m_options, m_database, m_errorLog, [this] { return m_dtmUtcNow; }, m_tmrMapping,
                     m_spotRoad.queue.tmrProcessSpot()},
                    m_folder.path()};
    SpiderTable m_spiderTable;
    WwcPopup m_wwcPopup{m_options, [this] { return m_dtmUtcNow; }};
    ChatMessages m_chatMessages{m_options, m_wwcPopup,
                                [this](qint16 kind) { m_spotRoad.sounds.Play_WWC(kind); }};
};

} // namespace zenthra
