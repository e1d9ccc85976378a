#include "database_fixture.h"

#include "support/postgres.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlRecord>

namespace zenthra::test {

std::ostream& operator<<(std::ostream& os, Backend b)
{
    return os << (b == Backend::Postgres ? "Postgres" : "Sqlite");
}

std::string backendName(const ::testing::TestParamInfo<Backend>& info)
{
    return info.param == Backend::Postgres ? "Postgres" : "Sqlite";
}

QString uniqueName(const char* prefix)
{
    return QStringLiteral("%1_%2_%3")
        .arg(QLatin1String(prefix))
        .arg(QCoreApplication::applicationPid())
        .arg(QRandomGenerator::global()->generate64(), 0, 36);
}

void onServer(const QString& schema, const QStringList& statements)
{
    const QString name = uniqueName("admin");
    {
        QSqlDatabase admin = openPostgres(name);
        ASSERT_TRUE(admin.isOpen()) << admin.lastError().text().toStdString();
        QSqlQuery q(admin);
        if (!schema.isEmpty()) {
            ASSERT_TRUE(q.exec(QStringLiteral("SET search_path TO ") + schema));
        }
        for (const QString& s : statements) {
            ASSERT_TRUE(q.exec(s)) << s.toStdString() << ": " << q.lastError().text().toStdString();
        }
    }
    QSqlDatabase::removeDatabase(name);
}

void DatabaseFixture::SetUp()
{
    if (server()) {
        ZENTHRA_REQUIRE_POSTGRES();
        schema = uniqueName("zt").toLower();
        onServer({}, {QStringLiteral("CREATE SCHEMA ") + schema});
        const PostgresAddress a = postgresAddress();
        settings.strDbType = QStringLiteral("s");
        settings.strSqlServer = QStringLiteral("%1:%2").arg(a.host).arg(a.port);
        settings.strSqlDatabase = a.database;
        settings.strSqlUser = a.user;
    }
    db = std::make_unique<Database>(settings, folder, log, keywordSeeding(keywords));
    if (server()) {
        db->setServerSchema(schema);
    }
}

void DatabaseFixture::TearDown()
{
    db.reset();
    if (!schema.isEmpty()) {
        onServer({}, {QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema)});
    }
}

void DatabaseFixture::prepareRaw(const QStringList& statements)
{
    if (server()) {
        onServer(schema, statements);
        return;
    }
    const QString name = uniqueName("raw");
    {
        QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        raw.setDatabaseName(dir.file(QLatin1String(Database::spotsFileName)));
        ASSERT_TRUE(raw.open());
        QSqlQuery q(raw);
        for (const QString& s : statements) {
            ASSERT_TRUE(q.exec(s)) << s.toStdString() << ": " << q.lastError().text().toStdString();
        }
    }
    QSqlDatabase::removeDatabase(name);
}

QSqlQuery DatabaseFixture::run(Store store, const QString& sql, const QVariantList& values)
{
    QSqlQuery q;
    SqlFailure why;
    EXPECT_TRUE(db->exec(store, sql, values, &q, &why))
        << sql.toStdString() << ": " << why.text.toStdString();
    return q;
}

QVariantList DatabaseFixture::column(Store store, const QString& sql, const QVariantList& values)
{
    QVariantList out;
    QSqlQuery q = run(store, sql, values);
    while (q.next()) {
        out.append(q.value(0));
    }
    return out;
}

int DatabaseFixture::count(const QString& table, Store store)
{
    const QVariantList c = column(store, QStringLiteral("SELECT count(*) FROM ") + table);
    return c.isEmpty() ? -1 : c.front().toInt();
}

QStringList DatabaseFixture::columns(const QString& table, Store store)
{
    QSqlQuery q = run(store, QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(table));
    QStringList names;
    const QSqlRecord r = q.record();
    for (int i = 0; i < r.count(); ++i) {
        names.append(r.fieldName(i).toLower());
    }
    return names;
}

} // namespace zenthra::test
