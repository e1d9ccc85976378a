#include "platform/regular_file.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zenthra {

namespace {

// Read a chunk at a time, so that the bytes held never run far past the limit.
constexpr qint64 chunkSize = 64 * 1024;

FileCheck failureOf(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return FileCheck::missing;
    case EINVAL:
        return FileCheck::notRegular;
    default:
        return FileCheck::readFailed;
    }
}

} // namespace

bool openRegular(QFile& file, const QString& path, int flags, QIODevice::OpenMode mode, mode_t created)
{
    // The open itself does not block, so that a FIFO without a partner cannot hold it.
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK | O_CLOEXEC, created);
    if (fd < 0) {
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return false;
    }
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 ||
        !file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        errno = EIO;
        return false;
    }
    return true;
}

FileBytes readRegular(const QString& path, qint64 maxBytes)
{
    QFile file;
    if (!openRegular(file, path, O_RDONLY, QIODevice::ReadOnly)) {
        return {failureOf(errno), {}};
    }
    if (file.size() > maxBytes) {
        return {FileCheck::tooLarge, {}};
    }
    // A file that grows while it is read is held to the limit too: one byte past it tells.
    QByteArray bytes;
    bytes.reserve(file.size());
    for (;;) {
        const qsizetype had = bytes.size();
        const qint64 room = std::min(chunkSize, maxBytes + 1 - had);
        bytes.resize(had + room);
        const qint64 n = file.read(bytes.data() + had, room);
        if (n < 0) {
            return {FileCheck::readFailed, {}};
        }
        bytes.resize(had + n);
        if (bytes.size() > maxBytes) {
            return {FileCheck::tooLarge, {}};
        }
        if (n == 0) {
            return {FileCheck::regular, bytes};
        }
    }
}

FileCheck checkRegular(const QString& path)
{
    QFile file;
    return openRegular(file, path, O_RDONLY, QIODevice::ReadOnly) ? FileCheck::regular : failureOf(errno);
}

FileCheck lookAtRegular(const QString& path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return failureOf(errno);
    }
    return S_ISREG(info.st_mode) ? FileCheck::regular : FileCheck::notRegular;
}

std::optional<QString> replaceTarget(const QString& path)
{
    // As many links as the system itself follows before it gives up with ELOOP.
    constexpr int maxLinks = 40;
    QString at = path;
    for (int links = 0; links <= maxLinks; ++links) {
        const QByteArray name = QFile::encodeName(at);
        struct stat info;
        if (::lstat(name.constData(), &info) != 0) {
            // Nothing there, or a folder on the way that cannot be searched: the save itself then
            // makes the file or says why it cannot.
            return at;
        }
        if (S_ISREG(info.st_mode)) {
            return at;
        }
        if (!S_ISLNK(info.st_mode)) {
            errno = EINVAL;
            return std::nullopt;
        }
        // One byte more than the link holds tells a link that grew since the lstat (some file
        // systems give no size: then the longest path there is).
        QByteArray link((info.st_size > 0 ? info.st_size : PATH_MAX) + 1, Qt::Uninitialized);
        const ssize_t n = ::readlink(name.constData(), link.data(), link.size());
        if (n < 0 || n == link.size()) {
            // A link being rewritten as it is read is no place to save to.
            errno = n < 0 ? errno : EINVAL;
            return std::nullopt;
        }
        link.truncate(n);
        // A relative link is relative to the folder that holds it.
        at = QDir(QFileInfo(at).path()).filePath(QFile::decodeName(link));
    }
    errno = ELOOP;
    return std::nullopt;
}

} // namespace zenthra
