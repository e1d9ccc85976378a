#include "shell/database_backup.h"

#include "core/database_settings.h"
#include "core/error_log.h"
#include "platform/data_folder.h"
#include "platform/legacy_value.h"
#include "platform/regular_file.h"
#include "platform/text_file.h"
#include "spots/database.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <filesystem>
#include <system_error>

namespace zenthra {

namespace {

constexpr double errFileNotFound = 53;
constexpr double errPathFileAccess = 75;

// Copies `source` to `target` through a read-only connection of its own; the copy sees one
// committed state of the database.
bool vacuumInto(const QString& source, const QString& target, SqlFailure& why)
{
    const QString name = QStringLiteral("zenthra_backup_") + QUuid::createUuid().toString(QUuid::Id128);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(source);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            why = Database::failureOf(db.lastError());
        } else {
            QSqlQuery q(db);
            ok = q.prepare(QStringLiteral("VACUUM INTO ?"));
            if (ok) {
                q.addBindValue(target);
                ok = q.exec();
            }
            if (!ok) {
                why = Database::failureOf(q.lastError());
            }
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace

QString BACKUP_DATABASE(const DatabaseSettings& settings, const DataFolder& folder, ErrorLog& log)
{
    if (settings.strDbType.compare(QLatin1String("s"), Qt::CaseInsensitive) == 0) {
        return QStringLiteral("The spots database is kept on the server ") + settings.strSqlServer +
               QStringLiteral(" and is backed up on the server with its own tools, not by copying a file."
                              "\r\nNo copy was made.");
    }

    const QString source = folder.file(QLatin1String(Database::spotsFileName));
    // A copy the user keeps elsewhere through a link is the one brought up to date, the link stays;
    // the new copy is made beside it, so that the rename that puts it in place stays on its disk.
    const std::optional<QString> target = replaceTarget(folder.file(QLatin1String(backupFileName)));
    SqlFailure why;
    bool ok = false;
    // SQLite opens the source itself and would block on a FIFO: anything but a file is none.
    if (const FileCheck check = lookAtRegular(source);
        check == FileCheck::missing || check == FileCheck::notRegular) {
        why = {errFileNotFound, QStringLiteral("File not found: ") + QLatin1String(Database::spotsFileName)};
    } else if (!target) {
        why = {errPathFileAccess, QStringLiteral("Path/File access error: ") + QLatin1String(backupFileName) +
                                      QStringLiteral(" is not a regular file and was left as it is")};
    } else {
        const QString partial = *target + QStringLiteral(".partial");
        // VACUUM INTO wants a target that does not exist or is empty; a leftover from a broken run
        // goes. The empty one made here is for the owner alone, as the database it copies.
        QFile::remove(partial);
        textfile::createFile(partial, textfile::ownerOnly);
        ok = vacuumInto(source, partial, why);
        if (ok) {
            std::error_code error;
            std::filesystem::rename(QFile::encodeName(partial).toStdString(),
                                    QFile::encodeName(*target).toStdString(), error);
            if (error) {
                ok = false;
                why = {errPathFileAccess,
                       QStringLiteral("Path/File access error: ") + QString::fromStdString(error.message())};
            }
        }
        if (!ok) {
            QFile::remove(partial);
        }
    }
    if (!ok) {
        log.WRITE_ERROR_LOG(why.number, QStringLiteral("BACKUP_DATABASE()"));
        return legacy::numberText(why.number) + QStringLiteral("\r\n") + why.text +
               QStringLiteral("\r\nCopy unsuccessful");
    }
    return QStringLiteral("Copy called ") + QLatin1String(backupFileName) + QStringLiteral(" made in ") +
           folder.path();
}

} // namespace zenthra
