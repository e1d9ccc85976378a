#pragma once
// The ANALYSIS tab's controls on the main window, wired to the reports: "Get Data", the two
// announcement buttons and the mode and band boxes. The reports go to the analysis window.

#include "maps/analysis_reports.h"

#include <QDateTime>
#include <QObject>
#include <functional>

class QWidget;

namespace zenthra {

class OptionsModel;
class TextWindows;

class AnalysisWindow : public QObject
{
    Q_OBJECT
public:
    // `tab` holds the controls (found by their names); `utcNow` is the program's UTC clock value.
    AnalysisWindow(AnalysisReports& reports, TextWindows& windows, const OptionsModel& options,
                   std::function<QDateTime()> utcNow, QWidget& tab);

    // "Get Data": the request the controls describe, and the report it gives.
    AnalysisRequest request() const;
    void cmdAnalysis_Click();
    // "Announcements" (all) and "wwv / wcy" (bulletins only) for the typed date and count.
    void announce(bool bulletinsOnly);

private:
    void fillLists(const AnalysisOptions& options);
    QString field(int index) const;
    bool ticked(const char* name, int index) const;
    void show(QString report);

    AnalysisReports& m_reports;
    TextWindows& m_windows;
    const OptionsModel& m_options;
    std::function<QDateTime()> m_utcNow;
    QWidget& m_tab;
};

} // namespace zenthra
