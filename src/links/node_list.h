#pragma once
// One node list (DX-cluster, chat or BBS nodes) over its table, and the rules its editor applies:
// the list row, when Update may save, and how the editor's boxes become the link's current node.

#include "spots/database.h"
#include "spots/node_queries.h"

#include <QList>
#include <QString>
#include <optional>

namespace zenthra {

struct CurrentNode;

// A stored node. A column without a value reads as "" (port 0), so such a row can still be chosen.
struct NodeRecord
{
    qint64 id = 0; // 0: not stored yet
    QString name;
    QString host;
    double port = 0;
    QString username;
    QString password;
    QString connectStr; // chat and BBS nodes only
};

// The editor's boxes as typed.
struct NodeBoxes
{
    QString name;
    QString host;
    QString port;
    QString username;
    QString password;
    QString connectStr;
};

class NodeList
{
public:
    // The error number and text when a chosen or saved node is no longer stored.
    static constexpr double errNoCurrentRecord = 3021;
    static constexpr const char* noCurrentRecord =
        "Either BOF or EOF is True, or the current record has been deleted.";
    // The highest TCP port; 0 and anything above this are no ports.
    static constexpr double highestPort = 65535;

    NodeList(NodeTable table, Database& database) : m_table(table), m_database(database) {}

    NodeTable table() const { return m_table; }
    // Whether the spots connection is open (a list that cannot be filled then is a grave matter).
    bool databaseOpen() const { return m_database.isOpen(); }
    // What failed when the databases could not be opened, and what the user can do; else empty.
    QString notOpenText() const { return m_database.notOpenText(); }

    // Every node, by key.
    bool load(QList<NodeRecord>& rows, SqlFailure* why = nullptr);
    // One node; nothing (with errNoCurrentRecord) when the key is not stored.
    std::optional<NodeRecord> read(qint64 id, SqlFailure* why = nullptr);
    // Inserts a node with id 0 (the database gives the key), else overwrites that node; a key
    // that is no longer stored fails with errNoCurrentRecord.
    bool save(const NodeRecord& node, SqlFailure* why = nullptr);
    bool remove(qint64 id, SqlFailure* why = nullptr);

    // The list row: key, name, host, port, login call and password, each followed by one blank.
    // The password shows as asterisks, never in clear.
    static QString listRow(const NodeRecord& node);
    // The key at the start of a list row (0 when there is none).
    static qint64 keyOfRow(const QString& row);
    // Update saves only with a name and a host (blanks alone do not count) and a port from 1 to
    // 65535 (the leading number of the port box).
    static bool updateAllowed(const NodeBoxes& boxes);
    // The record the boxes describe, texts as typed, the port as the box's leading number.
    static NodeRecord recordOf(qint64 id, const NodeBoxes& boxes);
    static NodeBoxes boxesOf(const NodeRecord& node);
    // Copies the boxes into the link's current node (the connection string for chat and BBS).
    static void setCurrentNode(NodeTable table, const NodeBoxes& boxes, CurrentNode& node);

    // The values the insert statement binds, in its order ("" rather than NULL for a missing text).
    QVariantList values(const NodeRecord& node) const;

private:
    NodeTable m_table;
    Database& m_database;
};

} // namespace zenthra
