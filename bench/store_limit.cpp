#include "store_limit.h"

#include "bench_database.h"
#include "spots/database.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <memory>
#include <span>
#include <vector>

namespace zenthra::bench {

namespace {

// What a column holds: the spot's date, a fixed text, a figure, or the spot line itself.
enum class Kind
{
    Date,
    Text,
    Number,
    Line,
};

struct Column
{
    const char* name;
    Kind kind;
    const char* text = nullptr;
    double number = 0;
};

constexpr Column date(const char* name)
{
    return {name, Kind::Date};
}
constexpr Column text(const char* name, const char* value)
{
    return {name, Kind::Text, value};
}
constexpr Column number(const char* name, double value)
{
    return {name, Kind::Number, nullptr, value};
}
constexpr Column line(const char* name)
{
    return {name, Kind::Line};
}

// A sporadic-E spot from England to southern Spain, as the writers store it.
constexpr Column mufColumns[] = {
    date("DxDateTime"),          text("DxCall1", "G4ABC"),
    text("DxLoc1", "IO91WM"),    text("DxCall2", "EA7XYZ"),
    text("DxLoc2", "IM67AA"),    number("freq", 50.11),
    number("qtf1", 204.4),       number("Elev1", 3.3),
    number("QRB1", 1725.3),      line("SpotInfo"),
    text("CentreLoc", "IN74RI"), number("critfreq", 9.6),
    number("MUF", 52.4),         text("TryFrom", "IO91WM"),
    text("TryTo", "IM67AA"),     number("Qtf2", 204.4),
    number("Elev2", 3.3),        number("QRB2", 1725.3),
    number("FOT", 49.9),         number("Qrb_To_Midpoint", 861.8),
};
constexpr Column allColumns[] = {
    date("Spot_Date"),           text("Spot_Call1", "G4ABC"),
    text("Spot_Loc1", "IO91WM"), text("Spot_Call2", "EA7XYZ"),
    text("Spot_Loc2", "IM67AA"), line("Spot_Detail"),
    number("Spot_Freq", 50.11),  text("Spot_Mode", "ES"),
};

struct Table
{
    const char* name;
    std::span<const Column> columns;
};
const Table tables[] = {{"tblSPOT", mufColumns}, {"tblAllSpots", allColumns}};

// The writers' statement for the table, with "?" placeholders or libpq's "$1", "$2", ...
QByteArray insertSql(const Table& table, bool numbered)
{
    QByteArray names;
    QByteArray marks;
    for (size_t i = 0; i < table.columns.size(); ++i) {
        const QByteArray comma = i == 0 ? QByteArray() : QByteArrayLiteral(", ");
        names += comma + table.columns[i].name;
        marks += comma + (numbered ? '$' + QByteArray::number(qulonglong(i + 1)) : QByteArrayLiteral("?"));
    }
    return QByteArrayLiteral("INSERT INTO ") + table.name + " (" + names + ") VALUES (" + marks + ')';
}

QVariant spotDate()
{
    return Database::dateValue(QDateTime(QDate(2024, 6, 14), QTime(12, 34), Qt::UTC));
}

std::vector<QByteArray> utf8Lines(const QStringList& lines)
{
    std::vector<QByteArray> out;
    out.reserve(size_t(lines.size()));
    for (const QString& l : lines) {
        out.push_back(l.toUtf8());
    }
    return out;
}

double failed(QString* why, const QString& what)
{
    if (why) {
        *why = what;
    }
    return -1;
}

struct SqliteClose
{
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct SqliteFinalize
{
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using SqliteStatement = std::unique_ptr<sqlite3_stmt, SqliteFinalize>;

struct PgFinish
{
    void operator()(PGconn* c) const { PQfinish(c); }
};

// Runs a statement without a result; false with the server's words in `why` when it fails.
bool pgRun(PGconn* c, const QByteArray& sql, QString* why)
{
    PGresult* r = PQexec(c, sql.constData());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    if (!ok && why) {
        *why = QString::fromUtf8(PQerrorMessage(c)).simplified();
    }
    PQclear(r);
    return ok;
}

constexpr size_t mufTable = 0;
constexpr size_t allTable = 1;

bool fits(const QStringList& lines, const RoadShape& shape, QString* why)
{
    qsizetype committed = 0;
    for (const int n : shape.linesPerCommit) {
        committed += n;
    }
    if (qsizetype(shape.mufRow.size()) == lines.size() &&
        (shape.linesPerCommit.empty() || committed == lines.size())) {
        return true;
    }
    failed(why, QStringLiteral("the road's shape (%1 lines, %2 committed) does not fit %3 lines")
                    .arg(shape.mufRow.size())
                    .arg(committed)
                    .arg(lines.size()));
    return false;
}

// Stores the lines as the road did: each of its transactions' lines between a begin and a commit
// (or every row on its own), and per line its tblSPOT row where the road wrote one, then its
// tblAllSpots row. `insert(table, line)` writes one row; every step returns false when it fails.
template <typename Begin, typename Insert, typename Commit>
bool storeAsTheRoad(const RoadShape& shape, Begin begin, Insert insert, Commit commit)
{
    const auto store = [&](size_t line) {
        return (!shape.mufRow[line] || insert(mufTable, line)) && insert(allTable, line);
    };
    if (shape.linesPerCommit.empty()) {
        for (size_t line = 0; line < shape.mufRow.size(); ++line) {
            if (!store(line)) {
                return false;
            }
        }
        return true;
    }
    size_t line = 0;
    for (const int n : shape.linesPerCommit) {
        if (!begin()) {
            return false;
        }
        for (const size_t end = line + size_t(n); line < end; ++line) {
            if (!store(line)) {
                return false;
            }
        }
        if (!commit()) {
            return false;
        }
    }
    return true;
}

} // namespace

double storeThroughSqlite(const QString& file, const QStringList& lines, const RoadShape& shape, QString* why)
{
    if (!fits(lines, shape, why)) {
        return -1;
    }
    sqlite3* opened = nullptr;
    const int rc = sqlite3_open_v2(file.toUtf8().constData(), &opened, SQLITE_OPEN_READWRITE, nullptr);
    const std::unique_ptr<sqlite3, SqliteClose> db(opened);
    if (rc != SQLITE_OK) {
        return failed(why, QStringLiteral("open %1: %2").arg(file, QString::fromUtf8(sqlite3_errstr(rc))));
    }
    const auto run = [&](const char* sql) { return sqlite3_exec(db.get(), sql, nullptr, nullptr, nullptr); };
    const auto error = [&] { return failed(why, QString::fromUtf8(sqlite3_errmsg(db.get()))); };
    if (run("PRAGMA journal_mode=WAL") != SQLITE_OK || run("PRAGMA synchronous=NORMAL") != SQLITE_OK) {
        return error();
    }
    std::vector<SqliteStatement> inserts;
    for (const Table& t : tables) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v3(db.get(), insertSql(t, false).constData(), -1, SQLITE_PREPARE_PERSISTENT, &s,
                               nullptr) != SQLITE_OK) {
            return error();
        }
        inserts.emplace_back(s);
    }
    const QByteArray when = spotDate().toString().toUtf8();
    const std::vector<QByteArray> texts = utf8Lines(lines);
    const auto insert = [&](size_t t, size_t line) {
        sqlite3_stmt* s = inserts[t].get();
        const QByteArray& spotLine = texts[line];
        const std::span<const Column> columns = tables[t].columns;
        for (int i = 0; i < int(columns.size()); ++i) {
            const Column& c = columns[size_t(i)];
            switch (c.kind) {
            case Kind::Date:
                sqlite3_bind_text(s, i + 1, when.constData(), int(when.size()), SQLITE_STATIC);
                break;
            case Kind::Text:
                sqlite3_bind_text(s, i + 1, c.text, -1, SQLITE_STATIC);
                break;
            case Kind::Number:
                sqlite3_bind_double(s, i + 1, c.number);
                break;
            case Kind::Line:
                sqlite3_bind_text(s, i + 1, spotLine.constData(), int(spotLine.size()), SQLITE_STATIC);
                break;
            }
        }
        const bool ok = sqlite3_step(s) == SQLITE_DONE;
        sqlite3_reset(s);
        return ok;
    };

