#include "maps/avg_map_rules.h"

#include "maps/map_query.h"
#include "platform/legacy_value.h"

#include <algorithm>
#include <cmath>

namespace zenthra::avgmap {

int redOf(double averageMuf)
{
    if (!std::isfinite(averageMuf)) {
        return averageMuf > 0 ? 255 : 0;
    }
    const double steps = std::floor((averageMuf - 50) * 4);
    return static_cast<int>(std::clamp(steps, 0.0, 255.0));
}

QRgb dotColour(double averageMuf)
{
    return qRgb(redOf(averageMuf), 0, 0);
}

QString listLine(const AvgSquare& square)
{
    const auto column = [](const QString& figure) { return (figure + QStringLiteral("   ")).left(3); };
    const double whole = std::isfinite(square.averageMuf) ? std::floor(square.averageMuf) : 0;
    return square.square + u' ' + column(QString::number(static_cast<qint64>(whole))) + u' ' +
           column(QString::number(square.spotCount));
}

QStringList listHeader(QDate day, const QLocale& locale)
{
    const QString year = QString::number(day.year()).right(2);
    return {QString::number(day.day()) + u' ' + locale.standaloneMonthName(day.month(), QLocale::LongFormat) +
                u' ' + year,
            QString(), QStringLiteral("LOC MUF No"), QString(22, u'-')};
}

QDate dayToShow(std::optional<QDate> chosen, const QDateTime& utcNow)
{
    if (chosen && chosen->isValid()) {
        return *chosen;
    }
    return utcNow.toUTC().date();
}

std::optional<QDate> dayOfAnswer(const std::optional<QString>& answer, const QLocale& locale)
{
    return answer ? mapDate(*answer, locale) : std::nullopt;
}

QString refreshPrompt()
{
    return QStringLiteral("Please type the number in seconds (Min 20 Max 6000) for ") +
           QStringLiteral(" the refresh rate for the map");
}

qint16 refreshAnswer(const std::optional<QString>& answer, qint16 current, int maxAccepted)
{
    const QString trimmed = answer ? legacy::trim(*answer) : QString();
    if (trimmed.isEmpty()) {
        return usableRate(current);
    }
    const double number = legacy::val(trimmed);
    if (number == 0) {
        return defaultRefreshRate;
    }
    if (number >= minRefreshRate && number <= maxAccepted) {
        if (const std::optional<qint16> rate = legacy::toInt16(number)) {
            return *rate;
        }
    }
    return current;
}

qint16 usableRate(qint16 rate)
{
    return rate < minRefreshRate ? qint16(defaultRefreshRate) : rate;
}

} // namespace zenthra::avgmap
