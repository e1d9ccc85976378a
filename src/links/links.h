#pragma once
// The three node links and the failure flag they share.

#include "chat_links.h"
#include "dxc_link.h"

#include <QObject>
#include <functional>

namespace zenthra {

struct CurrentNode;

class Links : public QObject
{
    Q_OBJECT
public:
    Links(const CurrentNode& node, std::function<bool()> autoClx, QObject* parent = nullptr);

    // Waits, with the event loop turning, until every link has sent what it queued (the
    // goodbye lines at shut-down), or `ms` milliseconds have passed.
    void waitIdle(int ms);

    // 1 after a failure on the DXC or WWC link; the reconnect tick reconnects the DXC link
    // while it is set.
    qint16 intLinkError = 0;

    DxcLink dxc;
    WwcLink wwc;
    BbsLink bbs;
};

} // namespace zenthra
