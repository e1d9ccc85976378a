#include "core/option_keys.h"

#include <array>

namespace zenthra::keys {

namespace {

// Item `index` of the control array `name`; an index past the array is a programming error.
QString item(QLatin1StringView name, int index, int count)
{
    Q_ASSERT_X(index >= 0 && index < count, "keys", "index past the control array");
    return QString(name) + u'(' + QString::number(index) + u')';
}

} // namespace

QString bellByMode(int index)
{
    // Asked for every spot processed: built once.
    static const std::array<QString, 9> names = [] {
        std::array<QString, 9> all;
        for (int i = 0; i < 9; ++i) {
            all[size_t(i)] = item(QLatin1StringView("mnuBellByMode"), i, 9);
        }
        return all;
    }();
    if (index >= 0 && index < 9) {
        return names[size_t(index)];
    }
    return item(QLatin1StringView("mnuBellByMode"), index, 9);
}

QString dxc(int index)
{
    return item(QLatin1StringView("mnuDxc"), index, 9);
}

QString dxcCommand(int index)
{
    return item(QLatin1StringView("mnuDxcComm"), index, 6);
}

QString wwc(int index)
{
    return item(QLatin1StringView("mnuWwc"), index, 9);
}

QString wwcCommand(int index)
{
    return item(QLatin1StringView("mnuWwcComm"), index, 7);
}

QString bbs(int index)
{
    return item(QLatin1StringView("mnuBBS"), index, 6);
}

QString bbsCommand(int index)
{
    return item(QLatin1StringView("mnuBbsComm"), index, 6);
}

QString windowSaved(int index)
{
    return item(QLatin1StringView("mnuWindowSaved"), index, 5);
}

QString esOptions(int index)
{
    return item(QLatin1StringView("mnuEsOptions"), index, 7);
}

QString esDoubleHop(int index)
{
    return item(QLatin1StringView("mnuEsDoubleHop"), index, 5);
}

QString esQrb(int index)
{
    return item(QLatin1StringView("mnuEsQrb"), index, 6);
}

QString mapMufFreq(int index)
{
    return item(QLatin1StringView("mnuMapMufFreq"), index, 4);
}

QString mapDraw(int index)
{
    return item(QLatin1StringView("mnuMapDraw"), index, 6);
}

QString filterHF(int index)
{
    return item(QLatin1StringView("mnuFilterHF"), index, 10);
}

QString filterVHF(int index)
{
    return item(QLatin1StringView("mnuFilterVHF"), index, 4);
}

QString filterUHF(int index)
{
    return item(QLatin1StringView("mnuFilterUHF"), index, 6);
}

QString filterHFAll(int index)
{
    return item(QLatin1StringView("mnuFilterHFAll"), index, 2);
}

QString filterVHFAll(int index)
{
    return item(QLatin1StringView("mnuFilterVHFAll"), index, 2);
}

QString filterUHFAll(int index)
{
    return item(QLatin1StringView("mnuFilterUHFAll"), index, 2);
}

QString tab(int index)
{
    return item(QLatin1StringView("mnuTab"), index, 7);
}

const QList<QString>& checkMarks()
{
    static const QList<QString> marks = [] {
        QList<QString> m{autoClx,
                         noAutoScroll,
                         dxcLimitChar,
                         dxcEcho,
                         dxcAlwaysOnTop,
                         dxSpiderView,
                         wwcReconnectWithDxc,
                         wwcStartWithProgram,
                         wwcSeeDxcWindow,
                         wwcEcho,
                         wwcAlwaysOnTop,
                         wwcPlaySound,
                         wwcPlaySoundOnCall,
                         wwcPopupMessage,
                         wwcShowAllMessages,
                         wwcPopupTopWin,
                         wwcMsgText,
                         bbsEcho,
                         bbsMsgText,
                         calcVhf,
                         logVhfToDb,
                         logHfToDb,
                         logHiddenHfToDb,
                         announceToDb,
                         calcEs,
                         logEsToDb,
                         countJt6m,
                         countWsjt,
                         calcDoubleHop,
                         doubleHop50,
                         doubleHop70,
                         doubleHop144,
                         es2mWindows,
                         esBeyond5000,
                         esCalcFiltered,
                         countJt65,
                         ddeLink,
                         enableMapping,
                         mapLines,
                         mapPoint,
                         mapCentre,
                         mapYourPath,
                         mapLiveSpots,
                         mapOnlyToday,
                         mapLastHour,
                         stickyMap,
                         mapDrawForce,
                         useFilters,
                         seeAnnounce,
                         ignore144350to399,
                         spiderHelp,
                         spiderBbs};
        for (int i = 0; i < 9; ++i) {
            m.append(bellByMode(i));
        }
        for (int i = 0; i < 10; ++i) {
            m.append(filterHF(i));
        }
        for (int i = 0; i < 4; ++i) {
            m.append(filterVHF(i));
        }
        for (int i = 0; i < 6; ++i) {
            m.append(filterUHF(i));
        }
        return m;
    }();
    return marks;
}

} // namespace zenthra::keys
