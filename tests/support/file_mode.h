#pragma once
// File modes for the tests of what the program creates: the mode bits themselves (root reads any
// file, so "can another user read it" proves nothing under the CI's root), and a umask for one test.

#include <QFile>
#include <QString>

#include <sys/stat.h>

namespace zenthra::test {

// The mode bits of a file or folder (set-id and sticky bits included), or -1 when it is not there.
inline int modeOf(const QString& path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return -1;
    }
    return static_cast<int>(st.st_mode & 07777);
}

// Sets the process's umask while it lives (children started meanwhile inherit it).
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
