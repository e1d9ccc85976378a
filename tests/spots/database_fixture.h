#pragma once
// One fixture for every database test, run once on SQLite (a fresh data folder) and once on the
// test PostgreSQL server (a schema of its own, dropped afterwards, so parallel tests never meet).

#include "core/database_settings.h"
#include "core/error_log.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "propagation/prop_keywords.h"
#include "spots/database.h"
#include "spots/keyword_table.h"
#include "support/temp_folder.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace zenthra::test {

enum class Backend
{
    Sqlite,
    Postgres,
};

std::ostream& operator<<(std::ostream& os, Backend b);
std::string backendName(const ::testing::TestParamInfo<Backend>& info);

// A name no other test process or test uses, for connections and server schemas.
QString uniqueName(const char* prefix);
// Runs statements on the test server, in `schema` when one is named.
void onServer(const QString& schema, const QStringList& statements);

class DatabaseFixture : public ::testing::TestWithParam<Backend>
{
protected:
    void SetUp() override;
    void TearDown() override;

    bool server() const { return GetParam() == Backend::Postgres; }
    QString kind() const { return server() ? QStringLiteral("s") : QStringLiteral("a"); }
    void open() { db->OPEN_DATABASES(kind()); }
    QStringList logLines() const { return dir.lines(QStringLiteral("muf_errors.log")); }

    // Runs statements on the backend before the layer opens it (to build an older database).
    void prepareRaw(const QStringList& statements);
    // Runs a statement through the open layer and expects it to succeed.
    QSqlQuery run(Store store, const QString& sql, const QVariantList& values = {});
    QVariantList column(Store store, const QString& sql, const QVariantList& values = {});
    int count(const QString& table, Store store = Store::Spots);
    // Field names of a table in order, lower case.
    QStringList columns(const QString& table, Store store = Store::Spots);

    TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DataFolder folder{dir.path()};
    DatabaseSettings settings;
    PropKeywords keywords{log};
    std::unique_ptr<Database> db;
    QString schema;
};

} // namespace zenthra::test
