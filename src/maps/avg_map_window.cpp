#include "maps/avg_map_window.h"

#include "core/error_log.h"
#include "core/utc_clock.h"
#include "maps/map_query.h"

#include <QListWidget>
#include <QMenu>
#include <QMenuBar>

#include <cstdlib>

namespace zenthra {

namespace {

// Error number of a value of the wrong kind, as a bad square in a row gives.
constexpr double typeMismatch = 13;

} // namespace

AvgMapWindow::AvgMapWindow(const MapperServices& services, QWidget* mainWindow)
    : MapperWindow(services,
                   {QString::fromLatin1(avgmap::settingsFileName), QString::fromLatin1(avgmap::savePrefix),
                    QStringLiteral("frmMapping_LOAD_MAP()"), QSizeF(designWidth, designHeight),
                    QSizeF(1455, 5100), avgmap::refreshPrompt(), avgmap::maxRefreshRate},
                   mainWindow)
{
    setObjectName(QStringLiteral("frmMapping"));
    setWindowTitle(QString::fromLatin1(avgmap::windowCaption));
    list()->setObjectName(QStringLiteral("lstMufAverage"));
    buildMenus();

    if (mainWindow) {
        const QRect main = mainWindow->frameGeometry();
        move(std::abs(main.x()), std::abs(main.y()));
    }
    applySettings(readMapperSettings(settingsPath()));
    loadMap();
    settleRate();
    tmrAvgMuf().start();
    AVERAGE_DRAW(QString());
}

AvgMapWindow::~AvgMapWindow()
{
    saveOnce();
}

void AvgMapWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&file"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addMenuItem(file, "mnuRefreshRate", "Set Refresh Time", [this] { mnuRefreshRate_Click(); });
    file->addSeparator();
    addMenuItem(file, "mnuSetDate", "Show by Date", [this] { mnuSetDate_Click(); });
    file->addSeparator();
    addMenuItem(file, "mnuSaveFull", "Save Full Bitmap", [this] { MAPPER_SAVE_MAP(true); });
    addMenuItem(file, "mnuSaveSmall", "Save Small Bitmap", [this] { MAPPER_SAVE_MAP(false); });
    file->addSeparator();
    addMenuItem(file, "mnuHideListBox", "Hide/Show listbox", [this] { mnuHideListBox_Click(); });
    file->addSeparator();
    addMenuItem(file, "mnuDrawAverage", "Draw Average MUF", [this] { AVERAGE_DRAW(QString()); });
    addClearAndExit();
}

void AvgMapWindow::AVERAGE_DRAW(const QString& dateText)
{
    const QDate day = avgmap::dayToShow(mapDate(dateText), GET_UTC_NOW(m_services.clock));
    SqlFailure why;
    if (!drawAverageMap(m_services.db, canvas(), day, m_picture, &why)) {
        m_services.log.WRITE_ERROR_LOG(why.number, QStringLiteral("AVERAGE_DRAW()"));
        return;
    }
    list()->clear();
    list()->addItems(m_picture.list);
    for (const QString& square : m_picture.skipped) {
        m_services.log.WRITE_ERROR_LOG(typeMismatch, QStringLiteral("GET_XY(%1, %1)").arg(square));
    }
}

} // namespace zenthra
