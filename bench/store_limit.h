#pragma once
// What storing spots costs with nothing else around it: the writers' inserts (a tblAllSpots row
// for every spot, a tblSPOT row before it for the spots the road stored one for, into the
// program's own tables and indexes, with the values typed as the writers bind them: the date as
// the database layer stores it, texts, and the figures as doubles), committed as the road commits
// them, both statements prepared once.
//
// Measured through each database's own C API (SQLite's, libpq), the physical limit a spot road
// is held against, and through Qt's query layer, which the program itself goes through. Each
// takes a database whose schema the program's database layer made (opened once on a fresh folder
// or schema) and returns the seconds it took, or a negative figure with `why` saying what failed.

#include <QString>
#include <QStringList>

#include <vector>

namespace zenthra {
class Database;
}

namespace zenthra::bench {

class BenchServer;

// How the road stored its input, taken from a run of the road over the same lines, so that the
// limit writes the same rows with the same commits.
struct RoadShape
{
    // Per line: whether the road stored a tblSPOT row for it.
    std::vector<bool> mufRow;
    // The lines each of the road's transactions held, in order (a tick's worth each); empty when
    // every row commits on its own, as the writers do with a server.
    std::vector<int> linesPerCommit;
};

// The SQLite file `file`, opened as the program opens it: WAL journal, synchronous=NORMAL.
double storeThroughSqlite(const QString& file, const QStringList& lines, const RoadShape& shape,
                          QString* why);
// The server's schema of `server`, one round trip per statement.
double storeThroughLibpq(const BenchServer& server, const QStringList& lines, const RoadShape& shape,
                         QString* why);
// The spots connection of an open database layer.
double storeThroughQt(Database& db, const QStringList& lines, const RoadShape& shape, QString* why);

} // namespace zenthra::bench
