#pragma once
// The path map of the latest spots on the main window's map: the query, the six drawing passes
// and the mapping timer's redraws. A drawing runs the one query, takes its rows and draws them
// at once, so the window waits for no more than that query.

#include "maps/map_passes.h"
#include "maps/map_query.h"

#include <QObject>
#include <QTimer>
#include <functional>

namespace zenthra {

class Database;
class ErrorLog;
class MapCanvas;
class OptionsModel;

class PathMap : public QObject
{
    Q_OBJECT
public:
    struct Services
    {
        OptionsModel& options;
        Database& database;
        ErrorLog& log;
        std::function<QDateTime()> dtmUtcNow;
        // Redraws each second while "Live Spots?" is ticked; left running exactly while the spot
        // queue's timer runs.
        QTimer& tmrMapping;
        const QTimer& tmrProcessSpot;
    };

    PathMap(Services services, MapCanvas& canvas, QObject* parent = nullptr);

    // Draws with the "Only Last Hour?" mark; returns at once while a drawing runs.
    void MAPPER_DB_CONNECT(int count, const QString& dateText, bool clear);
    void MAPPER_DRAW_DB_SPOTS(int count, const QString& dateText, bool clear, bool lastHour);
    bool drawing() const { return m_drawing; }

    // The mapping timer's tick: draws today's spots, erasing first, while "Live Spots?" is ticked.
    void tmrMapping_Timer();
    // "Draw": today's spots (UTC day) when "Only Today?" or "Live Spots?" is ticked, erasing
    // first; else the newest of every day over what is drawn.
    void draw();
    // "Draw (With Date)" with the user's answer; an answer that is not a date draws nothing.
    // Returns whether it drew.
    bool drawWithDate(const QString& answer);
    // The date of a "today" drawing as text: the UTC clock.
    QString todayText() const;

    // The rows of the last drawing (for the window's status and tests).
    const std::vector<MapSpotRow>& lastRows() const { return m_rows; }

Q_SIGNALS:
    // A drawing ended (also after a failure) with this many rows.
    void drawn(int rows);

private:
    bool fetch(const MapQuery& query, std::vector<MapSpotRow>& rows, double* errorNumber, QString* why);
    void finish();

    Services m_s;
    MapCanvas& m_canvas;
    bool m_drawing = false;
    std::vector<MapSpotRow> m_rows;
};

} // namespace zenthra
