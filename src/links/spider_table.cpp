#include "spider_table.h"

#include "platform/text_file.h"
#include "spots/database.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace zenthra {

namespace {

QString lineText(const SpiderCommand& c)
{
    return QStringLiteral("line %1 (%2, %3)").arg(c.line).arg(c.type, c.command);
}

} // namespace

SpiderTable::SpiderTable(Database& db, QStringList typeWords, QObject* parent)
    : QObject(parent), m_db(db), m_typeWords(std::move(typeWords)), m_groups(m_typeWords.size()),
      m_placeholderVisible(m_typeWords.size(), true)
{
}

SpiderTable::ImportOutcome SpiderTable::IMPORT_SPIDER_COMMANDS(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    if (QFileInfo(path).size() > spiderFileLargest) {
        return {
            false, 0, errInvalidArgument,
            QStringLiteral("%1 is larger than %2 MB, more than any list of commands. Nothing was imported.")
                .arg(name)
                .arg(spiderFileLargest / (1024 * 1024))};
    }
    const std::optional<QStringList> lines =
        textfile::readLines(path, textfile::allLines, textfile::listLineBytes);
    if (!lines) {
        if (QFileInfo::exists(path)) {
            return {false, 0, errFileAccess, QStringLiteral("Path/File access error: ") + name};
        }
        return {false, 0, errFileNotFound, QStringLiteral("File not found: ") + name};
    }
    const SpiderFile file = readSpiderFile(*lines);
    if (!file.ok()) {
        return {false, 0, errInvalidArgument,
                QStringLiteral("Line %1 of %2: %3. Nothing was imported.")
                    .arg(file.badLine)
                    .arg(name, file.problem)};
    }

    SqlFailure why;
    Database::Transaction transaction(m_db, Store::Spots, &why);
    if (!transaction.begun()) {
        return {false, 0, Database::errProviderFailure,
                QStringLiteral("The spots database is not open: ") + why.text};
    }
    if (!m_db.exec(Store::Spots, m_db.SET_SQL(8), {}, nullptr, &why)) {
        return {false, 0, why.number, why.text};
    }
    Database::Prepared insert(m_db, Store::Spots, m_db.sql(Statement::InsertSpider), &why);
    if (!why.text.isEmpty()) {
        return {false, 0, why.number, why.text};
    }
    int count = 0;
    for (const SpiderCommand& c : file.commands) {
        insert->addBindValue(c.type);
        insert->addBindValue(c.command);
        if (!m_db.run(Store::Spots, *insert, &why)) {
            return {false, 0, why.number,
                    QStringLiteral("The database refused %1 of %2: %3. Nothing was imported.")
                        .arg(lineText(c), name, why.text)};
        }
        ++count;
    }
    if (!transaction.commit(&why)) {
        return {false, 0, Database::errCommandFailed, why.text};
    }
    CLEAR_SPIDER_MENUS();
    LOAD_MENU_ITEMS();
    return {true, count, 0, {}};
}

void SpiderTable::LOAD_MENU_ITEMS()
{
    m_placeholderVisible.fill(false);
    // Every group in one read rather than a read for each type: over a long path to the server
    // each is a round trip while the window waits. Commands are the table's key, so each has one
    // type; a group takes the commands of every type that is its word in any letter case.
    const QString rows =
        m_db.dialect() == SqlDialect::Postgres
            ? QStringLiteral("SELECT spidertype, spiderCommand FROM tblSpider"
                             " ORDER BY spiderCommand COLLATE \"C\"")
            : QStringLiteral("SELECT spidertype, spiderCommand FROM tblSpider ORDER BY spiderCommand");
    QSqlQuery q;
    // The table is made when missing, as the opening of a database does.
    if (!m_db.exec(Store::Spots, rows, {}, &q) &&
        !(m_db.exec(Store::Spots, m_db.SET_SQL(5)) && m_db.exec(Store::Spots, rows, {}, &q))) {
        Q_EMIT menusChanged();
        return;
    }
    QList<QStringList> groups(m_typeWords.size());
    while (q.next()) {
        const qsizetype group = m_typeWords.indexOf(q.value(0).toString().toUpper());
        if (group >= 0 && groups[group].size() < groupLimit) {
            groups[group].append(q.value(1).toString().toUpper());
        }
    }
    m_groups = std::move(groups);
    Q_EMIT menusChanged();
}

void SpiderTable::CLEAR_SPIDER_MENUS()
{
    for (qsizetype i = 0; i < m_groups.size(); ++i) {
        if (!m_groups[i].isEmpty()) {
            m_groups[i].clear();
            m_placeholderVisible[i] = true;
        }
    }
    Q_EMIT menusChanged();
}

} // namespace zenthra
