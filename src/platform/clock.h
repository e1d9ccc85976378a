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

} // namespace zenthra
