#include <gtest/gtest.h>

#include "ProgramFolder.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::TestFolder;

TEST(ProgramFolder, ResolvesEveryComponentWithoutRegardToCase)
{
    TestFolder t;
    t.write("logs/Cle.dat", "x");
    t.write("maps/Lake.pnt", "y");
    const ProgramFolder folder = t.folder();
    EXPECT_EQ(folder.path("Logs/cle.dat"), t.path("logs/Cle.dat"));
    EXPECT_EQ(folder.path("Logs\\cle.dat"), t.path("logs/Cle.dat"));
    EXPECT_EQ(folder.path("maps/lake.pnt"), t.path("maps/Lake.pnt"));
    // A name that exists in no spelling keeps the one given, ready to be created.
    EXPECT_EQ(folder.path("Logs/log3.dat"), t.path("logs/log3.dat"));
    EXPECT_EQ(folder.path("AutoBackups/cle.bak"), t.path("AutoBackups/cle.bak"));
}

TEST(ProgramFolder, PrefersTheExactSpellingWhenTwoExist)
{
    TestFolder t;
    t.write("Logs/a", "1");
    t.write("logs/b", "2");
    EXPECT_EQ(t.folder().path("logs/b"), t.path("logs/b"));
    EXPECT_EQ(t.folder().path("Logs/a"), t.path("Logs/a"));
}

TEST(ProgramFolder, SeedsAnEmptyFolderWithoutOverwriting)
{
    TestFolder data;
    data.write("ndb.dat", "shipped");
    data.write("Country.dat", "c");
    data.write("maps/coast.pnt", "m");
    data.write("README.md", "doc");

    TestFolder t;
    const ProgramFolder folder(t.path("qern"));
    EXPECT_TRUE(folder.isEmptyOrMissing());
    // The lock of the copy that is about to seed it is no user file.
    t.write("qern/.qern.lock", "");
    EXPECT_EQ(folder.lockFilePath(), t.path("qern/.qern.lock"));
    EXPECT_TRUE(folder.isEmptyOrMissing());
    QStringList copied;
    ASSERT_FALSE(folder.seedFrom(data.root(), &copied));
    EXPECT_EQ(copied.size(), 3);
    EXPECT_FALSE(folder.isEmptyOrMissing());
    EXPECT_EQ(t.read("qern/maps/coast.pnt"), "m");
    EXPECT_FALSE(t.exists("qern/README.md"));

    t.write("qern/ndb.dat", "the user's own");
    ASSERT_FALSE(folder.seedFrom(data.root(), &copied));
    EXPECT_EQ(t.read("qern/ndb.dat"), "the user's own");
}

TEST(ProgramFolder, DefaultLocationFollowsXdgDataHome)
{
    qputenv("XDG_DATA_HOME", "/tmp/xdg-test");
    EXPECT_EQ(ProgramFolder::defaultLocation(), "/tmp/xdg-test/qern");
    qunsetenv("XDG_DATA_HOME");
    EXPECT_TRUE(ProgramFolder::defaultLocation().endsWith("/.local/share/qern"));
}
