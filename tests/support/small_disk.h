#pragma once
// A small tmpfs mounted for the test's life (root only), which a test can fill, or make
// read-only, as a full or read-only disk looks to the program whoever runs it.

#include <QDir>
#include <QFile>
#include <QString>

#include <sys/mount.h>

#include <cerrno>

namespace zenthra::test {

struct SmallDisk
{
    explicit SmallDisk(const QString& path) : path(path)
    {
        QDir().mkpath(path);
        mounted = ::mount("tmpfs", qPrintable(path), "tmpfs", 0, "size=4m") == 0;
        error = errno;
    }
    ~SmallDisk()
    {
        if (mounted) {
            ::umount2(qPrintable(path), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    void fill() const
    {
        QFile filler(path + QStringLiteral("/filler"));
        filler.open(QIODevice::WriteOnly);
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    void free() const { QFile::remove(path + QStringLiteral("/filler")); }
    // Nothing on it can be written, not even by root.
    bool setReadOnly(bool readOnly) const
    {
        const unsigned long flags = (readOnly ? (MS_REMOUNT | MS_RDONLY) : 0UL) | MS_REMOUNT;
        return ::mount("tmpfs", qPrintable(path), "tmpfs", flags, "size=4m") == 0;
    }

    QString path;
    bool mounted = false;
    int error = 0;
};

} // namespace zenthra::test
