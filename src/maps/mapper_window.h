#pragma once
// What the average-MUF window and the single-spot window share: the world picture in its frame
// with the two scroll bars, the light-green list over the map's left edge, the one-second refresh
// timer and its rate prompt, the date prompt, centring on the home square, clearing, saving the
// map, and the window's own settings file (written when the window closes or goes with the
// program).

#include "maps/avg_map_settings.h"
#include "maps/map_canvas.h"
#include "maps/map_saving.h"

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QListWidget;
class QMenu;
class QScrollArea;

namespace zenthra {
class MapPicture;
}

namespace zenthra {

class Clock;
class DataFolder;
class Database;
class ErrorLog;
class OptionsModel;
class Prompter;

// The few services a map window uses.
struct MapperServices
{
    Database& db;
    const OptionsModel& options;
    ErrorLog& log;
    const Clock& clock;
    const DataFolder& folder;
    const Prompter& prompter;
};

class MapperWindow : public QMainWindow
{
    Q_OBJECT
public:
    struct Design
    {
        QString settingsFile; // in the data folder
        QString savePrefix;   // "map_avg" or "map_sng"
        QString loadMapLog;   // the bitmap load's error-log text
        QSizeF clientTwips;   // design size of the client area
        QSizeF listTwips;     // design size of the list
        QString refreshPrompt;
        int maxRefreshRate = 0;
    };

    MapperWindow(const MapperServices& services, Design design, QWidget* parent);
    ~MapperWindow() override;

    MapCanvas& canvas() { return m_canvas; }
    QListWidget* list() const { return m_list; }
    QScrollArea* frame() const { return m_frame; }
    QTimer& tmrAvgMuf() { return m_tmrAvgMuf; }

    qint16 intRefreshRate = 0;
    qint16 intTimerCount = 0;

    // Scrolls the home square (or IO90) into the middle of the frame, without erasing.
    void MAPPER_CENTRE_HOME();
    // Erases the marks, then centres on the home square.
    void MAPPER_CLEAR_MAP();
    // Saves the full picture or the window as map_avg/map_sng + UTC stamp + ".bmp".
    QString MAPPER_SAVE_MAP(bool full);
    void mnuHideListBox_Click();
    void mnuRefreshRate_Click();
    // Asks for a date and shows that day.
    void mnuSetDate_Click();
    // One second of the refresh timer.
    void tmrAvgMuf_Timer();

    // The window's outer geometry, twips.
    TwipsRect geometryTwips() const;

protected:
    // The automatic refresh (the current UTC day), and showing a typed day.
    virtual void refresh() = 0;
    virtual void showDay(const QString& dateText) = 0;
    // The drawing ticks the settings file keeps (the single-spot window's); none by default.
    virtual std::optional<std::array<bool, 4>> ticksToSave() const { return std::nullopt; }
    // Writes the settings file unless the window already did as it closed. A derived window's
    // destructor calls it, so a window that goes with the program keeps its place and rate.
    void saveOnce();

    // The load steps both windows share: size and place from the settings, bitmap, erase and
    // centre, and a usable rate. Call from the derived constructor.
    void applySettings(const MapperSettings& settings);
    void loadMap();
    void settleRate();
    QString settingsPath() const;

    // A named menu item whose click calls `handler`.
    QAction* addMenuItem(QMenu* menu, const char* name, const char* caption, std::function<void()> handler);
    // "&Clear Map" and "E&xit", which close both windows' menu bars.
    void addClearAndExit();

    const MapperServices m_services;

    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int toPixels(double twips, bool horizontal) const;

    const Design m_design;
    MapCanvas m_canvas;
    QScrollArea* m_frame = nullptr;
    MapPicture* m_picture = nullptr;
    QListWidget* m_list = nullptr;
    QTimer m_tmrAvgMuf;
    std::unique_ptr<MapSaver> m_saver;
    bool m_saved = false;
    bool m_centrePending = false;
    std::optional<QSize> m_pendingOuter;
};

} // namespace zenthra
