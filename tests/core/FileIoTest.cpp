#include <QCryptographicHash>
#include <QDirIterator>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "AutoBackup.h"
#include "BackupSet.h"
#include "DatabaseSort.h"
#include "FileIo.h"
#include "Fixtures.h"
#include "LogMaintenance.h"
#include "LogView.h"
#include "ReceptionWrite.h"
#include "RegistryBackup.h"
#include "RegistryStore.h"
#include "Statistics.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::ScopedFileSizeLimit;
using qern::test::TestFolder;

namespace {

// The file an open descriptor stands for; a folder is its path followed by "/".
QString pathOf(int fd)
{
    const QFileInfo info(QFileInfo(QStringLiteral("/proc/self/fd/%1").arg(fd)).symLinkTarget());
    return info.isDir() ? info.filePath() + QLatin1Char('/') : info.filePath();
}

// Writes into one file fail the way a disk says it is full: ENOSPC, or EDQUOT when the
// user's quota is spent.
struct WriteFault {
    QString path;
    int error = 0;
};
WriteFault g_writeFault;

class FailingWrites {
public:
    FailingWrites(const QString &path, int error) { g_writeFault = {QFileInfo(path).canonicalFilePath(), error}; }
    ~FailingWrites() { g_writeFault = {}; }
    FailingWrites(const FailingWrites &) = delete;
    FailingWrites &operator=(const FailingWrites &) = delete;
};

} // namespace

// This definition stands in for the C library's in this test program.
extern "C" ssize_t write(int fd, const void *data, size_t size)
{
    if (g_writeFault.error != 0 && pathOf(fd) == g_writeFault.path) {
        errno = g_writeFault.error;
        return -1;
    }
    return ::syscall(SYS_write, fd, data, size);
}

TEST(RecordFile, ReaderNeverCreatesAMissingFile)
{
    TestFolder t;
    RecordFile file(t.path("ndb.dat"), 213);
    const FileError err = file.openForReading();
    EXPECT_EQ(err.number, 53);
    EXPECT_FALSE(t.exists("ndb.dat"));
    EXPECT_EQ(forEachRecord(t.path("ndb.dat"), 213, [](qint64, QByteArrayView) { return true; }).number, 53);
    EXPECT_FALSE(t.exists("ndb.dat"));
}

TEST(RecordFile, WritesInPlaceAppendsAndReadsBack)
{
    TestFolder t;
    RecordFile file(t.path("log0.dat"), 4);
    qint64 as = 0;
    ASSERT_FALSE(file.append("AAAA", &as));
    EXPECT_EQ(as, 1);
    ASSERT_FALSE(file.append("BBBB", &as));
    EXPECT_EQ(as, 2);
    ASSERT_FALSE(file.write(1, "CCCC"));
    file.close();
    EXPECT_EQ(t.read("log0.dat"), "CCCCBBBB");

    QByteArray rec;
    ASSERT_FALSE(file.read(2, &rec));
    EXPECT_EQ(rec, "BBBB");
    EXPECT_EQ(file.read(3, &rec).number, 62);
    EXPECT_TRUE(file.write(1, "TOOLONG").failed()); // a record of the wrong length is refused
}

// However the disk says it is full (a write cut short, no space, the quota spent), the
// user hears "Disk full".
TEST(RecordFile, ShortWriteIsAnErrorAndLeavesTheFileAsItWas)
{
    const QByteArray first(213, 'A');
    const struct { const char *name; qint64 number; int error; } cases[] = {
        {"append", 2, 0}, {"beyond the end", 3, 0}, // 0: a write cut short by the file size limit
        {"in place, no space", 1, ENOSPC}, {"append, quota spent", 2, EDQUOT},
        {"in place, quota spent", 1, EDQUOT}, {"beyond the end, quota spent", 3, EDQUOT},
    };
    for (const auto &c : cases) {
        TestFolder t;
        t.write("ndb.dat", first);
        RecordFile file(t.path("ndb.dat"), 213);
        FileError err;
        {
            std::optional<ScopedFileSizeLimit> limit;
            std::optional<FailingWrites> failing;
            if (c.error == 0)
                limit.emplace(300); // room for 87 more bytes
            else
                failing.emplace(t.path("ndb.dat"), c.error);
            err = file.write(c.number, QByteArray(213, 'B'));
            file.close();
        }
        EXPECT_EQ(err.messageText().toStdString(), ("Error # 61: Disk full (" + t.path("ndb.dat") + ")").toStdString())
            << c.name;
        const QByteArray after = t.read("ndb.dat");
        EXPECT_EQ(after.size(), first.size()) << c.name;
        EXPECT_TRUE(after == first) << c.name;
    }
}

