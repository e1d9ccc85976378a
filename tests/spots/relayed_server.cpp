#include "spots/relayed_server.h"

#include "spots/database_fixture.h"
#include "support/postgres.h"

#include "core/database_settings.h"

namespace zenthra::test {

RelayedServer::RelayedServer(const char* prefix) : schema(uniqueName(prefix).toLower())
{
    const PostgresAddress a = postgresAddress();
    onServer({}, {QStringLiteral("CREATE SCHEMA ") + schema});
    proxy = std::make_unique<ServerCutProxy>(a.host, quint16(a.port));
}

RelayedServer::~RelayedServer()
{
    proxy.reset();
    onServer({}, {QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema)});
}

void RelayedServer::aim(DatabaseSettings& settings) const
{
    const PostgresAddress a = postgresAddress();
    settings.strDbType = QStringLiteral("s");
    settings.strSqlServer = QStringLiteral("127.0.0.1:%1").arg(proxy->port());
    settings.strSqlDatabase = a.database;
    settings.strSqlUser = a.user;
}

} // namespace zenthra::test
