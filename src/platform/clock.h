#pragma once
// The program's source of "now". Tests set it to a fixed instant.

#include <QDateTime>
#include <optional>

namespace zenthra {

class Clock
{
public:
    // UTC now, whole seconds.
    QDateTime utcNow() const;
    // Local time now, whole seconds (the error log prints local time).
    QDateTime localNow() const;

    // Fixes the clock at a UTC instant until `release`.
    void setUtc(const QDateTime& utc);
    void release();

private:
    std::optional<QDateTime> m_fixed;
};

// Stored and queued times are UTC text "yyyy-MM-dd HH:mm:ss". Reading them builds the UTC
// value directly: going through local time asks the system's zone files on every call, which
// costs more than the rest of a spot's handling.
QString utcText(const QDateTime& utc);
// Reads "yyyy-MM-dd HH:mm:ss" (or with "T" between, and an optional "Z"); invalid otherwise.
QDateTime utcFromText(QStringView text);

} // namespace zenthra
