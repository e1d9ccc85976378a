#pragma once
// The "DX Spider" menu: its seventeen command submenus built from the command table, the item that
// imports spider_menu.txt, the item of the DXC menu that shows or hides it, and what a command
// click does. A click puts the command into the DXC (or BBS) command line for the user to complete
// and send; only with "View only help on cmd" ticked does it send the node a HELP query at once.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QAction;

namespace zenthra {

class DataFolder;
class ErrorLog;
class Links;
class MainWindow;
class OptionsModel;
class Prompter;
class SpiderTable;
class TextWindows;

// The stored type of each command submenu, in menu order ("MNUSPIDERACCEPT" ...).
QStringList spiderTypeWords();

class SpiderMenus : public QObject
{
    Q_OBJECT
public:
    struct Services
    {
        OptionsModel& options;
        TextWindows& windows;
        Links& links;
        ErrorLog& log;
        SpiderTable& table;
        const DataFolder& folder;
        Prompter& dialogs;
    };

    static constexpr const char* importedText = " DX Spider commands were successfully imported to Zenthra";
    static constexpr const char* importResultTitle = "Import result";
    static constexpr const char* importErrorTitle = "Import Error";

    SpiderMenus(MainWindow& window, Services services);

    // Fills the target command line with the command and a blank, or (help mode) shows the banner
    // and sends "HELP " + command to the target node.
    void DXSPIDER_COMMANDS(const QString& cmd);
    // "Load Commands from text file": imports spider_menu.txt from the data folder and reports.
    void IMPORT_SPIDER_COMMANDS();
    // "View DX Spider menu?": flips the mark and shows or hides the menu with it.
    void mnuDxSpiderView_Click();

private:
    // Makes the items of every submenu match the table's groups, reusing the items there are.
    void rebuild();

    MainWindow& m_window;
    Services m_services;
    QList<QList<QAction*>> m_items;
};

} // namespace zenthra
