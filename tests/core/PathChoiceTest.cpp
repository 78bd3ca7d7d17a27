#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "PathChoice.h"
#include "TestFolder.h"

namespace qern {
namespace {

using test::TestFolder;

const QStringList kVolumes = {QStringLiteral("/"), QStringLiteral("/boot"), QStringLiteral("/media/usb")};

TEST(PathChoiceModeTest, EachModeHasItsPatternControlsAndRules)
{
    struct Case {
        int mode;
        QString pattern;
        std::optional<bool> enabled;
        bool fromOpener;
        bool nameRequired;
        QString extension;
    };
    const Case cases[] = {
        {1, {}, std::nullopt, false, true, {}}, {2, {}, true, false, true, {}},
        {3, "*.js", false, false, false, {}}, {4, {}, true, false, true, {}}, {5, "*.txt", true, true, true, "txt"},
        {6, "*.csv", true, true, true, "csv"}, {7, "*.txt", true, true, true, "txt"},
        {8, "*.csv", true, true, true, "csv"}, {0, {}, std::nullopt, false, true, {}},
        {9, {}, std::nullopt, false, true, {}},
    };
    for (const Case &c : cases) {
        const PathChoiceMode m = pathChoiceMode(c.mode);
        EXPECT_EQ(m.pattern, c.pattern) << "mode " << c.mode;
        EXPECT_EQ(m.fileControlsEnabled, c.enabled) << "mode " << c.mode;
        EXPECT_EQ(m.startFolderFromOpener, c.fromOpener) << "mode " << c.mode;
        EXPECT_EQ(m.nameRequired, c.nameRequired) << "mode " << c.mode;
        EXPECT_EQ(m.forcedExtension, c.extension) << "mode " << c.mode;
    }
}

TEST(PathChoiceTest, ForcedExtensionReplacesTheLastExtensionOnly)
{
    const struct { const char *name; const char *extension; const char *forced; } cases[] = {
        {"list", "txt", "list.txt"}, {"list", "csv", "list.csv"}, {"list.csv", "txt", "list.txt"},
        {"a.b.c", "csv", "a.b.csv"}, {"week.1.csv", "txt", "week.1.txt"}, {"my.report.txt", "csv", "my.report.csv"},
        {"rep.", "txt", "rep.txt"}, {".hidden", "csv", ".csv"}, {"list.TXT", "txt", "list.txt"},
        {"out.d/rep", "txt", "out.d/rep.txt"}, {"out.d/rep.csv", "txt", "out.d/rep.txt"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(forceExtension(c.name, c.extension), QString::fromLatin1(c.forced)) << c.name;
}

TEST(PathChoiceTest, SetPathWithoutNameIsRefusedInEveryModeButThree)
{
    for (int mode : {1, 2, 4, 5, 6, 7, 8, 0, 12}) {
        const SetPathResult r = SetPath(mode, QStringLiteral("/home/u"), QString());
        EXPECT_TRUE(r.nameMissing) << "mode " << mode;
        EXPECT_FALSE(r.openerText || r.WeblogFolder || r.BeaconRadarFolder) << "mode " << mode;
    }
    EXPECT_FALSE(SetPath(3, QStringLiteral("/home/u"), QString()).nameMissing);
}

TEST(PathChoiceTest, SetPathWritesWhatItsModeChoosesBack)
{
    using Text = std::optional<QString>;
    const Text none;
    const auto text = [](const char *t) { return Text(QString::fromLatin1(t)); };
    const struct {
        int mode;
        const char *folder, *name;
        Text opener, weblog, radar;
        const char *box; // the file box afterwards; null: not the mode's business
    } cases[] = {
        // Mode 3 writes the folder with one separator.
        {3, "/", "ignored.js", text("/"), text("/"), none, nullptr},
        {3, "/media/usb/", "ignored.js", text("/media/usb/"), text("/media/usb/"), none, nullptr},
        {3, "/home/u/weblog", "ignored.js", text("/home/u/weblog/"), text("/home/u/weblog/"), none, nullptr},
        // Mode 4 joins folder and name and records the folder.
        {4, "/", "radar.txt", text("/radar.txt"), none, text("/"), "radar.txt"},
        {4, "/media/usb/", "radar.txt", text("/media/usb/radar.txt"), none, text("/media/usb/"), "radar.txt"},
        {4, "/home/u/data", "radar.txt", text("/home/u/data/radar.txt"), none, text("/home/u/data"), "radar.txt"},
        // The report modes force their extension and write it back.
        {5, "/home/u/out", "list", text("/home/u/out/list.txt"), none, none, "list.txt"},
        {6, "/home/u/out", "list", text("/home/u/out/list.csv"), none, none, "list.csv"},
        {5, "/home/u/out", "list.csv", text("/home/u/out/list.txt"), none, none, "list.txt"},
        {6, "/home/u/out", "a.b.c", text("/home/u/out/a.b.csv"), none, none, "a.b.csv"},
        {7, "/home/u/out", "week.1.csv", text("/home/u/out/week.1.txt"), none, none, "week.1.txt"},
        {8, "/home/u/out", "cle", text("/home/u/out/cle.csv"), none, none, "cle.csv"},
        {5, "/", "r", text("/r.txt"), none, none, "r.txt"},
        // Modes that choose nothing write nothing.
        {1, "/home/u", "ndb.dat", none, none, none, nullptr}, {2, "/home/u", "ndb.dat", none, none, none, nullptr},
        {0, "/home/u", "ndb.dat", none, none, none, nullptr}, {9, "/home/u", "ndb.dat", none, none, none, nullptr},
    };
    for (const auto &c : cases) {
        const SetPathResult r = SetPath(c.mode, QString::fromLatin1(c.folder), QString::fromLatin1(c.name));
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " " << c.folder << " " << c.name);
        EXPECT_FALSE(r.nameMissing);
        EXPECT_EQ(r.openerText, c.opener);
        EXPECT_EQ(r.WeblogFolder, c.weblog);
        EXPECT_EQ(r.BeaconRadarFolder, c.radar);
        if (c.box) {
            EXPECT_EQ(r.txtFileName, QString::fromLatin1(c.box));
        }
    }
}

TEST(PathChoiceTest, StartFolderComesFromTheOpenersFileBox)
{
    const QString home = QStringLiteral("/home/u");
    EXPECT_EQ(startFolderFromText(QString(), home), home);
    EXPECT_EQ(startFolderFromText(QStringLiteral("/media/usb/out/rep.txt"), home), QStringLiteral("/media/usb/out/"));
    EXPECT_EQ(startFolderFromText(QStringLiteral("/rep.txt"), home), QStringLiteral("/"));
    EXPECT_EQ(startFolderFromText(QStringLiteral("rep.txt"), home), std::nullopt);
}

TEST(PathChoiceTest, VolumeRootsKeepTheirTrailingSeparator)
{
    EXPECT_EQ(folderListPath(QStringLiteral("/"), kVolumes), QStringLiteral("/"));
    EXPECT_EQ(folderListPath(QStringLiteral("/media/usb"), kVolumes), QStringLiteral("/media/usb/"));
    EXPECT_EQ(folderListPath(QStringLiteral("/media/usb/"), kVolumes), QStringLiteral("/media/usb/"));
    EXPECT_EQ(folderListPath(QStringLiteral("/media/usb/out/"), kVolumes), QStringLiteral("/media/usb/out"));
    EXPECT_EQ(folderListPath(QStringLiteral("/home//u/./data/"), kVolumes), QStringLiteral("/home/u/data"));
    EXPECT_EQ(folderListPath(QStringLiteral("/media"), kVolumes), QStringLiteral("/media"));

    EXPECT_TRUE(isVolumeRoot(QStringLiteral("/"), {}));
    EXPECT_TRUE(isVolumeRoot(QStringLiteral("/boot/"), kVolumes));
    EXPECT_FALSE(isVolumeRoot(QStringLiteral("/bootstrap"), kVolumes));
}

TEST(PathChoiceTest, VolumeOfAFolderIsTheLongestRootHoldingIt)
{
    EXPECT_EQ(volumeRootOf(QStringLiteral("/media/usb/out"), kVolumes), QStringLiteral("/media/usb/"));
    EXPECT_EQ(volumeRootOf(QStringLiteral("/media/usb"), kVolumes), QStringLiteral("/media/usb/"));
    EXPECT_EQ(volumeRootOf(QStringLiteral("/media/usbstick"), kVolumes), QStringLiteral("/"));
    EXPECT_EQ(volumeRootOf(QStringLiteral("/home/u"), kVolumes), QStringLiteral("/"));
}

TEST(PathChoiceTest, MountedVolumesIncludeTheRoot)
{
    const QStringList roots = mountedVolumeRoots();
    EXPECT_TRUE(roots.contains(QStringLiteral("/")));
    EXPECT_TRUE(std::is_sorted(roots.begin(), roots.end()));
}

TEST(PathChoiceTest, ListsShowFoldersAndMatchingFilesWithoutCaseOrHiddenEntries)
{
    TestFolder dir;
    dir.mkdir("beta");
    dir.mkdir("Alpha");
    dir.mkdir(".cache");
    dir.write("b.txt", "x");
    dir.write("A.TXT", "x");
    dir.write("c.csv", "x");
    dir.write(".hidden.txt", "x");

    EXPECT_EQ(subfolderNames(dir.root()), (QStringList{"Alpha", "beta"}));
    EXPECT_EQ(fileNames(dir.root(), QStringLiteral("*.txt")), (QStringList{"A.TXT", "b.txt"}));
    EXPECT_EQ(fileNames(dir.root(), QString()), (QStringList{"A.TXT", "b.txt", "c.csv"}));
}

TEST(PathChoiceTest, FolderThatCannotBeShownIsAnError)
{
    TestFolder dir;
    dir.write("file", "x");
    EXPECT_FALSE(checkFolderCanBeShown(dir.root()).failed());
    EXPECT_EQ(checkFolderCanBeShown(dir.path("missing")).number, 76);
    EXPECT_EQ(checkFolderCanBeShown(dir.path("file")).number, 76);
    EXPECT_EQ(checkFolderCanBeShown(QString()).number, 76);
}

TEST(PathChoiceTest, NewFolderIsCreatedInsideTheFolderOnShow)
{
    TestFolder dir;
    EXPECT_FALSE(createSubfolder(dir.root(), QStringLiteral("reports")).failed());
    EXPECT_TRUE(QDir(dir.path("reports")).exists());
}

TEST(PathChoiceTest, NewFolderRefusalsCarryTheirNumbers)
{
    TestFolder dir;
    dir.mkdir("exists");
    dir.write("plain", "x");
    const struct { const char *parent; const char *name; int number; } cases[] = {
        {"", "", 52}, {"", "   ", 52}, {"", " \t", 52}, {"", ".", 52}, {"", "..", 52}, {"", "a/b", 52},
        {"", "exists", 75}, {"", "plain", 75},
        {"missing", "new", 76}, {"plain", "new", 76},
    };
    for (const auto &c : cases) {
        const QString parent = *c.parent ? dir.path(c.parent) : dir.root();
        const FileError err = createSubfolder(parent, QString::fromLatin1(c.name));
        EXPECT_EQ(err.number, c.number) << c.parent << "/" << c.name;
        EXPECT_TRUE(err.messageText().startsWith(QStringLiteral("Error # %1: ").arg(c.number)));
    }
    EXPECT_FALSE(QFileInfo::exists(dir.path("a")));
    EXPECT_EQ(QDir(dir.root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"exists"});
    EXPECT_EQ(dir.read("plain"), "x");
}

} // namespace
} // namespace qern
