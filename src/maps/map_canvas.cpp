#include "maps/map_canvas.h"

#include "platform/regular_file.h"

#include <QPainter>

namespace zenthra {

namespace {

// Until a bitmap is loaded the picture is a plain sea of the bitmap's size, so the grid and the
// scroll ranges hold and marks stay visible.
QImage blankWorld()
{
    QImage image(worldWidth, worldHeight, QImage::Format_RGB32);
    image.fill(QColor(0xdd, 0xe6, 0xee));
    return image;
}

} // namespace

MapCanvas::MapCanvas(QObject* parent) : QObject(parent), m_world(blankWorld()), m_persistent(m_world)
{
    m_grid.POPULATE_LOC_ARRAYS();
}

MapCanvas::BitmapLoad MapCanvas::loadBitmap(const QString& path)
{
    const FileBytes file = readRegular(path, maxBitmapBytes);
    if (file.check == FileCheck::missing || file.check == FileCheck::notRegular) {
        return BitmapLoad::missing;
    }
    QImage image;
    if (file.check != FileCheck::regular || !image.loadFromData(file.bytes)) {
        return BitmapLoad::invalid;
    }
    setBitmap(image);
    return BitmapLoad::loaded;
}

void MapCanvas::setBitmap(const QImage& world)
{
    m_world = world.convertToFormat(QImage::Format_RGB32);
    m_persistent = m_world;
    m_screen = QImage();
    m_hasBitmap = true;
    Q_EMIT changed();
}

QImage& MapCanvas::target()
{
    if (m_sticky) {
        return m_persistent;
    }
    if (m_screen.isNull()) {
        m_screen = QImage(m_persistent.size(), QImage::Format_ARGB32_Premultiplied);
        m_screen.fill(Qt::transparent);
    }
    return m_screen;
}

void MapCanvas::plotLine(QPointF from, QPointF to, QRgb colour)
{
    QPainter painter(&target());
    painter.setPen(QPen(QColor(colour), 1));
    painter.drawLine(from, to);
    Q_EMIT changed();
}

void MapCanvas::plotPoint(QPointF centre, int radius, QRgb colour)
{
    QPainter painter(&target());
    painter.setPen(QPen(QColor(colour), 1));
    painter.setBrush(QColor(colour));
    painter.drawEllipse(centre, radius, radius);
    Q_EMIT changed();
}

bool MapCanvas::write_line(QStringView loc1, QStringView loc2, QRgb colour)
{
    if (!m_grid.GET_XY(loc1, loc2)) {
        return false;
    }
    plotLine(squareCentre({static_cast<int>(m_grid.sngX1), static_cast<int>(m_grid.sngY1)}),
             squareCentre({static_cast<int>(m_grid.sngX2), static_cast<int>(m_grid.sngY2)}), colour);
    return true;
}

bool MapCanvas::write_point(QStringView loc, QRgb colour)
{
    if (!m_grid.GET_XY(loc, loc)) {
        return false;
    }
    plotPoint(squareCentre({static_cast<int>(m_grid.sngX1), static_cast<int>(m_grid.sngY1)}), m_pointRadius,
              colour);
    return true;
}

void MapCanvas::CLEAR_MAP_LIVESPOTS()
{
    m_persistent = m_world;
    m_screen = QImage();
    Q_EMIT changed();
}

QImage MapCanvas::shownImage() const
{
    if (m_screen.isNull()) {
        return m_persistent;
    }
    QImage shown = m_persistent;
    QPainter painter(&shown);
    painter.drawImage(0, 0, m_screen);
    return shown;
}

} // namespace zenthra