TEST(RecordFile, ACutLastRecordReadsPaddedAndCounts)
{
    TestFolder t;
    t.write("f.dat", "AAAABB"); // 1.5 records -> 2 by half to even
    RecordFile file(t.path("f.dat"), 4);
    EXPECT_EQ(file.count(), 2);
    EXPECT_FALSE(file.holdsWholeRecords());
    QByteArray rec;
    ASSERT_FALSE(file.read(2, &rec));
    EXPECT_EQ(rec, "BB  ");

    QList<QByteArray> seen;
    ASSERT_FALSE(forEachRecord(t.path("f.dat"), 4, [&](qint64 n, QByteArrayView r) {
        EXPECT_EQ(n, seen.size() + 1);
        seen.append(r.toByteArray());
        return true;
    }));
    EXPECT_EQ(seen, (QList<QByteArray>{"AAAA", "BB  "}));
}

TEST(RecordFile, WalkStopsWhenAskedAndCrossesBlocks)
{
    TestFolder t;
    QByteArray content;
    for (int i = 0; i < 5000; ++i)
        content += QByteArray::number(i % 10).repeated(213);
    t.write("ndb.dat", content);
    qint64 last = 0;
    ASSERT_FALSE(forEachRecord(t.path("ndb.dat"), 213, [&](qint64 n, QByteArrayView r) {
        EXPECT_EQ(r[0], char('0' + (n - 1) % 10));
        last = n;
        return true;
    }));
    EXPECT_EQ(last, 5000);
    ASSERT_FALSE(forEachRecord(t.path("ndb.dat"), 213, [&](qint64 n, QByteArrayView) {
        last = n;
        return n < 7;
    }));
    EXPECT_EQ(last, 7);

    // A walk started from inside another (events let run half-way) leaves the outer
    // walk's records as they were.
    t.write("other.dat", QByteArray("x").repeated(213 * 3000));
    ASSERT_FALSE(forEachRecord(t.path("ndb.dat"), 213, [&](qint64 n, QByteArrayView r) {
        if (n == 2) {
            EXPECT_FALSE(forEachRecord(t.path("other.dat"), 213, [](qint64, QByteArrayView) { return true; }));
        }
        EXPECT_EQ(r[0], char('0' + (n - 1) % 10)) << n;
        last = n;
        return true;
    }));
    EXPECT_EQ(last, 5000);
}

TEST(SafeWrite, ReplacesAWholeFileOnlyWhenTheNewOneIsComplete)
{
    TestFolder t;
    t.write("ndb.dat", "old");
    ASSERT_FALSE(replaceFileContents(t.path("ndb.dat"), "new content"));
    EXPECT_EQ(t.read("ndb.dat"), "new content");
    EXPECT_FALSE(t.exists("ndb.dat.tmp"));

    // A folder where the temporary file goes makes the write fail: the old file stays.
    t.mkdir("ndb.dat.tmp");
    const FileError err = replaceFileContents(t.path("ndb.dat"), "lost");
    EXPECT_TRUE(err.failed());
    // The message names the user's file, never the temporary one.
    EXPECT_EQ(err.messageText(), "Error # 75: Path/File access error (" + t.path("ndb.dat") + ": a folder stands at " +
                                     t.path("ndb.dat.tmp") + ", where its new copy is written first)");
    EXPECT_EQ(t.read("ndb.dat"), "new content");
}

TEST(SafeWrite, CopyKeepsTheOldCopyWhenItFails)
{
    TestFolder t;
    t.write("src.dat", QByteArray(300000, 'x'));
    t.write("AutoBackups/copy.bak", "old copy");
    ASSERT_FALSE(copyFileSafely(t.path("src.dat"), t.path("AutoBackups/copy.bak")));
    EXPECT_EQ(t.read("AutoBackups/copy.bak"), QByteArray(300000, 'x'));

    t.write("AutoBackups/copy2.bak", "old copy");
    t.mkdir("AutoBackups/copy2.bak.tmp");
    EXPECT_TRUE(copyFileSafely(t.path("src.dat"), t.path("AutoBackups/copy2.bak")).failed());
    EXPECT_EQ(t.read("AutoBackups/copy2.bak"), "old copy");
    {
        const ScopedFileSizeLimit limit(1000); // the disk fills during the copy
        EXPECT_EQ(copyFileSafely(t.path("src.dat"), t.path("AutoBackups/copy.bak")).messageText(),
                  "Error # 61: Disk full (" + t.path("AutoBackups/copy.bak") + ")");
    }
    EXPECT_EQ(t.read("AutoBackups/copy.bak"), QByteArray(300000, 'x'));
    EXPECT_FALSE(t.exists("AutoBackups/copy.bak.tmp"));

    EXPECT_EQ(copyFileSafely(t.path("missing.dat"), t.path("x.bak")).number, 53);
    EXPECT_EQ(copyFileSafely(t.path("src.dat"), t.path("nofolder/x.bak")).number, 76);
}

