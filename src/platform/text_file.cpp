#include "text_file.h"

#include "platform/regular_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
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

QString decodeWindows1252(QByteArrayView bytes)
{
    // Opening the code page's converter costs more than decoding a line with it.
    thread_local QStringDecoder windows1252("windows-1252", QStringDecoder::Flag::Stateless);
    return windows1252.isValid() ? windows1252.decode(bytes) : QString::fromLatin1(bytes);
}

QString decode(const QByteArray& bytes)
{
    if (auto text = decodeUtf8(bytes)) {
        return *text;
    }
    return decodeWindows1252(bytes);
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

// How much of a line of `length` bytes at bytes[start..] is kept: all of it up to `max` bytes,
// else at most `max` bytes ending where a UTF-8 character begins, so that a cut character does
// not turn the whole line into Windows-1252.
qsizetype keptLength(const QByteArray& bytes, qsizetype start, qsizetype length, qsizetype max)
{
    if (length <= max) {
        return length;
    }
    qsizetype cut = max;
    for (int back = 0; back < 3 && cut > 0 && (static_cast<uchar>(bytes[start + cut]) & 0xC0) == 0x80;
         ++back) {
        --cut;
    }
    return cut;
}

struct ByteOrderMark
{
    qsizetype length = 0;
    std::optional<QStringConverter::Encoding> utf16; // nothing: the bytes are read as they are
};

ByteOrderMark byteOrderMark(QByteArrayView head)
{
    if (head.startsWith("\xff\xfe")) {
        return {2, QStringConverter::Utf16LE};
    }
    if (head.startsWith("\xfe\xff")) {
        return {2, QStringConverter::Utf16BE};
    }
    if (head.startsWith("\xef\xbb\xbf")) {
        return {3, std::nullopt};
    }
    return {};
}

// UTF-16 bytes as UTF-8, so that line ends are found and lines decoded as in any other file. A
// character cut between two reads (an odd byte, half a surrogate pair) waits in the decoder or
// the encoder for the next.
QByteArray utf8Of(QStringDecoder& utf16, QStringEncoder& utf8, const QByteArray& bytes)
{
    return utf8.encode(QString(utf16.decode(bytes)));
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

QStringList splitLines(const QByteArray& file, qsizetype maxLines, qsizetype maxLineBytes)
{
    const ByteOrderMark mark = byteOrderMark(file);
    QByteArray bytes = file.sliced(mark.length);
    if (mark.utf16) {
        QStringDecoder utf16(*mark.utf16);
        QStringEncoder utf8(QStringEncoder::Utf8);
        bytes = utf8Of(utf16, utf8, bytes);
    }
    QStringList lines;
    qsizetype start = 0;
    qsizetype resume = 0;
    while (lines.size() < maxLines && start < bytes.size()) {
        const std::optional<LineEnd> end = findLineEnd(bytes, start, true, &resume);
        const qsizetype stop = end ? end->end : bytes.size();
        lines.append(decode(bytes.sliced(start, keptLength(bytes, start, stop - start, maxLineBytes))));
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
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    const qint64 n = m_file.read(chunk.data(), chunkSize);
    if (n < 0) {
        m_failed = true;
        return false;
    }
    chunk.truncate(n);
    m_atEnd = n == 0;
    if (!m_marked) {
        // The first read of a regular file holds its first bytes, the mark included.
        m_marked = true;
        const ByteOrderMark mark = byteOrderMark(chunk);
        chunk.remove(0, mark.length);
        if (mark.utf16) {
            m_utf16.emplace(*mark.utf16);
        }
    }
    m_buffer += m_utf16 ? utf8Of(*m_utf16, m_utf8, chunk) : chunk;
    return true;
}

std::optional<QString> LineReader::next(qsizetype maxLineBytes)
{
    if (m_status != Status::open || m_failed) {
        return std::nullopt;
    }
    // Once the line has run past its limit, its kept head stays and what follows is dropped as
    // it is read, until the line end.
    std::optional<qsizetype> cut;
    const auto take = [&](qsizetype end, qsizetype next) {
        const qsizetype length = cut ? *cut : keptLength(m_buffer, m_start, end - m_start, maxLineBytes);
        QString line = decode(m_buffer.sliced(m_start, length));
        m_start = m_scan = next;
        return line;
    };
    for (;;) {
        if (const std::optional<LineEnd> end = findLineEnd(m_buffer, m_scan, m_atEnd, &m_scan)) {
            return take(end->end, end->next);
        }
        if (m_atEnd) {
            if (m_start >= m_buffer.size()) {
                return std::nullopt;
            }
            return take(m_buffer.size(), m_buffer.size());
        }
        if (!cut && m_scan - m_start > maxLineBytes) {
            cut = keptLength(m_buffer, m_start, m_scan - m_start, maxLineBytes);
        }
        if (cut) {
            // m_scan stops before a CR that may yet be followed by its LF: that CR stays.
            m_buffer.remove(m_start + *cut, m_scan - m_start - *cut);
            m_scan = m_start + *cut;
        }
        if (!fill()) {
            return std::nullopt;
        }
    }
}

std::optional<QStringList> readLines(const QString& path, qsizetype maxLines, qsizetype maxLineBytes)
{
    LineReader reader(path);
    if (reader.status() != LineReader::Status::open) {
        return std::nullopt;
    }
    QStringList lines;
    while (lines.size() < maxLines) {
        std::optional<QString> line = reader.next(maxLineBytes);
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
    const auto fail = [why](ReplaceResult result, const QString& reason) {
        if (why) {
            *why = reason;
        }
        return result;
    };
    // Resolved here, not left to QSaveFile, which would rename its temporary over a FIFO or a
    // device node as readily as over a file.
    const std::optional<QString> target = replaceTarget(path);
    if (!target) {
        return fail(ReplaceResult::notRegular, errno == ELOOP ? QString::fromLocal8Bit(std::strerror(errno))
                                                              : QStringLiteral("Not a regular file"));
    }
    // Returning before commit() leaves `file` open, and its destructor removes the temporary.
    QSaveFile file(*target);
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
    // An exclusive create refuses a link, even one whose file is not there yet (on a disk the
    // user keeps it on): the library that opens the name next would then make that file with the
    // umask's mode. So the file is made where the links end, by the rule a rewrite follows.
    const std::optional<QString> target = replaceTarget(path);
    if (!target) {
        return QFileInfo::exists(path);
    }
    const int fd = ::open(QFile::encodeName(*target).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                          unixMode(permissions));
    if (fd < 0) {
        // Made meanwhile by someone else, or a folder on the way is missing.
        return QFileInfo::exists(path);
    }
    // The umask takes bits from the mode the create asks for; a umask that takes the owner's own
    // would leave a database nobody can write. Failing, the file is never more open than asked.
    ::fchmod(fd, unixMode(permissions));
    ::close(fd);
    return true;
}

} // namespace zenthra::textfile
