#include "links/node_editor_window.h"

#include "core/current_node.h"
#include "core/error_log.h"
#include "platform/legacy_value.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace zenthra {

namespace {

QString indexed(const char* name, int index)
{
    return QString::fromLatin1(name) + u'(' + QString::number(index) + u')';
}

struct Variant
{
    const char* objectName;
    const char* caption;
    const char* noun;
    const char* connectLabel; // empty for the DX-cluster editor
};

Variant variantOf(NodeTable table)
{
    switch (table) {
    case NodeTable::Dxc:
        return {"frmTelnetDxc", "Telnet DXC's", "DXC", ""};
    case NodeTable::Wwc:
        return {"frmWWC", "WWC Connections", "WWC", "WWC Connection String: /n your callsign 14345"};
    case NodeTable::Bbs:
        return {"frmBBS", "BBS Connections", "BBS",
                "BBS Connection String like: PACKET # c xk4tam-7 (#=line break)"};
    }
    return {};
}

void setTips(NodeTable table, QListWidget* list, QLineEdit* const* boxes, QPushButton* const* buttons)
{
    if (table == NodeTable::Bbs) {
        return;
    }
    const QString noun = QString::fromLatin1(variantOf(table).noun);
    list->setToolTip(
        QStringLiteral("Click on a %1 to enable this as your current %1 and also to edit the details")
            .arg(noun));
    if (table == NodeTable::Dxc) {
        boxes[0]->setToolTip(QStringLiteral("This is for adding or editing a friendly name for a DXC"));
        boxes[1]->setToolTip(
            QStringLiteral("This is for adding or editing a ip or host address for a DX Cluster"));
        boxes[2]->setToolTip(QStringLiteral("This is for adding or editing a port number for a DXC"));
        boxes[3]->setToolTip(QStringLiteral("This is for adding or editing a username for a DXC"));
        boxes[4]->setToolTip(QStringLiteral("This is for adding or editing a password for a DXC"));
        buttons[0]->setToolTip(QStringLiteral("Click here to clear textboxes so you can add a new DXC"));
        buttons[1]->setToolTip(
            QStringLiteral("Click here to update DXC info if you have edited or made a new DXC "
                           "entry, remember to click on your preferred cluster after updating"));
    } else {
        boxes[0]->setToolTip(QStringLiteral("This is for adding or editing a friendly name for a WWC"));
        boxes[1]->setToolTip(QStringLiteral("This is for adding or editing a ip or host address for a WWC"));
        boxes[2]->setToolTip(QStringLiteral("This is for adding or editing a port number for a WWC"));
        boxes[5]->setToolTip(
            QStringLiteral("This is the connection text to a WWC from the clx, ie /n call channel"));
        buttons[0]->setToolTip(QStringLiteral("Click here to clear textboxes so you can add a new WWC"));
        buttons[1]->setToolTip(
            QStringLiteral("Click here to update WWC info if you have edited or made a new "
                           "WWCentry, remember to click on your preferred WWC after updating"));
    }
    buttons[2]->setToolTip(
        QStringLiteral("Click here to delete the highlighted %1 in the list....").arg(noun));
    buttons[3]->setToolTip(QStringLiteral("Exit the %1 window and return to the main window").arg(noun));
}

} // namespace

