#pragma once
// The menu items that open dialogs and tool windows: "&File" (help, current settings, the
// server settings window), "Font Size?", "Make copy of Db", "Window Buffer Limit", the map's
// "MUF / FREQ Options", and the two tool windows of "ES Options", the keyword editor and the
// hand MUF calculator. Every box goes through the option
// menus' replaceable input and message boxes.

#include <QObject>
#include <QPointer>

namespace zenthra {

class Application;
class HandMufWindow;
class MainWindow;
class OptionMenus;
class SpotFilterWindow;
class SqlServerWindow;

class DialogMenus : public QObject
{
    Q_OBJECT
public:
    DialogMenus(Application& app, MainWindow& window, OptionMenus& dialogs);

    // 0 "&Help" (the help window is not there yet: nothing), 1 "Current Settings".
    void mnuFile_Click(int index);
    void SHOW_SYSTEM_SETTINGS();
    void FONT_SIZE();
    void mnuBackupDb_Click();
    void mnuWindowBuffer_Click();
    // "SQL Server Settings": shown modeless, one at a time; its Exit unloads it, so the next
    // opening shows the settings as they are then.
    void mnuSqlServer_Click();
    // 0 spot count, 1 band, 2 lowest MUF, 3 highest MUF; other indices do nothing.
    void MAPPING_SETTINGS(int index);
    // "Edit spot filter" and "Hand MUF Calc": shown modeless, one of each.
    void mnuEsSpotFilter_Click();
    void mnufrmMUF_Click();

    // The tool windows while they are open.
    SpotFilterWindow* frmSpotFilter() const;
    HandMufWindow* frmMUF() const;

private:
    Application& m_app;
    MainWindow& m_window;
    OptionMenus& m_dialogs;
    QPointer<SpotFilterWindow> m_frmSpotFilter;
    QPointer<HandMufWindow> m_frmMUF;
    QPointer<SqlServerWindow> m_frmSqlServer;
};

} // namespace zenthra
