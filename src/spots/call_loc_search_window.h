#pragma once
// frmSearchCallLoc, "Call/Loc Search": search the call/locator database by call and locator,
// or add the pair typed in. The window only gathers the texts; the work is CallLocator's.

#include <QDateTime>
#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace zenthra {

class CallLocator;
class ErrorLog;

class CallLocSearchWindow : public QWidget
{
    Q_OBJECT
public:
    // `homeLocator` and `utcNow` are read at each click; `mainWindow` gives the position.
    CallLocSearchWindow(CallLocator& calls, ErrorLog& log, std::function<QString()> homeLocator,
                        std::function<QDateTime()> utcNow, QWidget* mainWindow, int fontSize,
                        QWidget* parent = nullptr);

    void cmdSearchAdd_Click(int index);

    QLineEdit* txtSearch[2] = {};
    QLabel* lblSearch[2] = {};
    QPushButton* cmdSearchAdd[3] = {};
    QPlainTextEdit* txtSearchResults = nullptr;

private:
    CallLocator& m_calls;
    ErrorLog& m_log;
    std::function<QString()> m_homeLocator;
    std::function<QDateTime()> m_utcNow;
};

} // namespace zenthra
