#pragma once
// A small tmpfs mounted for the test's life, which a test can fill, or make read-only, as a full
// or read-only disk looks to the program whoever runs it. Root mounts it where it is; a plain user
// first takes a mount namespace of the process's own (see small_disk.cpp), so the test runs with
// the same disk, and its files keep their owner and their modes.

#include <QString>

namespace zenthra::test {

struct SmallDisk
{
    explicit SmallDisk(const QString& path, const char* size = "4m");
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    void fill() const;
    void free() const;
    // Nothing on it can be written, not even by root.
    bool setReadOnly(bool readOnly) const;

    QString path;
    QString size;
    bool mounted = false;
    int error = 0;
    // Why the disk could not be mounted, for the assertion that it was.
    QString why;
};

} // namespace zenthra::test
