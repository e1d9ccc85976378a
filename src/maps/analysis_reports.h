#pragma once
// The analysis tab's reports over the spots database: the spot report (the sporadic-E results
// for mode "ES", every stored spot for any other mode), the report of one day's announcements,
// and the mode and band lists of the tab. Each report comes back as the text for the analysis
// window; a failure comes back as the error text the window shows in its place.

#include "maps/analysis_rules.h"
#include "propagation/muf_calcs.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace zenthra {

class Database;
class ErrorLog;

// What the user asked for on the tab, ready for the query.
struct AnalysisRequest
{
    QDateTime start; // UTC
    QDateTime end;   // UTC
    int count = defaultAnalysisCount;
    QString mode; // "ES", "ALL" or a mode word
    QString band; // a name of the band list
    bool descending = true;
    SortColumn sortBy = SortColumn::Muf;
    QString call; // a prefix; "%" and "_" in it are the user's own wildcards
    bool allDates = false;
    QString homeLocator; // as typed; checked once per report
};

// The lists of the tab's two boxes. On a failure the mode list stays empty, the band list is not
// refilled (bandsFilled false) and `error` holds the text for the analysis window.
struct AnalysisOptions
{
    QStringList modes;
    QStringList bands;
    bool bandsFilled = false;
    QString error;
};

class AnalysisReports : public QObject
{
    Q_OBJECT
public:
    AnalysisReports(Database& db, ErrorLog& log, QObject* parent = nullptr);

    // The spot report, or its error text (also logged); nothing while a report is being built.
    std::optional<QString> GET_ANALYSIS_DATA(const AnalysisRequest& request);
    // The announcements of the typed date (UTC today when it is not a date), at most the typed
    // count (5 to 9999), all of them or the bulletins only; or the error text.
    QString GET_ANNOUNCE_DATA(const QString& date, const QString& count, bool bulletinsOnly,
                              const QDateTime& utcNow, const QLocale& locale = QLocale());
    // "ALL" and the mode words of the keyword table, and the band list; announced to the tab.
    AnalysisOptions POPULATE_ANALYSIS_OPTIONS();

    bool busy() const { return m_blnAnalysisBusy; }

Q_SIGNALS:
    void analysisOptions(const zenthra::AnalysisOptions& options);

private:
    Database& m_db;
    ErrorLog& m_log;
    MufCalcs m_calcs;
    bool m_blnAnalysisBusy = false;
};

} // namespace zenthra
