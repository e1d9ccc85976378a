#pragma once
// frmMain: the program's one main window. Seven tabs of text windows with their command
// lines, the home locator and clock panel, and the menu bar built from the menu table, whose
// check marks show the options model.

#include "shell/analysis_window.h"
#include "shell/shell_view.h"

#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;

namespace zenthra {

class Application;

class MainWindow : public QMainWindow, public ShellView
{
    Q_OBJECT
public:
    explicit MainWindow(Application& app, QWidget* parent = nullptr);
    ~MainWindow() override;

    // A menu item, separator or (sub)menu by its name in the menu table ("mnuWwc(7)").
    QAction* menuItem(const QString& name) const;
    QMenu* menu(const QString& name) const;
    // Sets what a click on the item does, in place of flipping its check mark; the subsystem
    // that owns the item's action registers it. The item's check mark is then whatever the
    // options model holds after the handler ran. A name that is no item of the menu table is a
    // programming error: refused, logged, and a debug build stops.
    void setMenuHandler(const QString& name, std::function<void()> handler);
    bool hasMenuHandler(const QString& name) const { return m_handlers.contains(name); }
    // The items whose click would do nothing, or only flip a check mark that needs more, because
    // no subsystem bound their handler. Empty once the window is built; start-up logs any.
    QStringList unboundMenuItems() const;

    QTabWidget* tabSporadic() const { return m_tabSporadic; }
    // The text views, command lines and buttons the menus and the spot road hang their work on.
    QPlainTextEdit* TBCluster() const { return m_TBCluster; }
    // 0 MUF SPOTS, 1 VHF+ SPOTS, 2 WWC, 3 ANALYSIS, 4 BBS, 5 the DXC pane above the WWC window.
    QPlainTextEdit* txtDataRetrieval(int index) const;
    QComboBox* txtDxCommand() const { return m_txtDxCommand; }
    QComboBox* txtWwcCommand() const { return m_txtWwcCommand; }
    QLineEdit* txtBbsCommand() const { return m_txtBbsCommand; }
    QCheckBox* chkWWCtoDXC() const { return m_chkWWCtoDXC; }
    QLineEdit* txtHomeLoc() const { return m_txtHomeLoc; }
    QPushButton* cmdSaveAnalysis() const { return m_cmdSaveAnalysis; }
    const AnalysisControls& analysisControls() const { return m_analysisControls; }
    QPushButton* cmdClearWindows() const { return m_cmdClearWindows; }
    // The "DEBUG" button.
    QPushButton* Command1() const { return m_Command1; }
    // What entering a tab does (the map shown only on its own tab, focus to the command line).
    void TAB_EVENTS(int tab);

    // ShellView
    TwipsRect geometryTwips() const override;
    void setHeightTwips(float twips) override;
    void setWidthTwips(float twips) override;
    void setTopTwips(float twips) override;
    void setLeftTwips(float twips) override;
    TwipsRect fitToScreens(const TwipsRect& wanted, const TwipsPoint& defaultPlace) const override;

    void setNormalState() override;
    void showAndSettle() override;
    void applyFontSize(int points) override;
    void setSplitView(bool on) override;
    bool splitView() const { return m_splitOn; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void changeOuter(const std::function<void(QRect&)>& change);
    void buildMenus();
    QWidget* buildTabs();
    QWidget* buildPanel();
    void onMenuTriggered(const QString& name);
    void txtHomeLoc_Change();
    void setOuterGeometry(const QRect& outer);
    int toPixels(float twips, bool horizontal) const;
    float toTwips(int pixels, bool horizontal) const;

    Application& m_app;
    QHash<QString, QAction*> m_actions;
    QHash<QString, QMenu*> m_menus;
    QHash<QString, std::function<void()>> m_handlers;

    QTabWidget* m_tabSporadic = nullptr;
    QPlainTextEdit* m_TBCluster = nullptr;
    QPlainTextEdit* m_txtDataRetrieval[6] = {};
    QSplitter* m_cmdWwcPageSplitter = nullptr;
    QComboBox* m_txtDxCommand = nullptr;
    QComboBox* m_txtWwcCommand = nullptr;
    QCheckBox* m_chkWWCtoDXC = nullptr;
    QLineEdit* m_txtBbsCommand = nullptr;
    QLineEdit* m_txtHomeLoc = nullptr;
    QLineEdit* m_txtdbCall = nullptr;
    QLineEdit* m_txtdbLoc = nullptr;
    QPushButton* m_upDateDb = nullptr;
    QPushButton* m_cmdSaveAnalysis = nullptr;
    AnalysisControls m_analysisControls;
    QPushButton* m_cmdClearWindows = nullptr;
    QPushButton* m_Command1 = nullptr;
    QLabel* m_lblUtcTime = nullptr;
    bool m_splitOn = false;
    // The outer geometry set while the window was hidden, in pixels.
    QRect m_outer;
    bool m_outerPending = false;
};

} // namespace zenthra
