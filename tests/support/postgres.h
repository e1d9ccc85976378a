#pragma once
// The throwaway PostgreSQL server that the test script starts: its address comes in
// ZENTHRA_TEST_PG_HOST, _PORT, _USER and _DB; a role that logs in with a password (as most
// servers ask) in _PW_USER and _PW_PASSWORD.

#include <QSqlDatabase>
#include <QString>

namespace zenthra::test {

struct PostgresAddress
{
    QString host;
    int port = 0;
    QString user;
    QString database;
    QString passwordUser;
    QString password;
    bool valid() const { return !host.isEmpty() && port > 0; }
};

PostgresAddress postgresAddress();

// Opens a uniquely named QPSQL connection to the test server; the caller removes it.
QSqlDatabase openPostgres(const QString& connectionName);

} // namespace zenthra::test

// Skips the current test when no test server was started (a bare ctest run).
#define ZENTHRA_REQUIRE_POSTGRES()                                                                           \
    do {                                                                                                     \
        if (!::zenthra::test::postgresAddress().valid()) {                                                   \
            GTEST_SKIP() << "no test PostgreSQL server (run scripts/test.sh)";                               \
        }                                                                                                    \
    } while (0)
