#include "maps/locator_grid.h"

namespace zenthra {

namespace {

bool inRange(QChar c, char16_t low, char16_t high)
{
    return c.unicode() >= low && c.unicode() <= high;
}

} // namespace

std::optional<GridSquare> gridSquare(QStringView loc)
{
    if (loc.size() < 4 || !inRange(loc[0], u'A', u'R') || !inRange(loc[1], u'A', u'R') ||
        !inRange(loc[2], u'0', u'9') || !inRange(loc[3], u'0', u'9')) {
        return std::nullopt;
    }
    const int x = 10 * (loc[0].unicode() - u'A') + (loc[2].unicode() - u'0');
    const int y = 10 * (u'R' - loc[1].unicode()) + (9 - (loc[3].unicode() - u'0'));
    return GridSquare{x, y};
}

QPointF squareCentre(GridSquare square)
{
    return {static_cast<qreal>(square.x * squareWidth + squareWidth / 2),
            static_cast<qreal>(square.y * squareHeight + squareHeight / 2)};
}

std::optional<QPointF> locatorCentre(QStringView loc)
{
    if (const auto square = gridSquare(loc)) {
        return squareCentre(*square);
    }
    return std::nullopt;
}

void LocatorGrid::POPULATE_LOC_ARRAYS()
{
    for (int i = 0; i < 18; ++i) {
        m_lonLetters[i] = {QChar(u'A' + i), QString::number(10 * i)};
        m_latLetters[i] = {QChar(u'R' - i), QString::number(10 * i)};
    }
    for (int i = 0; i < 10; ++i) {
        m_lonDigits[i] = i;
        m_latDigits[i] = {i, 9 - i};
    }
    m_populated = true;
}

std::optional<GridSquare> LocatorGrid::scan(QStringView loc) const
{
    // Until the tables are filled nothing matches, as with empty tables.
    if (!m_populated || !gridSquare(loc)) {
        return std::nullopt;
    }
    GridSquare square;
    for (const LetterRow& row : m_lonLetters) {
        if (row.letter == loc[0]) {
            square.x = std::abs(row.offset.toInt());
            break;
        }
    }
    const int lonDigit = loc[2].digitValue();
    for (int digit : m_lonDigits) {
        if (digit == lonDigit) {
            square.x = std::abs(square.x) + std::abs(digit);
            break;
        }
    }
    for (const LetterRow& row : m_latLetters) {
        if (row.letter == loc[1]) {
            square.y = std::abs(row.offset.toInt());
            break;
        }
    }
    const int latDigit = loc[3].digitValue();
    for (const DigitRow& row : m_latDigits) {
        if (row.digit == latDigit) {
            square.y = std::abs(square.y) + std::abs(row.reversed);
            break;
        }
    }
    return square;
}

bool LocatorGrid::GET_XY(QStringView loc1, QStringView loc2)
{
    const auto first = scan(loc1);
    if (first) {
        sngX1 = static_cast<float>(first->x);
        sngY1 = static_cast<float>(first->y);
    }
    const auto second = scan(loc2);
    if (second) {
        sngX2 = static_cast<float>(second->x);
        sngY2 = static_cast<float>(second->y);
    }
    return first && second;
}

} // namespace zenthra
