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
    bool ok = db.exec(Store::Spots, db.SET_SQL(1));
    Database::Prepared insert(db, Store::Spots, db.sql(Statement::InsertProp));
    for (const PropSeed& seed : PropKeywords::seedRows()) {
        if (!ok) {
            break;
        }
        insert->bindValue(0, QString::fromUtf8(seed.propId));
        insert->bindValue(1, QString::fromUtf8(seed.propCheck));
        insert->bindValue(2, QString::fromUtf8(seed.sortOrder));
        ok = db.run(Store::Spots, *insert);
    }
    insert->finish();
    if (ok) {
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
