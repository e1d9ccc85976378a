#include "node_queries.h"

namespace zenthra {

QString nodeTableName(NodeTable table)
{
    switch (table) {
    case NodeTable::Dxc:
        return QStringLiteral("tblTelnetClx");
    case NodeTable::Wwc:
        return QStringLiteral("tblTelnetWWC");
    case NodeTable::Bbs:
        return QStringLiteral("tblTelnetBBS");
    }
    return {};
}

QString nodeKeyColumn(NodeTable table)
{
    switch (table) {
    case NodeTable::Dxc:
        return QStringLiteral("dxcID");
    case NodeTable::Wwc:
        return QStringLiteral("wwcID");
    case NodeTable::Bbs:
        return QStringLiteral("bbsID");
    }
    return {};
}

bool nodeHasConnectString(NodeTable table)
{
    return table != NodeTable::Dxc;
}

QString nodeSql(NodeStatement statement, NodeTable table, SqlDialect dialect)
{
    // Both dialects take the same text: the tables have no column whose type differs in use.
    Q_UNUSED(dialect);
    const QString name = nodeTableName(table);
    const QString key = nodeKeyColumn(table);
    const bool connect = nodeHasConnectString(table);
    const QString columns = QStringLiteral("Friendly_Name, ip_host, Port, Username, Password") +
                            (connect ? QStringLiteral(", ConnectStr") : QString());
    switch (statement) {
    case NodeStatement::SelectAll:
        return QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY %1").arg(key, columns, name);
    case NodeStatement::SelectOne:
        return QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1 = ?").arg(key, columns, name);
    case NodeStatement::Insert:
        return QStringLiteral("INSERT INTO %1 (%2) VALUES (?, ?, ?, ?, ?%3)")
            .arg(name, columns, connect ? QStringLiteral(", ?") : QString());
    case NodeStatement::Update:
        return QStringLiteral("UPDATE %1 SET Friendly_Name = ?, ip_host = ?, Port = ?, Username = ?,"
                              " Password = ?%2 WHERE %3 = ?")
            .arg(name, connect ? QStringLiteral(", ConnectStr = ?") : QString(), key);
    case NodeStatement::Delete:
        return QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(name, key);
    case NodeStatement::Names:
        return QStringLiteral("SELECT Friendly_Name FROM %1").arg(name);
    }
    return {};
}

} // namespace zenthra
