#pragma once
// The server settings window: the four server settings and the database kind. "&Update" only
// stores them; they take effect at the next opening of the databases.

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zenthra {

struct DatabaseSettings;

class SqlServerWindow : public QWidget
{
    Q_OBJECT
public:
    // `mainWindow` gives the position and the icon; the window stays a top-level one of its own.
    SqlServerWindow(DatabaseSettings& settings, QWidget* mainWindow, QWidget* parent = nullptr);

    void cmdSqlUpdate_Click(int index);

    QLineEdit* txtSqlServer[4] = {};
    QLabel* lblPoker[4] = {};
    QCheckBox* chkEnableSql = nullptr;
    QPushButton* cmdSqlUpdate[2] = {};

private:
    void Form_Load(QWidget* mainWindow);

    DatabaseSettings& m_settings;
};

} // namespace zenthra
