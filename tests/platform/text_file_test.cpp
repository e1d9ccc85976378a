#include "platform/rtf_writer.h"
#include "platform/text_file.h"
#include "support/file_size_limit.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>

using zenthra::test::FileSizeLimit;
using zenthra::test::TempFolder;
namespace textfile = zenthra::textfile;

TEST(TextFile, WritesUtf8WithCrLfAndReadsEitherLineEnd)
{
    TempFolder dir;
    ASSERT_TRUE(textfile::writeLines(dir.file("a.dat"), {"IO91WM", "Grüße", ""}));
    EXPECT_EQ(dir.read("a.dat"), QByteArray("IO91WM\r\nGr\xc3\xbc\xc3\x9f"
                                            "e\r\n\r\n"));
    dir.write("b.dat", "one\ntwo\r\nthree");
    EXPECT_EQ(*textfile::readLines(dir.file("b.dat")), (QStringList{"one", "two", "three"}));

    ASSERT_TRUE(textfile::appendLine(dir.file("log"), "first"));
    ASSERT_TRUE(textfile::appendLine(dir.file("log"), "second"));
    EXPECT_EQ(dir.read("log"), QByteArray("first\r\nsecond\r\n"));
}

TEST(TextFile, FallsBackToLatin1AndAMissingFileIsNoContent)
{
    TempFolder dir;
    dir.write("old.dat", "G\xfc"
                         "nter\r\n");
    EXPECT_EQ(*textfile::readLines(dir.file("old.dat")), QStringList{QString::fromUtf8("Günter")});
    EXPECT_FALSE(textfile::readLines(dir.file("missing.dat")).has_value());
}

TEST(TextFile, FailedRewriteKeepsTheOldFile)
{
    // Every whole-file rewrite on a disk that fills up part way through the new file.
    const QString longLine(400, u'x');
    const struct
    {
        const char* name;
        std::function<bool(const QString&)> write;
    } writers[] = {
        {"writeLines",
         [&](const QString& path) {
             return textfile::writeLines(path, {longLine, longLine});
         }},
        {"writeRtfFile", [&](const QString& path) { return zenthra::writeRtfFile(path, longLine, 10); }},
    };
    for (const auto& w : writers) {
        TempFolder dir;
        dir.write("keep.dat", "old\r\n");
        {
            const FileSizeLimit fullDisk(100);
            ASSERT_TRUE(fullDisk.active());
            EXPECT_FALSE(w.write(dir.file("keep.dat"))) << w.name;
        }
        EXPECT_EQ(dir.read("keep.dat"), QByteArray("old\r\n")) << w.name;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.dat"}) << w.name;
    }
}
