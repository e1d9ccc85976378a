#pragma once
// Mode bits rather than "can another user read it", which root always can.

#include <QFile>
#include <QString>

#include <sys/stat.h>

namespace zenthra::test {

// The mode bits of a file or folder, or -1 when it is not there.
inline int modeOf(const QString& path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

// The process's umask while it lives (children started meanwhile inherit it).
class ScopedUmask
{
public:
    explicit ScopedUmask(mode_t mask) : m_saved(::umask(mask)) {}
    ~ScopedUmask() { ::umask(m_saved); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t m_saved;
};

} // namespace zenthra::test
