#include "text_file.h"

#include "platform/regular_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zenthra::textfile {

std::optional<QString> decodeUtf8(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        return std::nullopt;
    }
    return text;
}

QString decode(const QByteArray& bytes)
{
    return decodeUtf8(bytes).value_or(QString::fromLatin1(bytes));
}

namespace {

// Reading a regular file a chunk at a time: enough for the few lines a state file holds, small
// enough that a reader stopping early never holds much of a huge file.
constexpr qint64 chunkSize = 64 * 1024;

struct LineEnd
{
    qsizetype end;  // where the line's text ends
    qsizetype next; // where the next line begins
};

// The first line end in bytes[from..]: CR LF, LF or a lone CR. A CR that is the last byte ends a
// line only at the end of the input, since an LF may still follow it. `resume` says where a scan
// after more bytes arrive needs to start.
std::optional<LineEnd> findLineEnd(const QByteArray& bytes, qsizetype from, bool atEnd, qsizetype* resume)
{
    const char* data = bytes.constData();
    const qsizetype n = bytes.size();
    for (qsizetype i = from; i < n; ++i) {
        if (data[i] == '\n') {
            return LineEnd{i, i + 1};
        }
        if (data[i] == '\r') {
            if (i + 1 < n) {
                return LineEnd{i, data[i + 1] == '\n' ? i + 2 : i + 1};
            }
            if (atEnd) {
                return LineEnd{i, i + 1};
            }
            *resume = i;
            return std::nullopt;
        }
    }
    *resume = n;
    return std::nullopt;
}

mode_t unixMode(QFileDevice::Permissions p)
{
    const std::pair<QFileDevice::Permission, mode_t> bits[] = {
        {QFileDevice::ReadOwner, S_IRUSR},  {QFileDevice::WriteOwner, S_IWUSR},
        {QFileDevice::ExeOwner, S_IXUSR},   {QFileDevice::ReadGroup, S_IRGRP},
        {QFileDevice::WriteGroup, S_IWGRP}, {QFileDevice::ExeGroup, S_IXGRP},
        {QFileDevice::ReadOther, S_IROTH},  {QFileDevice::WriteOther, S_IWOTH},
        {QFileDevice::ExeOther, S_IXOTH},
    };
    mode_t mode = 0;
    for (const auto& [permission, bit] : bits) {
        if (p.testFlag(permission)) {
            mode |= bit;
        }
    }
    return mode;
}

} // namespace

QStringList splitLines(const QByteArray& bytes, qsizetype maxLines)
{
    QStringList lines;
    qsizetype start = 0;
    qsizetype resume = 0;
    while (lines.size() < maxLines && start < bytes.size()) {
        const std::optional<LineEnd> end = findLineEnd(bytes, start, true, &resume);
        const qsizetype stop = end ? end->end : bytes.size();
        lines.append(decode(bytes.sliced(start, stop - start)));
        start = end ? end->next : bytes.size();
    }
    return lines;
}

LineReader::LineReader(const QString& path)
{
    if (openRegular(m_file, path, O_RDONLY, QIODevice::ReadOnly)) {
        m_status = Status::open;
    } else {
        m_status = errno == ENOENT || errno == ENOTDIR ? Status::missing : Status::unreadable;
    }
}

bool LineReader::fill()
{
    m_buffer.remove(0, m_start);
    m_scan -= m_start;
    m_start = 0;
    const qsizetype had = m_buffer.size();
    m_buffer.resize(had + chunkSize);
    const qint64 n = m_file.read(m_buffer.data() + had, chunkSize);
    m_buffer.resize(had + std::max<qint64>(n, 0));
    if (n < 0) {
        m_failed = true;
        return false;
    }
    m_atEnd = n == 0;
    return true;
}

std::optional<QString> LineReader::next()
{
    if (m_status != Status::open || m_failed) {
        return std::nullopt;
    }
    for (;;) {
        if (const std::optional<LineEnd> end = findLineEnd(m_buffer, m_scan, m_atEnd, &m_scan)) {
            QString line = decode(m_buffer.sliced(m_start, end->end - m_start));
            m_start = end->next;
            m_scan = m_start;
            return line;
        }
        if (m_atEnd) {
            if (m_start >= m_buffer.size()) {
                return std::nullopt;
            }
            QString last = decode(m_buffer.sliced(m_start));
            m_start = m_scan = m_buffer.size();
            return last;
        }
        if (!fill()) {
            return std::nullopt;
        }
    }
}

std::optional<QStringList> readLines(const QString& path, qsizetype maxLines)
{
    LineReader reader(path);
    if (reader.status() != LineReader::Status::open) {
        return std::nullopt;
    }
    QStringList lines;
    while (lines.size() < maxLines) {
        std::optional<QString> line = reader.next();
        if (!line) {
            break;
        }
        lines.append(std::move(*line));
    }
    if (reader.failed()) {
        return std::nullopt;
    }
    return lines;
}

ReplaceResult replaceFile(const QString& path, const QByteArray& bytes, QString* why,
                          std::optional<QFileDevice::Permissions> permissions)
{
    // Returning before commit() leaves `file` open, and its destructor removes the temporary.
    QSaveFile file(path);
    const auto fail = [why](ReplaceResult result, const QString& reason) {
        if (why) {
            *why = reason;
        }
        return result;
    };
    // Unbuffered, so every write reaches the file here and reports its own failure.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return fail(ReplaceResult::cannotCreate, file.errorString());
    }
    if (permissions) {
        file.setPermissions(*permissions);
    }
    // QSaveFile's commit() renames the temporary even when a write before it failed (a full
    // disk), putting a truncated file in the old one's place. So every write and the sync to disk
    // are checked here, before commit() may rename. A disk that fills part way takes part of a
    // write without a word; writing the rest then fails with the system's reason ("No space left
    // on device").
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            return fail(ReplaceResult::cannotWrite, file.errorString());
        }
        done += n;
    }
    if (!file.flush()) {
        return fail(ReplaceResult::cannotWrite, file.errorString());
    }
    if (::fsync(file.handle()) != 0) {
        return fail(ReplaceResult::cannotWrite, QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (!file.commit()) {
        return fail(ReplaceResult::cannotWrite, file.errorString());
    }
    return ReplaceResult::replaced;
}

QByteArray linesBytes(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

bool writeLines(const QString& path, const QStringList& lines,
                std::optional<QFileDevice::Permissions> permissions)
{
    return replaceFile(path, linesBytes(lines), nullptr, permissions) == ReplaceResult::replaced;
}

bool appendLine(const QString& path, const QString& line, std::optional<QFileDevice::Permissions> permissions)
{
    // The error log is written at start-up: something other than a file under its name must not
    // hold the start.
    QFile file;
    if (!openRegular(file, path, O_WRONLY | O_APPEND | O_CREAT, QIODevice::WriteOnly | QIODevice::Append,
                     permissions ? unixMode(*permissions) : 0666)) {
        return false;
    }
    const QByteArray bytes = line.toUtf8() + "\r\n";
    const bool written = file.write(bytes) == bytes.size();
    return file.flush() && written;
}

bool createFile(const QString& path, QFileDevice::Permissions permissions)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, permissions)) {
        return true;
    }
    return QFileInfo::exists(path);
}

} // namespace zenthra::textfile
