#include "maps/muf_map_window.h"

#include "maps/map_scroll.h"
#include "maps/muf_map.h"
#include "platform/twips.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace zenthra {

namespace {

} // namespace

MapPicture::MapPicture(MapCanvas& canvas, QWidget* parent) : QWidget(parent), m_canvas(canvas)
{
    setObjectName(QStringLiteral("picMufMap"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(m_canvas.size());
    connect(&m_canvas, &MapCanvas::changed, this, [this] {
        if (size() != m_canvas.size()) {
            resize(m_canvas.size());
        }
        update();
    });
}

void MapPicture::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    painter.drawImage(area, m_canvas.persistentImage(), area);
    if (!m_canvas.screenLayer().isNull()) {
        painter.drawImage(area, m_canvas.screenLayer(), area);
    }
}

void MapPicture::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    Q_EMIT doubleClicked();
}

void MapPicture::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::RightButton) {
        Q_EMIT rightDragged(event->globalPosition().toPoint());
    }
    QWidget::mouseMoveEvent(event);
}

MufMapTab::MufMapTab(MufMap& map, QWidget* parent) : QWidget(parent), m_map(map)
{
    auto* layout = new QGridLayout(this);
    m_frame = new QFrame;
    m_frame->setObjectName(QStringLiteral("fmeMufMap"));
    m_frame->setFrameShape(QFrame::StyledPanel);
    m_frame->installEventFilter(this);
    m_picture = new MapPicture(map.canvas(), m_frame);
    m_lblMapRedraw = new QLabel(QStringLiteral("LOADING MUF MAP, PLEASE BE PATIENT..."), m_frame);
    m_lblMapRedraw->setObjectName(QStringLiteral("lblMapRedraw"));
    m_lblMapRedraw->hide();
    m_scrVert = new QScrollBar(Qt::Vertical);
    m_scrVert->setObjectName(QStringLiteral("scrVert"));
    m_scrHoriz = new QScrollBar(Qt::Horizontal);
    m_scrHoriz->setObjectName(QStringLiteral("scrHoriz"));
    layout->addWidget(m_frame, 0, 0);
    layout->addWidget(m_scrVert, 0, 1);
    layout->addWidget(m_scrHoriz, 1, 0);

    connect(m_scrHoriz, &QScrollBar::valueChanged, this, &MufMapTab::scrollChanged);
    connect(m_scrVert, &QScrollBar::valueChanged, this, &MufMapTab::scrollChanged);
    connect(&map, &MufMap::centreRequested, this, &MufMapTab::centreOn);
    connect(&map, &MufMap::visibilityChanged, this, [this](bool shown) {
        m_scrHoriz->setVisible(shown);
        m_scrVert->setVisible(shown);
        m_frame->setVisible(shown);
    });
    connect(m_picture, &MapPicture::doubleClicked, this, [this] { m_map.SHOW_HIDE_MAP(true); });
    connect(m_picture, &MapPicture::rightDragged, this, &MufMapTab::optionsMenuRequested);
}

float MufMapTab::twipsPerPixel() const
{
    const int dpi = logicalDpiX();
    return dpi > 0 ? static_cast<float>(twipsPerInch / dpi) : 15.0F;
}

void MufMapTab::RESIZE_SCROLLERS()
{
    const ScrollRange horizontal = scrollRange(m_picture->width(), m_frame->width());
    const ScrollRange vertical = scrollRange(m_picture->height(), m_frame->height());
    m_scrHoriz->setRange(horizontal.minimum, horizontal.maximum);
    m_scrVert->setRange(vertical.minimum, vertical.maximum);
    m_scrHoriz->setPageStep(m_frame->width());
    m_scrVert->setPageStep(m_frame->height());
    m_scrHoriz->setSingleStep(16);
    m_scrVert->setSingleStep(8);
}

void MufMapTab::centreOn(GridSquare square)
{
    const float t = twipsPerPixel();
    const QSizeF frame(m_frame->width() * t, m_frame->height() * t);
    const QPoint value = STARTUP_POSITION(square, frame, t, {m_scrHoriz->minimum(), m_scrHoriz->maximum()},
                                          {m_scrVert->minimum(), m_scrVert->maximum()});
    m_scrHoriz->setValue(value.x());
    m_scrVert->setValue(value.y());
}

void MufMapTab::scrollChanged()
{
    m_picture->move(-m_scrHoriz->value(), -m_scrVert->value());
}

bool MufMapTab::eventFilter(QObject* watched, QEvent* event)
{
    // The frame's size decides the ranges; after a resize the home square is centred again.
    if (watched == m_frame && event->type() == QEvent::Resize) {
        RESIZE_SCROLLERS();
        m_map.centreHome();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zenthra
