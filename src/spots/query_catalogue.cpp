#include "query_catalogue.h"

namespace zenthra {

namespace {

// PostgreSQL sorts text by the database's locale, which may ignore punctuation; the byte order
// that SQLite uses is asked for explicitly so that both databases list rows alike.
constexpr const char* byteOrder = " COLLATE \"C\"";

QString mapSpots(SqlDialect dialect, const QString& arg4, const QString& arg5, const QString& arg6)
{
    // The first letter pair of both locators must be field letters A to R (codes 65 to 82).
    const QString code = dialect == SqlDialect::Sqlite ? QStringLiteral("unicode") : QStringLiteral("ascii");
    QString letters;
    for (const char* column : {"DxLoc1", "DxLoc2"}) {
        for (int position : {1, 2}) {
            letters += QStringLiteral(" AND %1(upper(substr(%2, %3, 1))) BETWEEN 65 AND 82")
                           .arg(code, QLatin1String(column))
                           .arg(position);
        }
    }
    return QStringLiteral("SELECT DxDateTime, DxLoc1, DxLoc2, MUF, Freq, CentreLoc, TryFrom, TryTo,"
                          " coalesce(Qrb_To_Midpoint, 0) AS midqrb FROM tblSPOT"
                          " WHERE MUF >= :mufMin AND MUF <= :mufMax ") +
           arg4 + QStringLiteral(" AND length(DxLoc1) > 0") + letters + QLatin1Char(' ') + arg5 +
           QLatin1Char(' ') + arg6 + QStringLiteral(" ORDER BY DxDateTime DESC LIMIT :rowCount");
}

} // namespace

QString kindLetter(SqlDialect dialect)
{
    return dialect == SqlDialect::Postgres ? QStringLiteral("s") : QStringLiteral("a");
}

SqlDialect dialectOfKind(QStringView kind)
{
    return kind.compare(u"s", Qt::CaseInsensitive) == 0 ? SqlDialect::Postgres : SqlDialect::Sqlite;
}

QString SET_SQL(QStringView key, const QString& arg4, const QString& arg5, const QString& arg6)
{
    const QString lower = key.toString().toLower();
    if (lower.size() < 2) {
        return {};
    }
    const QChar letter = lower.back();
    if (letter != u'a' && letter != u's') {
        return {};
    }
    const SqlDialect dialect = letter == u's' ? SqlDialect::Postgres : SqlDialect::Sqlite;
    bool isNumber = false;
    const int number = lower.chopped(1).toInt(&isNumber);
    if (!isNumber || lower.front() == u'+' || lower.front() == u'-' || lower.front() == u'0') {
        return {};
    }
    const bool pg = dialect == SqlDialect::Postgres;
    switch (number) {
    case 1:
        return QStringLiteral("CREATE TABLE IF NOT EXISTS tblProp (propId varchar(50), PropCheck varchar(50),"
                              " SortOrder varchar(50), CONSTRAINT PropCheck PRIMARY KEY (PropCheck))");
    case 2:
        return mapSpots(dialect, arg4, arg5, arg6);
    case 3:
        return QStringLiteral("SELECT propId, PropCheck, SortOrder,"
                              " (SELECT count(PropCheck) FROM tblProp) AS RecCount FROM tblProp"
                              " ORDER BY SortOrder%1, PropCheck%1")
            .arg(pg ? QLatin1String(byteOrder) : QLatin1String());
    case 4:
        return pg ? QStringLiteral("CREATE TABLE IF NOT EXISTS tblAnnounce (ann_text varchar(255), ann_date "
                                   "timestamp(0))")
                  : QStringLiteral(
                        "CREATE TABLE IF NOT EXISTS tblAnnounce (ann_text varchar(255), ann_date text)");
    case 5:
        return QStringLiteral(
            "CREATE TABLE IF NOT EXISTS tblSpider (spidertype varchar(50),"
            " spiderCommand varchar(255), CONSTRAINT spiderCommand PRIMARY KEY (spiderCommand))");
    case 6:
        return pg ? QStringLiteral(
                        "SELECT spidertype FROM tblSpider GROUP BY spidertype ORDER BY spidertype") +
                        QLatin1String(byteOrder)
                  : QStringLiteral("SELECT DISTINCT spidertype FROM tblSpider ORDER BY spidertype");
    case 7:
        // The type is matched whole: a LIKE would read "_" in USER_DEFINED as any character, and the
        // server's LIKE minds the letter case.
        return pg ? QStringLiteral("SELECT spiderCommand FROM tblSpider WHERE upper(spidertype) = upper(?)"
                                   " GROUP BY spiderCommand ORDER BY spiderCommand") +
                        QLatin1String(byteOrder)
                  : QStringLiteral(
                        "SELECT DISTINCT spiderCommand FROM tblSpider WHERE upper(spidertype) = upper(?)"
                        " ORDER BY spiderCommand");
    case 8:
        return QStringLiteral("DELETE FROM tblSpider");
    default:
        return {};
    }
}

QString dialectSql(Statement statement, SqlDialect dialect)
{
    const bool pg = dialect == SqlDialect::Postgres;
    const QString date = pg ? QStringLiteral("timestamp(0)") : QStringLiteral("text");
    // A single-precision figure is stored as the value of its printed form; the server's real
    // would turn 50.152 back into 50.1520004272461, so it gets a double column.
    const QString single = pg ? QStringLiteral("double precision") : QStringLiteral("real");
    const QString key = pg ? QStringLiteral("integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                           : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    const auto nodeTable = [&](const char* table, const char* id, bool connectString) {
        return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2 %3, Friendly_Name varchar(255),"
                              " ip_host varchar(255), Port double precision, Username varchar(255),"
                              " Password varchar(255)%4)")
            .arg(QLatin1String(table), QLatin1String(id), key,
                 connectString ? QStringLiteral(", ConnectStr varchar(255)") : QString());
    };
    switch (statement) {
    case Statement::TableExists:
        return pg ? QStringLiteral("SELECT count(*) FROM information_schema.tables"
                                   " WHERE table_schema = current_schema() AND table_name = lower(?)")
                  : QStringLiteral(
                        "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND lower(name) = lower(?)");
    case Statement::CreateSpot:
        return QStringLiteral(
                   "CREATE TABLE IF NOT EXISTS tblSPOT (DxDateTime %1, DxCall1 varchar(50),"
                   " DxLoc1 varchar(20), DxCall2 varchar(50), DxLoc2 varchar(20), freq %2, qtf1 %2,"
                   " Elev1 %2, QRB1 %2, SpotInfo varchar(120), CentreLoc varchar(20), critfreq %2,"
                   " MUF %2, TryFrom varchar(20), TryTo varchar(20), Qtf2 %2, Elev2 %2, QRB2 %2,"
                   " FOT %2, Qrb_To_Midpoint %2)")
            .arg(date, single);
    case Statement::CreateAllSpots:
        return QStringLiteral("CREATE TABLE IF NOT EXISTS tblAllSpots (Spot_Date %1, Spot_Call1 varchar(50),"
                              " Spot_Loc1 varchar(20), Spot_Call2 varchar(50), Spot_Loc2 varchar(20),"
                              " Spot_Detail varchar(120), Spot_Freq %2, Spot_Mode varchar(50))")
            .arg(date, single);
    case Statement::CreateDxStation:
        return QStringLiteral("CREATE TABLE IF NOT EXISTS tblDxStation (DxCallsign varchar(50),"
                              " DxLocatorID varchar(20), DxDate %1)")
            .arg(date);
    case Statement::CreateTelnetClx:
        return nodeTable("tblTelnetClx", "dxcID", false);
    case Statement::CreateTelnetWwc:
        return nodeTable("tblTelnetWWC", "wwcID", true);
    case Statement::CreateTelnetBbs:
        return nodeTable("tblTelnetBBS", "bbsID", true);
    case Statement::IndexDxStation:
        // Calls are looked up as upper(DxCallsign) = upper(?), newest DxDate first.
        return QStringLiteral(
            "CREATE INDEX IF NOT EXISTS ixDxStationCallDate ON tblDxStation (upper(DxCallsign), DxDate)");
    case Statement::IndexSpotDate:
        return QStringLiteral("CREATE INDEX IF NOT EXISTS ixSpotDate ON tblSPOT (DxDateTime)");
    case Statement::IndexAllSpotsDate:
        return QStringLiteral("CREATE INDEX IF NOT EXISTS ixAllSpotsDate ON tblAllSpots (Spot_Date)");
    case Statement::AddSpotMode:
        return pg ? QStringLiteral(
                        "ALTER TABLE tblAllSpots ADD COLUMN IF NOT EXISTS Spot_Mode varchar(50) NULL")
                  : QStringLiteral("ALTER TABLE tblAllSpots ADD COLUMN Spot_Mode varchar(50)");
    case Statement::AddQrbToMidpoint:
        return pg ? QStringLiteral(
                        "ALTER TABLE tblSPOT ADD COLUMN IF NOT EXISTS Qrb_To_Midpoint double precision NULL")
                  : QStringLiteral("ALTER TABLE tblSPOT ADD COLUMN Qrb_To_Midpoint real");
    case Statement::DeleteSelfSpots:
        return QStringLiteral("DELETE FROM tblSPOT WHERE upper(DxCall1) = upper(DxCall2)");
    case Statement::InsertProp:
        return QStringLiteral("INSERT INTO tblProp (propId, PropCheck, SortOrder) VALUES (?, ?, ?)");
    case Statement::DistinctModes:
        return pg ? QStringLiteral("SELECT propId FROM tblProp GROUP BY propId ORDER BY propId") +
                        QLatin1String(byteOrder)
                  : QStringLiteral("SELECT DISTINCT propId FROM tblProp ORDER BY propId");
    case Statement::InsertAnnounce:
        return QStringLiteral("INSERT INTO tblAnnounce (ann_text, ann_date) VALUES (?, ?)");
    case Statement::InsertSpider:
        return QStringLiteral("INSERT INTO tblSpider (spidertype, spiderCommand) VALUES (?, ?)");
    case Statement::AverageMufOfDay:
        // A day is a range of the stored UTC times, so the date index serves it on both databases.
        return QStringLiteral(
                   "SELECT avg(MUF) AS AVERAGE_MUF, substr(CentreLoc, 1, 4) AS MID_LOC,"
                   " count(DxDateTime) AS SPOT_COUNT FROM tblSPOT"
                   " WHERE DxDateTime >= ? AND DxDateTime < ? AND QRB1 < 3000"
                   " AND substr(CentreLoc, 1, 4) <> ''"
                   " GROUP BY substr(CentreLoc, 1, 4) ORDER BY avg(MUF) DESC, substr(CentreLoc, 1, 4)%1")
            .arg(pg ? QLatin1String(byteOrder) : QLatin1String());
    case Statement::SpotTextsOfDay:
        return QStringLiteral(
            "SELECT SpotInfo, DxDateTime FROM tblSPOT WHERE DxDateTime >= ? AND DxDateTime < ?"
            " ORDER BY DxDateTime DESC");
    case Statement::SpotRowsOfText:
        return QStringLiteral("SELECT DxDateTime, SpotInfo, Freq, DxLoc1, DxLoc2, CentreLoc, TryFrom, TryTo"
                              " FROM tblSPOT WHERE DxDateTime >= ? AND DxDateTime < ? AND SpotInfo = ?"
                              " ORDER BY DxDateTime DESC");
    }
    return {};
}

