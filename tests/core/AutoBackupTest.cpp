#include <QDir>
#include <QFileInfo>
#include <QMap>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "AutoBackup.h"
#include "TestFolder.h"

namespace qern {
namespace {

using test::TestFolder;

struct Pair {
    QString source;
    QString copy;
};

QList<Pair> everyPair()
{
    QList<Pair> pairs = {{"ndb.dat", "ndb.bak"}, {"Logs/cle.dat", "AutoBackups/cle.bak"}};
    for (int n = 0; n < 16; ++n)
        pairs.append({QStringLiteral("Logs/log%1.dat").arg(n), QStringLiteral("AutoBackups/log%1.bak").arg(n)});
    return pairs;
}

// Every source present, each with its own content.
void writeEverySource(const TestFolder &dir, const QByteArray &tag)
{
    dir.mkdir("AutoBackups");
    for (const Pair &p : everyPair())
        dir.write(p.source, tag + " of " + p.source.toUtf8());
}

TEST(AutoBackup, EachCallCopiesEveryFileByteForByteOverTheLastCopies)
{
    TestFolder dir;
    for (const QByteArray tag : {"first", "second, and longer than the first"}) {
        writeEverySource(dir, tag);
        const FileError err = AutoBackupFiles(dir.folder());
        EXPECT_FALSE(err.failed()) << err.messageText().toStdString();
        for (const Pair &p : everyPair())
            EXPECT_EQ(dir.read(p.copy), tag + " of " + p.source.toUtf8()) << p.copy.toStdString();
    }
}

ino_t inodeOf(const QString &path)
{
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info.st_ino;
}

// A copy is replaced by a new file only when its bytes differ from its source's, by a
// byte or in length, whichever of the two changed.
TEST(AutoBackup, CopiesThatAlreadyHoldTheirSourceAreLeftAsTheyAre)
{
    TestFolder dir;
    writeEverySource(dir, "data");
    ASSERT_FALSE(AutoBackupFiles(dir.folder()).failed());
    QMap<QString, ino_t> before;
    for (const Pair &p : everyPair())
        before[p.copy] = inodeOf(dir.path(p.copy));
    QByteArray database = dir.read("ndb.dat");
    database.back() = '!';
    dir.write("ndb.dat", database);
    dir.write("Logs/log3.dat", dir.read("Logs/log3.dat") + "more");
    // Copies damaged behind the program's back, in place: a byte, and the length.
    QByteArray session = dir.read("AutoBackups/cle.bak");
    session[2] = '?';
    QFile damaged(dir.path("AutoBackups/cle.bak"));
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
    ASSERT_EQ(damaged.write(session), session.size());
    damaged.close();
    ASSERT_TRUE(QFile(dir.path("AutoBackups/log5.bak")).resize(3));
    const QStringList changed = {"ndb.bak", "AutoBackups/log3.bak", "AutoBackups/cle.bak", "AutoBackups/log5.bak"};

    ASSERT_FALSE(AutoBackupFiles(dir.folder()).failed());

    for (const Pair &p : everyPair()) {
        EXPECT_EQ(dir.read(p.copy), dir.read(p.source)) << p.copy.toStdString();
        EXPECT_EQ(inodeOf(dir.path(p.copy)) != before[p.copy], changed.contains(p.copy)) << p.copy.toStdString();
    }
}

// The copy may be the last of a file that has vanished: it stays.
TEST(AutoBackup, MissingSourceKeepsItsOldCopy)
{
    for (const Pair &missing : everyPair()) {
        TestFolder dir;
        writeEverySource(dir, "old");
        ASSERT_FALSE(AutoBackupFiles(dir.folder()).failed());
        writeEverySource(dir, "new");
        QFile::remove(dir.path(missing.source));
        EXPECT_FALSE(AutoBackupFiles(dir.folder()).failed());
        for (const Pair &p : everyPair()) {
            const QByteArray expected = (p.source == missing.source ? "old of " : "new of ") + p.source.toUtf8();
            EXPECT_EQ(dir.read(p.copy), expected) << p.copy.toStdString();
        }
        EXPECT_FALSE(dir.exists(missing.source)) << "a missing source is never created";
    }
}

TEST(AutoBackup, FailedCopyKeepsTheOldCopyAndTheOthersAreStillTaken)
{
    for (const QString failing : {"ndb.bak", "AutoBackups/cle.bak", "AutoBackups/log3.bak"}) {
        TestFolder dir;
        writeEverySource(dir, "old");
        ASSERT_FALSE(AutoBackupFiles(dir.folder()).failed());
        writeEverySource(dir, "new");
        dir.mkdir(failing + ".tmp"); // the temporary copy cannot be written
        const FileError err = AutoBackupFiles(dir.folder());
        ASSERT_TRUE(err.failed()) << failing.toStdString();
        EXPECT_TRUE(err.messageText().startsWith("Error # ")) << err.messageText().toStdString();
        for (const Pair &p : everyPair()) {
            const QByteArray expected = (p.copy == failing ? "old of " : "new of ") + p.source.toUtf8();
            EXPECT_EQ(dir.read(p.copy), expected) << p.copy.toStdString();
        }
    }
}

TEST(AutoBackup, ReturnsTheFirstFailure)
{
    TestFolder dir;
    writeEverySource(dir, "data");
    dir.mkdir("AutoBackups/log2.bak.tmp");
    dir.mkdir("AutoBackups/log9.bak.tmp");
    const FileError err = AutoBackupFiles(dir.folder());
    ASSERT_TRUE(err.failed());
    EXPECT_TRUE(err.description.contains("log2.bak")) << err.description.toStdString();
}

TEST(AutoBackup, OldCopyThatIsNotAFileIsAFailure)
{
    TestFolder dir;
    writeEverySource(dir, "data");
    dir.mkdir("AutoBackups/cle.bak"); // not a file: it cannot be replaced by one
    EXPECT_EQ(AutoBackupFiles(dir.folder()).number, 75);
    EXPECT_TRUE(QFileInfo(dir.path("AutoBackups/cle.bak")).isDir());
}

TEST(AutoBackup, MissingBackupFolderIsCreated)
{
    TestFolder dir;
    writeEverySource(dir, "data");
    QDir(dir.path("AutoBackups")).removeRecursively();
    EXPECT_FALSE(AutoBackupFiles(dir.folder()).failed());
    EXPECT_EQ(dir.read("AutoBackups/log15.bak"), "data of Logs/log15.dat");
}

TEST(AutoBackup, NoSourcesMakeNoCopiesAndKeepTheOldOnes)
{
    TestFolder dir;
    dir.mkdir("AutoBackups");
    dir.write("ndb.bak", "last copy");
    dir.write("AutoBackups/log0.bak", "last copy");
    EXPECT_FALSE(AutoBackupFiles(dir.folder()).failed());
    EXPECT_EQ(dir.read("ndb.bak"), "last copy");
    EXPECT_EQ(dir.read("AutoBackups/log0.bak"), "last copy");
    EXPECT_FALSE(dir.exists("AutoBackups/cle.bak"));
    EXPECT_FALSE(dir.exists("ndb.dat")) << "a missing source is never created";
}

} // namespace
} // namespace qern
