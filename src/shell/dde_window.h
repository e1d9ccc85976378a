#pragma once
// frmLinkToLogger, "DDE to Logger": where the user names the logging program's address, topic
// and item. The names are case-sensitive at the logging program's end, and the labels say so.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zenthra {

class OptionsModel;

class LinkToLoggerWindow : public QDialog
{
    Q_OBJECT
public:
    // Filled from the options; placed at the main window's top left corner.
    LinkToLoggerWindow(OptionsModel& options, QWidget* mainWindow);

    QLineEdit* txtPoker(int index) const { return m_txtPoker[index]; }
    QLabel* lblPoker(int index) const { return m_lblPoker[index]; }
    QPushButton* cmdPoker(int index) const { return m_cmdPoker[index]; }

    // 0 "&Update": the three boxes, trimmed, become the link settings; 1 "E&xit": unloads.
    void cmdPoker_Click(int index);

private:
    OptionsModel& m_options;
    QLabel* m_lblPoker[3] = {};
    QLineEdit* m_txtPoker[3] = {};
    QPushButton* m_cmdPoker[2] = {};
};

} // namespace zenthra
