#pragma once
// The picture of a map: the world bitmap with the marks drawn on it. Marks drawn while "sticky"
// go into the persistent image (the one a full save writes); the others into a layer shown above
// it that the persistent image never holds. Clearing removes both and keeps the bitmap.

#include "maps/locator_grid.h"

#include <QColor>
#include <QImage>
#include <QObject>
#include <QStringView>

namespace zenthra {

// A 24-bit colour written as &HBBGGRR (red in the low byte).
constexpr QRgb fromBgr(quint32 bgr)
{
    return qRgb(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

// What the drawing passes draw on. The map canvas is one; tests record the calls.
class MapSurface
{
public:
    virtual ~MapSurface() = default;
    // A straight line between the centres of two squares; false (nothing drawn) when either
    // locator is not a square of the grid.
    virtual bool write_line(QStringView loc1, QStringView loc2, QRgb colour) = 0;
    // A filled circle at the centre of a square; false (nothing drawn) for a locator that is not
    // a square of the grid.
    virtual bool write_point(QStringView loc, QRgb colour) = 0;
    // Erases every mark; the world bitmap stays.
    virtual void CLEAR_MAP_LIVESPOTS() = 0;
};

class MapCanvas : public QObject, public MapSurface
{
    Q_OBJECT
public:
    // Radius of write_point on the main map and the single-spot map.
    static constexpr int pathPointRadius = 2;

    explicit MapCanvas(QObject* parent = nullptr);

    // The largest world bitmap read: the shipped one is a few hundred kB.
    static constexpr qint64 maxBitmapBytes = 64 * 1024 * 1024;
    enum class BitmapLoad
    {
        loaded,
        missing, // nothing of that name, or not a regular file (a FIFO, a device)
        invalid, // a regular file that is no picture, is too large or cannot be read
    };

    // Loads the world bitmap; the picture takes the bitmap's own size. A file that is missing or
    // cannot be shown leaves the picture as it was.
    BitmapLoad loadBitmap(const QString& path);
    // Uses an image already loaded as the world bitmap (map windows share the loaded file).
    void setBitmap(const QImage& world);
    bool hasBitmap() const { return m_hasBitmap; }

    // "Sticky Map": marks go into the persistent image.
    void setSticky(bool sticky) { m_sticky = sticky; }
    bool sticky() const { return m_sticky; }
    void setPointRadius(int radius) { m_pointRadius = radius; }
    int pointRadius() const { return m_pointRadius; }

    bool write_line(QStringView loc1, QStringView loc2, QRgb colour) override;
    bool write_point(QStringView loc, QRgb colour) override;
    void CLEAR_MAP_LIVESPOTS() override;
    // A filled circle of any radius at a pixel (the average-MUF map's larger points).
    void plotPoint(QPointF centre, int radius, QRgb colour);
    void plotLine(QPointF from, QPointF to, QRgb colour);

    QSize size() const { return m_persistent.size(); }
    // The bitmap and the sticky marks: what a full save writes.
    const QImage& persistentImage() const { return m_persistent; }
    // The marks drawn while not sticky, on a transparent layer; null when there are none.
    const QImage& screenLayer() const { return m_screen; }
    // What the map shows: the persistent image with the screen layer above it.
    QImage shownImage() const;

    // The look-up tables of this map, as GET_XY reads them.
    LocatorGrid& grid() { return m_grid; }

Q_SIGNALS:
    // The picture changed; a view repaints.
    void changed();

private:
    QImage& target();

    QImage m_world;
    QImage m_persistent;
    QImage m_screen;
    LocatorGrid m_grid;
    bool m_sticky = false;
    bool m_hasBitmap = false;
    int m_pointRadius = pathPointRadius;
};

} // namespace zenthra
