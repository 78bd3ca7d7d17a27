#include <QDirIterator>

#include <gtest/gtest.h>

#include <map>

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

// Each start copies in the shipped files the folder lacks and replaces nothing; the
// starter database goes only into a new folder, first.
TEST(ProgramFolder, EveryStartCopiesInWhatTheFolderLacks)
{
    TestFolder data;
    data.write("ndb.dat", "shipped database");
    data.write("Country.dat", "countries");
    data.write("maps/coast.pnt", "coast");
    data.write("README.md", "doc");

    using Files = std::map<QString, QByteArray>;
    const struct {
        const char *name;
        Files before; // besides the lock file of the copy that starts
        QStringList copied;
        Files after;  // every file of the folder but the lock
    } cases[] = {
        {"new", {}, {"ndb.dat", "Country.dat", "maps/coast.pnt"},
         {{"ndb.dat", "shipped database"}, {"Country.dat", "countries"}, {"maps/coast.pnt", "coast"}}},
        {"the user's own database",
         {{"ndb.dat", "the user's own"}},
         {"Country.dat", "maps/coast.pnt"},
         {{"ndb.dat", "the user's own"}, {"Country.dat", "countries"}, {"maps/coast.pnt", "coast"}}},
        {"in use, without its database: that stays missing",
         {{"Logs/log0.dat", "entry"}, {"Country.dat", "the user's countries"}},
         {"maps/coast.pnt"},
         {{"Logs/log0.dat", "entry"}, {"Country.dat", "the user's countries"}, {"maps/coast.pnt", "coast"}}},
        {"a table lost, another name spelt otherwise",
         {{"ndb.dat", "the user's own"}, {"Maps/Coast.pnt", "the user's coast"}},
         {"Country.dat"},
         {{"ndb.dat", "the user's own"}, {"Country.dat", "countries"}, {"Maps/Coast.pnt", "the user's coast"}}},
        {"a first start killed while copying the database: still new",
         {{"ndb.dat.tmp", "shipped da"}},
         {"ndb.dat", "Country.dat", "maps/coast.pnt"},
         {{"ndb.dat", "shipped database"}, {"Country.dat", "countries"}, {"maps/coast.pnt", "coast"}}},
        {"a start killed while copying a table",
         {{"ndb.dat", "shipped database"}, {"Country.dat.tmp", "coun"}},
         {"Country.dat", "maps/coast.pnt"},
         {{"ndb.dat", "shipped database"}, {"Country.dat", "countries"}, {"maps/coast.pnt", "coast"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder t;
        const ProgramFolder folder(t.path("qern"));
        t.write("qern/.qern.lock", "");
        EXPECT_EQ(folder.lockFilePath(), t.path("qern/.qern.lock"));
        for (const auto &[file, content] : c.before)
            t.write("qern/" + file, content);

        QStringList copied;
        ASSERT_FALSE(folder.seedFrom(data.root(), &copied));

        EXPECT_EQ(copied, c.copied);
        Files after;
        QDirIterator it(t.path("qern"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = QDir(t.path("qern")).relativeFilePath(it.next());
            if (file != QLatin1String(kFolderLockFileName))
                after[file] = t.read("qern/" + file);
        }
        EXPECT_EQ(after, c.after);
        EXPECT_FALSE(folder.isEmptyOrMissing());
    }
}

TEST(ProgramFolder, DefaultLocationFollowsXdgDataHome)
{
    qputenv("XDG_DATA_HOME", "/tmp/xdg-test");
    EXPECT_EQ(ProgramFolder::defaultLocation(), "/tmp/xdg-test/qern");
    qunsetenv("XDG_DATA_HOME");
    EXPECT_TRUE(ProgramFolder::defaultLocation().endsWith("/.local/share/qern"));
}
