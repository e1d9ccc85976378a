#include "support/small_disk.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zenthra::test {

namespace {

bool writeWhole(const char* path, const QByteArray& text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    ::close(fd);
    return ok;
}

// A plain user may not mount, nor may root in many containers, but either may in a user namespace
// of its own and a mount namespace owned by it: the process takes both, with its own user and
// group mapped to themselves, so every file keeps its owner and the process its user id. Of the
// rights the new namespace gives, a plain user keeps only the one to mount there: file modes bind
// it as they bind any user, so the tests of a read-only file or folder mean for it what they mean
// for a user. The kernel allows this only while the process runs a single thread: a test takes
// its disk before it starts anything.
QString enterOwnMountNamespace()
{
    static QString failed = [] {
        const uid_t uid = ::geteuid();
        const gid_t gid = ::getegid();
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            const int e = errno;
            return QStringLiteral("a plain user's tmpfs needs a user namespace of its own: unshare: %1%2")
                .arg(QString::fromLocal8Bit(std::strerror(e)),
                     e == EINVAL ? QStringLiteral(" (threads already run)") : QString());
        }
        if (!writeWhole("/proc/self/setgroups", "deny") ||
            !writeWhole("/proc/self/uid_map",
                        QByteArray::number(uid) + ' ' + QByteArray::number(uid) + " 1") ||
            !writeWhole("/proc/self/gid_map",
                        QByteArray::number(gid) + ' ' + QByteArray::number(gid) + " 1")) {
            return QStringLiteral("mapping the user into its namespace: %1")
                .arg(QString::fromLocal8Bit(std::strerror(errno)));
        }
        if (uid == 0) {
            return QString();
        }
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
        data[CAP_TO_INDEX(CAP_SYS_ADMIN)].effective = CAP_TO_MASK(CAP_SYS_ADMIN);
        data[CAP_TO_INDEX(CAP_SYS_ADMIN)].permitted = CAP_TO_MASK(CAP_SYS_ADMIN);
        if (::syscall(SYS_capset, &header, data) != 0) {
            return QStringLiteral("keeping only the right to mount: %1")
                .arg(QString::fromLocal8Bit(std::strerror(errno)));
        }
        return QString();
    }();
    return failed;
}

} // namespace

SmallDisk::SmallDisk(const QString& path, const char* size) : path(path), size(QLatin1String(size))
{
    QDir().mkpath(path);
    const QByteArray options = QByteArrayLiteral("size=") + size;
    mounted = ::mount("tmpfs", qPrintable(path), "tmpfs", 0, options.constData()) == 0;
    error = errno;
    if (!mounted && error == EPERM) {
        why = enterOwnMountNamespace();
        if (why.isEmpty()) {
            mounted = ::mount("tmpfs", qPrintable(path), "tmpfs", 0, options.constData()) == 0;
            error = errno;
        }
    }
    if (!mounted && why.isEmpty()) {
        why = QStringLiteral("mount: ") + QString::fromLocal8Bit(std::strerror(error));
    }
}

SmallDisk::~SmallDisk()
{
    if (mounted) {
        ::umount2(qPrintable(path), MNT_DETACH);
    }
}

void SmallDisk::fill() const
{
    QFile filler(path + QStringLiteral("/filler"));
    filler.open(QIODevice::WriteOnly);
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
}

void SmallDisk::free() const
{
    QFile::remove(path + QStringLiteral("/filler"));
}

bool SmallDisk::setReadOnly(bool readOnly) const
{
    const unsigned long flags = (readOnly ? (MS_REMOUNT | MS_RDONLY) : 0UL) | MS_REMOUNT;
    const QByteArray options = QByteArrayLiteral("size=") + size.toLatin1();
    return ::mount("tmpfs", qPrintable(path), "tmpfs", flags, options.constData()) == 0;
}

} // namespace zenthra::test
