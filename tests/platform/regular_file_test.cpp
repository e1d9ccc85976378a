#include "platform/regular_file.h"
#include "support/fifo_guard.h"
#include "support/temp_folder.h"

#include <QDir>
#include <gtest/gtest.h>

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

} // namespace
} // namespace zenthra::test
