#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace zenthra::test {

// A fresh data folder for one test, removed afterwards.
class TempFolder
{
public:
    TempFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    // The file's raw bytes, or an empty array when it does not exist.
    QByteArray read(const QString& name) const;
    // The file's lines (CR LF or LF), without line ends.
    QStringList lines(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir m_dir;
};

// Copies the shipped world map into the folder, as the program's start does with its defaults, so
// that a start-up there finds its map.
void installWorldMap(const TempFolder& folder);
// The world map and empty command histories: the folder as a first run leaves it, so that a
// start-up there logs nothing of its own.
void installStartFiles(const TempFolder& folder);

// The bytes of a text file of these lines, each ended by CR LF as the program writes them.
QByteArray fileOf(const QStringList& lines);

// The path of a file in the shared test data folder.
QString sharedTestData(const QString& name);

} // namespace zenthra::test
