#include "platform/regular_file.h"
#include "platform/rtf_writer.h"
#include "platform/text_file.h"
#include "support/fifo_guard.h"
#include "support/file_mode.h"
#include "support/file_size_limit.h"
#include "support/print_qstring.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <utility>
#include <vector>

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

TEST(TextFile, FallsBackToWindows1252AndAMissingFileIsNoContent)
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

// What is under a name, a link not followed: a regular file with its bytes, anything else by the
// type bits of its mode.
QString kindOf(const QString& path)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        return "missing";
    }
    QFile file(path);
    return S_ISREG(info.st_mode) && file.open(QIODevice::ReadOnly)
               ? "file " + QString::fromLatin1(file.readAll())
           : S_ISLNK(info.st_mode) ? "link to " + QFile::symLinkTarget(path)
                                   : QString::number(info.st_mode & S_IFMT, 8);
}

// A link stays and its end takes the new bytes; what is not a regular file, under the name or at
// the link's end, is left as it is.
TEST(TextFile, ARewriteGoesThroughLinksAndReplacesOnlyARegularFile)
{
    using R = textfile::ReplaceResult;
    const struct
    {
        const char* end; // b.dat when a.dat is a link to elsewhere/b.dat, else a.dat itself
        bool link;
        R result;
    } rows[] = {
        {"file", false, R::replaced},     {"missing", false, R::replaced},    {"file", true, R::replaced},
        {"missing", true, R::replaced},   {"fifo", false, R::notRegular},     {"fifo", true, R::notRegular},
        {"folder", false, R::notRegular}, {"/dev/null", true, R::notRegular},
    };
    for (const auto& row : rows) {
        TempFolder dir;
        ASSERT_TRUE(QDir(dir.path()).mkdir("elsewhere"));
        const QString kind = row.end, name = dir.file("a.dat");
        const QString end = kind.startsWith('/') ? kind : dir.file(row.link ? "elsewhere/b.dat" : "a.dat");
        const std::string shown = (kind + (row.link ? " behind a link" : "")).toStdString();
        std::optional<zenthra::test::FifoGuard> fifo;
        if (kind == "file") {
            QFile file(end);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("old") == 3);
        }
        ASSERT_TRUE(kind != "fifo" || fifo.emplace(end).made());
        ASSERT_TRUE(kind != "folder" || QDir().mkdir(end));
        // A relative link, as the user's own often are.
        ASSERT_TRUE(!row.link || QFile::link(kind.startsWith('/') ? kind : "elsewhere/b.dat", name));
        const QString before = kindOf(end), linked = kindOf(name);
        // Were the rule broken, root would put a file in place of the system's /dev/null: that
        // row runs only once the rule has held for every other kind of name.
        if (kind.startsWith('/') && (HasFailure() || zenthra::replaceTarget(name))) {
            ADD_FAILURE() << "not tried on /dev/null: a rewrite replaces what is not a regular file";
            continue;
        }
        QString why;
        EXPECT_EQ(textfile::replaceFile(name, "new", &why), row.result) << shown;
        EXPECT_EQ(why, row.result == R::replaced ? "" : "Not a regular file") << shown;
        EXPECT_EQ(kindOf(end), row.result == R::replaced ? "file new" : before) << shown;
        EXPECT_EQ(kindOf(name), row.link ? linked : kindOf(end)) << shown;
        // No temporary left, beside the link or its end.
        const auto names = [&dir](const char* folder) {
            return QDir(dir.file(folder)).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        };
        EXPECT_EQ(names("."), (QStringList{"a.dat", "elsewhere"})) << shown;
        EXPECT_EQ(names("elsewhere"), end.contains("/elsewhere/") ? QStringList{"b.dat"} : QStringList())
            << shown;
        EXPECT_FALSE(fifo && fifo->fired()) << shown;
    }
}

// Everything under a folder, links not followed: a folder as "name/", a link as "name -> what it
// holds", a file as "name 0600 bytes".
QStringList treeOf(const QString& root)
{
    namespace fs = std::filesystem;
    const fs::path top = QFile::encodeName(root).toStdString();
    QStringList tree;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(top)) {
        const QString name = QString::fromStdString(entry.path().lexically_relative(top).string());
        if (entry.is_symlink()) {
            tree.append(name + " -> " + QString::fromStdString(fs::read_symlink(entry.path()).string()));
        } else if (entry.is_directory()) {
            tree.append(name + "/");
        } else {
            QFile file(QString::fromStdString(entry.path().string()));
            const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : "unreadable";
            tree.append(name + " 0" + QString::number(zenthra::test::modeOf(file.fileName()), 8) + " " +
                        bytes);
        }
    }
    tree.sort();
    return tree;
}

