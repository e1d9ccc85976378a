#pragma once
// The ANALYSIS tab's controls on the main window, wired to the reports: "Get Data", the two
// announcement buttons and the mode and band boxes. The reports go to the analysis window.

#include "maps/analysis_reports.h"

#include <QDateTime>
#include <QObject>
#include <array>
#include <functional>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace zenthra {

class OptionsModel;
class TextWindows;

// The ANALYSIS tab's controls, as the main window builds them.
struct AnalysisControls
{
    // 0 Date, 1 Time Start, 2 Time Finish, 3 No of Records, 4 Search Callsign.
    std::array<QLineEdit*, 5> txtAnalysis{};
    // 0 the mode, 1 the band.
    std::array<QComboBox*, 2> cboAnalysisMode{};
    // 0 Descending, 1 Ascending.
    std::array<QAbstractButton*, 2> optSortMode{};
    // 0 Order By MUF, 1 Order By FOT, 2 Order By Time.
    std::array<QAbstractButton*, 3> optSortMuf{};
    QCheckBox* chkAllDates = nullptr;
    QPushButton* cmdAnalysis = nullptr;
    QPushButton* cmdAnnounce = nullptr;
    QPushButton* cmdAnnWWv = nullptr;
};

class AnalysisWindow : public QObject
{
    Q_OBJECT
public:
    // `utcNow` is the program's UTC clock value.
    AnalysisWindow(AnalysisReports& reports, TextWindows& windows, const OptionsModel& options,
                   std::function<QDateTime()> utcNow, const AnalysisControls& controls, QObject* parent);

    // "Get Data": the request the controls describe, and the report it gives.
    AnalysisRequest request() const;
    void cmdAnalysis_Click();
    // "Announcements" (all) and "wwv / wcy" (bulletins only) for the typed date and count.
    void announce(bool bulletinsOnly);

private:
    void fillLists(const AnalysisOptions& options);
    QString field(int index) const;
    void show(QString report);

    AnalysisReports& m_reports;
    TextWindows& m_windows;
    const OptionsModel& m_options;
    std::function<QDateTime()> m_utcNow;
    AnalysisControls m_controls;
};

} // namespace zenthra
