#include "links/node_import_window.h"

#include "platform/legacy_value.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace zenthra {

namespace {

// Long enough for thousands of rows, short enough that the window answers between slices.
constexpr std::chrono::milliseconds importSliceTime{40};

struct Variant
{
    const char* objectName;
    const char* caption;
    const char* notice;
    const char* boxCaptions[3];
    int longest[3]; // 0: no limit
};

Variant variantOf(NodeTable table)
{
    switch (table) {
    case NodeTable::Dxc:
        return {"frmDxcImport",
                "ZENTHRA DXC IMPORT",
                "Enter the Callsign and password you want to use for all DXC then click import",
                {"Callsign", "Password", nullptr},
                {16, 16, 0}};
    case NodeTable::Wwc:
        return {
            "frmWwcImport",
            "ZENTHRA WWC IMPORT",
            "Enter the callsign, password and select channel you want to use for all WWC then click import",
            {"Callsign", "Password", "Channel"},
            {16, 16, 5}};
    case NodeTable::Bbs:
        return {"frmBbsImport",
                "ZENTHRA BBS IMPORT",
                "Enter the username, password and select connect string you want to use for all BBS then "
                "click import",
                {"Username", "Password", "Connection String:"},
                {0, 0, 60}};
    }
    return {};
}

} // namespace

NodeImportWindow::NodeImportWindow(NodeTable table, Database& database, QString folder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_table(table), m_database(database), m_folder(std::move(folder)),
      m_dialogs(LinkDialogs::boxes(this))
{
    const Variant v = variantOf(table);
    setObjectName(QString::fromLatin1(v.objectName));
    setWindowTitle(QString::fromLatin1(v.caption));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    auto* notice = new QLabel(QString::fromLatin1(v.notice));
    notice->setObjectName(QStringLiteral("lblNotify"));
    notice->setWordWrap(true);
    layout->addWidget(notice);

    auto* grid = new QGridLayout;
    QLineEdit** boxes[] = {&m_txtUsername, &m_txtPassword, &m_txtChannel};
    const char* names[] = {"txtUsername", "txtPassword", "txtChannel"};
    for (int i = 0; i < 3 && v.boxCaptions[i] != nullptr; ++i) {
        auto* box = new QLineEdit;
        box->setObjectName(QString::fromLatin1(names[i]));
        if (v.longest[i] > 0) {
            box->setMaxLength(v.longest[i]);
        }
        auto* label = new QLabel(QString::fromLatin1(v.boxCaptions[i]));
        label->setBuddy(box);
        grid->addWidget(label, i, 0);
        grid->addWidget(box, i, 1);
        *boxes[i] = box;
    }
    layout->addLayout(grid);
    if (table == NodeTable::Wwc) {
        m_txtChannel->setText(QStringLiteral("14345"));
        connect(m_txtChannel, &QLineEdit::textChanged, this, &NodeImportWindow::txtChannel_Change);
    }

    auto* row = new QHBoxLayout;
    auto* help = new QLabel(QStringLiteral("<a href=\"help\">Help</a>"));
    help->setObjectName(QStringLiteral("lblHelp"));
    connect(help, &QLabel::linkActivated, this, &NodeImportWindow::lblHelp_Click);
    row->addWidget(help);
    row->addStretch(1);
    auto* import = new QPushButton(QStringLiteral("&IMPORT"));
    import->setObjectName(QStringLiteral("cmdImport"));
    connect(import, &QPushButton::clicked, this, &NodeImportWindow::cmdImport_Click);
    m_cmdImport = import;
    auto* exit = new QPushButton(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("cmdExit"));
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    row->addWidget(import);
    row->addWidget(exit);
    layout->addLayout(row);
}

NodeImportWindow::~NodeImportWindow()
{
    if (m_run) {
        QGuiApplication::restoreOverrideCursor();
    }
}

void NodeImportWindow::cmdImport_Click()
{
    if (m_run) {
        return;
    }
    ImportLogin login{m_txtUsername->text(), m_txtPassword->text(), {}};
    if (m_table == NodeTable::Wwc) {
        login.connectStr = NodeImport::wwcConnectString(login.username, m_txtChannel->text());
    } else if (m_table == NodeTable::Bbs) {
        login.connectStr = m_txtChannel->text();
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_run = std::make_unique<NodeImportRun>(m_table, m_database, std::move(login));
    m_cmdImport->setEnabled(false);
    if (!m_run->begin(NodeImport::findFile(m_folder, NodeImport::fileName(m_table)))) {
        importEnded();
        return;
    }
    QTimer::singleShot(0, this, &NodeImportWindow::importSlice);
}

void NodeImportWindow::importSlice()
{
    if (!m_run) {
        return;
    }
    if (m_run->step(importSliceTime)) {
        QTimer::singleShot(0, this, &NodeImportWindow::importSlice);
        return;
    }
    importEnded();
}

void NodeImportWindow::importEnded()
{
    const ImportOutcome outcome = m_run->outcome();
    m_run.reset();
    QGuiApplication::restoreOverrideCursor();
    m_cmdImport->setEnabled(true);
    if (!outcome.ok) {
        m_dialogs.tell(QMessageBox::Critical, QStringLiteral("Import Error"),
                       QStringLiteral("Error: ") + legacy::numberText(outcome.failure.number) +
                           QStringLiteral("\r\n") + outcome.failure.text);
        return;
    }
    m_dialogs.tell(QMessageBox::Information, QStringLiteral("Import result"),
                   NodeImport::resultText(m_table, outcome.added, outcome.skipped));
}

void NodeImportWindow::lblHelp_Click()
{
    m_dialogs.tell(QMessageBox::Information, NodeImport::helpTitle(m_table), NodeImport::helpText(m_table));
}

void NodeImportWindow::txtChannel_Change()
{
    const QString settled = NodeImport::channelText(m_txtChannel->text());
    if (settled != m_txtChannel->text()) {
        m_txtChannel->setText(settled);
    }
    m_txtChannel->setCursorPosition(static_cast<int>(m_txtChannel->text().size()));
}

} // namespace zenthra
