#include "platform/data_folder.h"
#include "platform/text_file.h"
#include "support/file_mode.h"
#include "support/temp_folder.h"

#include <QDir>
#include <gtest/gtest.h>

#include <functional>

using zenthra::DataFolder;
using zenthra::test::TempFolder;

TEST(DataFolder, CommandLineBeatsEnvironmentBeatsHome)
{
    qputenv("ZENTHRA_HOME", "/tmp/from-env");
    EXPECT_EQ(DataFolder::resolve({"zenthra", "--folder=/tmp/x/../y"}), "/tmp/y");
    EXPECT_EQ(DataFolder::resolve({"zenthra"}), "/tmp/from-env");
    qunsetenv("ZENTHRA_HOME");
    EXPECT_EQ(DataFolder::resolve({"zenthra"}), QDir::homePath() + "/.local/share/zenthra");
}

TEST(DataFolder, InstallsOnlyMissingDefaults)
{
    TempFolder assets;
    TempFolder home;
    assets.write("ES.wav", "shipped");
    assets.write("world.gif", "shipped");
    const DataFolder folder(home.file("a/b"));
    ASSERT_TRUE(folder.ensureExists());
    home.write("a/b/ES.wav", "user's own");
    EXPECT_EQ(folder.installDefaults(assets.path()), QStringList{"world.gif"});
    EXPECT_EQ(home.read("a/b/ES.wav"), "user's own");
    EXPECT_EQ(home.read("a/b/world.gif"), "shipped");
}

// Under a umask of 022 (which leaves group and others able to read), as root too: the data folder
// and each folder above it that start-up creates are the owner's alone; a folder already there
// keeps its mode.
TEST(DataFolder, CreatedForTheOwnerAloneAnExistingOneKeepsItsMode)
{
    const zenthra::test::ScopedUmask umask(022);
    TempFolder home;
    ASSERT_TRUE(DataFolder(home.file("a/b/zenthra")).ensureExists());
    EXPECT_EQ(zenthra::test::modeOf(home.file("a")), 0700);
    EXPECT_EQ(zenthra::test::modeOf(home.file("a/b")), 0700);
    EXPECT_EQ(zenthra::test::modeOf(home.file("a/b/zenthra")), 0700);

    ASSERT_TRUE(QDir().mkdir(home.file("shared"), QFile::Permissions(0x7755)));
    ASSERT_EQ(zenthra::test::modeOf(home.file("shared")), 0755);
    ASSERT_TRUE(DataFolder(home.file("shared")).ensureExists());
    EXPECT_EQ(zenthra::test::modeOf(home.file("shared")), 0755);
}

// Each way the program makes a file that holds node data or passwords, in a folder open to others
// and under a umask of 022: the new file is the owner's alone.
TEST(TextFile, FilesMadeForTheOwnerAloneWhateverTheUmaskAndFolder)
{
    using namespace zenthra;
    const test::ScopedUmask umask(022);
    const struct
    {
        const char* name;
        std::function<bool(const QString&)> make;
    } makers[] = {
        {"appendLine", [](const QString& p) { return textfile::appendLine(p, "line", textfile::ownerOnly); }},
        {"writeLines",
         [](const QString& p) { return textfile::writeLines(p, {"line"}, textfile::ownerOnly); }},
        {"createFile", [](const QString& p) { return textfile::createFile(p, textfile::ownerOnly); }},
    };
    for (const auto& m : makers) {
        TempFolder dir;
        ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::Permissions(0x7755)));
        ASSERT_TRUE(m.make(dir.file("node.dat"))) << m.name;
        EXPECT_EQ(test::modeOf(dir.file("node.dat")), 0600) << m.name;
    }
    // Without a mode asked for, a new file follows the umask as before.
    TempFolder dir;
    ASSERT_TRUE(textfile::appendLine(dir.file("plain.log"), "line"));
    EXPECT_EQ(test::modeOf(dir.file("plain.log")), 0644);
    // A file already there is left as it is.
    dir.write("there.sqlite", "SQLite format 3");
    ASSERT_TRUE(textfile::createFile(dir.file("there.sqlite"), textfile::ownerOnly));
    EXPECT_EQ(dir.read("there.sqlite"), "SQLite format 3");
}
