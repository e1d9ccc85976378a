#pragma once
// The node tables' part of the query catalogue. The three tables differ only in their name, their
// key column and whether they hold a connection string, so their statements are built from one
// description. Every value is bound (?), in the order given; the columns come back in the
// editors' order: key, name, host, port, login call, password[, connection string].

#include "spots/query_catalogue.h"

#include <QString>

namespace zenthra {

enum class NodeTable
{
    Dxc, // tblTelnetClx
    Wwc, // tblTelnetWWC
    Bbs, // tblTelnetBBS
};

enum class NodeStatement
{
    SelectAll, // every node, by key
    SelectOne, // binds the key
    Insert,    // binds name, host, port, login call, password[, connection string]
    Update,    // the same, then the key
    Delete,    // binds the key
    Names,     // every stored name, for the imports' duplicate test
};

QString nodeTableName(NodeTable table);
QString nodeKeyColumn(NodeTable table);
bool nodeHasConnectString(NodeTable table);
QString nodeSql(NodeStatement statement, NodeTable table, SqlDialect dialect);

} // namespace zenthra