// A file made for its owner alone, or rewritten whole, is the one at the end of its links however
// they are written. A link is read from the folder it is in: read from the folder of the link
// before it, a chain would lead to a new file while the real one kept its old contents.
TEST(TextFile, AFileIsMadeOrRewrittenForItsOwnerAtTheEndOfItsLinks)
{
    const struct
    {
        const char* shown;
        std::vector<std::pair<QString, QString>> links; // each link and what it holds; "@" the test folder
        QString end;                                    // where the file is written; "" nowhere
        bool there = false;                             // the end holds "old" already, with mode 0644
        mode_t umask = 022;
    } rows[] = {
        {"a plain name", {}, "data/spots.sqlite"},
        {"a plain name under a umask that takes the owner's bits", {}, "data/spots.sqlite", false, 0277},
        {"a plain name with its file there", {}, "data/spots.sqlite", true},
        {"a link to a file not there yet",
         {{"data/spots.sqlite", "@/disk/spots.sqlite"}},
         "disk/spots.sqlite"},
        {"a relative link", {{"data/spots.sqlite", "../disk/spots.sqlite"}}, "disk/spots.sqlite"},
        {"a relative link to a relative link in another folder",
         {{"data/spots.sqlite", "../disk/links/db"}, {"disk/links/db", "../spots.sqlite"}},
         "disk/spots.sqlite"},
        {"a relative link to a relative link in another folder, its file there",
         {{"data/spots.sqlite", "../disk/links/db"}, {"disk/links/db", "../spots.sqlite"}},
         "disk/spots.sqlite",
         true},
        {"a link into a folder that is not there", {{"data/spots.sqlite", "../gone/spots.sqlite"}}, ""},
    };
    const struct
    {
        const char* name;
        std::function<bool(const QString&)> write;
        QByteArray bytes; // what the end holds afterwards
        bool keepsAFileThere;
    } writers[] = {
        {"createFile", [](const QString& path) { return textfile::createFile(path, textfile::ownerOnly); },
         "", true},
        {"replaceFile",
         [](const QString& path) {
             return textfile::replaceFile(path, "new", nullptr, textfile::ownerOnly) ==
                    textfile::ReplaceResult::replaced;
         },
         "new", false},
    };
    for (const auto& row : rows) {
        for (const auto& w : writers) {
            const std::string shown = std::string(w.name) + ", " + row.shown;
            TempFolder dir;
            for (const char* folder : {"data", "disk", "disk/links"}) {
                ASSERT_TRUE(QDir(dir.path()).mkpath(folder));
            }
            for (const auto& [link, holds] : row.links) {
                ASSERT_TRUE(QFile::link(QString(holds).replace("@", dir.path()), dir.file(link)));
            }
            if (row.there) {
                dir.write(row.end, "old");
                ASSERT_TRUE(QFile::setPermissions(dir.file(row.end),
                                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ReadGroup | QFileDevice::ReadOther));
            }
            QStringList expected = treeOf(dir.path());
            if (!row.end.isEmpty() && !(row.there && w.keepsAFileThere)) {
                expected.removeIf([&](const QString& entry) { return entry.startsWith(row.end + " "); });
                expected.append(row.end + " 0600 " + w.bytes);
                expected.sort();
            }
            bool written = false;
            {
                const zenthra::test::ScopedUmask umask(row.umask);
                written = w.write(dir.file("data/spots.sqlite"));
            }
            EXPECT_EQ(written, !row.end.isEmpty()) << shown;
            EXPECT_EQ(treeOf(dir.path()), expected) << shown;
        }
    }
}

