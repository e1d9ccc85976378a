#pragma once
// The node-list editors: frmTelnetDxc (DX-cluster nodes), frmWWC (chat nodes) and frmBBS (BBS
// nodes), one design in three variants. Choosing a node in the list, or saving one, makes it the
// link's current node.

#include "links/link_dialogs.h"
#include "links/node_list.h"

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace zenthra {

class ErrorLog;
struct CurrentNode;

class NodeEditorWindow : public QWidget
{
    Q_OBJECT
public:
    // `dxcWindowText` appends a line to the DXC window: the DX-cluster editor reports there when
    // its list cannot be filled. The list is filled at once (the window's load).
    NodeEditorWindow(NodeTable table, Database& database, CurrentNode& node, ErrorLog& log,
                     std::function<void(QString)> dxcWindowText, QWidget* parent = nullptr);

    void setDialogs(LinkDialogs dialogs) { m_dialogs = std::move(dialogs); }

    void LOAD_LIST();
    void lstDXC_Click();
    void POPULATE_TEXTBOX(qint64 id);
    void UPDATE_DXC();
    void DELETE_DXC(qint64 id);
    void cmdControl_Click(int index);

    QListWidget* lstDXC() const { return m_lstDXC; }
    QLineEdit* txtDXC(int index) const;
    QLabel* lblID() const { return m_lblID; }

private:
    NodeBoxes boxes() const;
    void setBoxes(const NodeBoxes& b);
    void clearBoxes();
    int boxCount() const;
    // The failure box with its title, prompt "number description".
    void failureBox(const QString& step, const SqlFailure& failure);
    QString titlePrefix() const;

    NodeTable m_table;
    NodeList m_list;
    CurrentNode& m_node;
    ErrorLog& m_log;
    std::function<void(QString)> m_dxcWindowText;
    LinkDialogs m_dialogs;

    QListWidget* m_lstDXC = nullptr;
    QLineEdit* m_txtDXC[6] = {};
    QLabel* m_lblID = nullptr;
};

} // namespace zenthra
