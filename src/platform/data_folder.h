#pragma once
// The one folder that holds every file the program reads and writes: settings, databases,
// logs, sounds, maps, help files.

#include <QString>
#include <QStringList>

namespace zenthra {

class DataFolder
{
public:
    // `--folder DIR` among the arguments, else $ZENTHRA_HOME, else ~/.local/share/zenthra.
    static QString resolve(const QStringList& arguments);

    explicit DataFolder(QString path);

    // Creates the folder when missing, and each missing folder above it, for the owner alone
    // (0700, whatever the umask): the databases hold node passwords. A folder already there keeps
    // its mode. False when it cannot be created.
    bool ensureExists() const;

    // Copies each shipped default that is missing here from `assetsFolder`; files already
    // present are the user's and stay untouched. Returns the names copied.
    QStringList installDefaults(const QString& assetsFolder) const;

    // The folder with the shipped defaults: the installed share folder, else the source tree's.
    static QString shippedAssets();

    const QString& path() const { return m_path; }
    QString file(const QString& name) const;

private:
    QString m_path;
};

} // namespace zenthra
