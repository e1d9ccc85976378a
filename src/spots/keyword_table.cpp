#include "spots/keyword_table.h"

#include "propagation/prop_keywords.h"

#include <QSqlError>
#include <QSqlQuery>

namespace zenthra {

namespace {

void createAndSeed(Database& db)
{
    if (db.tableExists(Store::Spots, QStringLiteral("tblProp"))) {
        return;
    }
    // Created and seeded in one transaction, so that no half-seeded table is ever left behind
    // (a table that exists is never seeded again).
    Database::Transaction transaction(db, Store::Spots);
    // Every seed row in one statement: row by row, a first start over a long path would take a
    // round trip a row, a minute on a satellite link, while the spots wait for the list.
    QString insert = db.sql(Statement::InsertProp);
    QVariantList values;
    const auto seeds = PropKeywords::seedRows();
    for (const PropSeed& seed : seeds) {
        if (!values.isEmpty()) {
            insert += QStringLiteral(", (?, ?, ?)");
        }
        values << QString::fromUtf8(seed.propId) << QString::fromUtf8(seed.propCheck)
               << QString::fromUtf8(seed.sortOrder);
    }
    if (db.exec(Store::Spots, db.SET_SQL(1)) && db.exec(Store::Spots, insert, values)) {
        transaction.commit();
    }
}

} // namespace

void POPULATE_PROPAGATION_ARRAYS(PropKeywords& keywords, Database& db)
{
    createAndSeed(db);
    QSqlQuery q;
    SqlFailure why;
    QList<std::pair<QString, QString>> rows;
    bool ok = db.exec(Store::Spots, db.SET_SQL(3), {}, &q, &why);
    while (ok && q.next()) {
        rows.append({q.value(0).toString(), q.value(1).toString()});
    }
    if (ok && q.lastError().isValid()) {
        ok = false;
        why = Database::failureOf(q.lastError());
    }
    if (!ok) {
        keywords.loadFailed(why.number);
        return;
    }
    keywords.load(rows);
}

QStringList FILL_PROPAGATION_LIST(Database& db)
{
    QStringList modes;
    QSqlQuery q;
    if (db.exec(Store::Spots, db.sql(Statement::DistinctModes), {}, &q)) {
        while (q.next()) {
            modes.append(q.value(0).toString());
        }
    }
    return modes;
}

Database::KeywordSeeding keywordSeeding(PropKeywords& keywords)
{
    return [&keywords](Database& db) { POPULATE_PROPAGATION_ARRAYS(keywords, db); };
}

} // namespace zenthra
