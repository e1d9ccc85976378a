#pragma once
// The program's record of trapped failures: `muf_errors.log` in the data folder, one line per
// failure, only ever appended to. Writing it can never fail outward. Any thread may write it.

#include <QString>

#include <mutex>
#include <thread>

namespace zenthra {

class Clock;

class ErrorLog
{
public:
    static constexpr const char* fileName = "muf_errors.log";

    ErrorLog(QString folder, const Clock& clock);

    // Appends "date time<TAB>number - text" with CR LF; the date and time are local.
    // An unwritable file loses the line silently; intErrorLogged is set either way.
    void WRITE_ERROR_LOG(double errNumber, const QString& text);

    QString path() const;
    const QString& folder() const { return m_folder; }
    const Clock& clock() const { return m_clock; }

    // Set to 1 by every call from the thread that made the log (the window's); the hand
    // calculator reads and resets it, so a line from the spot store's thread is not its own.
    int intErrorLogged = 0;

private:
    QString m_folder;
    const Clock& m_clock;
    std::thread::id m_owner = std::this_thread::get_id();
    std::mutex m_mutex;
};

} // namespace zenthra
