#include "shell/settings_display.h"

#include "core/options_model.h"
#include "platform/legacy_value.h"

#include <QStringList>

#ifndef ZENTHRA_VERSION
#define ZENTHRA_VERSION "0.0.0"
#endif

namespace zenthra {

namespace {

// A label filled up with blanks to `width`, a TAB and the value.
QString entry(const char* label, int width, const QString& value)
{
    return QString::fromLatin1(label).leftJustified(width, u' ') + u'\t' + value;
}

void nodeLines(QStringList& lines, const QString& host, float port, const QString& call,
               const QString& password)
{
    lines << entry("IP Address:", 11, host) << entry("Port:", 18, legacy::numberText(port))
          << entry("Callsign:", 18, call) << entry("Password:", 18, password);
}

} // namespace

QString programVersion()
{
    return QStringLiteral(ZENTHRA_VERSION);
}

QString systemSettingsText(const OptionsModel& options, const QString& version)
{
    const CurrentNode& n = options.nodes;
    const QString tab(u'\t');
    const QString rule = QString(35, u'-');
    QStringList lines;
    lines << QStringLiteral("Current System Settings:") << QString();
    lines << QStringLiteral("CLX-----------------------") + tab;
    nodeLines(lines, n.strDxcHost, n.sngDxcPort, n.strDxcCallsign, n.strDxcPassword);
    lines << entry("Reconnect:", 18, QString::number(options.intReconnectMinutes) + QStringLiteral(" mins"));
    lines << QString() << QStringLiteral("ES------------------------") + tab;
    lines << entry("Locator:", 18, options.homeLocator())
          << entry("e layer height:", 18, legacy::numberText(options.dblELayerHeight) + QStringLiteral(" km"))
          << entry("144275-325 ES:", 17,
                   legacy::numberText(options.classifier.sngMinEsQrb2m) + QStringLiteral(" km"))
          << entry("MUF Alarm freq:", 19,
                   legacy::numberText(options.sngBellMufLevel) + QStringLiteral("mhz"));
    lines << QString() << QStringLiteral("WWC----------------------") + tab;
    nodeLines(lines, n.strWwcHost, n.sngWwcPort, n.strWwcCallsign, n.strWwcPassword);
    lines << QString() << QStringLiteral("BBS----------------------") + tab;
    nodeLines(lines, n.strBbsHost, n.sngBbsPort, n.strBbsCallsign, n.strBbsPassword);
    lines << QString() << QStringLiteral("DDE----------------------") + tab;
    lines << entry("EXE Name:", 9, options.strDdeExeName) << entry("Topic:", 19, options.strDdeTopic)
          << entry("Item:", 14, options.strDdeItem);
    lines << QString() << rule << entry("Version:", 17, version) << rule;
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace zenthra
