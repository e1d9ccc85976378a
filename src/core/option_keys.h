#pragma once
// The names of the menu items that code reaches: the check marks the options model holds and the
// commands and menus the windows hang their handlers on. The strings are the items' object names
// and the settings file means them: a key's string never changes, only its constant's name may.
// The comment beside each key is the item's caption.

#include <QList>
#include <QString>

namespace zenthra::keys {

// "DXC" menu
inline const QString dxcMenu = QStringLiteral("mnuDxc0");
// The control array at the top: Edit Available DXC's, Import DXCs from dxc.csv, Auto CLX?, Set auto
// DXC reconnect timer, Connect, Disconnect, Disable window auto Scroll, DXC Status, Send command (0-8).
QString dxc(int index);
inline const QString autoClx = QStringLiteral("mnuDxc(2)");                  // Auto CLX?
inline const QString noAutoScroll = QStringLiteral("mnuDxc(6)");             // Disable window auto Scroll
inline const QString dxcLimitChar = QStringLiteral("mnuDxcLimitChar");       // Limit spot info to 27 char?
inline const QString dxcEcho = QStringLiteral("mnuDxcEcho");                 // Echo DXC input?
inline const QString dxcClearHistory = QStringLiteral("mnuDxcClearHistory"); // Clear DXC History
// Show DXC in seperate window?
inline const QString dxcSeparateWindow = QStringLiteral("mnuDxcSeperateWindow");
inline const QString dxcAlwaysOnTop = QStringLiteral("mnuDxcAlwaysOnTop"); // Always on top?
inline const QString dxSpiderView = QStringLiteral("mnuDxSpiderView");     // View DX Spider menu?
inline const QString dxcCopyText = QStringLiteral("mnuDxcCopyTxt");        // Copy Selected Text
// "DXC Commands": Talk, Show DX, Users, WWV, Announce, Show Announce (0-5).
QString dxcCommand(int index);

// "WWC" menu
inline const QString wwcMenu = QStringLiteral("mnuWwc0");
// The control array at the top: Edit Available WWC's, Import WWC from wwc.csv, Reconnect WWC with
// DXC?, Start WWC with program?, Connect, Disconnect, WWC Status, See DXC window in WWC?, Send
// Command (0-8).
QString wwc(int index);
inline const QString wwcReconnectWithDxc = QStringLiteral("mnuWwc(2)");      // Reconnect WWC with DXC?
inline const QString wwcStartWithProgram = QStringLiteral("mnuWwc(3)");      // Start WWC with program?
inline const QString wwcSeeDxcWindow = QStringLiteral("mnuWwc(7)");          // See DXC window in WWC?
inline const QString wwcEcho = QStringLiteral("mnuWwcEcho");                 // Echo WWC Input?
inline const QString wwcClearHistory = QStringLiteral("mnuClearWwcHistory"); // Clear WWC history
// Show WWC in seperate window?
inline const QString wwcSeparateWindow = QStringLiteral("mnuWWcSeperateWindow");
inline const QString wwcAlwaysOnTop = QStringLiteral("mnuWwcAlwaysOnTop"); // always on top?
inline const QString wwcPlaySound = QStringLiteral("mnuWwcPlaySound"); // Play sound on incoming private msg
// Play sound on rxing last 3 letters of your call
inline const QString wwcPlaySoundOnCall = QStringLiteral("mnuWwcPlaySound2");
// Popup window when incoming private message
inline const QString wwcPopupMessage = QStringLiteral("mnuWwcPopupMessage");
// Show all messages to your call?
inline const QString wwcShowAllMessages = QStringLiteral("mnuWwcPopupMessage2");
inline const QString wwcPopupTopWin = QStringLiteral("mnuWwcPopupTopWin"); // Force popup to top?
// Enable dbl left click/highlight to send /msg
inline const QString wwcMsgText = QStringLiteral("mnuWwcMsgTxt");
inline const QString wwcCopyText = QStringLiteral("mnuWwcCopyTxt"); // Copy Selected Text
// "WWC Commands": Users, message, Set Away Text, Away, Not Away, Set Personal Text, Send Personal
// Text (0-6).
QString wwcCommand(int index);

// "BBS" menu
inline const QString bbsMenu = QStringLiteral("mnuBBS0");
// The control array at the top: Edit Available BBS's, Import BBS from bbs.csv, Connect, Disconnect,
// BBS Status, Send Command (0-5).
QString bbs(int index);
// "BBS Commands": BBS Users, Show Nodes, Show Links, Find User, Connect cmd, Destinations (0-5).
QString bbsCommand(int index);
inline const QString bbsEcho = QStringLiteral("mnuBBSEcho"); // Echo BBS Input?
// Enable dbl left click/highlight to send /msg
inline const QString bbsMsgText = QStringLiteral("mnuBbsMsgTxt");

// "File" menu
inline const QString help = QStringLiteral("mnuFile(0)");            // &Help
inline const QString currentSettings = QStringLiteral("mnuFile(1)"); // Current Settings
inline const QString saveSettings = QStringLiteral("mnuFile(2)");    // Save Settings
inline const QString restoreScreen = QStringLiteral("mnuFile(3)");   // Restore Screen
inline const QString exitProgram = QStringLiteral("mnuFile(4)");     // E&xit
inline const QString sqlServer = QStringLiteral("mnuSqlServer");     // SQL Server Settings

// "Options" menu
inline const QString optionsMenu = QStringLiteral("mnuOptions");
inline const QString calcVhf = QStringLiteral("chkCalcVHF");               // Calc VHF?
inline const QString logVhfToDb = QStringLiteral("chkLogAll");             // Log VHF spots to db?
inline const QString logHfToDb = QStringLiteral("chkCalcHF");              // Log HF spots to db?
inline const QString logHiddenHfToDb = QStringLiteral("chkCalcHF_Hidden"); // Log Hidden HF spots to db?
inline const QString announceToDb = QStringLiteral("mnuAnnToDb");          // Log announce to Db
inline const QString fontSize = QStringLiteral("mnuFontSize");             // Font Size?
inline const QString backupDb = QStringLiteral("mnuBackupDb");             // Make copy of Db
inline const QString windowBuffer = QStringLiteral("mnuWindowBuffer");     // Window Buffer Limit
// Update DX Database from mini.mdb
inline const QString miniUpdateDxDatabase = QStringLiteral("mnuMiniUpdateDxDatabase");
// Search the Call / Loc database
inline const QString searchCallLocDatabase = QStringLiteral("mnuSearchCallLocDatabase");
inline const QString vhfCopyText = QStringLiteral("mnuVhfCopyText"); // Copy Selected Text
// "DX Alarms": 0 "Enable Bell?", then ES, AU, FAI, IONO, EME, F2, MS and TROPO "Bell?" (0-8).
QString bellByMode(int index);
// "Save Window to file": Save DXC, MUF, VHF, WWC, BBS Window (0-4).
QString windowSaved(int index);

// "ES Options" menu, a control array: items 0-3 are the check marks below, 4 "E Layer Height",
// 5 "MASL", 6 "Bell MUF Start Point (ES)".
inline const QString esMenu = QStringLiteral("mnuEsOptions0");
QString esOptions(int index);
inline const QString calcEs = QStringLiteral("mnuEsOptions(0)");       // Calc es?
inline const QString logEsToDb = QStringLiteral("mnuEsOptions(1)");    // Log es to DB?
inline const QString countJt6m = QStringLiteral("mnuEsOptions(2)");    // Count spots 50220-300 as JT6M?
inline const QString countWsjt = QStringLiteral("mnuEsOptions(3)");    // Count spots 144345-400 as WSJT?
inline const QString esSpotFilter = QStringLiteral("mnuEsSpotFilter"); // Edit spot filter
// "Double Hop", a control array: 1 is "Set Double hop Minimum QRB".
QString esDoubleHop(int index);
inline const QString calcDoubleHop = QStringLiteral("mnuEsDoubleHop(0)"); // Calc Double Hop?
inline const QString doubleHop50 = QStringLiteral("mnuEsDoubleHop(2)");   // Calc 50mhz double hop?
inline const QString doubleHop70 = QStringLiteral("mnuEsDoubleHop(3)");   // Calc 70mhz double hop?
inline const QString doubleHop144 = QStringLiteral("mnuEsDoubleHop(4)");  // Calc 144mhz double hop?
// "Min - Max QRBs", a control array: 1-4 ask the 6m, 4m and 2m minimum and the 6m maximum QRB.
QString esQrb(int index);
// Count all 2m spots 045><065 and 260><340 as ES?
inline const QString es2mWindows = QStringLiteral("mnuEsQrb(0)");
inline const QString esBeyond5000 = QStringLiteral("mnuEsQrb(5)"); // Show ES Contacts > 5000km from you?
// Calc ES spots even if filtered
inline const QString esCalcFiltered = QStringLiteral("mnuEsCalc50mhzFiltered");
inline const QString countJt65 = QStringLiteral("mnuEsJt65");        // Count 144.100 to 144.150 as JT65?
inline const QString handMuf = QStringLiteral("mnufrmMUF");          // Hand MUF Calc
inline const QString mufCopyText = QStringLiteral("mnuMufCopyText"); // Copy Selected Text

// "DDE" menu
inline const QString ddeSetup = QStringLiteral("mnuDDE(0)"); // Setup DDE Link to Log
inline const QString ddeLink = QStringLiteral("mnuDDE(1)");  // DDE Link to Log?

// "Map Options" menu
inline const QString enableMapping = QStringLiteral("mnuMap(0)");      // Enable Mapping
inline const QString mapLines = QStringLiteral("mnuMap(1)");           // Lines?
inline const QString mapPoint = QStringLiteral("mnuMap(2)");           // Point?
inline const QString mapCentre = QStringLiteral("mnuMap(3)");          // Centre?
inline const QString mapYourPath = QStringLiteral("mnuMap(4)");        // Your Path?
inline const QString mapLiveSpots = QStringLiteral("mnuMap(5)");       // Live Spots?
inline const QString mapOnlyToday = QStringLiteral("mnuMap(6)");       // Only Today?
inline const QString mapLastHour = QStringLiteral("mnuMapLastHour");   // Only Last Hour?
inline const QString stickyMap = QStringLiteral("mnuMapDraw(5)");      // Sticky Map
inline const QString mapDrawForce = QStringLiteral("mnuMapDrawForce"); // Enable 100% process to mapping
// "MUF / FREQ Options": No of Spots to show, Spot Frequency, Min MUF, Max MUF (0-3).
QString mapMufFreq(int index);
// The menu itself, and "Draw Options": Draw, Draw (With Date), Clear, Save Full bitmap, Save Small
// bitmap (0-4; 5 is stickyMap).
inline const QString mapOptions = QStringLiteral("mnuMapOptions");
QString mapDraw(int index);
inline const QString mapSingleSpot = QStringLiteral("mnuMapSingleSpot");   // Load Single Spot Map
inline const QString mapLoadAverage = QStringLiteral("mnuMapLoadAverage"); // Load Average MUF Map

// "DXC Filters" menu
inline const QString useFilters = QStringLiteral("mnuDxcFilters(0)");  // Use Filters?
inline const QString seeAnnounce = QStringLiteral("mnuDxcFilters(1)"); // See announce?
// "HF": LF, 160m, 80m, 40m, 30m, 20m, 17m, 15m, 12m, 10m "spots?" (0-9).
QString filterHF(int index);
// "VHF": 50mhz, 70mhz, 144mhz, 220mhz "spots?" (0-3).
QString filterVHF(int index);
// "UHF +": 432mhz spots?, 1.3ghz, 2.3ghz, 5ghz, 10ghz, Above 10ghz (0-5).
QString filterUHF(int index);
// The "All ...?" (0) and "No ...?" (1) commands above each band group.
QString filterHFAll(int index);
QString filterVHFAll(int index);
QString filterUHFAll(int index);
inline const QString ignore144350to399 = QStringLiteral("mnuFilterMisc(0)"); // Ignore all spots 144.350>399

// "Tabs" menu: DXC, MUF SPOTS, VHF+ SPOTS, WWC, ANALYSIS, MUF MAP, BBS (0-6).
QString tab(int index);

// "DX Spider" menu
inline const QString spiderMenu = QStringLiteral("mnuSpider");
inline const QString spiderHelp = QStringLiteral("mnuSpiderHelp"); // View only help on cmd
inline const QString spiderBbs = QStringLiteral("mnuSpiderBBS");   // Use BBS Window
inline const QString reloadSpiderCommands =
    QStringLiteral("mnuReloadSpiderCommands"); // Load Commands from text file

// Every check mark above, the indexed ones spelt out: the items the options model knows.
const QList<QString>& checkMarks();

} // namespace zenthra::keys
