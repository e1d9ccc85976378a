#pragma once
// frmClusterHelp: shows one of the three help files of the data folder (the manual, the DX-cluster
// help and the chat help) through our own RTF reader. A file that cannot be shown puts the error
// line into the text box instead; the window stays open.

#include <QWidget>

class QTextEdit;

namespace zenthra {

class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr double errFileNotFound = 53;
    static constexpr double errBadFile = 321; // the file is no RTF document
    static constexpr double errTooLarge = 7;  // out of memory: the file is larger than is shown
    // The largest help file shown; the shipped ones are a few kB, and a text box holding far more
    // freezes the program while it lays the text out.
    static constexpr qint64 maxFileBytes = 16 * 1024 * 1024;

    // The file each button shows, by button index (0 manual, 1 DX cluster, 2 chat).
    static QString helpFile(int index);
    // "Cluster Help  --- Zenthra V1.2.3 ---"
    static QString caption(const QString& version);

    HelpWindow(QString folder, const QString& version, QWidget* parent = nullptr);

    // 0, 1, 2: show that file; 99: close; any other index does nothing.
    void cmdHelp_Click(int index);

    // The text box's point size (the DXC window's); the shown file is laid out again.
    void setFontSize(int points);

    QTextEdit* txtHelp() const { return m_txtHelp; }

private:
    void showFile(const QString& name);

    QString m_folder;
    QString m_shown;
    QTextEdit* m_txtHelp = nullptr;
};

} // namespace zenthra
