#pragma once
// The program's own small text files: written UTF-8 with CR LF line ends, read with CR LF, LF or
// a lone CR as line end, each line UTF-8 when its bytes are valid UTF-8, else Windows-1252 (files
// from older installations, or a list edited by hand with one line in another code page). A file that
// begins with a UTF-16 byte-order mark (a list saved as "Unicode" by a Windows editor) is read as
// UTF-16 of that byte order; a UTF-8 byte-order mark never ends up in the first line's text.

#include <QFile>
#include <QFileDevice>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>
#include <limits>
#include <optional>

namespace zenthra::textfile {

// Readable and writable by the owner alone, whatever the umask: every file that holds passwords
// or node data (settings, databases, their backup, the error log, the command histories).
inline constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Decodes bytes as UTF-8 when they are valid UTF-8, else as Windows-1252.
QString decode(const QByteArray& bytes);
// Text that is not UTF-8 was written in Windows-1252 (lists saved by Windows editors, nodes run on
// Windows): the one fallback of every file and link. Without the code page (a Qt built without
// ICU) Latin-1 keeps at least every byte.
QString decodeWindows1252(QByteArrayView bytes);
// The bytes as UTF-8, or nothing when they are not valid UTF-8.
std::optional<QString> decodeUtf8(const QByteArray& bytes);

inline constexpr qsizetype allLines = std::numeric_limits<qsizetype>::max();

// How much of a line is kept, in bytes of UTF-8 text: the rest of a longer line is read past and
// dropped, so that one huge line costs no more than a short one. A state value is a few hundred
// characters at most; a list line (a node, a command typed by hand, a menu entry) may be longer,
// but nothing the program reads needs a line of megabytes.
inline constexpr qsizetype stateLineBytes = 4 * 1024;
inline constexpr qsizetype listLineBytes = 1024 * 1024;

// The lines of the bytes, without their line ends, each decoded on its own; at most `maxLines`,
// each at most `maxLineBytes` long (cut where a character begins). A final line end does not add
// an empty last line.
QStringList splitLines(const QByteArray& bytes, qsizetype maxLines = allLines,
                       qsizetype maxLineBytes = stateLineBytes);

// Reads a text file a line at a time, so that a reader that uses the first few lines of a huge
// file never holds the rest. Only a regular file is opened: a FIFO, a device or a folder placed
// under a file's name would block the open or the reads for good.
class LineReader
{
public:
    enum class Status
    {
        open,
        missing,    // nothing of that name
        unreadable, // there but not a regular file, or no permission
    };

    explicit LineReader(const QString& path);
    Status status() const { return m_status; }
    // The next line without its line end, at most `maxLineBytes` of it as splitLines() keeps;
    // nothing at the end of the file or when a read fails.
    std::optional<QString> next(qsizetype maxLineBytes = stateLineBytes);
    // A read failed after the file was opened.
    bool failed() const { return m_failed; }

private:
    bool fill();

    QFile m_file;
    Status m_status = Status::missing;
    QByteArray m_buffer;
    qsizetype m_start = 0; // where the next line begins in m_buffer
    qsizetype m_scan = 0;  // how far m_buffer has been searched for its line end
    bool m_atEnd = false;
    bool m_failed = false;
    bool m_marked = false;                 // the byte-order mark, if any, has been looked for
    std::optional<QStringDecoder> m_utf16; // a UTF-16 file, turned into UTF-8 as it is read
    QStringEncoder m_utf8{QStringEncoder::Utf8};
};

// The first `maxLines` lines of a file (all by default), as LineReader reads them; nothing when
// the file is missing, is not a regular file or cannot be read.
std::optional<QStringList> readLines(const QString& path, qsizetype maxLines = allLines,
                                     qsizetype maxLineBytes = stateLineBytes);

enum class ReplaceResult
{
    replaced,
    cannotCreate, // no temporary could be made beside the file
    cannotWrite,  // the new contents did not all reach the disk, or could not take the file's place
    notRegular,   // the name, or the end of its links, holds a FIFO, a device, a socket or a folder
};

// Rewrites a file whole: the bytes go to a temporary beside it, every write and the flush to
// the disk are checked, and only a complete temporary is renamed over the file. Otherwise the
// old file stays as it was and `why` (when given) says what went wrong. `permissions`, when
// given, are set on the new file before anything is written to it. A symbolic link stays: the
// file it leads to is the one rewritten (or made). Only a regular file is ever replaced: anything
// else under the name or at the link's end is left as it is (replaceTarget()).
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

// Creates an empty file with exactly `permissions`, whatever the umask, unless something is there
// already (a database file that a library then fills). A symbolic link stays, and the file is made
// at the end of its links as replaceFile() makes it; nothing is made when a folder on the way is
// missing. True when a file is there afterwards.
bool createFile(const QString& path, QFileDevice::Permissions permissions);

} // namespace zenthra::textfile