TEST(TextFile, EachLineEndsAtCrLfLfOrALoneCrAndIsDecodedOnItsOwn)
{
    const QString zurich = QString::fromUtf8("Z\xc3\xbcrich");
    const auto utf16 = [](QStringConverter::Encoding order, const QString& text) {
        return QByteArray(QStringEncoder(order, QStringEncoder::Flag::WriteBom).encode(text));
    };
    const QString x4k(textfile::stateLineBytes, u'x');
    const struct
    {
        QByteArray bytes;
        QStringList lines;
        qsizetype maxLineBytes = textfile::listLineBytes;
    } cases[] = {
        {"one\r\ntwo\nthree\rfour", {"one", "two", "three", "four"}},
        {"a\r\rb\n\nc\r\n", {"a", "", "b", "", "c"}},
        {"last ends in CR\r", {"last ends in CR"}},
        {"\r\n", {""}},
        {"", {}},
        // A stray Windows-1252 byte makes only its own line Windows-1252, punctuation included.
        {"Z\xc3\xbcrich\r\nG\xfcnter\r\nZ\xc3\xbcrich", {zurich, QString::fromUtf8("G\xc3\xbcnter"), zurich}},
        {"B\xe4r and Z\xc3\xbcrich", {QString::fromLatin1("B\xe4r and Z\xc3\xbcrich")}},
        {"O\x92"
         "Brien\ncaf\xe9\x96north",
         {QString::fromUtf8("O\u2019Brien"), QString::fromUtf8("caf\u00e9\u2013north")}},
        // A CR LF split over two reads of the file is one line end.
        {QByteArray(64 * 1024 - 1, 'x') + "\r\ny", {QString(64 * 1024 - 1, u'x'), "y"}},
        {QByteArray(64 * 1024 - 1, 'x') + "\ry", {QString(64 * 1024 - 1, u'x'), "y"}},
        // A byte-order mark says how the file is written and is not in its text.
        {utf16(QStringConverter::Utf16LE, "# name\r\n" + zurich + "\r\n"), {"# name", zurich}},
        {utf16(QStringConverter::Utf16BE, "one\ntwo\rthree"), {"one", "two", "three"}},
        {"\xef\xbb\xbf"
         "B\xe4r\r\none",
         {QString::fromLatin1("B\xe4r"), "one"}},
        // A CR LF, and a character of two UTF-16 units, split over two reads.
        {utf16(QStringConverter::Utf16LE, QString(32766, u'x') + "\r\ny"), {QString(32766, u'x'), "y"}},
        {utf16(QStringConverter::Utf16BE, QString(32766, u'x') + "\U0001D11E"),
         {QString(32766, u'x') + "\U0001D11E"}},
        // A longer line keeps its first bytes, cut where a character begins; the rest is passed.
        {QByteArray(textfile::stateLineBytes - 1, 'x') + "\xc3\xbcz\ny",
         {x4k.chopped(1), "y"},
         textfile::stateLineBytes},
        {QByteArray(3 * 64 * 1024 - 1, 'x') + "\r\ny", {x4k, "y"}, textfile::stateLineBytes},
        {QByteArray(200 * 1000, 'x'), {x4k}, textfile::stateLineBytes},
    };
    for (const auto& c : cases) {
        const std::string shown = c.bytes.left(40).toPercentEncoding().toStdString();
        EXPECT_EQ(textfile::splitLines(c.bytes, textfile::allLines, c.maxLineBytes), c.lines) << shown;
        TempFolder dir;
        dir.write("t.dat", c.bytes);
        EXPECT_EQ(textfile::readLines(dir.file("t.dat"), textfile::allLines, c.maxLineBytes), c.lines)
            << shown;
        EXPECT_EQ(textfile::readLines(dir.file("t.dat"), 2, c.maxLineBytes), c.lines.mid(0, 2)) << shown;
    }
    // State files are read with the short limit.
    EXPECT_EQ(textfile::splitLines(QByteArray(100 * 1000, 'x')), QStringList{x4k});
}

TEST(TextFile, OnlyARegularFileIsRead)
{
    TempFolder dir;
    const zenthra::test::FifoGuard fifo(dir.file("DXC.csv"));
    ASSERT_TRUE(fifo.made());
    EXPECT_FALSE(textfile::readLines(dir.file("DXC.csv")).has_value());
    EXPECT_EQ(textfile::LineReader(dir.file("DXC.csv")).status(), textfile::LineReader::Status::unreadable);
    // The error log is appended to at start-up.
    EXPECT_FALSE(textfile::appendLine(dir.file("DXC.csv"), "line"));
    EXPECT_FALSE(fifo.fired()) << "the reader or the writer blocked on the FIFO";

    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.dat"));
    EXPECT_EQ(textfile::LineReader(dir.file("folder.dat")).status(),
              textfile::LineReader::Status::unreadable);
    EXPECT_EQ(textfile::LineReader(dir.file("missing.dat")).status(), textfile::LineReader::Status::missing);
}