// A copy into a missing file keeps whatever stands at its name when it is done.
TEST(SafeWrite, ACopyIntoAMissingFileNeverReplacesWhatStandsThere)
{
    TestFolder t;
    t.write("shipped.dat", "shipped");
    t.write("kept.dat", "the user's");
    t.mkdir("folder.dat");
    for (const char *name : {"kept.dat", "folder.dat"}) {
        bool copied = true;
        ASSERT_FALSE(copyFileIfMissing(t.path("shipped.dat"), t.path(name), &copied)) << name;
        EXPECT_FALSE(copied) << name;
    }
    EXPECT_EQ(t.read("kept.dat"), "the user's");
    EXPECT_TRUE(QFileInfo(t.path("folder.dat")).isDir());
    bool copied = false;
    ASSERT_FALSE(copyFileIfMissing(t.path("shipped.dat"), t.path("new.dat"), &copied));
    EXPECT_TRUE(copied);
    EXPECT_EQ(t.read("new.dat"), "shipped");
    EXPECT_EQ(QDir(t.root()).entryList({"*.tmp"}), QStringList());
}

// -----------------------------------------------------------------------------------
// Links and read-only files: every command that rewrites a whole file.

namespace {

using qern::test::DataFolder;
using qern::test::beacon;

using FileState = std::optional<QByteArray>; // nullopt: no file

FileState stateOf(const QString &path)
{
    if (!QFileInfo::exists(path))
        return std::nullopt;
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

// Every file below root: its path from root and a digest of its bytes.
std::map<std::string, std::string> snapshot(const TestFolder &t)
{
    std::map<std::string, std::string> files;
    QDirIterator it(t.root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QByteArray bytes = stateOf(path).value_or("(dangling)");
        files[QDir(t.root()).relativeFilePath(path).toStdString()] =
            QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().toStdString();
    }
    return files;
}

// The permission bits of owner, group and others (not what this user may do).
mode_t modeOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

QStringList temporaryFiles(const TestFolder &t)
{
    QStringList found;
    QDirIterator it(t.root(), {"*.tmp"}, QDir::AllEntries | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

struct Rewrite {
    const char *command;
    QString file; // the user's file the command rewrites (or deletes)
    std::function<void(const DataFolder &)> prepare;
    std::function<FileError(const DataFolder &)> run;
};

constexpr const char *kProg = RegistryKeys::ProgramPreferences;

void writeSettings(const DataFolder &f)
{
    RegistryStore store(f.path("registry.ini"));
    WriteDefaultPreferences(store);
}

FileError saveMetric(const DataFolder &f)
{
    RegistryStore store(f.path("registry.ini"));
    RegistryStore::Batch batch(store);
    store.SetRegistryValue(kProg, kRegistryString, "Metric", "True");
    batch.finish();
    return batch.error();
}

void writeSettingsAndBackup(const DataFolder &f)
{
    writeSettings(f);
    RegistryStore other(f.path("other.ini"));
    WriteDefaultPreferences(other);
    other.SetRegistryValue(kProg, kRegistryString, "Metric", "True");
    EXPECT_EQ(BackupRegistry(other, f.path("Reg.bak")), "Registry Backed Up");
}

FileError backUpSettings(const DataFolder &f)
{
    FileError err;
    BackupRegistry(RegistryStore(f.path("registry.ini")), f.path("Reg.bak"), &err);
    return err;
}

void writeLoggedBeacons(const DataFolder &f)
{
    f.writeDatabase({beacon({.ident = "XYZ", .frequency = "400", .mask = 9, .cleMark = "z"}),
                     beacon({.ident = "ABC", .frequency = "300", .mask = 1, .cleMark = "z"})});
    for (const int n : {0, 3, 5})
        f.writeLogbook(n, {LogRecord::make("XYZ", "400", "1200", "20260101", "first"),
                           LogRecord::make("XYZ", "400", "1300", "20260102", "second")});
    f.writeSessionLog({CLERecord::make("XYZ", "CAN", "400", "1200", "20260101", "", true)});
    f.write("drive/log0.bak", LogRecord::make("ABC", "300", "0800", "20250101", "saved").bytes());
    f.write("drive/ndb.bak", beacon({.ident = "SAV"}).bytes());
}

// The automatic backup taken once, then one copy made older than its source.
std::function<void(const DataFolder &)> withOlderCopy(const QString &copy)
{
    return [copy](const DataFolder &f) {
        writeLoggedBeacons(f);
        EXPECT_FALSE(AutoBackupFiles(f.folder()).failed());
        f.write(copy, "older copy");
    };
}

FileError restoreFromDrive(const DataFolder &f, const BackupComponents &components)
{
    RegistryStore store(f.path("registry.ini"));
    LogbookNames names;
    names.fill("Empty");
    return RestoreFromFolder(f.folder(), f.path("drive"), components, names, store).error;
}

FileError restoreLogbooks(const DataFolder &f)
{
    return restoreFromDrive(f, {true, false, false});
}

// The settings go last but one: every file is checked before the first is replaced.
FileError restoreEverything(const DataFolder &f)
{
    return restoreFromDrive(f, {true, true, true});
}

// Logged beacons, the settings, and a backup set on the drive whose settings differ.
void writeLoggedBeaconsAndBackupSet(const DataFolder &f)
{
    writeLoggedBeacons(f);
    writeSettingsAndBackup(f);
    ASSERT_TRUE(QFile::rename(f.path("Reg.bak"), f.path("drive/Reg.bak")));
}

QList<Rewrite> everyRewrite()
{
    auto session = [](const DataFolder &f) { return clearSession(f.folder()).error; };
    auto master = [](const DataFolder &f) { return clearMasterLogs(f.folder(), 0x0008).error; };
    auto backup = [](const DataFolder &f) { return AutoBackupFiles(f.folder()); };
    return {
        {"settings save", "registry.ini", writeSettings, saveMetric},
        {"settings backup", "Reg.bak", writeSettingsAndBackup, backUpSettings},
        {"settings restore", "registry.ini", writeSettingsAndBackup,
         [](const DataFolder &f) {
             RegistryStore store(f.path("registry.ini"));
             return RestoreRegistry(store, f.path("Reg.bak")).error;
         }},
        {"sort", "ndb.dat", writeLoggedBeacons,
         [](const DataFolder &f) { return SortBeaconDatabase(f.folder()).error; }},
        {"log delete", "Logs/log0.dat", writeLoggedBeacons,
         [](const DataFolder &f) { return deleteLogbookEntry(f.folder(), 0, f.shownAt(1), 1).error; }},
        {"session clear, database", "ndb.dat", writeLoggedBeacons, session},
        {"session clear, session log", "Logs/cle.dat", writeLoggedBeacons, session},
        {"master clear, database", "ndb.dat", writeLoggedBeacons, master},
        {"master clear, logbook", "Logs/log3.dat", writeLoggedBeacons, master},
        {"restore, logbook", "Logs/log0.dat", writeLoggedBeacons, restoreLogbooks},
        {"restore, database", "ndb.dat", writeLoggedBeacons, restoreLogbooks},
        {"restore, settings", "registry.ini", writeLoggedBeaconsAndBackupSet, restoreEverything},
        {"automatic backup, database copy", "ndb.bak", withOlderCopy("ndb.bak"), backup},
        {"automatic backup, logbook copy", "AutoBackups/log5.bak", withOlderCopy("AutoBackups/log5.bak"), backup},
    };
}

constexpr mode_t kOwnerReadWriteGroupRead = 0640;
constexpr mode_t kReadOnly = 0444;
constexpr mode_t kReadOnlyFolder = 0555;

} // namespace

TEST(UserFiles, RewritesKeepTheFilesPermissionsAndWriteThroughLinks)
{
    for (const Rewrite &r : everyRewrite()) {
        DataFolder plain;
        r.prepare(plain);
        const FileState before = stateOf(plain.path(r.file));
        ASSERT_TRUE(before) << r.command;
        ASSERT_EQ(::chmod(QFile::encodeName(plain.path(r.file)).constData(), kOwnerReadWriteGroupRead), 0);
        const FileError plainError = r.run(plain);
        ASSERT_FALSE(plainError.failed()) << r.command << ": " << plainError.messageText().toStdString();
        const FileState expected = stateOf(plain.path(r.file));
        ASSERT_NE(expected, before) << r.command << " did not change its file";
        if (expected) {
            EXPECT_EQ(modeOf(plain.path(r.file)), kOwnerReadWriteGroupRead) << r.command;
        }

        // The same with the file a relative link to another folder.
        DataFolder linked;
        r.prepare(linked);
        const QString target = linked.path("elsewhere/" + QFileInfo(r.file).fileName());
        linked.mkdir("elsewhere");
        ASSERT_TRUE(QFile::rename(linked.path(r.file), target));
        const QString link = linked.path(r.file);
        ASSERT_TRUE(QFile::link(QFileInfo(link).dir().relativeFilePath(target), link));
        const FileError linkedError = r.run(linked);
        ASSERT_FALSE(linkedError.failed()) << r.command << ": " << linkedError.messageText().toStdString();
        EXPECT_TRUE(QFileInfo(link).isSymLink()) << r.command << ": the link stays";
        EXPECT_EQ(stateOf(target), expected) << r.command << ": the link's target has what the command wrote";
        EXPECT_EQ(temporaryFiles(linked), QStringList()) << r.command;
    }
}

namespace {

// What may stand in the place of a user's file, or around it, so that no command can
// write it.
struct Obstacle {
    const char *name;
    QString message; // %1: the file, %2: its folder
    std::function<void(const QString &path)> put;
    std::function<bool(const QString &path)> stillThere;
    std::function<void(const QString &path)> release = [](const QString &) {};
};

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

void setMode(const QString &path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

QList<Obstacle> everyObstacle()
{
    auto replaced = [](const std::function<bool(const QString &)> &make) {
        return [make](const QString &path) {
            ASSERT_TRUE(QFile::remove(path));
            ASSERT_TRUE(make(path));
        };
    };
    return {
        // CI runs as root, which may write any file: the refusal comes from the file's
        // mode, so it holds for root as for the user.
        {"read-only", "Error # 70: Permission denied (%1)", [](const QString &path) { setMode(path, kReadOnly); },
         [](const QString &path) { return modeOf(path) == kReadOnly; }},
        // A whole file is written beside the old one and renamed over it, in its folder.
        {"read-only folder", "Error # 70: Permission denied (%1: its folder %2 is read-only)",
         [](const QString &path) { setMode(folderOf(path), kReadOnlyFolder); },
         [](const QString &path) { return modeOf(folderOf(path)) == kReadOnlyFolder; },
         [](const QString &path) { setMode(folderOf(path), 0755); }},
        {"loop of links", "Error # 75: Path/File access error (%1 is a loop of symbolic links)",
         replaced([](const QString &path) { return QFile::link(QFileInfo(path).fileName(), path); }),
         [](const QString &path) { return QFileInfo(path).isSymLink(); }},
        {"folder", "Error # 75: Path/File access error (%1 is a folder)",
         replaced([](const QString &path) { return QDir().mkdir(path); }),
         [](const QString &path) { return QFileInfo(path).isDir(); }},
    };
}

// Runs the command with o in the place of its file: it fails, naming the file and o,
// and every file stays as it was.
void expectStoppedWithNothingChanged(const Obstacle &o, const Rewrite &r)
{
    SCOPED_TRACE(std::string(r.command) + ", " + o.name);
    DataFolder f;
    r.prepare(f);
    o.put(f.path(r.file));
    const auto before = snapshot(f);

    const FileError err = r.run(f);

    QString message = o.message;
    message.replace(QLatin1String("%1"), f.path(r.file)).replace(QLatin1String("%2"), folderOf(f.path(r.file)));
    EXPECT_EQ(err.messageText().toStdString(), message.toStdString());
    EXPECT_EQ(snapshot(f), before);
    EXPECT_TRUE(o.stillThere(f.path(r.file)));
    EXPECT_EQ(temporaryFiles(f), QStringList());
    o.release(f.path(r.file));
}

} // namespace

TEST(UserFiles, AFileThatCannotBeWrittenStopsTheRewriteWithNothingChanged)
{
    for (const Obstacle &o : everyObstacle()) {
        for (const Rewrite &r : everyRewrite())
            expectStoppedWithNothingChanged(o, r);
    }
}

// Reading commands take a loop of links or a folder in a file's place for no missing
// file (an empty logbook, a beacon out of sync, nothing to update): they name it.
TEST(UserFiles, ALoopOrAFolderInAFilesPlaceIsNamedNotTakenForMissing)
{
    std::array<QByteArray, kStatisticsLocations> names;
    names.fill("Empty");
    const LogbookEntryEdit edit{"comments", "1300", "20260102", "mended"};
    const Rewrite readers[] = {
        {"start-up count", "ndb.dat", writeLoggedBeacons,
         [&](const DataFolder &f) { return GatherDatabaseStatistics(f.folder(), names, 0).readError; }},
        {"integrity check", "ndb.dat", writeLoggedBeacons,
         [](const DataFolder &f) { return CheckDatabaseIntegrity(f.folder(), 2).readError; }},
        {"log viewer", "Logs/log0.dat", writeLoggedBeacons,
         [](const DataFolder &f) { return LoadAfterScrolling(f.folder(), 1, {}).logError; }},
        {"session viewer", "Logs/cle.dat", writeLoggedBeacons,
         [](const DataFolder &f) {
             LogDetailContext session;
             session.mode = kLogViewSession;
             return LoadAfterScrolling(f.folder(), 1, session).logError;
         }},
        {"printed log", "Logs/log0.dat", writeLoggedBeacons,
         [](const DataFolder &f) { return PrintedLogLines(f.folder(), {}).error; }},
        {"last logged", "Logs/log0.dat", writeLoggedBeacons,
         [](const DataFolder &f) {
             std::optional<LogRecord> entry;
             return findLastLogEntry(f.path("Logs/log0.dat"), "XYZ", "400", &entry);
         }},
        {"log update", "Logs/log0.dat", writeLoggedBeacons,
         [&](const DataFolder &f) { return updateLogbookEntry(f.folder(), 0, f.shownAt(1), 1, edit).error; }},
        {"session update", "Logs/cle.dat", writeLoggedBeacons,
         [](const DataFolder &f) {
             return updateSessionRecords(f.folder(), f.shownAt(1), "1300", "20260102", "mended").error;
         }},
        {"log delete", "Logs/log0.dat", writeLoggedBeacons,
         [](const DataFolder &f) { return deleteLogbookEntry(f.folder(), 0, f.shownAt(1), 1).error; }},
    };
    for (const Obstacle &o : everyObstacle()) {
        if (QByteArray(o.name).startsWith("read-only"))
            continue; // read, it is no obstacle
        for (const Rewrite &r : readers)
            expectStoppedWithNothingChanged(o, r);
    }
}

TEST(UserFiles, RecordWritesRefuseAReadOnlyFileAsRewritesDo)
{
    TestFolder t;
    t.write("log0.dat", "AAAA");
    ASSERT_EQ(::chmod(QFile::encodeName(t.path("log0.dat")).constData(), kReadOnly), 0);
    RecordFile file(t.path("log0.dat"), 4);
    const FileError write = file.append("BBBB");
    EXPECT_EQ(write.messageText(), "Error # 70: Permission denied (" + t.path("log0.dat") + ")");
    EXPECT_EQ(replaceFileContents(t.path("log0.dat"), "CCCC").messageText(), write.messageText());
    EXPECT_EQ(t.read("log0.dat"), "AAAA");
}

TEST(UserFiles, LinksAreFollowedToTheEndOrRefusedWhenTheyLoop)
{
    TestFolder t;
    t.mkdir("data");
    // first -> second -> data/log0.dat, which does not exist yet: written, the links stay.
    ASSERT_TRUE(QFile::link("data/log0.dat", t.path("second")));
    ASSERT_TRUE(QFile::link("second", t.path("first")));
    ASSERT_FALSE(replaceFileContents(t.path("first"), "new"));
    EXPECT_TRUE(QFileInfo(t.path("first")).isSymLink());
    EXPECT_TRUE(QFileInfo(t.path("second")).isSymLink());
    EXPECT_EQ(t.read("data/log0.dat"), "new");
    // The target's folder must exist.
    ASSERT_TRUE(QFile::link("nowhere/x.dat", t.path("lost")));
    EXPECT_EQ(replaceFileContents(t.path("lost"), "new").number, 76);

    ASSERT_TRUE(QFile::link("loop2", t.path("loop1")));
    ASSERT_TRUE(QFile::link("loop1", t.path("loop2")));
    EXPECT_EQ(replaceFileContents(t.path("loop1"), "new").number, 75);
    EXPECT_EQ(copyFileSafely(t.path("data/log0.dat"), t.path("loop1")).number, 75);
    EXPECT_TRUE(QFileInfo(t.path("loop1")).isSymLink());
}

// -----------------------------------------------------------------------------------
// Durability: nothing reports success before its data and its folder entry are synced.

namespace {

// The core's syncs, seen and made to fail here: these definitions stand in for the C
// library's in this test program.
struct SyncWatch {
    bool watching = false;
    QStringList synced;  // in order; a folder is its path followed by "/"
    QString failing;     // a sync of this path fails with EIO
    int failures = -1;   // how many of its syncs fail; -1: every one
};
SyncWatch g_syncs;

int watchedSync(int fd, long call)
{
    if (g_syncs.watching) {
        g_syncs.synced << pathOf(fd);
        if (pathOf(fd) == g_syncs.failing && g_syncs.failures != 0) {
            if (g_syncs.failures > 0)
                --g_syncs.failures;
            errno = EIO;
            return -1;
        }
    }
    return int(::syscall(call, fd));
}

class WatchedSyncs {
public:
    explicit WatchedSyncs(QString failing = {}, int failures = -1)
    {
        g_syncs = {true, {}, std::move(failing), failures};
    }
    ~WatchedSyncs() { g_syncs = {}; }
    WatchedSyncs(const WatchedSyncs &) = delete;
    WatchedSyncs &operator=(const WatchedSyncs &) = delete;
    QStringList synced() const { return g_syncs.synced; }
};

// Record 1 of path (4 bytes) written and taken back; a missing path is made and removed.
FileError writtenAndUndone(const QString &path)
{
    RecordFileUndo undo(path, 4);
    if (FileError err = undo.keepRecord(1))
        return err;
    if (FileError err = RecordFile(path, 4).write(1, "undo"))
        return err;
    return undo.undo();
}

} // namespace

extern "C" int fsync(int fd)
{
    return watchedSync(fd, SYS_fsync);
}

extern "C" int fdatasync(int fd)
{
    return watchedSync(fd, SYS_fdatasync);
}

TEST(Durability, EveryWriteIsSyncedWithItsFolderBeforeItReturns)
{
    TestFolder t;
    const QString root = QFileInfo(t.root()).canonicalFilePath();
    t.write("ndb.dat", "old!");
    // Every copy made, then the watch cleared: the syncs of the next backup are seen.
    auto everyCopyMade = [&]() -> FileError {
        t.mkdir("Logs");
        t.mkdir("AutoBackups");
        for (int n = 0; n < 16; ++n)
            t.write(QStringLiteral("Logs/log%1.dat").arg(n), "entries");
        t.write("Logs/cle.dat", "session");
        if (FileError err = AutoBackupFiles(t.folder()))
            return err;
        g_syncs.synced.clear();
        return {};
    };
    const struct {
        const char *name;
        std::function<FileError()> write;
        QStringList synced;
    } cases[] = {
        {"record in place", [&] { return RecordFile(t.path("ndb.dat"), 4).write(1, "new!"); },
         {root + "/ndb.dat"}},
        {"record making its file", [&] { return RecordFile(t.path("log0.dat"), 4).append("new!"); },
         {root + "/log0.dat", root + "/"}},
        // A write and its undo, each synced.
        {"record undone", [&] { return writtenAndUndone(t.path("ndb.dat")); }, {root + "/ndb.dat", root + "/ndb.dat"}},
        {"record undone by removing the file it made", [&] { return writtenAndUndone(t.path("log1.dat")); },
         {root + "/log1.dat", root + "/", root + "/"}},
        {"whole file", [&] { return replaceFileContents(t.path("ndb.dat"), "whole"); },
         {root + "/ndb.dat.tmp", root + "/"}},
        {"copy", [&] { return copyFileSafely(t.path("ndb.dat"), t.path("ndb.bak")); },
         {root + "/ndb.bak.tmp", root + "/"}},
        // A copy that holds its source's bytes was synced when it was made.
        {"copy already made", [&] { return copyFileUnlessSame(t.path("ndb.dat"), t.path("ndb.bak")); }, {}},
        {"copy over other bytes",
         [&] {
             t.write("ndb.dat", "other");
             return copyFileUnlessSame(t.path("ndb.dat"), t.path("ndb.bak"));
         },
         {root + "/ndb.bak.tmp", root + "/"}},
        // Only the copy of the one file that changed is written and synced.
        {"automatic backup",
         [&] {
             if (FileError err = everyCopyMade())
                 return err;
             t.write("Logs/log3.dat", "more entries");
             return AutoBackupFiles(t.folder());
         },
         {root + "/AutoBackups/log3.bak.tmp", root + "/AutoBackups/"}},
        // Every new copy synced before the first is renamed, each folder synced once after.
        {"automatic backup of three changed files",
         [&] {
             if (FileError err = everyCopyMade())
                 return err;
             t.write("ndb.dat", "changed");
             t.write("Logs/cle.dat", "longer session");
             t.write("Logs/log3.dat", "other entries");
             return AutoBackupFiles(t.folder());
         },
         {root + "/ndb.bak.tmp", root + "/AutoBackups/cle.bak.tmp", root + "/AutoBackups/log3.bak.tmp", root + "/",
          root + "/AutoBackups/"}},
        {"removal", [&] { return removeFileIfExists(t.path("ndb.bak")); }, {root + "/"}},
    };
    for (const auto &c : cases) {
        const WatchedSyncs watch;
        const FileError err = c.write();
        EXPECT_FALSE(err.failed()) << c.name << ": " << err.messageText().toStdString();
        EXPECT_EQ(watch.synced(), c.synced) << c.name;
    }
}

TEST(Durability, AFailedSyncIsAFailureNamingTheUsersFile)
{
    auto ioError = [](const DataFolder &f, const char *file) {
        return "Error # 57: Device I/O error (" + f.path(file) + ")";
    };
    // A command's message: the failure, then what the files hold now.
    auto takenBack = [&](const char *file, const char *state = kChangeTakenBackText) {
        return [=](const DataFolder &f) { return ioError(f, file) + "\r\n" + QLatin1String(state); };
    };
    auto notConfirmed = [&](const char *file) {
        return [=](const DataFolder &f) {
            return ioError(f, file) + "\r\n" + QLatin1String(kTakeBackNotConfirmedText) + "\r\n" + ioError(f, file);
        };
    };
    auto alone = [&](const char *file) { return [=](const DataFolder &f) { return ioError(f, file); }; };
    auto textOf = [](const FileError &err) { return err ? err.messageText() : QString(); };
    auto oldDatabase = [](const DataFolder &f) { f.write("ndb.dat", "old!"); };
    // The only entry of AAA, logged at location 0; the copies current, so that the
    // command's own automatic backup writes nothing.
    auto onlyEntry = [](const DataFolder &f) {
        f.writeDatabase({beacon({.ident = "AAA", .country = "NOR", .frequency = "300", .mask = 1, .cleMark = "z"})});
        f.writeLogbook(0, {LogRecord::make("AAA", "300", "0100", "20240101", ""),
                           LogRecord::make("XYZ", "400", "0200", "20240101", "")});
        f.writeSessionLog({CLERecord::make("AAA", "NOR", "300", "0100", "20240101", "", true)});
        EXPECT_FALSE(AutoBackupFiles(f.folder()).failed());
    };
    // The same, with older copies of the database, the session log and logbook 0: the
    // command's automatic backup writes three new ones.
    auto olderCopies = [&](const DataFolder &f) {
        onlyEntry(f);
        for (const char *copy : {"ndb.bak", "AutoBackups/cle.bak", "AutoBackups/log0.bak"})
            f.write(copy, "an older copy");
    };
    auto deleteOnlyEntry = [](const DataFolder &f) {
        return deleteLogbookEntry(f.folder(), 0, f.shownAt(1), 1).messageText();
    };
    auto receive = [](const DataFolder &f) {
        return writeReception(f.folder(), f.shownAt(1), 0, {"AAA", "300", "1405", "20240102", "", ""}).messageText();
    };
    auto clearTheSession = [](const DataFolder &f) { return clearSession(f.folder()).messageText(); };
    auto clearLocation0 = [](const DataFolder &f) { return clearMasterLogs(f.folder(), 1).messageText(); };
    const struct {
        const char *name;
        const char *failing; // in the folder; a folder ends with "/", "" is the folder itself
        int failures;        // -1: every sync of it fails
        std::function<void(const DataFolder &)> prepare;
        std::function<QString(const DataFolder &)> run; // the message
        std::function<QString(const DataFolder &)> said;
        QByteArray left = {}; // ndb.dat afterwards; null: every file as it was
        // With left null: copies that hold their file's bytes afterwards (copy, file).
        QList<std::pair<const char *, const char *>> copied = {};
    } cases[] = {
        {"record", "ndb.dat", -1, oldDatabase,
         [&](auto &f) { return textOf(RecordFile(f.path("ndb.dat"), 4).write(1, "new!")); }, alone("ndb.dat"),
         "new!"},
        {"new file before its rename", "ndb.dat.tmp", -1, oldDatabase,
         [&](auto &f) { return textOf(replaceFileContents(f.path("ndb.dat"), "whole")); }, alone("ndb.dat"),
         "old!"},
        {"folder after the rename", "", -1, oldDatabase,
         [&](auto &f) { return textOf(replaceFileContents(f.path("ndb.dat"), "whole")); }, alone("ndb.dat"),
         "whole"},
        // Whichever step of a delete fails, the location bit and the entry are put back
        // together, and the message says whether the disk confirmed it.
        {"log delete, the bit's sync once", "ndb.dat", 1, onlyEntry, deleteOnlyEntry, takenBack("ndb.dat")},
        {"log delete, the bit's sync every time", "ndb.dat", -1, onlyEntry, deleteOnlyEntry, notConfirmed("ndb.dat")},
        {"log delete, the new logbook's sync", "Logs/log0.dat.tmp", -1, onlyEntry, deleteOnlyEntry,
         takenBack("Logs/log0.dat")},
        {"log delete, the logbook's folder after the rename once", "Logs/", 1, onlyEntry, deleteOnlyEntry,
         takenBack("Logs/log0.dat")},
        {"log delete, the logbook's folder after every rename", "Logs/", -1, onlyEntry, deleteOnlyEntry,
         notConfirmed("Logs/log0.dat")},
        // A reception's writes are taken back, each synced as it was written.
        {"reception, the session record's sync once", "Logs/cle.dat", 1, onlyEntry, receive,
         takenBack("Logs/cle.dat", kReceptionNotWrittenText)},
        {"reception, the session record's sync every time", "Logs/cle.dat", -1, onlyEntry, receive,
         notConfirmed("Logs/cle.dat")},
        {"reception, the logbook's sync every time", "Logs/log0.dat", -1, onlyEntry, receive,
         notConfirmed("Logs/log0.dat")},
        {"session clear, the database's folder after the rename once", "", 1, onlyEntry, clearTheSession,
         takenBack("ndb.dat")},
        {"master clear, the logbook's folder after the rename once", "Logs/", 1, onlyEntry, clearLocation0,
         takenBack("Logs/log0.dat")},
        // A backup's copy that is not synced keeps its old copy, whole; the others go in.
        {"reception's backup, one new copy's sync of three", "AutoBackups/cle.bak.tmp", -1, olderCopies, receive,
         takenBack("AutoBackups/cle.bak", kReceptionNotWrittenText), {},
         {{"ndb.bak", "ndb.dat"}, {"AutoBackups/log0.bak", "Logs/log0.dat"}}},
        // Renamed, the copies are new, whole; the folder's failure is told of its first.
        {"reception's backup, the copies' folder after the renames once", "AutoBackups/", 1, olderCopies, receive,
         takenBack("AutoBackups/cle.bak", kReceptionNotWrittenText), {},
         {{"ndb.bak", "ndb.dat"}, {"AutoBackups/cle.bak", "Logs/cle.dat"}, {"AutoBackups/log0.bak", "Logs/log0.dat"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DataFolder f;
        c.prepare(f);
        const auto before = snapshot(f);
        QString said;
        {
            const WatchedSyncs watch(QFileInfo(f.root()).canonicalFilePath() + "/" + c.failing, c.failures);
            said = c.run(f);
        }
        EXPECT_EQ(said.toStdString(), c.said(f).toStdString());
        if (c.left.isNull()) {
            auto after = snapshot(f);
            for (const auto &[copy, file] : c.copied) {
                EXPECT_EQ(f.read(copy), f.read(file)) << copy;
                after[copy] = before.at(copy);
            }
            EXPECT_EQ(after, before);
        } else {
            EXPECT_EQ(f.read("ndb.dat"), c.left);
        }
        EXPECT_EQ(temporaryFiles(f), QStringList());
        // Nothing is left half-done: once the disk is well, the same command goes through.
        EXPECT_EQ(c.run(f), QString());
    }
}
