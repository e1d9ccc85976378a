#pragma once
// The rules of the analysis tab's reports, without a database or a widget: how the typed date,
// times and count become a report's range and row count, the band table, the sort texts, the
// headers and each row's block of lines. Every line of a report ends with CR LF.

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

namespace zenthra {

class MufCalcs;

// --- Range and count of the spot report.

// A typed time: "3:22", "03:22" or "03:22:10".
std::optional<QTime> analysisTime(const QString& text);

struct AnalysisRange
{
    QDateTime start; // UTC
    QDateTime end;   // UTC, on the start's day
};

// The report's range: the typed date (mapDate), else the UTC day of `utcToday`; from the start time, else
// 00:00:00; to the finish time, else 23:59:59.
AnalysisRange analysisRange(const QString& date, const QString& start, const QString& finish,
                            const QDate& utcToday, const QLocale& locale);

// The row count: the leading number of the text to the nearest integer; 5 when that is below 1,
// beyond the 16-bit range, or when the text holds no number.
int analysisCount(const QString& text);
constexpr int defaultAnalysisCount = 5;

// --- Mode, band and sort.

// "ES" reports on the sporadic-E results; every other mode word, "ALL" included, on all spots.
constexpr const char* sporadicEMode = "ES";
constexpr const char* allMode = "ALL";

// The 20 band names in the order the band list shows them.
const QStringList& analysisBands();
// The SQL condition of a band, as the report's header shows it too (" (Freq > 49 AND Freq < 60) "
// for "6M" on the sporadic-E results); nothing for a name outside the table.
std::optional<QString> bandCondition(const QString& band, bool sporadicE);

enum class SortColumn
{
    Muf,
    Fot,
    Time,
};

// " DESC " or " ASC ".
QString directionText(bool descending);
// The sort of the sporadic-E results: " MUF ", " FOT " or " DxDateTime ", then the direction.
QString orderText(SortColumn column, bool descending);

// --- The spot report's text.

// The two header lines and the blank line before the row blocks.
QString analysisHeader(const QString& mode, const QString& band, const QString& direction,
                       const QDateTime& start, const QDateTime& end);

// A row of the sporadic-E results (tblSPOT). Numbers are the stored singles; a missing one is 0.
struct SporadicERow
{
    QDateTime dxDateTime;
    QString spotInfo;
    float freq = 0;
    float qtf1 = 0;
    float elev1 = 0;
    float qrb1 = 0;
    QString dxLoc1;
    QString dxLoc2;
    QString centreLoc;
    float critFreq = 0;
    QString tryFrom;
    QString tryTo;
    float qtf2 = 0;
    float elev2 = 0;
    float qrb2 = 0;
    float muf = 0;
    float fot = 0;
};
QString sporadicEBlock(const SporadicERow& row);
// The remark after the MUF line, from the elevation as printed (to the nearest degree).
QString elevationRemark(float elev2);

// A row of all spots (tblAllSpots). A missing text is empty.
struct AllSpotsRow
{
    QDateTime spotDate;
    QString detail;
    QString mode;
    QString loc1;
    QString loc2;
    QString call1;
    QString call2;
};
// `home` is the checked home locator, empty when it is not a valid one: then no home lines.
QString allSpotsBlock(const AllSpotsRow& row, const QString& home, const MufCalcs& calcs);

// The texts a report and its error line give the range's ends: "03 Jun 2024 14:05:00".
QString analysisDateTimeText(const QDateTime& utc);

// --- The announcement report.

// The number of announcements: 5 unless the leading number lies between 5 and 9999.
int announceCount(const QString& text);
// The header line with the label of the bulletins, then a blank line.
QString announceHeader(const QDate& date, bool bulletinsOnly);
// "[2359z] " and the announcement.
QString announceLine(const QDateTime& annDate, const QString& text);

} // namespace zenthra
