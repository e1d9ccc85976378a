#pragma once
// The main window's background ticks that keep the links and the server database alive:
// heartbeat and reconnect, the link status in the caption, and the server watchdog.

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

namespace zenthra {

class Database;
class Links;
class OptionsModel;
class TextWindows;

class MainTimers : public QObject
{
    Q_OBJECT
public:
    static constexpr int minute = 60000;
    static constexpr int heartbeatWait = 500;
    // Minutes between probes of the server database.
    static constexpr int dbCheckMinutes = 30;
    // A chat host whose name holds this gets an empty line as its heartbeat; others get a
    // private message to the user's own call, which keeps a convers session from idling out.
    static constexpr const char* plainHeartbeatHost = "CONVERS";
    static constexpr const char* restartLine = "RESTART DATABASE CONNNECTION (NO DATABASE CONNECTION!)";

    // What the ticks need of the application beyond its services: the status line, read and
    // written, and the restart of the database watchdog.
    struct Hooks
    {
        std::function<QString()> status;
        std::function<void(const QString&)> setStatus;
        std::function<void()> restart;
    };

    MainTimers(const OptionsModel& options, Database& database, TextWindows& textWindows, Links& links,
               Hooks hooks, QObject* parent = nullptr);

    // Starts the three minute timers, as the main window does when it is created.
    void start();

    void tmrReconnect_Timer();
    void tmrGetWinsockStatus_Timer();
    void tmrDatabaseRestart_Timer();

    QTimer tmrReconnect;
    QTimer tmrGetWinsockStatus;
    QTimer tmrDatabaseRestart;

    qint16 intReconnectTicks = 0;
    qint16 intDbCheckTicks = 0;
    QString strStatusLink;
    float sngDbState = 0;

private:
    void wwcHeartbeat();

    const OptionsModel& m_options;
    Database& m_database;
    TextWindows& m_textWindows;
    Links& m_links;
    Hooks m_hooks;
};

} // namespace zenthra
