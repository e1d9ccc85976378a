#pragma once
// zenthra.dat: the options, the main window's geometry and the three current nodes, one value
// per line, 123 lines in a fixed order, no keys. Loading applies the lines in three stretches
// because start-up opens the databases after line 5 and places the window after line 9.

#include "platform/twips.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace zenthra {

class OptionsModel;

class SettingsReader
{
public:
    static constexpr int lineCount = 123;
    static constexpr const char* fileName = "zenthra.dat";

    // Reads the file once; a missing or unreadable file reads as no lines at all.
    explicit SettingsReader(const QString& path);

    // Lines 1-5; then the database kind becomes "a" unless it is exactly "s".
    void readDatabaseLines(OptionsModel& options) const;

    // Lines 6-9: the main window's outer height, width, top and left in twips, in that order. A
    // line that cannot be converted leaves that value of `geometry` as it was.
    void readGeometryLines(TwipsRect& geometry) const;

    // Lines 10-123 with the steps that follow some of them (check marks set from the flags
    // beside them, the DX Spider menu shown) and the floors of the options.
    void readOptionLines(OptionsModel& options) const;

    qsizetype linesPresent() const { return m_lines.size(); }

private:
    std::optional<QString> line(int number) const;

    QStringList m_lines;
};

// The 123 lines as SAVE_SETTINGS writes them; no floor or check is applied. Line breaks inside
// a text value are removed, so a value can never shift the lines after it.
QStringList settingsLines(const OptionsModel& options, const TwipsRect& geometry);

// Writes the lines atomically, readable by the owner only (the file holds passwords in clear).
// On failure the previous file stays whole and `errorNumber` gets the error number to log.
bool writeSettingsFile(const QString& path, const QStringList& lines, int* errorNumber = nullptr);

} // namespace zenthra
