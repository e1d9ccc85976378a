#pragma once
// The node list imports' windows: frmDxcImport, frmWwcImport and frmBbsImport. The user types the
// login every imported node gets (and the chat channel or the BBS connection string), then IMPORT
// reads the list file of the data folder into the node table.

#include "links/link_dialogs.h"
#include "links/node_import.h"

#include <QWidget>

class QLineEdit;

namespace zenthra {

class NodeImportWindow : public QWidget
{
    Q_OBJECT
public:
    NodeImportWindow(NodeTable table, Database& database, QString folder, QWidget* parent = nullptr);

    void setDialogs(LinkDialogs dialogs) { m_dialogs = std::move(dialogs); }

    void cmdImport_Click();
    void lblHelp_Click();
    // The chat import's channel box kept a whole number.
    void txtChannel_Change();

    QLineEdit* txtUsername() const { return m_txtUsername; }
    QLineEdit* txtPassword() const { return m_txtPassword; }
    QLineEdit* txtChannel() const { return m_txtChannel; }

private:
    NodeTable m_table;
    Database& m_database;
    QString m_folder;
    LinkDialogs m_dialogs;
    QLineEdit* m_txtUsername = nullptr;
    QLineEdit* m_txtPassword = nullptr;
    QLineEdit* m_txtChannel = nullptr;
};

} // namespace zenthra
