#include "core/database_settings.h"
#include "spots/sql_server_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace zenthra;

TEST(SqlServerWindow, ShowsTheSettingsWithThePasswordMasked)
{
    DatabaseSettings settings{"s", "db.example:5433", "zenthra", "g4abc", "secret"};
    QMainWindow main;
    main.move(120, 80);
    SqlServerWindow w(settings, &main);
    EXPECT_EQ(w.windowTitle(), "Sql Server Settings");
    EXPECT_EQ(w.pos(), QPoint(120, 80));
    EXPECT_EQ(w.txtSqlServer[0]->text(), "db.example:5433");
    EXPECT_EQ(w.txtSqlServer[1]->text(), "zenthra");
    EXPECT_EQ(w.txtSqlServer[2]->text(), "g4abc");
    EXPECT_EQ(w.txtSqlServer[3]->text(), "secret");
    EXPECT_EQ(w.txtSqlServer[3]->echoMode(), QLineEdit::Password);
    EXPECT_EQ(w.txtSqlServer[0]->echoMode(), QLineEdit::Normal);
    EXPECT_TRUE(w.chkEnableSql->isChecked());
    EXPECT_EQ(w.chkEnableSql->text(), "Enable Sql Version?");
    const QStringList labels = {w.lblPoker[0]->text(), w.lblPoker[1]->text(), w.lblPoker[2]->text(),
                                w.lblPoker[3]->text()};
    EXPECT_EQ(labels, QStringList({"Server Name", "Database Name", "User Name", "Password"}));
    EXPECT_EQ(w.cmdSqlUpdate[0]->text(), "&Update");
    EXPECT_EQ(w.cmdSqlUpdate[1]->text(), "E&xit");
}

TEST(SqlServerWindow, UpdateStoresTrimmedTextsAndTheKindOnlyAndExitCloses)
{
    DatabaseSettings settings;
    SqlServerWindow w(settings, nullptr);
    EXPECT_FALSE(w.chkEnableSql->isChecked());
    w.txtSqlServer[0]->setText("  db.example  ");
    w.txtSqlServer[1]->setText("zenthra ");
    w.txtSqlServer[2]->setText("\tg4abc");
    w.txtSqlServer[3]->setText(" pass word ");
    w.chkEnableSql->setChecked(true);
    w.cmdSqlUpdate[0]->click();
    EXPECT_EQ(settings.strSqlServer, "db.example");
    EXPECT_EQ(settings.strSqlDatabase, "zenthra");
    EXPECT_EQ(settings.strSqlUser, "g4abc");
    EXPECT_EQ(settings.strSqlPassword, "pass word");
    EXPECT_EQ(settings.strDbType, "s");
    w.chkEnableSql->setChecked(false);
    w.cmdSqlUpdate[0]->click();
    EXPECT_EQ(settings.strDbType, "a");
    w.show();
    ASSERT_TRUE(w.isVisible());
    w.cmdSqlUpdate[1]->click();
    EXPECT_FALSE(w.isVisible());
}
