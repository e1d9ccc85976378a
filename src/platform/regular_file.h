#pragma once
// Opening files of the data folder only when they are regular files. Anyone can put a FIFO, a
// device or a folder under a file's name: opening a FIFO without a partner blocks for good, and
// reading a device such as /dev/zero never ends. So every file the program opens there is opened
// without blocking and checked on the very descriptor that is then read.

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QString>
#include <optional>
#include <sys/types.h>

namespace zenthra {

enum class FileCheck
{
    regular,    // a regular file, opened (and read) as asked
    missing,    // nothing of that name
    notRegular, // there, but a FIFO, a device, a socket or a folder
    tooLarge,   // a regular file longer than the reader takes
    readFailed, // there, but it could not be opened or read (no permission, an I/O error)
};

// Opens `path` for `file` with the open(2) `flags` only when it is a regular file; `created` is
// the mode of a file that O_CREAT makes. False with errno set when nothing (or nothing usable) was
// opened: ENOENT or ENOTDIR when there is nothing of that name, EINVAL when it is not a regular file.
bool openRegular(QFile& file, const QString& path, int flags, QIODevice::OpenMode mode,
                 mode_t created = 0666);

struct FileBytes
{
    FileCheck check = FileCheck::missing;
    QByteArray bytes; // the whole file when `check` is regular, else empty
};

// The whole of a regular file of at most `maxBytes` bytes.
FileBytes readRegular(const QString& path, qint64 maxBytes);

// Whether `path` is a regular file that can be opened for reading, for a library that then opens
// it by name itself (SQLite, Qt Multimedia): regular, missing, notRegular or readFailed.
FileCheck checkRegular(const QString& path);
// What is at `path`, following links, without opening it: regular, missing or notRegular. For a
// database file that a connection of this process may hold: closing any descriptor of a file
// drops every lock the process holds on it, and another program could then take the database
// as its own, fold its journal in and delete it under the connections still writing to it.
FileCheck lookAtRegular(const QString& path);

// Where a file rewritten whole goes: `path` itself, or the end of the chain of symbolic links that
// `path` is, so that a link the user made (to a copy kept on another disk, say) stays a link and
// its target takes the new contents. Nothing, with errno set, when that name holds anything but a
// regular file (EINVAL: a FIFO, a device, a socket, a folder) or the links never end (ELOOP):
// putting a file in its place would destroy it. A name with nothing under it is where the file is
// made.
std::optional<QString> replaceTarget(const QString& path);

} // namespace zenthra
