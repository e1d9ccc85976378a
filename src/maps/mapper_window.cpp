#include "maps/mapper_window.h"

#include "core/error_log.h"
#include "core/options_model.h"
#include "core/prompter.h"
#include "maps/avg_map_query.h"
#include "maps/avg_map_rules.h"
#include "maps/map_scroll.h"
#include "maps/muf_map_window.h"
#include "platform/data_folder.h"
#include "platform/twips.h"
#include "platform/window_place.h"
#include "propagation/muf_calcs.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>

namespace zenthra {

namespace {

// The error number of a file that is not there.
constexpr double fileNotFound = 53;

} // namespace

MapperWindow::MapperWindow(const MapperServices& services, Design design, QWidget* parent)
    : QMainWindow(parent, Qt::Window), m_services(services), m_design(std::move(design))
{
    // The dots and paths belong to the picture's persistent image: they survive repaints and a
    // full save writes them.
    m_canvas.setSticky(true);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("fmeMufMap"));
    m_frame = new QScrollArea(central);
    m_frame->setObjectName(QStringLiteral("frame"));
    m_frame->setFrameShape(QFrame::NoFrame);
    m_frame->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_frame->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_frame->horizontalScrollBar()->setObjectName(QStringLiteral("scrHoriz"));
    m_frame->verticalScrollBar()->setObjectName(QStringLiteral("scrVert"));
    m_picture = new MapPicture(m_canvas, m_frame);
    m_frame->setWidget(m_picture);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_frame);
    connect(m_picture, &MapPicture::doubleClicked, this, [this] { refresh(); });

    // The list lies over the map's left edge and keeps its design size at every window size.
    m_list = new QListWidget(central);
    // The small type the list was laid out for, so a day's name fits its narrow width.
    QFont small = m_list->font();
    small.setPointSize(8);
    m_list->setFont(small);
    m_list->setStyleSheet(QStringLiteral("QListWidget { background-color: rgb(128, 255, 128); }"));
    m_list->setFixedSize(toPixels(m_design.listTwips.width(), true),
                         toPixels(m_design.listTwips.height(), false));
    m_list->move(0, 0);
    m_list->raise();
    setCentralWidget(central);
    resize(toPixels(m_design.clientTwips.width(), true), toPixels(m_design.clientTwips.height(), false));

    m_tmrAvgMuf.setObjectName(QStringLiteral("tmrAvgMuf"));
    m_tmrAvgMuf.setInterval(1000);
    connect(&m_tmrAvgMuf, &QTimer::timeout, this, &MapperWindow::tmrAvgMuf_Timer);

    MapSaver::Hooks hooks;
    hooks.beforeSave = [this] {
        show();
        raise();
        activateWindow();
        m_picture->repaint();
    };
    hooks.fullImage = [this] { return m_canvas.persistentImage(); };
    hooks.windowImage = [this] { return grab().toImage(); };
    m_saver = std::make_unique<MapSaver>(m_design.savePrefix, QStringLiteral("MAPPER_SAVE_MAP"),
                                         m_services.folder.path(), m_services.clock, m_services.log,
                                         m_services.prompter, std::move(hooks));
}

MapperWindow::~MapperWindow() = default;

int MapperWindow::toPixels(double twips, bool horizontal) const
{
    return twipsToPixels(twips, horizontal ? logicalDpiX() : logicalDpiY());
}

QString MapperWindow::settingsPath() const
{
    return m_services.folder.file(m_design.settingsFile);
}

TwipsRect MapperWindow::geometryTwips() const
{
    return pixelsToTwips(frameGeometry(), {logicalDpiX(), logicalDpiY()});
}

QAction* MapperWindow::addMenuItem(QMenu* menu, const char* name, const char* caption,
                                   std::function<void()> handler)
{
    QAction* action = menu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, std::move(handler));
    return action;
}

void MapperWindow::addClearAndExit()
{
    QAction* clear = menuBar()->addAction(QStringLiteral("&Clear Map"));
    clear->setObjectName(QStringLiteral("mnuClearMap"));
    connect(clear, &QAction::triggered, this, [this] { MAPPER_CLEAR_MAP(); });
    QAction* exit = menuBar()->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
}

