#pragma once
// The program's own small text files: written UTF-8 with CR LF line ends, read with either
// line end, UTF-8 when the bytes are valid UTF-8, else Latin-1 (files from older installations).

#include <QFileDevice>
#include <QString>
#include <QStringList>
#include <optional>

namespace zenthra::textfile {

// Readable and writable by the owner alone, whatever the umask: every file that holds passwords
// or node data (settings, databases, their backup, the error log, the command histories).
inline constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Decodes bytes as UTF-8 when they are valid UTF-8, else as Latin-1.
QString decode(const QByteArray& bytes);
// The bytes as UTF-8, or nothing when they are not valid UTF-8.
std::optional<QString> decodeUtf8(const QByteArray& bytes);

// All lines of a file, without their line ends; nothing when the file cannot be read.
// A final line end does not add an empty last line.
std::optional<QStringList> readLines(const QString& path);

enum class ReplaceResult
{
    replaced,
    cannotCreate, // no temporary could be made beside the file
    cannotWrite,  // the new contents did not all reach the disk, or could not take the file's place
};

// Rewrites a file whole: the bytes go to a temporary beside it, every write and the flush to
// the disk are checked, and only a complete temporary is renamed over the file. Otherwise the
// old file stays as it was and `why` (when given) says what went wrong. `permissions`, when
// given, are set on the new file before anything is written to it.
ReplaceResult replaceFile(const QString& path, const QByteArray& bytes, QString* why = nullptr,
                          std::optional<QFileDevice::Permissions> permissions = std::nullopt);

// The lines as the file holds them: UTF-8, each ended by CR LF.
QByteArray linesBytes(const QStringList& lines);

// Rewrites a file whole as replaceFile() does. Each line ends in CR LF.
bool writeLines(const QString& path, const QStringList& lines,
                std::optional<QFileDevice::Permissions> permissions = std::nullopt);

// Appends one line with CR LF, creating the file when missing (with `permissions` when given;
// a file already there keeps its own).
bool appendLine(const QString& path, const QString& line,
                std::optional<QFileDevice::Permissions> permissions = std::nullopt);

// Creates an empty file with `permissions` unless something is there already (a database file
// that a library then fills). True when a file is there afterwards.
bool createFile(const QString& path, QFileDevice::Permissions permissions);

} // namespace zenthra::textfile
