#include "text_file.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

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

bool writeLines(const QString& path, const QStringList& lines)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool appendLine(const QString& path, const QString& line)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return false;
    }
    const QByteArray bytes = line.toUtf8() + "\r\n";
    const bool written = file.write(bytes) == bytes.size();
    return file.flush() && written;
}

} // namespace zenthra::textfile
