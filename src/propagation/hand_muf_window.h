#pragma once
// frmMUF, the hand MUF calculator window: mirrors the HandMuf logic, which holds every text it
// shows. It loads handmuf.dat when created and writes it when closed; closing deletes it.

#include "propagation/hand_muf.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zenthra {

class DataFolder;
class ErrorLog;
class Prompter;
class OptionsModel;

class HandMufWindow : public QMainWindow
{
    Q_OBJECT
public:
    HandMufWindow(const OptionsModel& options, ErrorLog& log, const DataFolder& folder, Prompter& dialogs,
                  QWidget* mainWindow);
    ~HandMufWindow() override;

    HandMuf& calculator() { return m_muf; }
    void focusFromBox();

    // cmdCalcMUF(0) "&Calculate", (1) the hop button, (2) "C&lear".
    void cmdCalcMUF_Click(int index);
    void mnuEsLayer_Click();
    void mnuMASL_Click();
    void mnuDefaults_Click();
    void mnu2xHopQrb_Click();
    void mnuHelp_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Boxes into the logic, and everything the logic holds back onto the window.
    void takeBoxes();
    void refresh(HandMuf::Focus focus);
    void showAll();
    void txtFreq_Change();

    HandMuf m_muf;
    QString m_settingsPath;
    Prompter& m_dialogs;
    bool m_saved = false;

    QLineEdit* m_txtFromLoc = nullptr;
    QLineEdit* m_txtToLoc = nullptr;
    QLineEdit* m_txtHomeLoc = nullptr;
    QLineEdit* m_txtFreq = nullptr;
    QLabel* m_lblEsLayerHeight = nullptr;
    QLabel* m_lblMASL = nullptr;
    QLabel* m_lblAZResult = nullptr;
    QLabel* m_lblAzResult2 = nullptr;
    QLabel* m_lblMidPoint = nullptr;
    QLabel* m_lblMUFqth = nullptr;
    QLabel* m_lblMUFqth2 = nullptr;
    QLabel* m_lblFOT = nullptr;
    QPushButton* m_cmdCalcMUF[3] = {};
    QAction* m_mnuCalc2xHop = nullptr;
};

} // namespace zenthra
