#pragma once
// The program's own small text files: written UTF-8 with CR LF line ends, read with either
// line end, UTF-8 when the bytes are valid UTF-8, else Latin-1 (files from older installations).

#include <QString>
#include <QStringList>
#include <optional>

namespace zenthra::textfile {

// Decodes bytes as UTF-8 when they are valid UTF-8, else as Latin-1.
QString decode(const QByteArray& bytes);
// The bytes as UTF-8, or nothing when they are not valid UTF-8.
std::optional<QString> decodeUtf8(const QByteArray& bytes);

// All lines of a file, without their line ends; nothing when the file cannot be read.
// A final line end does not add an empty last line.
std::optional<QStringList> readLines(const QString& path);

// Rewrites a file whole: written to a temporary beside it and renamed over it, so a failed
// write leaves the old file as it was. Each line ends in CR LF.
bool writeLines(const QString& path, const QStringList& lines);

// Appends one line with CR LF, creating the file when missing.
bool appendLine(const QString& path, const QString& line);

} // namespace zenthra::textfile
