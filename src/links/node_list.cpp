#include "node_list.h"

#include "core/current_node.h"
#include "platform/legacy_value.h"

#include <QSqlQuery>

namespace zenthra {

namespace {

NodeRecord recordFrom(const QSqlQuery& q, bool connectString)
{
    NodeRecord r;
    r.id = q.value(0).toLongLong();
    r.name = q.value(1).toString();
    r.host = q.value(2).toString();
    r.port = q.value(3).toDouble();
    r.username = q.value(4).toString();
    r.password = q.value(5).toString();
    if (connectString) {
        r.connectStr = q.value(6).toString();
    }
    return r;
}

// A text column's value: the text as typed, never NULL.
QVariant text(const QString& s)
{
    return s.isNull() ? QStringLiteral("") : s;
}

} // namespace

QVariantList NodeList::values(const NodeRecord& node) const
{
    QVariantList v{text(node.name), text(node.host), node.port, text(node.username), text(node.password)};
    if (nodeHasConnectString(m_table)) {
        v.append(text(node.connectStr));
    }
    return v;
}

bool NodeList::load(QList<NodeRecord>& rows, SqlFailure* why)
{
    QSqlQuery q;
    if (!m_database.exec(Store::Spots, nodeSql(NodeStatement::SelectAll, m_table, m_database.dialect()), {},
                         &q, why)) {
        return false;
    }
    rows.clear();
    while (q.next()) {
        rows.append(recordFrom(q, nodeHasConnectString(m_table)));
    }
    return true;
}

std::optional<NodeRecord> NodeList::read(qint64 id, SqlFailure* why)
{
    QSqlQuery q;
    if (!m_database.exec(Store::Spots, nodeSql(NodeStatement::SelectOne, m_table, m_database.dialect()), {id},
                         &q, why)) {
        return std::nullopt;
    }
    if (!q.next()) {
        if (why) {
            *why = {errNoCurrentRecord, QString::fromLatin1(noCurrentRecord)};
        }
        return std::nullopt;
    }
    return recordFrom(q, nodeHasConnectString(m_table));
}

bool NodeList::save(const NodeRecord& node, SqlFailure* why)
{
    const SqlDialect dialect = m_database.dialect();
    if (node.id == 0) {
        return m_database.exec(Store::Spots, nodeSql(NodeStatement::Insert, m_table, dialect), values(node),
                               nullptr, why);
    }
    QVariantList v = values(node);
    v.append(node.id);
    QSqlQuery q;
    if (!m_database.exec(Store::Spots, nodeSql(NodeStatement::Update, m_table, dialect), v, &q, why)) {
        return false;
    }
    if (q.numRowsAffected() < 1) {
        if (why) {
            *why = {errNoCurrentRecord, QString::fromLatin1(noCurrentRecord)};
        }
        return false;
    }
    return true;
}

bool NodeList::remove(qint64 id, SqlFailure* why)
{
    return m_database.exec(Store::Spots, nodeSql(NodeStatement::Delete, m_table, m_database.dialect()), {id},
                           nullptr, why);
}

QString NodeList::listRow(const NodeRecord& node)
{
    const QString hidden = node.password.isEmpty() ? QString() : QStringLiteral("********");
    const QStringList fields{QString::number(node.id),      node.name,     node.host,
                             legacy::numberText(node.port), node.username, hidden};
    QString row;
    for (const QString& f : fields) {
        row += f + u' ';
    }
    return row;
}

qint64 NodeList::keyOfRow(const QString& row)
{
    const qsizetype blank = row.indexOf(u' ');
    const double key = legacy::val(blank < 0 ? row : row.left(blank));
    return key >= 1 && key < 9.0e15 ? static_cast<qint64>(key) : 0;
}

bool NodeList::updateAllowed(const NodeBoxes& boxes)
{
    const double port = legacy::val(legacy::trim(boxes.port));
    return !legacy::trim(boxes.name).isEmpty() && !legacy::trim(boxes.host).isEmpty() && port >= 1 &&
           port <= highestPort;
}

NodeRecord NodeList::recordOf(qint64 id, const NodeBoxes& boxes)
{
    return {id,
            boxes.name,
            boxes.host,
            legacy::val(boxes.port),
            boxes.username,
            boxes.password,
            boxes.connectStr};
}

NodeBoxes NodeList::boxesOf(const NodeRecord& node)
{
    return {node.name,     node.host,     legacy::numberText(node.port),
            node.username, node.password, node.connectStr};
}

void NodeList::setCurrentNode(NodeTable table, const NodeBoxes& boxes, CurrentNode& node)
{
    const auto port = static_cast<float>(legacy::val(boxes.port));
    switch (table) {
    case NodeTable::Dxc:
        node.strDxcHost = boxes.host;
        node.sngDxcPort = port;
        node.strDxcCallsign = boxes.username;
        node.strDxcPassword = boxes.password;
        break;
    case NodeTable::Wwc:
        node.strWwcHost = boxes.host;
        node.sngWwcPort = port;
        node.strWwcCallsign = boxes.username;
        node.strWwcPassword = boxes.password;
        node.strWwcConnectStr = boxes.connectStr;
        break;
    case NodeTable::Bbs:
        node.strBbsHost = boxes.host;
        node.sngBbsPort = port;
        node.strBbsCallsign = boxes.username;
        node.strBbsPassword = boxes.password;
        node.strBbsConnectStr = boxes.connectStr;
        break;
    }
}

} // namespace zenthra