NodeEditorWindow::NodeEditorWindow(NodeTable table, Database& database, CurrentNode& node, ErrorLog& log,
                                   std::function<void(QString)> dxcWindowText, QWidget* parent)
    : QWidget(parent, Qt::Window), m_table(table), m_list(table, database), m_node(node), m_log(log),
      m_dxcWindowText(std::move(dxcWindowText)), m_dialogs(LinkDialogs::boxes(this))
{
    const Variant v = variantOf(table);
    setObjectName(QString::fromLatin1(v.objectName));
    setWindowTitle(QString::fromLatin1(v.caption));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    auto* label1 = new QLabel(
        QStringLiteral("Click on a %1 to enable this as your current %1 and also to edit the details")
            .arg(v.noun));
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);
    layout->addWidget(label1);
    m_lstDXC = new QListWidget;
    m_lstDXC->setObjectName(QStringLiteral("lstDXC"));
    m_lstDXC->setFont(QFont(QStringLiteral("Monospace")));
    layout->addWidget(m_lstDXC, 1);

    auto* grid = new QGridLayout;
    const char* captions[] = {"Friendly Name", "IP / Host Address", "Port Number",
                              "Username",      "Password",          v.connectLabel};
    for (int i = 0; i < boxCount(); ++i) {
        auto* l = new QLabel(QString::fromLatin1(captions[i]));
        l->setObjectName(indexed("lblDXC", i));
        m_txtDXC[i] = new QLineEdit;
        m_txtDXC[i]->setObjectName(indexed("txtDXC", i));
        l->setBuddy(m_txtDXC[i]);
        grid->addWidget(l, i, 0);
        grid->addWidget(m_txtDXC[i], i, 1);
    }
    // The password is shown while it is typed only.
    m_txtDXC[4]->setEchoMode(QLineEdit::PasswordEchoOnEdit);
    m_lblID = new QLabel;
    m_lblID->setObjectName(QStringLiteral("lblID"));
    grid->addWidget(m_lblID, boxCount(), 1);
    layout->addLayout(grid);

    auto* row = new QHBoxLayout;
    const char* buttonCaptions[] = {"&New", "&Update", "D&elete", "E&xit"};
    QPushButton* buttons[4];
    for (int i = 0; i < 4; ++i) {
        buttons[i] = new QPushButton(QString::fromLatin1(buttonCaptions[i]));
        buttons[i]->setObjectName(indexed("cmdControl", i));
        connect(buttons[i], &QPushButton::clicked, this, [this, i] { cmdControl_Click(i); });
        row->addWidget(buttons[i]);
    }
    layout->addLayout(row);
    setTips(table, m_lstDXC, m_txtDXC, buttons);

    connect(m_lstDXC, &QListWidget::itemClicked, this, [this] { lstDXC_Click(); });
    // A database still being opened (a slow server) is not one that failed: the list comes once
    // it opens, as after any reopening.
    connect(&database, &Database::databasesOpened, this, [this](bool ok) {
        if (ok) {
            LOAD_LIST();
        }
    });
    resize(560, 480);
    LOAD_LIST();
}

int NodeEditorWindow::boxCount() const
{
    return nodeHasConnectString(m_table) ? 6 : 5;
}

QLineEdit* NodeEditorWindow::txtDXC(int index) const
{
    return index >= 0 && index < boxCount() ? m_txtDXC[index] : nullptr;
}

QString NodeEditorWindow::titlePrefix() const
{
    switch (m_table) {
    case NodeTable::Dxc:
        return QStringLiteral("Telnet list ");
    case NodeTable::Wwc:
        return QStringLiteral("WWC list ");
    case NodeTable::Bbs:
        return QStringLiteral("BBS list ");
    }
    return {};
}

void NodeEditorWindow::failureBox(const QString& title, const SqlFailure& failure)
{
    m_dialogs.tell(QMessageBox::Critical, title, legacy::numberText(failure.number) + u' ' + failure.text);
}

NodeBoxes NodeEditorWindow::boxes() const
{
    NodeBoxes b{m_txtDXC[0]->text(), m_txtDXC[1]->text(), m_txtDXC[2]->text(),
                m_txtDXC[3]->text(), m_txtDXC[4]->text(), {}};
    if (boxCount() == 6) {
        b.connectStr = m_txtDXC[5]->text();
    }
    return b;
}

void NodeEditorWindow::setBoxes(const NodeBoxes& b)
{
    const QString values[] = {b.name, b.host, b.port, b.username, b.password, b.connectStr};
    for (int i = 0; i < boxCount(); ++i) {
        m_txtDXC[i]->setText(values[i]);
    }
}

