#include "data_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace zenthra {

QString DataFolder::resolve(const QStringList& arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--folder") && i + 1 < arguments.size()) {
            return QDir::cleanPath(QDir::current().absoluteFilePath(arguments[i + 1]));
        }
        if (arg.startsWith(QLatin1String("--folder="))) {
            return QDir::cleanPath(QDir::current().absoluteFilePath(arg.mid(9)));
        }
    }
    const QString env = qEnvironmentVariable("ZENTHRA_HOME");
    if (!env.isEmpty()) {
        return QDir::cleanPath(QDir::current().absoluteFilePath(env));
    }
    return QDir::homePath() + QStringLiteral("/.local/share/zenthra");
}

DataFolder::DataFolder(QString path) : m_path(std::move(path)) {}

bool DataFolder::ensureExists() const
{
    const QFileInfo here(m_path);
    if (here.isDir()) {
        return true;
    }
    const QString above = here.absolutePath();
    if (above != here.absoluteFilePath() && !DataFolder(above).ensureExists()) {
        return false;
    }
    // Created with its mode rather than changed afterwards, so it is never open to others at all.
    return QDir().mkdir(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) ||
           QFileInfo(m_path).isDir();
}

QStringList DataFolder::installDefaults(const QString& assetsFolder) const
{
    QStringList copied;
    const QDir source(assetsFolder);
    const auto entries = source.entryInfoList(QDir::Files | QDir::Readable);
    for (const QFileInfo& entry : entries) {
        const QString target = file(entry.fileName());
        if (!QFileInfo::exists(target) && QFile::copy(entry.absoluteFilePath(), target)) {
            QFile::setPermissions(target,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
            copied.append(entry.fileName());
        }
    }
    return copied;
}

QString DataFolder::shippedAssets()
{
    const QString installed = QStringLiteral(ZENTHRA_INSTALLED_ASSETS);
    if (QFileInfo(installed).isDir()) {
        return installed;
    }
    return QStringLiteral(ZENTHRA_SOURCE_ASSETS);
}

QString DataFolder::file(const QString& name) const
{
    return m_path + u'/' + name;
}

} // namespace zenthra