QString analysisSql(const AnalysisSelect& select, SqlDialect dialect)
{
    Q_UNUSED(dialect); // both dialects read the same text
    const bool es = select.sporadicE;
    QString sql = es ? QStringLiteral("SELECT DxDateTime, SpotInfo, freq, qtf1, Elev1, QRB1, DxLoc1, DxLoc2,"
                                      " CentreLoc, critfreq, TryFrom, TryTo, Qtf2, Elev2, QRB2, MUF, FOT"
                                      " FROM tblSPOT WHERE ")
                     : QStringLiteral("SELECT Spot_Date, Spot_Detail, Spot_Mode, Spot_Loc1, Spot_Loc2,"
                                      " Spot_Call1, Spot_Call2 FROM tblAllSpots WHERE ");
    const QString date = es ? QStringLiteral("DxDateTime") : QStringLiteral("Spot_Date");
    if (!select.allDates) {
        sql += QStringLiteral("%1 >= ? AND %1 <= ? AND ").arg(date);
    }
    sql += QLatin1Char('(') + select.band + QLatin1Char(')');
    if (select.byMode && !es) {
        sql += QStringLiteral(" AND Spot_Mode = ?");
    }
    if (select.byCall) {
        sql +=
            es ? QStringLiteral(" AND (upper(DxCall1) LIKE upper(?) OR upper(DxCall2) LIKE upper(?))")
               : QStringLiteral(" AND (upper(Spot_Call1) LIKE upper(?) OR upper(Spot_Call2) LIKE upper(?))");
    }
    return sql + QStringLiteral(" ORDER BY ") + select.order + QStringLiteral(" LIMIT ?");
}

QString announceSql(bool bulletinsOnly, SqlDialect dialect)
{
    Q_UNUSED(dialect); // both dialects read the same text
    QString sql =
        QStringLiteral("SELECT ann_date, ann_text FROM tblAnnounce WHERE ann_date >= ? AND ann_date < ?");
    if (bulletinsOnly) {
        sql += QStringLiteral(" AND (upper(ann_text) LIKE 'TO SOLAR%' OR upper(ann_text) LIKE 'WWV DE%'"
                              " OR upper(ann_text) LIKE 'WCY DE%')");
    }
    return sql + QStringLiteral(" ORDER BY ann_date DESC LIMIT ?");
}

} // namespace zenthra
