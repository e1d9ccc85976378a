#include "maps/muf_map.h"

#include "core/error_log.h"
#include "core/options_model.h"
#include "propagation/muf_calcs.h"

#include <QDir>

namespace zenthra {

MufMap::MufMap(PathMap::Services services, QString folder, QObject* parent)
    : QObject(parent), m_services(services), m_folder(std::move(folder)),
      m_pathMap(std::move(services), m_canvas)
{
}

void MufMap::FRAME_MAP()
{
    const QString path = QDir(m_folder).filePath(QLatin1String(worldFileName));
    if (const MapCanvas::BitmapLoad load = m_canvas.loadBitmap(path); load != MapCanvas::BitmapLoad::loaded) {
        m_services.log.WRITE_ERROR_LOG(load == MapCanvas::BitmapLoad::missing ? errFileNotFound
                                                                              : errInvalidPicture,
                                       QStringLiteral("FRAME_MAP()"));
        return;
    }
    m_canvas.grid().POPULATE_LOC_ARRAYS();
}

GridSquare MufMap::homeSquare() const
{
    QString home = m_services.options.homeLocator();
    const QString checked = MufCalcs(m_services.log).CHECK_LOCATOR_SYNTAX(home);
    if (const auto square = gridSquare(checked)) {
        return *square;
    }
    return *gridSquare(QString::fromLatin1(fallbackSquare));
}

void MufMap::STARTUP_POSITION(const QString& loc)
{
    const auto square = gridSquare(loc);
    Q_EMIT centreRequested(square ? *square : *gridSquare(QString::fromLatin1(fallbackSquare)));
}

void MufMap::CLEAR_MAP()
{
    m_canvas.CLEAR_MAP_LIVESPOTS();
    centreHome();
}

void MufMap::SHOW_HIDE_MAP(bool show)
{
    Q_EMIT visibilityChanged(show);
    if (!show) {
        return;
    }
    m_canvas.grid().POPULATE_LOC_ARRAYS();
    m_pathMap.draw();
}

} // namespace zenthra
