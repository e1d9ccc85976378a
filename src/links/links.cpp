#include "links.h"

#include <QEventLoop>
#include <QTimer>

namespace zenthra {

Links::Links(const CurrentNode& node, std::function<bool()> autoClx, QObject* parent)
    : QObject(parent), dxc(node, intLinkError, std::move(autoClx)), wwc(node, intLinkError), bbs(node)
{
}

void Links::waitIdle(int ms)
{
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!dxc.busy() && !wwc.busy() && !bbs.busy()) {
            loop.quit();
        }
    });
    if (!dxc.busy() && !wwc.busy() && !bbs.busy()) {
        return;
    }
    deadline.start(ms);
    poll.start(10);
    loop.exec();
}

} // namespace zenthra
