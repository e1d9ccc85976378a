#pragma once
// "Make copy of Db": a consistent copy of the spot database beside it, spots_backup.sqlite.
// The copy is taken through SQLite's own VACUUM INTO on a read-only connection, so spots being
// written meanwhile neither block it nor end up half in it; it is written under a temporary name
// and renamed over the old copy only once complete. A link under the copy's name stays and the
// file it leads to is the one replaced; anything but a regular file there is left alone, as every
// whole-file rewrite leaves it. A server database is not copied: the server keeps it, and the
// result says so.

#include <QString>

namespace zenthra {

class DataFolder;
class ErrorLog;
struct DatabaseSettings;

inline constexpr const char* backupFileName = "spots_backup.sqlite";
inline constexpr const char* backupResultTitle = "Database copy result";

// Returns the text for the message box: "Copy called spots_backup.sqlite made in " and the folder;
// on failure the error number, CR LF, its description, CR LF and "Copy unsuccessful" (and the
// failure is logged as "BACKUP_DATABASE()"); with the server database, why nothing was copied.
QString BACKUP_DATABASE(const DatabaseSettings& settings, const DataFolder& folder, ErrorLog& log);

} // namespace zenthra
