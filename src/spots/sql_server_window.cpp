#include "sql_server_window.h"

#include "core/database_settings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstdlib>

namespace zenthra {

SqlServerWindow::SqlServerWindow(DatabaseSettings& settings, QWidget* mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window), m_settings(settings)
{
    setObjectName(QStringLiteral("frmSqlServer"));
    setWindowTitle(QStringLiteral("Sql Server Settings"));
    auto* grid = new QGridLayout(this);
    const char* labels[4] = {"Server Name", "Database Name", "User Name", "Password"};
    for (int i = 0; i < 4; ++i) {
        lblPoker[i] = new QLabel(QString::fromLatin1(labels[i]), this);
        txtSqlServer[i] = new QLineEdit(this);
        txtSqlServer[i]->setObjectName(QStringLiteral("txtSqlServer%1").arg(i));
        lblPoker[i]->setBuddy(txtSqlServer[i]);
        grid->addWidget(lblPoker[i], i, 0);
        grid->addWidget(txtSqlServer[i], i, 1);
    }
    txtSqlServer[3]->setEchoMode(QLineEdit::Password);
    chkEnableSql = new QCheckBox(QStringLiteral("Enable Sql Version?"), this);
    grid->addWidget(chkEnableSql, 4, 1);
    auto* buttons = new QHBoxLayout;
    const char* captions[2] = {"&Update", "E&xit"};
    for (int i = 0; i < 2; ++i) {
        cmdSqlUpdate[i] = new QPushButton(QString::fromLatin1(captions[i]), this);
        buttons->addWidget(cmdSqlUpdate[i]);
        connect(cmdSqlUpdate[i], &QPushButton::clicked, this, [this, i] { cmdSqlUpdate_Click(i); });
    }
    grid->addLayout(buttons, 5, 0, 1, 2);
    Form_Load(mainWindow);
}

void SqlServerWindow::Form_Load(QWidget* mainWindow)
{
    if (mainWindow) {
        move(std::abs(mainWindow->x()), std::abs(mainWindow->y()));
        setWindowIcon(mainWindow->windowIcon());
    }
    txtSqlServer[0]->setText(m_settings.strSqlServer);
    txtSqlServer[1]->setText(m_settings.strSqlDatabase);
    txtSqlServer[2]->setText(m_settings.strSqlUser);
    txtSqlServer[3]->setText(m_settings.strSqlPassword);
    chkEnableSql->setChecked(m_settings.strDbType == QLatin1String("s"));
}

void SqlServerWindow::cmdSqlUpdate_Click(int index)
{
    if (index == 1) {
        close();
        return;
    }
    if (index != 0) {
        return;
    }
    m_settings.strSqlServer = txtSqlServer[0]->text().trimmed();
    m_settings.strSqlDatabase = txtSqlServer[1]->text().trimmed();
    m_settings.strSqlUser = txtSqlServer[2]->text().trimmed();
    m_settings.strSqlPassword = txtSqlServer[3]->text().trimmed();
    m_settings.strDbType = chkEnableSql->isChecked() ? QStringLiteral("s") : QStringLiteral("a");
}

} // namespace zenthra
