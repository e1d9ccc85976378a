#pragma once
// What storing spots costs with nothing else around it: per spot the writers' two inserts (a
// tblSPOT row and a tblAllSpots row, into the program's own tables and indexes, with the values
// typed as the writers bind them: the date as the database layer stores it, texts, and the
// figures as doubles), every spot inside one transaction, both statements prepared once.
//
// Measured through each database's own C API (SQLite's, libpq), the physical limit a spot road
// is held against, and through Qt's query layer, which the program itself goes through. Each
// takes a database whose schema the program's database layer made (opened once on a fresh folder
// or schema) and returns the seconds it took, or a negative figure with `why` saying what failed.

#include <QString>
#include <QStringList>

namespace zenthra {
class Database;
}

namespace zenthra::bench {

class BenchServer;

// The SQLite file `file`, opened as the program opens it: WAL journal, synchronous=NORMAL.
double storeThroughSqlite(const QString& file, const QStringList& lines, QString* why);
// The server's schema of `server`, one round trip per statement.
double storeThroughLibpq(const BenchServer& server, const QStringList& lines, QString* why);
// The spots connection of an open database layer.
double storeThroughQt(Database& db, const QStringList& lines, QString* why);

} // namespace zenthra::bench