void MapperWindow::applySettings(const MapperSettings& settings)
{
    // The frame's share of the outer size, so a stored outer size gives the same window back.
    const QSize margins = frameGeometry().size() - size();
    const Dpi dpi{logicalDpiX(), logicalDpiY()};
    TwipsRect wanted = pixelsToTwips(frameGeometry(), dpi);
    // Where the window stands before the file places it is its place when the file's lies off
    // every screen.
    const TwipsPoint unplaced{.top = wanted.top, .left = wanted.left};
    wanted.top = settings.topToApply().value_or(wanted.top);
    wanted.left = settings.leftToApply().value_or(wanted.left);
    wanted.width = settings.widthToApply().value_or(wanted.width);
    wanted.height = settings.heightToApply().value_or(wanted.height);
    const QRect placed = placeOnScreens(wanted, unplaced, dpi);
    move(placed.topLeft());
    const QSize outer = placed.size();
    resize((outer - margins).expandedTo(QSize(1, 1)));
    // The frame is known only once the window shows: the outer size is taken again then.
    if (settings.widthToApply() || settings.heightToApply()) {
        m_pendingOuter = outer;
    }
    if (settings.refreshRate) {
        intRefreshRate = avgmap::usableRate(*settings.refreshRate);
    }
}

void MapperWindow::loadMap()
{
    if (m_canvas.loadBitmap(m_services.folder.file(QStringLiteral("world.gif"))) !=
        MapCanvas::BitmapLoad::loaded) {
        m_services.log.WRITE_ERROR_LOG(fileNotFound, m_design.loadMapLog);
    }
    MAPPER_CLEAR_MAP();
}

void MapperWindow::settleRate()
{
    intRefreshRate = avgmap::usableRate(intRefreshRate);
}

void MapperWindow::MAPPER_CENTRE_HOME()
{
    QString home = m_services.options.homeLocator();
    const QString checked = MufCalcs(m_services.log).CHECK_LOCATOR_SYNTAX(home);
    const std::optional<GridSquare> square = gridSquare(homeSquare(checked));
    if (!square) {
        return;
    }
    QScrollBar* h = m_frame->horizontalScrollBar();
    QScrollBar* v = m_frame->verticalScrollBar();
    const QSize view = m_frame->viewport()->size();
    const float t = static_cast<float>(twipsPerInch / logicalDpiX());
    const QPoint value =
        STARTUP_POSITION(*square, QSizeF(view.width() * t, view.height() * t), t,
                         {h->minimum(), h->maximum()}, {v->minimum(), v->maximum()}, windowMapFrame);
    h->setValue(value.x());
    v->setValue(value.y());
}

void MapperWindow::MAPPER_CLEAR_MAP()
{
    m_canvas.CLEAR_MAP_LIVESPOTS();
    MAPPER_CENTRE_HOME();
}

QString MapperWindow::MAPPER_SAVE_MAP(bool full)
{
    return m_saver->save(full);
}

void MapperWindow::mnuHideListBox_Click()
{
    m_list->setVisible(m_list->isHidden());
}

void MapperWindow::mnuRefreshRate_Click()
{
    const std::optional<QString> answer =
        m_services.prompter.ask(QString(), m_design.refreshPrompt, QString::number(intRefreshRate));
    intRefreshRate = avgmap::refreshAnswer(answer, intRefreshRate, m_design.maxRefreshRate);
}

void MapperWindow::mnuSetDate_Click()
{
    if (const std::optional<QDate> day = avgmap::dayOfAnswer(
            m_services.prompter.ask(QString(), QString::fromLatin1(avgmap::datePrompt), QString()))) {
        showDay(day->toString(Qt::ISODate));
    }
}

void MapperWindow::tmrAvgMuf_Timer()
{
    if (intTimerCount < 32767) {
        ++intTimerCount;
    }
    if (intTimerCount >= intRefreshRate) {
        intTimerCount = 0;
        refresh();
    }
}

void MapperWindow::saveOnce()
{
    if (m_saved) {
        return;
    }
    m_saved = true;
    m_tmrAvgMuf.stop();
    writeMapperSettings(settingsPath(), geometryTwips(), intRefreshRate, ticksToSave());
}

void MapperWindow::closeEvent(QCloseEvent* event)
{
    saveOnce();
    QMainWindow::closeEvent(event);
}

void MapperWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_pendingOuter) {
        const QSize inner = *m_pendingOuter - (frameGeometry().size() - size());
        m_pendingOuter.reset();
        if (inner.width() > 0 && inner.height() > 0 && inner != size()) {
            resize(inner);
        }
    }
}

void MapperWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // Every resize scrolls back to the home square, once the frame has taken its new size.
    if (!m_centrePending) {
        m_centrePending = true;
        QTimer::singleShot(0, this, [this] {
            m_centrePending = false;
            MAPPER_CENTRE_HOME();
        });
    }
}

} // namespace zenthra
