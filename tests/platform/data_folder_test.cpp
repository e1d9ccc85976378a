#include "platform/data_folder.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using zenthra::DataFolder;
using zenthra::test::TempFolder;

TEST(DataFolder, CommandLineBeatsEnvironmentBeatsHome)
{
    qputenv("ZENTHRA_HOME", "/tmp/from-env");
    EXPECT_EQ(DataFolder::resolve({"zenthra", "--folder", "/tmp/from-args"}), "/tmp/from-args");
    EXPECT_EQ(DataFolder::resolve({"zenthra", "--folder=/tmp/x/../y"}), "/tmp/y");
    EXPECT_EQ(DataFolder::resolve({"zenthra"}), "/tmp/from-env");
    qunsetenv("ZENTHRA_HOME");
    EXPECT_EQ(DataFolder::resolve({"zenthra"}), QDir::homePath() + "/.local/share/zenthra");
}

TEST(DataFolder, IsCreatedWhenMissing)
{
    TempFolder dir;
    const DataFolder folder(dir.file("a/b/c"));
    EXPECT_TRUE(folder.ensureExists());
    EXPECT_TRUE(QFileInfo(dir.file("a/b/c")).isDir());
    EXPECT_EQ(folder.file("zenthra.dat"), dir.file("a/b/c/zenthra.dat"));
}

TEST(DataFolder, InstallsOnlyMissingDefaults)
{
    TempFolder assets;
    TempFolder home;
    assets.write("ES.wav", "shipped");
    assets.write("world.gif", "shipped");
    home.write("ES.wav", "user's own");
    const DataFolder folder(home.path());
    EXPECT_EQ(folder.installDefaults(assets.path()), QStringList{"world.gif"});
    EXPECT_EQ(home.read("ES.wav"), "user's own");
    EXPECT_EQ(home.read("world.gif"), "shipped");
}
