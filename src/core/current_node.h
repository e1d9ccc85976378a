#pragma once
// The node each link connects to: set by the node-list editors, kept in the settings file,
// read by the connect and login routines.

#include <QString>

namespace zenthra {

struct CurrentNode
{
    QString strDxcHost;
    float sngDxcPort = 0;
    QString strDxcCallsign;
    QString strDxcPassword;

    QString strWwcHost;
    float sngWwcPort = 0;
    QString strWwcCallsign;
    QString strWwcPassword;
    QString strWwcConnectStr;

    QString strBbsHost;
    float sngBbsPort = 0;
    QString strBbsCallsign;
    QString strBbsPassword;
    QString strBbsConnectStr;
};

} // namespace zenthra
