#pragma once
// The node list imports' windows: frmDxcImport, frmWwcImport and frmBbsImport. The user types the
// login every imported node gets (and the chat channel or the BBS connection string), then IMPORT
// reads the list file of the data folder into the node table. A long list is imported a slice at
// a time between events, so the program stays alive; closing the window stops the import, keeping
// the rows done.

#include "links/link_dialogs.h"
#include "links/node_import.h"

#include <QWidget>

#include <memory>

class QLineEdit;
class QPushButton;

namespace zenthra {

class NodeImportWindow : public QWidget
{
    Q_OBJECT
public:
    NodeImportWindow(NodeTable table, Database& database, QString folder, QWidget* parent = nullptr);
    ~NodeImportWindow() override;

    void setDialogs(LinkDialogs dialogs) { m_dialogs = std::move(dialogs); }

    // Starts the import; the result box comes when it has run through (IMPORT is disabled meanwhile).
    void cmdImport_Click();
    bool importRunning() const { return m_run != nullptr; }
    void lblHelp_Click();
    // The chat import's channel box kept a whole number.
    void txtChannel_Change();

    QLineEdit* txtUsername() const { return m_txtUsername; }
    QLineEdit* txtPassword() const { return m_txtPassword; }
    QLineEdit* txtChannel() const { return m_txtChannel; }

private:
    void importSlice();
    void importEnded();

    NodeTable m_table;
    Database& m_database;
    QString m_folder;
    LinkDialogs m_dialogs;
    QLineEdit* m_txtUsername = nullptr;
    QLineEdit* m_txtPassword = nullptr;
    QLineEdit* m_txtChannel = nullptr;
    QPushButton* m_cmdImport = nullptr;
    std::unique_ptr<NodeImportRun> m_run;
};

} // namespace zenthra
