#pragma once
// The main window's map: the world picture, its path map of the latest spots, and the steps
// that start-up, the tabs, the resize handler and the "Clear" button take on it. The window
// shows the picture and places it; this object says what to show and where to centre.

#include "maps/map_canvas.h"
#include "maps/path_map.h"

#include <QObject>

namespace zenthra {

class MufMap : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* worldFileName = "world.gif";
    // The square the map centres on when the home locator is not a valid one.
    static constexpr const char* fallbackSquare = "IO90";
    // Logged when the bitmap is missing or unreadable.
    static constexpr int errFileNotFound = 53;
    static constexpr int errInvalidPicture = 481;

    MufMap(PathMap::Services services, QString folder, QObject* parent = nullptr);

    MapCanvas& canvas() { return m_canvas; }
    PathMap& pathMap() { return m_pathMap; }

    // Loads world.gif from the data folder and fills the look-up tables; a missing or unreadable
    // file is logged and leaves the plain picture.
    void FRAME_MAP();
    // Erases the marks and centres on the home square.
    void CLEAR_MAP();
    // Shows or hides the map; showing fills the tables and redraws the latest spots.
    void SHOW_HIDE_MAP(bool show);
    // Asks the view to centre on the locator's square (IO90 when it is not a square).
    void STARTUP_POSITION(const QString& loc);
    // The square of the home locator as the locator check accepts it, else IO90.
    GridSquare homeSquare() const;
    // Centres on the home square without erasing (the resize handler).
    void centreHome() { Q_EMIT centreRequested(homeSquare()); }

Q_SIGNALS:
    void visibilityChanged(bool shown);
    // The view scrolls so that this square lies in the middle of its frame.
    void centreRequested(GridSquare square);

private:
    PathMap::Services m_services;
    QString m_folder;
    MapCanvas m_canvas;
    PathMap m_pathMap;
};

} // namespace zenthra
