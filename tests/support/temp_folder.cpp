#include "support/temp_folder.h"

#include <QFile>

namespace zenthra::test {

void installWorldMap(const TempFolder& folder)
{
    QFile::copy(QStringLiteral(ZENTHRA_SOURCE_ASSETS "/world.gif"), folder.file(QStringLiteral("world.gif")));
}

void installStartFiles(const TempFolder& folder)
{
    installWorldMap(folder);
    folder.write(QStringLiteral("dxc_history.dat"), {});
    folder.write(QStringLiteral("wwc_history.dat"), {});
}

TempFolder::TempFolder() : m_dir(QDir::tempPath() + QStringLiteral("/zenthra-test-XXXXXX")) {}

QByteArray TempFolder::read(const QString& name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

QStringList TempFolder::lines(const QString& name) const
{
    QString text = QString::fromUtf8(read(name));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList out = text.split(u'\n');
    if (!out.isEmpty() && out.last().isEmpty()) {
        out.removeLast();
    }
    return out;
}

void TempFolder::write(const QString& name, const QByteArray& bytes) const
{
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        f.write(bytes);
    }
}

QByteArray fileOf(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines) {
        out += line.toUtf8() + "\r\n";
    }
    return out;
}

QString sharedTestData(const QString& name)
{
    return QStringLiteral(ZENTHRA_TESTDATA "/") + name;
}

} // namespace zenthra::test
