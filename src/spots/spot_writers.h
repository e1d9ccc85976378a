#pragma once
// The two spot tables' writers: every processed spot can leave a row in tblAllSpots, and every
// sporadic-E result with a MUF between 0 and 300 MHz a row in tblSPOT. Values arrive as the spot
// record's text and are converted to the column types here; a value that does not convert, or
// a row the database refuses, is logged and lost, and the next spot is written normally.

#include <QObject>
#include <QSqlQuery>
#include <QString>

namespace zenthra {

class Database;
class ErrorLog;

class SpotWriters : public QObject
{
    Q_OBJECT
public:
    static constexpr int spotInfoLength = 120;
    static constexpr double errTypeMismatch = 13;

    // `dbBusy` is the flag shared with the call/locator look-up: while it is set the writers do
    // nothing at all.
    SpotWriters(Database& db, ErrorLog& log, bool& dbBusy, QObject* parent = nullptr);

    // One tblSPOT row, the arguments in the table's column order. spotInfo is cut in place to
    // 120 characters (trailing blanks removed) when longer. True when the row was stored.
    bool WRITE_MUF_TO_DB(QString& dxDateTime, QString& dxCall1, QString& dxLoc1, QString& dxCall2,
                         QString& dxLoc2, QString& freq, QString& qtf1, QString& elev1, QString& qrb1,
                         QString& spotInfo, QString& centreLoc, QString& critFreq, QString& muf,
                         QString& tryFrom, QString& tryTo, QString& qtf2, QString& elev2, QString& qrb2,
                         QString& fot, QString& qrbToMidpoint);
    // One tblAllSpots row. Note the order: the frequency comes before the detail text.
    bool WRITE_SPOT_TO_DB(QString& spotDate, QString& spotCall1, QString& spotLoc1, QString& spotCall2,
                          QString& spotLoc2, QString& spotFreq, QString& spotDetail, QString& spotMode);

    // The cut of a spot line to what the tables hold.
    static void cutSpotInfo(QString& text);

Q_SIGNALS:
    // After each stored tblSPOT row: the recent-spot map has something new to draw.
    void mufRowStored();

private:
    bool prepared(QSqlQuery& query, QString& connection, const QString& sql, double* number, QString* why);

    Database& m_db;
    ErrorLog& m_log;
    bool& m_dbBusy;
    QSqlQuery m_mufInsert;
    QSqlQuery m_spotInsert;
    QString m_mufConnection;
    QString m_spotConnection;
};

} // namespace zenthra
