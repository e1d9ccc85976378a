#include "text_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <cerrno>
#include <cstring>
#include <unistd.h>

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

std::optional<QStringList> readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QString text = decode(file.readAll());
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] == u'\n') {
            qsizetype end = i;
            if (end > start && text[end - 1] == u'\r') {
                --end;
            }
            lines.append(text.mid(start, end - start));
            start = i + 1;
        }
    }
    if (start < n) {
        QString last = text.mid(start);
        if (last.endsWith(u'\r')) {
            last.chop(1);
        }
        lines.append(last);
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
    QFile file(path);
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Append;
    if (!(permissions ? file.open(mode, *permissions) : file.open(mode))) {
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
