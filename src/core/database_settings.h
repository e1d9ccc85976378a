#pragma once
// The database kind and the server settings: lines 1-5 of the settings file, edited in the
// server settings window, read by every routine of the database layer.

#include <QString>

namespace zenthra {

struct DatabaseSettings
{
    QString strDbType = QStringLiteral("a"); // "a": SQLite files in the data folder, "s": PostgreSQL server
    QString strSqlServer;                    // host, optionally host:port
    QString strSqlDatabase;
    QString strSqlUser;
    QString strSqlPassword;
};

} // namespace zenthra