void NodeEditorWindow::clearBoxes()
{
    m_lblID->clear();
    setBoxes({});
}

void NodeEditorWindow::LOAD_LIST()
{
    QList<NodeRecord> rows;
    SqlFailure failure;
    if (m_list.load(rows, &failure)) {
        m_lstDXC->clear();
        for (const NodeRecord& r : rows) {
            m_lstDXC->addItem(NodeList::listRow(r));
        }
        return;
    }
    if (!m_list.databaseOpen() && m_list.notOpenText().isEmpty()) {
        return; // not opened yet: loaded when it is
    }
    switch (m_table) {
    case NodeTable::Dxc:
        m_dxcWindowText(legacy::numberText(failure.number) + u' ' + failure.text +
                        QStringLiteral(" Telnet List Error"));
        if (!m_list.databaseOpen()) {
            // Spots wait in memory meanwhile, and the caption says so from the first one.
            const QString why = m_list.notOpenText();
            if (!why.isEmpty()) {
                m_dxcWindowText(QStringLiteral("The databases could not be opened: ") + why);
            }
            m_log.WRITE_ERROR_LOG(failure.number, QStringLiteral("LOAD_LIST(), FATAL DATABASE ERROR!!!!!"));
        }
        break;
    case NodeTable::Wwc:
        failureBox(QStringLiteral("WWC List Error"), failure);
        break;
    case NodeTable::Bbs:
        m_log.WRITE_ERROR_LOG(failure.number, QStringLiteral("frmBBS LOAD_LIST()"));
        break;
    }
}

void NodeEditorWindow::lstDXC_Click()
{
    const QListWidgetItem* item = m_lstDXC->currentItem();
    if (item == nullptr) {
        return;
    }
    POPULATE_TEXTBOX(NodeList::keyOfRow(item->text()));
}

void NodeEditorWindow::POPULATE_TEXTBOX(qint64 id)
{
    SqlFailure failure;
    const std::optional<NodeRecord> node = m_list.read(id, &failure);
    if (!node) {
        failureBox(titlePrefix() + QStringLiteral("POPULATE_TEXTBOX Error"), failure);
        return;
    }
    m_lblID->setText(QString::number(node->id));
    const NodeBoxes b = NodeList::boxesOf(*node);
    setBoxes(b);
    NodeList::setCurrentNode(m_table, b, m_node);
}

void NodeEditorWindow::UPDATE_DXC()
{
    const QString key = legacy::trim(m_lblID->text());
    const qint64 id = key.isEmpty() ? 0 : static_cast<qint64>(legacy::val(key));
    const NodeBoxes b = boxes();
    SqlFailure failure;
    if (!m_list.save(NodeList::recordOf(id, b), &failure)) {
        failureBox(titlePrefix() + QStringLiteral("UPDATE_DXC Error"), failure);
        return;
    }
    NodeList::setCurrentNode(m_table, b, m_node);
    clearBoxes();
    LOAD_LIST();
}

void NodeEditorWindow::DELETE_DXC(qint64 id)
{
    if (!m_dialogs.confirm(QStringLiteral("DELETE!!??"),
                           QStringLiteral("Are you sure you want to delete this???"))) {
        return;
    }
    SqlFailure failure;
    if (!m_list.remove(id, &failure)) {
        failureBox(titlePrefix() + QStringLiteral("DELETE_DXC Error"), failure);
        return;
    }
    clearBoxes();
    LOAD_LIST();
}

void NodeEditorWindow::cmdControl_Click(int index)
{
    switch (index) {
    case 0:
        clearBoxes();
        m_txtDXC[0]->setFocus();
        break;
    case 1:
        if (NodeList::updateAllowed(boxes())) {
            UPDATE_DXC();
        }
        break;
    case 2:
        if (!legacy::trim(m_lblID->text()).isEmpty()) {
            DELETE_DXC(static_cast<qint64>(legacy::val(m_lblID->text())));
        }
        break;
    case 3:
        close();
        break;
    default:
        break;
    }
}

} // namespace zenthra
