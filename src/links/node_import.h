#pragma once
// The node list imports: DXC.csv, wwc.csv and bbs.csv in the data folder turned into rows of the
// node tables. A usable line is "name,host,port" (commas inside the host stay part of it); short
// lines, comment lines ("#") and lines that begin with a blank are passed over; a field holding a
// control character (NUL from a list in an encoding the reader does not know) stops the
// import with the line named, as a field longer than its column does. A node whose name is stored
// already, in any letter case, is skipped: names are compared upper-cased as the import stores
// them (Qt's full case mapping, so "zürich" meets "ZÜRICH" and "straße" meets "STRASSE" on
// either database), against the names read once at the start.

#include "links/node_list.h"
#include "platform/text_file.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>

namespace zenthra {

struct NodeLine
{
    enum class Verdict
    {
        Ignored,      // shorter than 5 characters, a comment, or beginning with a blank
        Node,         // name, host and port below
        Unsplittable, // fewer than two commas: the import stops here
        Faulty,       // a field holding a control character: the import stops here
    };
    Verdict verdict = Verdict::Ignored;
    QString name;   // trimmed, case kept
    QString host;   // between the first and the last comma, trimmed
    QString port;   // after the last comma, trimmed
    QString faulty; // when Faulty, which field: "name", "host" or "port"
};

NodeLine splitNodeLine(const QString& line);

// What every imported node gets beside its name, host and port.
struct ImportLogin
{
    QString username;   // as typed
    QString password;   // as typed
    QString connectStr; // chat: wwcConnectString(); BBS: as typed; DX cluster: unused
};

struct ImportOutcome
{
    bool ok = false;
    int added = 0;
    int skipped = 0;
    SqlFailure failure; // when not ok; the rows added before it stay
};

// One run of an import, taken a slice at a time so that a window stays alive through a long
// list. Each row is saved as its own statement: a run cut short keeps the rows done. The file is
// read a line at a time as it is imported, so that its size costs no memory.
class NodeImportRun
{
public:
    NodeImportRun(NodeTable table, Database& database, ImportLogin login);

    // Opens the file and reads the stored names; false (with the failure in outcome()) when either
    // fails.
    bool begin(const QString& path);
    // Imports lines until the file ends, a line stops the run or `budget` has passed; true while
    // lines are left. When the run ends, the write-ahead log of the file database is emptied.
    bool step(std::chrono::milliseconds budget);
    const ImportOutcome& outcome() const { return m_outcome; }

private:
    bool importLine(const QString& line, QSqlQuery& insert);
    bool end(bool ok);
    // The failure of a file that is there but cannot be read.
    SqlFailure accessError() const;

    NodeTable m_table;
    Database& m_database;
    NodeList m_list;
    ImportLogin m_login;
    QString m_fileName;
    std::unique_ptr<textfile::LineReader> m_reader;
    qsizetype m_lineNumber = 0; // of the line read last
    bool m_ended = false;
    QSet<QString> m_names; // upper-cased
    ImportOutcome m_outcome;
};

class NodeImport
{
public:
    static constexpr double errFileNotFound = 53;
    static constexpr double errFileAccess = 75;
    static constexpr double errBadLine = 5;
    // The width of every text column of the node tables (varchar(255)), in characters.
    static constexpr qsizetype longestField = 255;

    // The file of the list: "DXC.csv", "wwc.csv" or "bbs.csv".
    static QString fileName(NodeTable table);
    // The file of that name in the folder in any letter case; the exact name when none is there.
    static QString findFile(const QString& folder, const QString& name);

    // The whole import at once.
    static ImportOutcome run(NodeTable table, Database& database, const QString& path,
                             const ImportLogin& login);
    // Which field of the row is longer than a column holds ("name", "host", "user name",
    // "password", "connection string"); "" when all fit.
    static QString overlongField(const NodeRecord& row);

    // The two-line report: "<n> DX Clusters were successfully added ..." CR LF "<m> DX Clusters  were ...".
    static QString resultText(NodeTable table, int added, int skipped);
    static QString helpTitle(NodeTable table);
    static QString helpText(NodeTable table);

    // The chat channel box: a text that is not a number becomes "14345"; a number is rounded
    // half to even.
    static QString channelText(const QString& typed);
    // "/n " + call + " " + the channel rounded.
    static QString wwcConnectString(const QString& callsign, const QString& channel);
};

} // namespace zenthra
