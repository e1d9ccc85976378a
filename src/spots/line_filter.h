#pragma once
// The entry of the spot road: each line received from the DX cluster (and the DEBUG button's
// sample line) is cleaned, announcements are stored and shown, and spots are filtered by band,
// handed to the logging-program queue and to the spot queue. Returns what the DXC window shows.
//
// Options are read from the check marks at every call; the filter keeps no state of its own.
// Everything it hands on goes through the sinks, so it can run without the rest of the program.

#include <QString>
#include <functional>

namespace zenthra {

class ErrorLog;
class OptionsModel;
struct QueuedSpot;

class LineFilter
{
public:
    static constexpr const char* badHomeLocatorText = "Missing or wrong home locator! Set Locator..";
    // Below this frequency (MHz) a spot counts as HF.
    static constexpr float hfLimit = 33.0f;

    // The line the DEBUG button sends down the road: a sporadic-E spot on 110.6 MHz.
    static QString debugLine();

    struct Sinks
    {
        // Stores an announcement; may clean the text in place (what is then shown).
        std::function<void(QString&)> announce;
        // Appends to the DXC window and empties the text.
        std::function<void(QString&)> showInDxcWindow;
        // Puts a spot line in the logging-program queue.
        std::function<void(const QString&)> addToDde;
        // Puts a spot in the spot queue; empties its line when it is stored.
        std::function<void(QueuedSpot&)> queueSpot;
        // The main window's caption.
        std::function<void(const QString&)> setStatus;
        // Moves the focus to the home-locator box.
        std::function<void()> focusHomeLocator;
    };

    // `intHiddenHfSpot` is the DXC window's flag for an HF spot it is to leave out.
    LineFilter(const OptionsModel& options, ErrorLog& log, qint16& intHiddenHfSpot);

    Sinks& sinks() { return m_sinks; }

    // Cleans `chunk` in place and returns the text for the DXC window ("" for nothing): a spot
    // cleaned, text that is no spot nor announcement as the node sent it without its line end.
    // Only a line with its line end is read for a spot or an announcement; text without one (a
    // prompt, shown while the node waits at it) is shown as sent, and nothing more.
    QString FILTER_DXC_BY_FREQ(QString& chunk);
    // Whether text that still waits for its line end begins like a line the filter reads for a
    // spot or an announcement, or may still become one as more text arrives.
    static bool mayBecomeReadLine(const QString& unfinished);

    // The band item that governs a frequency in each of the two band tables, or "" for none.
    static QString hfItem(float mhz);
    static QString vhfItem(float mhz);
    // The frequency in MHz that the filter reads from a cleaned, trimmed chunk.
    static float frequencyOf(QString work);

private:
    bool ticked(const QString& item) const;
    void queue(QString& spotLine, bool logMufToDb, bool logSpotToDb);

    const OptionsModel& m_options;
    ErrorLog& m_log;
    qint16& m_intHiddenHfSpot;
    Sinks m_sinks;
};

} // namespace zenthra
