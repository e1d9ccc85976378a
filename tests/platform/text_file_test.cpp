#include "platform/text_file.h"
#include "support/temp_folder.h"

#include <QFile>
#include <gtest/gtest.h>

using zenthra::test::TempFolder;
namespace textfile = zenthra::textfile;

TEST(TextFile, WritesUtf8WithCrLfAndReadsEitherLineEnd)
{
    TempFolder dir;
    ASSERT_TRUE(textfile::writeLines(dir.file("a.dat"), {"IO91WM", "Grüße", ""}));
    EXPECT_EQ(dir.read("a.dat"), QByteArray("IO91WM\r\nGr\xc3\xbc\xc3\x9f"
                                            "e\r\n\r\n"));
    EXPECT_EQ(*textfile::readLines(dir.file("a.dat")), (QStringList{"IO91WM", "Grüße", ""}));

    dir.write("b.dat", "one\ntwo\r\nthree");
    EXPECT_EQ(*textfile::readLines(dir.file("b.dat")), (QStringList{"one", "two", "three"}));
}

TEST(TextFile, FallsBackToLatin1ForInvalidUtf8)
{
    TempFolder dir;
    dir.write("old.dat", "G\xfc"
                         "nter\r\n");
    EXPECT_EQ(*textfile::readLines(dir.file("old.dat")), QStringList{QString::fromUtf8("Günter")});
}

TEST(TextFile, MissingFileIsNoContent)
{
    TempFolder dir;
    EXPECT_FALSE(textfile::readLines(dir.file("missing.dat")).has_value());
    dir.write("empty.dat", "");
    EXPECT_TRUE(textfile::readLines(dir.file("empty.dat"))->isEmpty());
}

TEST(TextFile, FailedRewriteKeepsTheOldFile)
{
    TempFolder dir;
    ASSERT_TRUE(textfile::writeLines(dir.file("keep.dat"), {"old"}));
    // A folder where the file should go cannot be written.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool written = textfile::writeLines(dir.file("keep.dat"), {"new"});
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (written) {
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    }
    EXPECT_EQ(dir.read("keep.dat"), QByteArray("old\r\n"));
}

TEST(TextFile, AppendsLines)
{
    TempFolder dir;
    ASSERT_TRUE(textfile::appendLine(dir.file("log"), "first"));
    ASSERT_TRUE(textfile::appendLine(dir.file("log"), "second"));
    EXPECT_EQ(dir.read("log"), QByteArray("first\r\nsecond\r\n"));
}
