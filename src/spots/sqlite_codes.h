#pragma once
// SQLite's primary result codes that the database layer and the spot writers tell apart, as the
// driver reports them in a failure's native code (extended codes carry them in their low byte).

#include <QSqlError>

namespace zenthra::sqlite {

enum Code : int
{
    perm = 3,
    busy = 5,
    locked = 6,
    readOnly = 8,
    ioErr = 10,
    full = 13,
    cantOpen = 14,
};

inline int codeOf(const QSqlError& error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

} // namespace zenthra::sqlite
