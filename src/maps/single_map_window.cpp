#include "maps/single_map_window.h"

#include "core/error_log.h"
#include "core/utc_clock.h"
#include "maps/avg_map_rules.h"
#include "maps/map_query.h"

#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>

namespace zenthra {

namespace {

// Error number of a value of the wrong kind, as a locator that is not a square of the map gives.
constexpr double typeMismatch = 13;

} // namespace

SingleMapWindow::SingleMapWindow(const MapperServices& services, QWidget* mainWindow)
    : MapperWindow(services,
                   {QString::fromLatin1(singlemap::settingsFileName),
                    QString::fromLatin1(singlemap::savePrefix), QStringLiteral("frmMapSingle_LOAD_MAP()"),
                    QSizeF(designWidth, designHeight), QSizeF(4695, 2175), singlemap::refreshPrompt(),
                    singlemap::maxRefreshRate},
                   mainWindow)
{
    setObjectName(QStringLiteral("frmMapSingle"));
    setWindowTitle(QString::fromLatin1(singlemap::baseCaption));
    list()->setObjectName(QStringLiteral("lstMufSingle"));
    // A pick by keyboard or mouse draws, and so does a click on the item already picked; the
    // click that made the pick does not draw it a second time. Refilling the list picks nothing.
    connect(list(), &QListWidget::currentRowChanged, this, [this](int row) {
        m_pickedRow = row;
        if (row >= 0) {
            SINGLE_DRAW(list()->item(row)->text());
        }
    });
    connect(list(), &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int row = list()->row(item);
        if (row == m_pickedRow) {
            m_pickedRow = -1;
            return;
        }
        SINGLE_DRAW(item->text());
    });
    buildMenus();

    const MapperSettings settings = readMapperSettings(settingsPath());
    for (int i = 0; i < 4; ++i) {
        if (settings.ticks[i]) {
            m_mnuMap[i + 1]->setChecked(*settings.ticks[i]);
        }
    }
    applySettings(settings);
    loadMap();
    settleRate();
    LOAD_SPOT_LIST(QString());
    tmrAvgMuf().start();
}

SingleMapWindow::~SingleMapWindow()
{
    saveOnce();
}

void SingleMapWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addMenuItem(file, "mnuRefreshRate", "Set Refresh Rate", [this] { mnuRefreshRate_Click(); });
    file->addSeparator();
    addMenuItem(file, "mnuSetDate", "Set Spot Date", [this] { mnuSetDate_Click(); });
    file->addSeparator();
    addMenuItem(file, "mnuSaveFull", "Save Full Bmp", [this] { MAPPER_SAVE_MAP(true); });
    addMenuItem(file, "mnuSaveSmall", "Save Small Bmp", [this] { MAPPER_SAVE_MAP(false); });
    file->addSeparator();
    addMenuItem(file, "mnuHideListBox", "Show/Hide Listbox", [this] { mnuHideListBox_Click(); });
    file->addSeparator();
    addMenuItem(file, "mnuRefreshList", "Refresh List", [this] { LOAD_SPOT_LIST(QString()); });

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("mnuoptions"));
    const char* captions[] = {"", "Lines?", "Points?", "Centre?", "Your Path?"};
    for (int index = 1; index <= 4; ++index) {
        QAction* tick = options->addAction(QString::fromLatin1(captions[index]));
        tick->setObjectName(QStringLiteral("mnuMap(%1)").arg(index));
        tick->setCheckable(true);
        // The menu's own toggling is the whole of the click; nothing is redrawn.
        m_mnuMap[index] = tick;
    }

    addClearAndExit();
}

void SingleMapWindow::mnuMap_Click(int index)
{
    if (index >= 1 && index <= 4) {
        m_mnuMap[index]->toggle();
    }
}

singlemap::Ticks SingleMapWindow::ticks() const
{
    return {m_mnuMap[1]->isChecked(), m_mnuMap[2]->isChecked(), m_mnuMap[3]->isChecked(),
            m_mnuMap[4]->isChecked()};
}

std::optional<std::array<bool, 4>> SingleMapWindow::ticksToSave() const
{
    const singlemap::Ticks t = ticks();
    return std::array<bool, 4>{t.lines, t.points, t.centre, t.yourPath};
}

void SingleMapWindow::LOAD_SPOT_LIST(const QString& dateText)
{
    const QDate day = avgmap::dayToShow(mapDate(dateText), GET_UTC_NOW(m_services.clock));
    m_spotDay = day;
    QStringList texts;
    SqlFailure why;
    if (!querySpotTexts(m_services.db, day, texts, &why)) {
        m_services.log.WRITE_ERROR_LOG(why.number, QStringLiteral("LOAD_SPOT_LIST(%1)").arg(dateText));
        return;
    }
    {
        const QSignalBlocker quiet(list());
        m_pickedRow = -1;
        list()->clear();
        list()->addItems(texts);
    }
    setWindowTitle(singlemap::caption(day));
}

void SingleMapWindow::SINGLE_DRAW(const QString& spotText)
{
    std::vector<singlemap::SpotRow> rows;
    SqlFailure why;
    if (!querySpotRows(m_services.db, m_spotDay, spotText, rows, &why)) {
        m_services.log.WRITE_ERROR_LOG(why.number, QStringLiteral("SINGLE_DRAW(%1)").arg(spotText));
        return;
    }
    const std::vector<singlemap::Mark> failed = drawSpotRows(canvas(), rows, [this] { return ticks(); });
    for (const singlemap::Mark& line : failed) {
        // The colour as the log has always shown it: the &HBBGGRR value in decimal.
        const quint32 bgr = qRed(line.colour) | (qGreen(line.colour) << 8) | (qBlue(line.colour) << 16);
        m_services.log.WRITE_ERROR_LOG(
            typeMismatch, QStringLiteral("MAP_SINGLE_write_line(%1, %2)").arg(line.from).arg(bgr));
    }
}

} // namespace zenthra
