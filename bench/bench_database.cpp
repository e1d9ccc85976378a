#include "bench_database.h"

#include "spots/keyword_table.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace zenthra::bench {

BenchDatabase::BenchDatabase() : db(settings, folder, log, keywordSeeding(keywords)) {}

BenchServer::BenchServer(const QString& prefix)
    : m_host(qEnvironmentVariable("ZENTHRA_TEST_PG_HOST")),
      m_schema(QStringLiteral("%1_%2").arg(prefix).arg(QCoreApplication::applicationPid()))
{
    if (available()) {
        run({QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_schema),
             QStringLiteral("CREATE SCHEMA ") + m_schema});
    }
}

BenchServer::~BenchServer()
{
    if (available()) {
        run({QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_schema)});
    }
}

void BenchServer::use(DatabaseSettings& settings, Database& db) const
{
    settings.strDbType = QStringLiteral("s");
    settings.strSqlServer = m_host + u':' + qEnvironmentVariable("ZENTHRA_TEST_PG_PORT");
    settings.strSqlDatabase = qEnvironmentVariable("ZENTHRA_TEST_PG_DB");
    settings.strSqlUser = qEnvironmentVariable("ZENTHRA_TEST_PG_USER");
    db.setServerSchema(m_schema);
}

QString BenchServer::connectionInfo() const
{
    return QStringLiteral("host=%1 port=%2 dbname=%3 user=%4")
        .arg(m_host, qEnvironmentVariable("ZENTHRA_TEST_PG_PORT"), qEnvironmentVariable("ZENTHRA_TEST_PG_DB"),
             qEnvironmentVariable("ZENTHRA_TEST_PG_USER"));
}

void BenchServer::run(const QStringList& statements) const
{
    const QString name = QStringLiteral("bench-admin");
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        admin.setHostName(m_host);
        admin.setPort(qEnvironmentVariableIntValue("ZENTHRA_TEST_PG_PORT"));
        admin.setDatabaseName(qEnvironmentVariable("ZENTHRA_TEST_PG_DB"));
        admin.setUserName(qEnvironmentVariable("ZENTHRA_TEST_PG_USER"));
        if (admin.open()) {
            QSqlQuery q(admin);
            // The server's notes on dropping a schema's tables would bury the figures.
            q.exec(QStringLiteral("SET client_min_messages TO warning"));
            for (const QString& s : statements) {
                q.exec(s);
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace zenthra::bench
