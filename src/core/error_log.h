#pragma once
// The program's record of trapped failures: `muf_errors.log` in the data folder, one line per
// failure, only ever appended to. Writing it can never fail outward.

#include <QString>

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

    // Set to 1 by every call; the hand calculator reads and resets it.
    int intErrorLogged = 0;

private:
    QString m_folder;
    const Clock& m_clock;
};

} // namespace zenthra
