#pragma once
// Saving a map as a Windows bitmap in the data folder: "full" writes the picture's persistent
// image (the world with its sticky marks), "small" the image of the map's window. Each map has
// its own saver, so a second save of the same map is refused while the first runs, while two
// different maps may be saved one inside the other.

#include <QDateTime>
#include <QImage>
#include <QString>
#include <functional>

namespace zenthra {

class Clock;
class ErrorLog;
class Prompter;

// prefix, then yyyyMMddHHmmss of the UTC time, then ".bmp".
QString mapFileName(const QString& prefix, const QDateTime& utc);

// Writes the image as a Windows bitmap through the replace routine, so a failed write never
// leaves half a file. On failure `why` says what went wrong.
bool saveBitmap(const QImage& image, const QString& path, QString* why = nullptr);

class MapSaver
{
public:
    // Error numbers of the failure message: the file could not be written, there was no image.
    static constexpr int pathFileAccessError = 75;
    static constexpr int invalidPicture = 481;

    struct Hooks
    {
        // Runs first: the main map shows and redraws itself, a map window comes to the front.
        std::function<void()> beforeSave;
        // The picture's persistent image.
        std::function<QImage()> fullImage;
        // The map's window as the screen shows it, frame and menu bar included.
        std::function<QImage()> windowImage;
    };

    // `prefix` is "map_muf", "map_avg" or "map_sng"; `routine` names the routine in the error
    // log ("SAVE_MAP" or "MAPPER_SAVE_MAP").
    MapSaver(QString prefix, QString routine, QString folder, const Clock& clock, ErrorLog& log,
             const Prompter& prompter, Hooks hooks);

    // Saves the full or the small map; tells the user the file name, or why it was not saved.
    // Returns the path written, or "" when nothing was (also when a save was already running).
    QString save(bool full);
    bool saving() const { return m_saving; }

private:
    QString m_prefix;
    QString m_routine;
    QString m_folder;
    const Clock& m_clock;
    ErrorLog& m_log;
    const Prompter& m_prompter;
    Hooks m_hooks;
    bool m_saving = false;
};

} // namespace zenthra
