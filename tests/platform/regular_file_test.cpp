#include "platform/regular_file.h"
#include "support/fifo_guard.h"
#include "support/temp_folder.h"

#include <QDir>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zenthra::test {
namespace {

TEST(RegularFile, ReadsAndChecksOnlyARegularFileWithinTheLimit)
{
    const TempFolder dir;
    dir.write(QStringLiteral("abc"), "abc");
    dir.write(QStringLiteral("empty"), "");
    dir.write(QStringLiteral("abcd"), "abcd");
    const FifoGuard fifo(dir.file(QStringLiteral("fifo")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.file(QStringLiteral("device"))));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const struct
    {
        const char* name;
        FileCheck read; // readRegular's outcome, at most 3 bytes
        FileCheck check;
    } rows[] = {
        {"abc", FileCheck::regular, FileCheck::regular},
        {"empty", FileCheck::regular, FileCheck::regular},
        {"abcd", FileCheck::tooLarge, FileCheck::regular},
        {"missing", FileCheck::missing, FileCheck::missing},
        {"fifo", FileCheck::notRegular, FileCheck::notRegular},
        {"device", FileCheck::notRegular, FileCheck::notRegular},
        {"folder", FileCheck::notRegular, FileCheck::notRegular},
    };
    for (const auto& row : rows) {
        const QString name = QString::fromLatin1(row.name);
        const FileBytes read = readRegular(dir.file(name), 3);
        EXPECT_EQ(read.check, row.read) << row.name;
        EXPECT_EQ(read.bytes, row.read == FileCheck::regular ? dir.read(name) : QByteArray()) << row.name;
        EXPECT_EQ(checkRegular(dir.file(name)), row.check) << row.name;
    }
    EXPECT_FALSE(fifo.fired());
}

// A sparse file of 200 GB under a help file's or the map's name costs no disk, and is refused on
// its size alone: a reader that took it whole first would fail to allocate it, or read for hours.
// Read in a child, ended after a minute, so that such a reader fails the test rather than the run.
TEST(RegularFile, AHugeSparseFileIsRefusedBeforeAnythingIsRead)
{
    const TempFolder dir;
    const QString path = dir.file(QStringLiteral("muf_guide.rtf"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(200LL << 30));
    }
    for (const qint64 cap : {16LL << 20, 64LL << 20}) { // the help files' cap, the map's
        std::fflush(nullptr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::alarm(60);
            bool refused = false;
            try {
                const FileBytes read = readRegular(path, cap);
                refused = read.check == FileCheck::tooLarge && read.bytes.isEmpty();
            } catch (...) {
                // std::bad_alloc: the child must not go on to run the other tests.
            }
            ::_exit(refused ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "cap " << cap << ": " << (WIFSIGNALED(status) ? strsignal(WTERMSIG(status)) : "not refused");
    }
}

} // namespace
} // namespace zenthra::test