    QElapsedTimer clock;
    clock.start();
    if (!storeAsTheRoad(
            shape, [&] { return run("BEGIN") == SQLITE_OK; }, insert,
            [&] { return run("COMMIT") == SQLITE_OK; })) {
        return error();
    }
    return double(clock.nsecsElapsed()) / 1e9;
}

double storeThroughLibpq(const BenchServer& server, const QStringList& lines, const RoadShape& shape,
                         QString* why)
{
    if (!fits(lines, shape, why)) {
        return -1;
    }
    const std::unique_ptr<PGconn, PgFinish> c(PQconnectdb(server.connectionInfo().toUtf8().constData()));
    if (PQstatus(c.get()) != CONNECTION_OK) {
        return failed(why, QString::fromUtf8(PQerrorMessage(c.get())).simplified());
    }
    if (!pgRun(c.get(), "SET search_path TO " + server.schema().toUtf8(), why)) {
        return -1;
    }
    // Each statement's values as text, the form the server parses for every parameter type.
    std::vector<std::vector<QByteArray>> values;
    const QByteArray when = spotDate().toString().toUtf8();
    for (const Table& t : tables) {
        PGresult* r =
            PQprepare(c.get(), t.name, insertSql(t, true).constData(), int(t.columns.size()), nullptr);
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        if (!ok) {
            return failed(why, QString::fromUtf8(PQerrorMessage(c.get())).simplified());
        }
        std::vector<QByteArray>& v = values.emplace_back();
        for (const Column& col : t.columns) {
            switch (col.kind) {
            case Kind::Date:
                v.push_back(when);
                break;
            case Kind::Text:
                v.push_back(QByteArray(col.text));
                break;
            case Kind::Number:
                v.push_back(QByteArray::number(col.number, 'g', QLocale::FloatingPointShortest));
                break;
            case Kind::Line:
                v.emplace_back();
                break;
            }
        }
    }
    const std::vector<QByteArray> texts = utf8Lines(lines);
    std::vector<std::vector<const char*>> params(std::size(tables));
    const auto insert = [&](size_t t, size_t line) {
        std::vector<const char*>& p = params[t];
        p.clear();
        for (size_t i = 0; i < tables[t].columns.size(); ++i) {
            p.push_back(tables[t].columns[i].kind == Kind::Line ? texts[line].constData()
                                                                : values[t][i].constData());
        }
        PGresult* r = PQexecPrepared(c.get(), tables[t].name, int(p.size()), p.data(), nullptr, nullptr, 0);
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        if (!ok) {
            failed(why, QString::fromUtf8(PQerrorMessage(c.get())).simplified());
        }
        return ok;
    };

    QElapsedTimer clock;
    clock.start();
    if (!storeAsTheRoad(
            shape, [&] { return pgRun(c.get(), "BEGIN", why); }, insert,
            [&] { return pgRun(c.get(), "COMMIT", why); })) {
        return -1;
    }
    return double(clock.nsecsElapsed()) / 1e9;
}

double storeThroughQt(Database& db, const QStringList& lines, const RoadShape& shape, QString* why)
{
    if (!fits(lines, shape, why)) {
        return -1;
    }
    std::vector<QSqlQuery> inserts;
    std::vector<QVariantList> values;
    for (const Table& t : tables) {
        SqlFailure failure;
        inserts.push_back(db.prepare(Store::Spots, QString::fromLatin1(insertSql(t, false)), &failure));
        if (failure.number != 0) {
            return failed(why, failure.text);
        }
        QVariantList& v = values.emplace_back();
        for (const Column& c : t.columns) {
            switch (c.kind) {
            case Kind::Date:
                v.append(spotDate());
                break;
            case Kind::Text:
                v.append(QString::fromLatin1(c.text));
                break;
            case Kind::Number:
                v.append(c.number);
                break;
            case Kind::Line:
                v.append(QString());
                break;
            }
        }
    }
    QSqlDatabase connection = db.connection(Store::Spots);
    const auto insert = [&](size_t t, size_t line) {
        QSqlQuery& q = inserts[t];
        for (int i = 0; i < values[t].size(); ++i) {
            q.bindValue(i, tables[t].columns[size_t(i)].kind == Kind::Line ? QVariant(lines[qsizetype(line)])
                                                                           : values[t][i]);
        }
        if (!q.exec()) {
            failed(why, q.lastError().text());
            return false;
        }
        q.finish();
        return true;
    };
    const auto settled = [&](bool ok) {
        if (!ok) {
            failed(why, connection.lastError().text());
        }
        return ok;
    };

    QElapsedTimer clock;
    clock.start();
    if (!storeAsTheRoad(
            shape, [&] { return settled(connection.transaction()); }, insert,
            [&] { return settled(connection.commit()); })) {
        return -1;
    }
    return double(clock.nsecsElapsed()) / 1e9;
}

} // namespace zenthra::bench
