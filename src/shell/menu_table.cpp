#include "menu_table.h"

#include <QHash>

#include <algorithm>

namespace zenthra {

namespace {

class TableBuilder
{
public:
    explicit TableBuilder(QList<MenuEntry>& out) : m_out(out) {}

    void menu(const QString& name, const QString& parent, const QString& caption, bool hidden = false)
    {
        m_out.append({name, parent, caption, {}, MenuKind::Menu, CheckBehaviour::None, hidden, false});
    }
    void command(const QString& name, const QString& parent, const QString& caption,
                 const QString& shortcut = {}, bool hidden = false)
    {
        m_out.append({name, parent, caption, shortcut, MenuKind::Item, CheckBehaviour::None, hidden, false});
    }
    void check(const QString& name, const QString& parent, const QString& caption)
    {
        m_out.append({name, parent, caption, {}, MenuKind::Item, CheckBehaviour::Toggle, false, false});
    }
    // A check mark whose click runs its own handler.
    void handledCheck(const QString& name, const QString& parent, const QString& caption)
    {
        m_out.append({name, parent, caption, {}, MenuKind::Item, CheckBehaviour::Toggle, false, true});
    }
    void separator(const QString& name, const QString& parent)
    {
        m_out.append(
            {name, parent, QStringLiteral("-"), {}, MenuKind::Separator, CheckBehaviour::None, false, false});
    }
    // A control array: items name(0), name(1), ...; `checks` lists the indices with a plain check
    // mark, `handledChecks` those with a check mark whose click runs its own handler.
    void array(const QString& name, const QString& parent, const QStringList& captions,
               std::initializer_list<int> checks = {}, std::initializer_list<int> handledChecks = {})
    {
        const auto among = [](std::initializer_list<int> list, int i) {
            return std::find(list.begin(), list.end(), i) != list.end();
        };
        for (int i = 0; i < captions.size(); ++i) {
            const QString item = name + u'(' + QString::number(i) + u')';
            if (among(handledChecks, i)) {
                handledCheck(item, parent, captions[i]);
            } else if (among(checks, i)) {
                check(item, parent, captions[i]);
            } else {
                command(item, parent, captions[i]);
            }
        }
    }
    void checkArray(const QString& name, const QString& parent, const QStringList& captions)
    {
        for (int i = 0; i < captions.size(); ++i) {
            check(name + u'(' + QString::number(i) + u')', parent, captions[i]);
        }
    }

private:
    QList<MenuEntry>& m_out;
};

QList<MenuEntry> buildTable()
{
    QList<MenuEntry> t;
    TableBuilder b(t);
    using S = QStringList;

    const QString file = QStringLiteral("mnuFile0");
    b.menu(file, {}, QStringLiteral("&File"));
    b.command(QStringLiteral("mnuFile(0)"), file, QStringLiteral("&Help"), QStringLiteral("F1"));
    b.command(QStringLiteral("mnuFile(1)"), file, QStringLiteral("Current Settings"), QStringLiteral("F2"));
    b.command(QStringLiteral("mnuFile(2)"), file, QStringLiteral("Save Settings"), QStringLiteral("F3"));
    b.command(QStringLiteral("mnuFile(3)"), file, QStringLiteral("Restore Screen"));
    b.command(QStringLiteral("mnuFile(4)"), file, QStringLiteral("E&xit"));
    b.separator(QStringLiteral("file0"), file);
    b.command(QStringLiteral("mnuSqlServer"), file, QStringLiteral("SQL Server Settings"));

    const QString dxc = QStringLiteral("mnuDxc0");
    b.menu(dxc, {}, QStringLiteral("&DXC"));
    b.array(QStringLiteral("mnuDxc"), dxc,
            S{"Edit Available DXC's", "Import DXCs from dxc.csv", "Auto CLX?", "Set auto DXC reconnect timer",
              "Connect", "Disconnect", "Disable window auto Scroll", "DXC Status", "Send command"},
            {2, 6});
    b.check(QStringLiteral("mnuDxcLimitChar"), dxc, QStringLiteral("Limit spot info to 27 char?"));
    b.check(QStringLiteral("mnuDxcEcho"), dxc, QStringLiteral("Echo DXC input?"));
    b.command(QStringLiteral("mnuDxcClearHistory"), dxc, QStringLiteral("Clear DXC History"));
    b.separator(QStringLiteral("dxc0"), dxc);
    b.command(QStringLiteral("mnuDxcSeperateWindow"), dxc, QStringLiteral("Show DXC in seperate window?"));
    b.handledCheck(QStringLiteral("mnuDxcAlwaysOnTop"), dxc, QStringLiteral("Always on top?"));
    b.separator(QStringLiteral("dxc01"), dxc);
    b.handledCheck(QStringLiteral("mnuDxSpiderView"), dxc, QStringLiteral("View DX Spider menu?"));
    b.separator(QStringLiteral("dxc1"), dxc);
    b.menu(QStringLiteral("mnuDxcComm0"), dxc, QStringLiteral("DXC Commands"));
    b.array(QStringLiteral("mnuDxcComm"), QStringLiteral("mnuDxcComm0"),
            S{"Talk", "Show DX", "Users", "WWV", "Announce", "Show Announce"});
    b.command(QStringLiteral("mnuDxcCopyTxt"), dxc, QStringLiteral("Copy Selected Text"), {}, true);

    const QString wwc = QStringLiteral("mnuWwc0");
    b.menu(wwc, {}, QStringLiteral("&WWC"));
    b.array(QStringLiteral("mnuWwc"), wwc,
            S{"Edit Available WWC's", "Import WWC from wwc.csv", "Reconnect WWC with DXC?",
              "Start WWC with program?", "Connect", "Disconnect", "WWC Status", "See DXC window in WWC?",
              "Send Command"},
            {2, 3}, {7});
    b.check(QStringLiteral("mnuWwcEcho"), wwc, QStringLiteral("Echo WWC Input?"));
    b.command(QStringLiteral("mnuClearWwcHistory"), wwc, QStringLiteral("Clear WWC history"));
    b.separator(QStringLiteral("wwc0"), wwc);
    b.command(QStringLiteral("mnuWWcSeperateWindow"), wwc, QStringLiteral("Show WWC in seperate window?"));
    b.handledCheck(QStringLiteral("mnuWwcAlwaysOnTop"), wwc, QStringLiteral("always on top?"));
    b.separator(QStringLiteral("wwc1"), wwc);
    const QString msgOptions = QStringLiteral("mnuWwcPlaySoundOptions");
    b.menu(msgOptions, wwc, QStringLiteral("Message options"));
    b.check(QStringLiteral("mnuWwcPlaySound"), msgOptions,
            QStringLiteral("Play sound on incoming private msg"));
    b.check(QStringLiteral("mnuWwcPlaySound2"), msgOptions,
            QStringLiteral("Play sound on rxing last 3 letters of your call"));
    b.check(QStringLiteral("mnuWwcPopupMessage"), msgOptions,
            QStringLiteral("Popup window when incoming private message"));
    b.check(QStringLiteral("mnuWwcPopupMessage2"), msgOptions,
            QStringLiteral("Show all messages to your call?"));
    b.check(QStringLiteral("mnuWwcPopupTopWin"), msgOptions, QStringLiteral("Force popup to top?"));
    b.separator(QStringLiteral("wwc2"), wwc);
    b.menu(QStringLiteral("mnuWwcComm0"), wwc, QStringLiteral("WWC Commands"));
    b.array(QStringLiteral("mnuWwcComm"), QStringLiteral("mnuWwcComm0"),
            S{"Users", "message", "Set Away Text", "Away", "Not Away", "Set Personal Text",
              "Send Personal Text"});
    b.check(QStringLiteral("mnuWwcMsgTxt"), wwc,
            QStringLiteral("Enable dbl left click/highlight to send /msg"));
    b.command(QStringLiteral("mnuWwcCopyTxt"), wwc, QStringLiteral("Copy Selected Text"), {}, true);

    const QString bbs = QStringLiteral("mnuBBS0");
    b.menu(bbs, {}, QStringLiteral("BBS"));
    b.array(QStringLiteral("mnuBBS"), bbs,
            S{"Edit Available BBS's", "Import BBS from bbs.csv", "Connect", "Disconnect", "BBS Status",
              "Send Command"});
    b.check(QStringLiteral("mnuBBSEcho"), bbs, QStringLiteral("Echo BBS Input?"));
    b.separator(QStringLiteral("bbs0"), bbs);
    b.menu(QStringLiteral("mnuBbsComm0"), bbs, QStringLiteral("BBS Commands"));
    b.array(QStringLiteral("mnuBbsComm"), QStringLiteral("mnuBbsComm0"),
            S{"BBS Users", "Show Nodes", "Show Links", "Find User", "Connect cmd", "Destinations"});
    b.check(QStringLiteral("mnuBbsMsgTxt"), bbs,
            QStringLiteral("Enable dbl left click/highlight to send /msg"));

    const QString options = QStringLiteral("mnuOptions");
    b.menu(options, {}, QStringLiteral("&Options"));
    b.check(QStringLiteral("chkCalcVHF"), options, QStringLiteral("Calc VHF?"));
    b.check(QStringLiteral("chkLogAll"), options, QStringLiteral("Log VHF spots to db?"));
    b.separator(QStringLiteral("opt0"), options);
    b.handledCheck(QStringLiteral("chkCalcHF"), options, QStringLiteral("Log HF spots to db?"));
    b.handledCheck(QStringLiteral("chkCalcHF_Hidden"), options, QStringLiteral("Log Hidden HF spots to db?"));
    b.separator(QStringLiteral("opt0_1"), options);
    b.handledCheck(QStringLiteral("mnuAnnToDb"), options, QStringLiteral("Log announce to Db"));
    b.separator(QStringLiteral("opt0_2"), options);
    b.command(QStringLiteral("mnuFontSize"), options, QStringLiteral("Font Size?"));
    b.separator(QStringLiteral("opt1"), options);
    b.command(QStringLiteral("mnuBackupDb"), options, QStringLiteral("Make copy of Db"));
    b.separator(QStringLiteral("opt2"), options);
    b.command(QStringLiteral("mnuWindowBuffer"), options, QStringLiteral("Window Buffer Limit"));
    b.separator(QStringLiteral("opt3"), options);
    b.command(QStringLiteral("mnuMiniUpdateDxDatabase"), options,
              QStringLiteral("Update DX Database from mini.mdb"));
    b.separator(QStringLiteral("opt3_01"), options);
    b.command(QStringLiteral("mnuSearchCallLocDatabase"), options,
              QStringLiteral("Search the Call / Loc database"));
    b.separator(QStringLiteral("opt3_1"), options);
    b.menu(QStringLiteral("mnuBellByMode0"), options, QStringLiteral("DX Alarms"));
    b.checkArray(QStringLiteral("mnuBellByMode"), QStringLiteral("mnuBellByMode0"),
                 S{"Enable Bell?", "ES Bell?", "AU Bell?", "FAI Bell?", "IONO Bell?", "EME Bell?", "F2 Bell?",
                   "MS Bell?", "TROPO Bell?"});
    b.separator(QStringLiteral("opt4"), options);
    b.menu(QStringLiteral("mnuWindowSave"), options, QStringLiteral("Save Window to file"));
    b.array(QStringLiteral("mnuWindowSaved"), QStringLiteral("mnuWindowSave"),
            S{"Save DXC Window", "Save MUF Window", "Save VHF Window", "Save WWC Window", "Save BBS Window"});
    b.command(QStringLiteral("mnuVhfCopyText"), options, QStringLiteral("Copy Selected Text"), {}, true);

    const QString es = QStringLiteral("mnuEsOptions0");
    b.menu(es, {}, QStringLiteral("ES Options"));
    b.array(QStringLiteral("mnuEsOptions"), es,
            S{"Calc es?", "Log es to DB?", "Count spots 50220-300 as JT6M?",
              "Count spots 144345-400 as WSJT?", "E Layer Height", "MASL", "Bell MUF Start Point (ES)"},
            {0, 1, 2, 3});
    b.separator(QStringLiteral("es_space3"), es);
    b.command(QStringLiteral("mnuEsSpotFilter"), es, QStringLiteral("Edit spot filter"));
    b.separator(QStringLiteral("es_space4"), es);
    b.menu(QStringLiteral("mnuEsDoubleHop0"), es, QStringLiteral("Double Hop"));
    b.array(QStringLiteral("mnuEsDoubleHop"), QStringLiteral("mnuEsDoubleHop0"),
            S{"Calc Double Hop?", "Set Double hop Minimum QRB", "Calc 50mhz double hop?",
              "Calc 70mhz double hop?", "Calc 144mhz double hop?"},
            {2, 3, 4}, {0});
    b.separator(QStringLiteral("es_space5"), es);
    b.menu(QStringLiteral("mnuEsQrb0"), es, QStringLiteral("Min - Max QRBs"));
    b.array(QStringLiteral("mnuEsQrb"), QStringLiteral("mnuEsQrb0"),
            S{"Count all 2m spots 045><065 and 260><340 as ES?", "6m minimum QRB", "4m minimum QRB",
              "2m minimum QRB", "Max 6m ES QRB", "Show ES Contacts > 5000km from you?"},
            {}, {0, 5});
    b.separator(QStringLiteral("es_space6"), es);
    const QString esMisc = QStringLiteral("mnuEsMisc");
    b.menu(esMisc, es, QStringLiteral("Miscellaneous"));
    b.check(QStringLiteral("mnuEsCalc50mhzFiltered"), esMisc,
            QStringLiteral("Calc ES spots even if filtered"));
    b.separator(QStringLiteral("es_space8"), esMisc);
    b.check(QStringLiteral("mnuEsJt65"), esMisc, QStringLiteral("Count 144.100 to 144.150 as JT65?"));
    b.separator(QStringLiteral("es_space9"), esMisc);
    b.command(QStringLiteral("mnufrmMUF"), esMisc, QStringLiteral("Hand MUF Calc"));
    b.command(QStringLiteral("mnuMufCopyText"), es, QStringLiteral("Copy Selected Text"), {}, true);

    const QString dde = QStringLiteral("mnuDDE0");
    b.menu(dde, {}, QStringLiteral("DDE"));
    b.array(QStringLiteral("mnuDDE"), dde, S{"Setup DDE Link to Log", "DDE Link to Log?"}, {1});

    const QString map = QStringLiteral("mnuMapOptions");
    b.menu(map, {}, QStringLiteral("&Map Options"));
    b.checkArray(
        QStringLiteral("mnuMap"), map,
        S{"Enable Mapping", "Lines?", "Point?", "Centre?", "Your Path?", "Live Spots?", "Only Today?"});
    b.check(QStringLiteral("mnuMapLastHour"), map, QStringLiteral("Only Last Hour?"));
    b.separator(QStringLiteral("map0"), map);
    b.menu(QStringLiteral("mnuMapMufFreq0"), map, QStringLiteral("MUF / FREQ Options"));
    b.array(QStringLiteral("mnuMapMufFreq"), QStringLiteral("mnuMapMufFreq0"),
            S{"No of Spots to show", "Spot Frequency", "Min MUF", "Max MUF"});
    b.separator(QStringLiteral("map1"), map);
    const QString draw = QStringLiteral("mnuMapDraw0");
    b.menu(draw, map, QStringLiteral("Draw Options"));
    b.array(QStringLiteral("mnuMapDraw"), draw,
            S{"Draw", "Draw (With Date)", "Clear", "Save Full bitmap", "Save Small bitmap", "Sticky Map"},
            {5});
    b.check(QStringLiteral("mnuMapDrawForce"), draw, QStringLiteral("Enable 100% process to mapping"));
    b.command(QStringLiteral("mnuMapSingleSpot"), map, QStringLiteral("Load Single Spot Map"));
    b.command(QStringLiteral("mnuMapLoadAverage"), map, QStringLiteral("Load Average MUF Map"));

    const QString filters = QStringLiteral("mnuDxcFilters0");
    b.menu(filters, {}, QStringLiteral("DXC Filters"));
    b.checkArray(QStringLiteral("mnuDxcFilters"), filters, S{"Use Filters?", "See announce?"});
    b.separator(QStringLiteral("filt0"), filters);
    const QString hf = QStringLiteral("mnuFilterHF0");
    b.menu(hf, filters, QStringLiteral("HF"));
    b.array(QStringLiteral("mnuFilterHFAll"), hf, S{"All HF?", "No HF?"});
    b.checkArray(QStringLiteral("mnuFilterHF"), hf,
                 S{"LF spots?", "160m spots?", "80m spots?", "40m spots?", "30m spots?", "20m spots?",
                   "17m Spots?", "15m spots?", "12m spots?", "10m spots?"});
    b.separator(QStringLiteral("filt1"), filters);
    const QString vhf = QStringLiteral("mnuFilterVHF0");
    b.menu(vhf, filters, QStringLiteral("VHF"));
    b.array(QStringLiteral("mnuFilterVHFAll"), vhf, S{"All VHF?", "No VHF?"});
    b.checkArray(QStringLiteral("mnuFilterVHF"), vhf,
                 S{"50mhz spots?", "70mhz spots?", "144mhz spots?", "220mhz Spots?"});
    b.separator(QStringLiteral("filt2"), filters);
    const QString uhf = QStringLiteral("mnuFilterUHF0");
    b.menu(uhf, filters, QStringLiteral("UHF +"));
    b.array(QStringLiteral("mnuFilterUHFAll"), uhf, S{"All UHF?", "No UHF?"});
    b.checkArray(QStringLiteral("mnuFilterUHF"), uhf,
                 S{"432mhz spots?", "1.3ghz", "2.3ghz", "5ghz", "10ghz", "Above 10ghz"});
    b.separator(QStringLiteral("filt3"), filters);
    const QString misc = QStringLiteral("mnuFilterMisc0");
    b.menu(misc, filters, QStringLiteral("Miscellaneous "));
    b.checkArray(QStringLiteral("mnuFilterMisc"), misc, S{"Ignore all spots 144.350>399"});

    const QString tabs = QStringLiteral("mnuTab0");
    b.menu(tabs, {}, QStringLiteral("Tabs"));
    b.array(QStringLiteral("mnuTab"), tabs,
            S{"DXC", "MUF SPOTS", "VHF+ SPOTS", "WWC", "ANALYSIS", "MUF MAP", "BBS"});

    const QString spider = QStringLiteral("mnuSpider");
    b.menu(spider, {}, QStringLiteral("DX Spider"), true);
    b.check(QStringLiteral("mnuSpiderHelp"), spider, QStringLiteral("View only help on cmd"));
    b.check(QStringLiteral("mnuSpiderBBS"), spider, QStringLiteral("Use BBS Window"));
    b.separator(QStringLiteral("mnuSpid0"), spider);
    b.command(QStringLiteral("mnuReloadSpiderCommands"), spider,
              QStringLiteral("Load Commands from text file"));
    b.separator(QStringLiteral("mnuSpid1"), spider);
    const QStringList spiderCaptions{"ACCEPT",  "ANNOUNCE",     "CLEAR", "DB",    "DELETE",      "EXPORT",
                                     "FORWARD", "KILL",         "LOAD",  "MISC",  "REJECT",      "SET",
                                     "SHOW",    "SHOW (SYSOP)", "STAT",  "UNSET", "USER DEFINED"};
    const QList<QString>& arrays = spiderMenuArrays();
    for (int i = 0; i < arrays.size(); ++i) {
        const QString sub = arrays[i] + u'0';
        b.menu(sub, spider, spiderCaptions[i]);
        // The design item that the loaded commands replace.
        b.separator(arrays[i] + QStringLiteral("(0)"), sub);
    }
    return t;
}

} // namespace

const QList<QString>& spiderMenuArrays()
{
    static const QList<QString> names{
        QStringLiteral("mnuSpiderACCEPT"),       QStringLiteral("mnuSpiderANNOUNCE"),
        QStringLiteral("mnuSpiderCLEAR"),        QStringLiteral("mnuSpiderDB"),
        QStringLiteral("mnuSpiderDELETE"),       QStringLiteral("mnuSpiderEXPORT"),
        QStringLiteral("mnuSpiderFORWARD"),      QStringLiteral("mnuSpiderKILL"),
        QStringLiteral("mnuSpiderLOAD"),         QStringLiteral("mnuSpiderMISC"),
        QStringLiteral("mnuSpiderREJECT"),       QStringLiteral("mnuSpiderSET"),
        QStringLiteral("mnuSpiderSHOW"),         QStringLiteral("mnuSpiderSHOWSYSOP"),
        QStringLiteral("mnuSpiderSTAT"),         QStringLiteral("mnuSpiderUNSET"),
        QStringLiteral("mnuSpiderUSER_DEFINED"),
    };
    return names;
}

const QList<MenuEntry>& menuTable()
{
    static const QList<MenuEntry> table = buildTable();
    return table;
}

bool needsHandler(const MenuEntry& entry)
{
    return entry.kind == MenuKind::Item && (entry.check == CheckBehaviour::None || entry.checkHandled);
}

QStringList unboundMenuItems(const std::function<bool(const QString&)>& hasHandler)
{
    QStringList unbound;
    for (const MenuEntry& entry : menuTable()) {
        if (needsHandler(entry) && !hasHandler(entry.name)) {
            unbound.append(entry.name);
        }
    }
    return unbound;
}

const MenuEntry* findMenuEntry(const QString& name)
{
    static const QHash<QString, qsizetype> index = [] {
        QHash<QString, qsizetype> h;
        const auto& t = menuTable();
        for (qsizetype i = 0; i < t.size(); ++i) {
            h.insert(t[i].name, i);
        }
        return h;
    }();
    const auto it = index.find(name);
    return it == index.end() ? nullptr : &menuTable()[*it];
}

} // namespace zenthra
