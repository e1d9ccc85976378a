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

namespace {

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

} // namespace

AnalysisWindow::AnalysisWindow(AnalysisReports& reports, TextWindows& windows, const OptionsModel& options,
                               std::function<QDateTime()> utcNow, QWidget& tab)
    : QObject(&tab), m_reports(reports), m_windows(windows), m_options(options), m_utcNow(std::move(utcNow)),
      m_tab(tab)
{
    // The designed defaults: newest first, by MUF.
    for (const char* group : {"optSortMode", "optSortMuf"}) {
        if (auto* first = m_tab.findChild<QAbstractButton*>(indexed(group, 0));
            first && !ticked(group, 1) && !ticked(group, 2)) {
            first->setChecked(true);
        }
    }
    const auto onClick = [this](const char* name, auto handler) {
        if (auto* b = m_tab.findChild<QPushButton*>(QLatin1String(name))) {
            connect(b, &QPushButton::clicked, this, handler);
        }
    };
    onClick("cmdAnalysis", [this] { cmdAnalysis_Click(); });
    onClick("cmdAnnounce", [this] { announce(false); });
    onClick("cmdAnnWWv", [this] { announce(true); });
    connect(&m_reports, &AnalysisReports::analysisOptions, this, &AnalysisWindow::fillLists);
}

QString AnalysisWindow::field(int index) const
{
    const auto* edit = m_tab.findChild<QLineEdit*>(indexed("txtAnalysis", index));
    return edit ? edit->text() : QString();
}

bool AnalysisWindow::ticked(const char* name, int index) const
{
    const auto* b = m_tab.findChild<QAbstractButton*>(indexed(name, index));
    return b && b->isChecked();
}

AnalysisRequest AnalysisWindow::request() const
{
    AnalysisRequest r;
    const AnalysisRange range = analysisRange(field(0), field(1), field(2), m_utcNow().date(), QLocale());
    r.start = range.start;
    r.end = range.end;
    r.count = analysisCount(field(3));
    r.call = field(4).trimmed();
    const auto* mode = m_tab.findChild<QComboBox*>(indexed("cboAnalysisMode", 0));
    const auto* band = m_tab.findChild<QComboBox*>(indexed("cboAnalysisMode", 1));
    r.mode = mode ? mode->currentText() : QString();
    r.band = band ? band->currentText() : QString();
    r.descending = !ticked("optSortMode", 1);
    r.sortBy = ticked("optSortMuf", 1)   ? SortColumn::Fot
               : ticked("optSortMuf", 2) ? SortColumn::Time
                                         : SortColumn::Muf;
    const auto* allDates = m_tab.findChild<QCheckBox*>(QStringLiteral("chkAllDates"));
    r.allDates = allDates && allDates->isChecked();
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
    auto* mode = m_tab.findChild<QComboBox*>(indexed("cboAnalysisMode", 0));
    auto* band = m_tab.findChild<QComboBox*>(indexed("cboAnalysisMode", 1));
    if (mode) {
        mode->clear();
        mode->addItems(options.modes);
    }
    if (band && options.bandsFilled) {
        band->clear();
        band->addItems(options.bands);
    }
    if (!options.error.isEmpty()) {
        show(options.error);
    }
}

} // namespace zenthra
