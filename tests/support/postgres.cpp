#include "support/postgres.h"

namespace zenthra::test {

PostgresAddress postgresAddress()
{
    PostgresAddress a;
    a.host = qEnvironmentVariable("ZENTHRA_TEST_PG_HOST");
    a.port = qEnvironmentVariableIntValue("ZENTHRA_TEST_PG_PORT");
    a.user = qEnvironmentVariable("ZENTHRA_TEST_PG_USER");
    a.database = qEnvironmentVariable("ZENTHRA_TEST_PG_DB");
    a.passwordUser = qEnvironmentVariable("ZENTHRA_TEST_PG_PW_USER");
    a.password = qEnvironmentVariable("ZENTHRA_TEST_PG_PW_PASSWORD");
    return a;
}

QSqlDatabase openPostgres(const QString& connectionName)
{
    const PostgresAddress a = postgresAddress();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    db.setHostName(a.host);
    db.setPort(a.port);
    db.setUserName(a.user);
    db.setDatabaseName(a.database);
    db.setConnectOptions(QStringLiteral("connect_timeout=5"));
    db.open();
    return db;
}

} // namespace zenthra::test
