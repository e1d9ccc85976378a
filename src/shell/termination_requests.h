#pragma once
// A request to end the program from outside the window: SIGTERM (a session ending, a service
// manager, `kill`), SIGINT (Ctrl-C in the terminal) or SIGHUP. Each is turned into a signal on
// the event loop, so the program closes its main window and shuts down as if the user had
// closed it: settings saved, exit code 0.

#include <QObject>

class QSocketNotifier;

namespace zenthra {

class TerminationRequests : public QObject
{
    Q_OBJECT
public:
    // Holds the three signals back in this process so they wait for the event loop instead
    // of killing it. Call first thing in main, before any thread starts.
    static void holdSignals();

    explicit TerminationRequests(QObject* parent = nullptr);
    ~TerminationRequests() override;

Q_SIGNALS:
    void requested();

private:
    void readPending();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace zenthra
