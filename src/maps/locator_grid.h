#pragma once
// The 180 x 180 grid of Maidenhead squares on the world bitmap. A square (two field letters A-R,
// two digits) is a cell of 16 x 8 pixels; every mark on a map sits on the centre pixel of its
// square, whatever subsquare letters follow. Columns count eastwards from 180 W, rows southwards
// from 90 N.

#include <QPointF>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

namespace zenthra {

// Column and row of a square.
struct GridSquare
{
    int x = 0;
    int y = 0;
    friend bool operator==(const GridSquare&, const GridSquare&) = default;
};

// Size of the world bitmap the grid is laid on, and of one square on it.
inline constexpr int worldWidth = 2880;
inline constexpr int worldHeight = 1440;
inline constexpr int squareWidth = 16;
inline constexpr int squareHeight = 8;

// The square of a locator's first four characters; nothing unless they are two upper-case
// field letters A-R and two digits. Lower-case text is refused as the look-up tables refuse it.
std::optional<GridSquare> gridSquare(QStringView loc);
// Centre pixel of a square: X x 16 + 8, Y x 8 + 4.
QPointF squareCentre(GridSquare square);
// Centre pixel of a locator's square; nothing for a text that is not a square of the grid.
std::optional<QPointF> locatorCentre(QStringView loc);

// The look-up tables of a map and the conversion of two locators at once. Each map (the main
// window's and the separate map windows) keeps one of its own.
class LocatorGrid
{
public:
    struct LetterRow
    {
        QChar letter;
        QString offset; // 10 x the row number, as text
    };
    struct DigitRow
    {
        int digit = 0;
        int reversed = 0; // 9 - digit, for the rows counted from the north
    };

    // Fills the four tables: field letters A.. for columns, R.. for rows, digits 0-9.
    void POPULATE_LOC_ARRAYS();
    bool populated() const { return m_populated; }

    // Grid column and row of loc1 into sngX1, sngY1 and of loc2 into sngX2, sngY2. A locator that
    // is not a square of the grid leaves its pair as it was; the result says whether both were.
    bool GET_XY(QStringView loc1, QStringView loc2);

    float sngX1 = 0;
    float sngY1 = 0;
    float sngX2 = 0;
    float sngY2 = 0;

    const std::array<LetterRow, 18>& arrLonLetters() const { return m_lonLetters; }
    const std::array<LetterRow, 18>& arrLatLetters() const { return m_latLetters; }
    const std::array<int, 10>& arrLonDigits() const { return m_lonDigits; }
    const std::array<DigitRow, 10>& arrLatDigits() const { return m_latDigits; }

private:
    std::optional<GridSquare> scan(QStringView loc) const;

    std::array<LetterRow, 18> m_lonLetters{};
    std::array<LetterRow, 18> m_latLetters{};
    std::array<int, 10> m_lonDigits{};
    std::array<DigitRow, 10> m_latDigits{};
    bool m_populated = false;
};

} // namespace zenthra
