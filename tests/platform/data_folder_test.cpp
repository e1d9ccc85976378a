#include "platform/data_folder.h"
#include "support/file_mode.h"
#include "support/temp_folder.h"

#include <QDir>
#include <gtest/gtest.h>

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

// A new folder is the owner's alone (the program test checks that); one already there keeps its mode.
TEST(DataFolder, AnExistingFolderKeepsItsMode)
{
    const zenthra::test::ScopedUmask umask(022);
    TempFolder home;
    ASSERT_TRUE(QDir().mkdir(home.file("shared"), QFile::Permissions(0x7755)));
    ASSERT_TRUE(DataFolder(home.file("shared")).ensureExists());
    EXPECT_EQ(zenthra::test::modeOf(home.file("shared")), 0755);
}
