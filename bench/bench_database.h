#pragma once
// What the database benchmarks share: the database layer over a fresh data folder, and a schema
// of their own on the server that the test script names in ZENTHRA_TEST_PG_HOST/_PORT/_USER/_DB.

#include "core/database_settings.h"
#include "core/error_log.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "propagation/prop_keywords.h"
#include "spots/database.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace zenthra::bench {

struct BenchDatabase
{
    BenchDatabase();

    QTemporaryDir dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DataFolder folder{dir.path()};
    DatabaseSettings settings;
    PropKeywords keywords{log};
    Database db;
};

// A schema named after the benchmark and this process, created empty on the server and dropped
// with everything in it when this goes. Without a server named, nothing is touched.
class BenchServer
{
public:
    explicit BenchServer(const QString& prefix);
    ~BenchServer();
    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;

    bool available() const { return !m_host.isEmpty(); }
    const QString& schema() const { return m_schema; }
    // Points the settings and the database layer at the server and this schema (kind "s").
    void use(DatabaseSettings& settings, Database& db) const;
    // The server as libpq names it: "host=... port=... dbname=... user=...".
    QString connectionInfo() const;
    // Runs statements in a plain session of the server, outside the database layer.
    void run(const QStringList& statements) const;

private:
    QString m_host;
    QString m_schema;
};

} // namespace zenthra::bench
