#include "shell/termination_requests.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace zenthra {

namespace {
sigset_t terminationSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}
} // namespace

void TerminationRequests::holdSignals()
{
    const sigset_t set = terminationSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

TerminationRequests::TerminationRequests(QObject* parent) : QObject(parent)
{
    const sigset_t set = terminationSet();
    m_fd = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_fd < 0) {
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationRequests::readPending);
}

TerminationRequests::~TerminationRequests()
{
    delete m_notifier;
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void TerminationRequests::readPending()
{
    signalfd_siginfo info;
    bool any = false;
    while (::read(m_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        any = true;
    }
    if (any) {
        Q_EMIT requested();
    }
}

} // namespace zenthra
