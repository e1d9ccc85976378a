#include "shell/analysis_window.h"

#include "core/options_model.h"
#include "shell/text_windows.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace zenthra {

AnalysisWindow::AnalysisWindow(AnalysisReports& reports, TextWindows& windows, const OptionsModel& options,
                               std::function<QDateTime()> utcNow, const AnalysisControls& controls,
                               QObject* parent)
    : QObject(parent), m_reports(reports), m_windows(windows), m_options(options),
      m_utcNow(std::move(utcNow)), m_controls(controls)
{
    // The designed defaults: newest first, by MUF.
    if (!m_controls.optSortMode[1]->isChecked()) {
        m_controls.optSortMode[0]->setChecked(true);
    }
    if (!m_controls.optSortMuf[1]->isChecked() && !m_controls.optSortMuf[2]->isChecked()) {
        m_controls.optSortMuf[0]->setChecked(true);
    }
    connect(m_controls.cmdAnalysis, &QPushButton::clicked, this, [this] { cmdAnalysis_Click(); });
    connect(m_controls.cmdAnnounce, &QPushButton::clicked, this, [this] { announce(false); });
    connect(m_controls.cmdAnnWWv, &QPushButton::clicked, this, [this] { announce(true); });
    connect(&m_reports, &AnalysisReports::analysisOptions, this, &AnalysisWindow::fillLists);
}

QString AnalysisWindow::field(int index) const
{
    return m_controls.txtAnalysis[size_t(index)]->text();
}

AnalysisRequest AnalysisWindow::request() const
{
    AnalysisRequest r;
    const AnalysisRange range = analysisRange(field(0), field(1), field(2), m_utcNow().date(), QLocale());
    r.start = range.start;
    r.end = range.end;
    r.count = analysisCount(field(3));
    r.call = field(4).trimmed();
    r.mode = m_controls.cboAnalysisMode[0]->currentText();
    r.band = m_controls.cboAnalysisMode[1]->currentText();
    r.descending = !m_controls.optSortMode[1]->isChecked();
    r.sortBy = m_controls.optSortMuf[1]->isChecked()   ? SortColumn::Fot
               : m_controls.optSortMuf[2]->isChecked() ? SortColumn::Time
                                                       : SortColumn::Muf;
    r.allDates = m_controls.chkAllDates->isChecked();
    r.homeLocator = m_options.homeLocator();
    return r;
}

void AnalysisWindow::cmdAnalysis_Click()
{
    QGuiApplication::setOverrideCursor(Qt::CrossCursor);
    std::optional<QString> report = m_reports.GET_ANALYSIS_DATA(request());
    QGuiApplication::restoreOverrideCursor();
    if (report) {
        show(*report);
    }
}

void AnalysisWindow::announce(bool bulletinsOnly)
{
    show(m_reports.GET_ANNOUNCE_DATA(field(0), field(3), bulletinsOnly, m_utcNow()));
}

void AnalysisWindow::show(QString report)
{
    m_windows.POPULATE_ANALYSIS_WINDOW(report);
}

void AnalysisWindow::fillLists(const AnalysisOptions& options)
{
    QComboBox* mode = m_controls.cboAnalysisMode[0];
    QComboBox* band = m_controls.cboAnalysisMode[1];
    mode->clear();
    mode->addItems(options.modes);
    if (options.bandsFilled) {
        band->clear();
        band->addItems(options.bands);
    }
    if (!options.error.isEmpty()) {
        show(options.error);
    }
}

} // namespace zenthra
