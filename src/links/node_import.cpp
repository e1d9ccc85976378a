#include "node_import.h"

#include "platform/legacy_value.h"
#include "platform/numeric_text.h"
#include "platform/text_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>

namespace zenthra {

NodeLine splitNodeLine(const QString& line)
{
    NodeLine out;
    if (line.size() < 5 || line.front() == u'#' || line.front() == u' ') {
        return out;
    }
    const qsizetype first = line.indexOf(u',');
    const qsizetype last = line.lastIndexOf(u',');
    if (first < 0 || last == first) {
        out.verdict = NodeLine::Verdict::Unsplittable;
        return out;
    }
    out.verdict = NodeLine::Verdict::Node;
    out.name = legacy::trim(line.left(first));
    out.host = legacy::trim(line.mid(first + 1, last - first - 1));
    out.port = legacy::trim(line.mid(last + 1));
    return out;
}

QString NodeImport::fileName(NodeTable table)
{
    switch (table) {
    case NodeTable::Dxc:
        return QStringLiteral("DXC.csv");
    case NodeTable::Wwc:
        return QStringLiteral("wwc.csv");
    case NodeTable::Bbs:
        return QStringLiteral("bbs.csv");
    }
    return {};
}

QString NodeImport::findFile(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    if (QFileInfo::exists(dir.filePath(name))) {
        return dir.filePath(name);
    }
    const QStringList entries = dir.entryList(QDir::Files);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) {
            return dir.filePath(entry);
        }
    }
    return dir.filePath(name);
}

ImportOutcome NodeImport::run(NodeTable table, Database& database, const QString& path,
                              const ImportLogin& login)
{
    ImportOutcome out;
    const std::optional<QStringList> lines = textfile::readLines(path);
    if (!lines) {
        out.failure = {errFileNotFound, QStringLiteral("File not found")};
        return out;
    }
    NodeList list(table, database);
    const QString count = nodeSql(NodeStatement::CountByName, table, database.dialect());
    for (const QString& line : *lines) {
        const NodeLine node = splitNodeLine(line);
        if (node.verdict == NodeLine::Verdict::Ignored) {
            continue;
        }
        if (node.verdict == NodeLine::Verdict::Unsplittable) {
            out.failure = {errBadLine, QStringLiteral("Invalid procedure call or argument")};
            return out;
        }
        QSqlQuery q;
        if (!database.exec(Store::Spots, count, {node.name}, &q, &out.failure)) {
            return out;
        }
        if (q.next() && q.value(0).toLongLong() > 0) {
            ++out.skipped;
            continue;
        }
        const NodeRecord record{0,
                                node.name.toUpper(),
                                node.host,
                                legacy::val(node.port),
                                login.username,
                                login.password,
                                login.connectStr};
        if (!list.save(record, &out.failure)) {
            return out;
        }
        ++out.added;
    }
    out.ok = true;
    return out;
}

namespace {

QString noun(NodeTable table)
{
    switch (table) {
    case NodeTable::Dxc:
        return QStringLiteral("DX Clusters");
    case NodeTable::Wwc:
        return QStringLiteral("WWC Clusters");
    case NodeTable::Bbs:
        return QStringLiteral("BBS Clusters");
    }
    return {};
}

} // namespace

QString NodeImport::resultText(NodeTable table, int added, int skipped)
{
    return QString::number(added) + u' ' + noun(table) +
           QStringLiteral(" were successfully added to Zenthra\r\n") + QString::number(skipped) + u' ' +
           noun(table) + QStringLiteral("  were skipped as they already exist.");
}

QString NodeImport::helpTitle(NodeTable table)
{
    switch (table) {
    case NodeTable::Dxc:
        return QStringLiteral("DXC Import");
    case NodeTable::Wwc:
        return QStringLiteral("WWC Import");
    case NodeTable::Bbs:
        return QStringLiteral("BBS Import");
    }
    return {};
}

QString NodeImport::helpText(NodeTable table)
{
    QString link;
    QString file;
    QString boxes;
    QString own;
    switch (table) {
    case NodeTable::Dxc:
        link = QStringLiteral("DXC");
        file = QStringLiteral("dxc.csv");
        boxes = QStringLiteral("and click import.");
        own = QStringLiteral("DXC");
        break;
    case NodeTable::Wwc:
        link = QStringLiteral("WWC");
        file = QStringLiteral("wwc.csv");
        boxes = QStringLiteral("and select channel number and click import.");
        own = QStringLiteral("DXC/WWC");
        break;
    case NodeTable::Bbs:
        link = QStringLiteral("BBS");
        file = QStringLiteral("bbs.csv");
        boxes = QStringLiteral("and connect string and click import.");
        own = QStringLiteral("DXC/BBS");
        break;
    }
    return QStringLiteral("This is the import routine for ") + link +
           QStringLiteral(" into zenthra.\r\n\r\n") + QStringLiteral("Make sure the ") + file +
           QStringLiteral(" file is in the working folder for zenthra.exe.\r\n") +
           QStringLiteral(
               "Simply type into the text boxes your username (callsign) and password (if required) ") +
           boxes + QStringLiteral("\r\nYou can also add your own ") + own +
           QStringLiteral(
               " additions/alterations into the csv file. Simply open the csv file in notepad (make sure "
               "wordwrap is off) and follow the instructions at the top of the file.");
}

QString NodeImport::channelText(const QString& typed)
{
    if (!legacy::isNumeric(typed)) {
        return QStringLiteral("14345");
    }
    return legacy::numberText(legacy::roundHalfEven(legacy::val(typed)));
}

QString NodeImport::wwcConnectString(const QString& callsign, const QString& channel)
{
    return QStringLiteral("/n ") + callsign + u' ' +
           legacy::numberText(legacy::roundHalfEven(legacy::val(channel)));
}

} // namespace zenthra
