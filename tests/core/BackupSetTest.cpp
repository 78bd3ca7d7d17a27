#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "BackupSet.h"
#include "RegistryBackup.h"
#include "RegistryStore.h"
#include "TestFolder.h"

namespace qern {
namespace {

using test::TestFolder;

LogbookNames someNames()
{
    LogbookNames names;
    names.fill("Empty");
    names[0] = "Home";
    names[3] = "Cottage \xE9t\xE9"; // Windows-1252
    return names;
}

QString logName(int n)
{
    return QStringLiteral("Logs/log%1.dat").arg(n);
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

class BackupSetTest : public ::testing::Test {
protected:
    BackupSetTest() : m_store(m_settings.path("registry.ini"))
    {
        WriteDefaultPreferences(m_store);
        m_program.mkdir("Logs");
        m_program.mkdir("AutoBackups");
    }

    void writeEveryLogbook(const QByteArray &tag) const
    {
        for (int n = 0; n < kBackupLogbooks; ++n)
            m_program.write(logName(n), tag + " log " + QByteArray::number(n));
    }
    void writeData(const QByteArray &tag) const
    {
        writeEveryLogbook(tag);
        m_program.write("Logs/cle.dat", tag + " session");
        m_program.write("ndb.dat", tag + " database");
    }

    BackupSetRun backup(bool logbooks, bool session, bool preferences)
    {
        return BackupToFolder(m_program.folder(), m_drive.root(), {logbooks, session, preferences}, someNames(),
                              m_store);
    }
    BackupSetRun restore(bool logbooks, bool session, bool preferences)
    {
        return RestoreFromFolder(m_program.folder(), m_drive.root(), {logbooks, session, preferences}, someNames(),
                                 m_store);
    }

    TestFolder m_program;
    TestFolder m_drive;
    TestFolder m_settings;
    RegistryStore m_store;
};

// ---------------------------------------------------------------------------------
// Backup

TEST_F(BackupSetTest, EachChoiceWritesItsCopiesAndItsLines)
{
    writeData("now");
    const struct { bool logbooks, session, preferences; QStringList lines, copies; } cases[] = {
        {false, false, false, {}, {}}, {false, false, true, {"Registry Backed Up"}, {"Reg.bak"}},
        {false, true, false, {"CLE/Session File - Backed Up", "Master Database - Backed Up"}, {"cle.bak", "ndb.bak"}},
    };
    for (const auto &c : cases) {
        TestFolder drive;
        const BackupSetRun run = BackupToFolder(m_program.folder(), drive.root(),
                                                {c.logbooks, c.session, c.preferences}, someNames(), m_store);
        EXPECT_FALSE(run.failed());
        EXPECT_EQ(run.statusLines, c.lines);
        EXPECT_EQ(entriesOf(drive.root()), c.copies);
    }
}

TEST_F(BackupSetTest, CopiesHoldTheFilesAndTheSettings)
{
    writeData("now");
    ASSERT_FALSE(backup(false, true, true).failed());
    EXPECT_EQ(m_drive.read("Reg.bak").count("\r\n"), kRegistryBackupLines);
    EXPECT_EQ(m_drive.read("cle.bak"), "now session");
    EXPECT_EQ(m_drive.read("ndb.bak"), "now database");
}

TEST_F(BackupSetTest, LogbooksAreListedByLocationNameWithTheDatabaseLast)
{
    writeData("now");
    m_program.write("Logs/cle.dat", "untouched");
    QFile::remove(m_program.path(logName(5)));

    const BackupSetRun run = backup(true, false, false);

    ASSERT_FALSE(run.failed());
    ASSERT_EQ(run.statusLines.size(), kBackupLogbooks + 1);
    EXPECT_EQ(run.statusLines[0], "Home Log File - Backed Up");
    EXPECT_EQ(run.statusLines[3], QString::fromUtf8("Cottage \u00e9t\u00e9 Log File - Backed Up"));
    EXPECT_EQ(run.statusLines[5], "Empty Log File - NOT Backed Up");
    EXPECT_EQ(run.statusLines[15], "Empty Log File - Backed Up");
    EXPECT_EQ(run.statusLines.last(), "Master Database - Backed Up");
    for (int n = 0; n < kBackupLogbooks; ++n) {
        if (n != 5) {
            EXPECT_EQ(m_drive.read(QStringLiteral("log%1.bak").arg(n)), "now log " + QByteArray::number(n));
        }
    }
    EXPECT_FALSE(m_drive.exists("log5.bak"));
    EXPECT_FALSE(m_drive.exists("cle.bak"));
}

TEST_F(BackupSetTest, SecondBackupReplacesTheCopiesAndKeepsTheCopyOfAVanishedLogbook)
{
    writeData("first");
    ASSERT_FALSE(backup(true, true, false).failed());
    writeData("second, longer than the first");
    QFile::remove(m_program.path(logName(7)));

    const BackupSetRun run = backup(true, true, false);

    ASSERT_FALSE(run.failed());
    EXPECT_EQ(run.statusLines[7], "Empty Log File - NOT Backed Up");
    EXPECT_EQ(m_drive.read("log7.bak"), "first log 7");
    EXPECT_EQ(m_drive.read("log6.bak"), "second, longer than the first log 6");
    EXPECT_EQ(m_drive.read("cle.bak"), "second, longer than the first session");
    EXPECT_EQ(m_drive.read("ndb.bak"), "second, longer than the first database");
}

TEST_F(BackupSetTest, MissingSourcesHaveTheirOwnLines)
{
    m_drive.write("ndb.bak", "older database");
    const BackupSetRun run = backup(false, true, false);
    EXPECT_FALSE(run.failed());
    EXPECT_EQ(run.statusLines, (QStringList{"CLE/Session File - Not found", "Master Database - NOT Backed Up"}));
    EXPECT_EQ(m_drive.read("ndb.bak"), "older database");
    EXPECT_FALSE(m_drive.exists("cle.bak"));
}

TEST_F(BackupSetTest, FailingCopyAbortsAndKeepsTheTargetFile)
{
    writeData("new");
    m_drive.write("log3.bak", "old log 3");
    m_drive.write("ndb.bak", "old database");
    m_drive.mkdir("log3.bak.tmp"); // the copy's temporary name is taken by a folder

    const BackupSetRun run = backup(true, true, true);

    ASSERT_TRUE(run.failed());
    EXPECT_EQ(run.statusLines, (QStringList{"Home Log File - Backed Up", "Empty Log File - Backed Up",
                                            "Empty Log File - Backed Up"}));
    EXPECT_EQ(m_drive.read("log3.bak"), "old log 3");
    EXPECT_EQ(m_drive.read("ndb.bak"), "old database");
    EXPECT_FALSE(m_drive.exists("log4.bak"));
    EXPECT_FALSE(m_drive.exists("cle.bak"));
    EXPECT_FALSE(m_drive.exists("Reg.bak"));
    const QString text = backupAbortedText(run.error);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Error # %1: ").arg(run.error.number))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(". Backup aborted.")) << text.toStdString();
}

TEST_F(BackupSetTest, SettingsFailureIsListedAndTheRunGoesOn)
{
    writeData("now");
    m_drive.mkdir("Reg.bak"); // a folder where the file would go
    const BackupSetRun run = backup(false, true, true);
    EXPECT_FALSE(run.failed());
    EXPECT_EQ(run.statusLines,
              (QStringList{"CLE/Session File - Backed Up", "Registry Backup Error",
                           "Error # 75: Path/File access error (" + m_drive.path("Reg.bak") + " is a folder)",
                           "Master Database - Backed Up"}));
    EXPECT_TRUE(run.registryError.failed());
}

TEST_F(BackupSetTest, CopyOnTheTargetIsReplacedInTheSpellingItHas)
{
    writeData("new");
    m_drive.write("NDB.BAK", "old database");
    m_drive.write("Cle.Bak", "old session");
    ASSERT_FALSE(backup(false, true, false).failed());
    EXPECT_EQ(entriesOf(m_drive.root()), (QStringList{"Cle.Bak", "NDB.BAK"}));
    EXPECT_EQ(m_drive.read("NDB.BAK"), "new database");
    EXPECT_EQ(m_drive.read("Cle.Bak"), "new session");
}

TEST_F(BackupSetTest, MissingTargetFolderAbortsBeforeAnyStep)
{
    writeData("now");
    const BackupSetRun run = BackupToFolder(m_program.folder(), m_drive.path("gone"), {true, true, true},
                                            someNames(), m_store);
    EXPECT_EQ(run.error.number, 76);
    EXPECT_TRUE(run.statusLines.isEmpty());
}

TEST_F(BackupSetTest, ProgramFolderAndItsAutoBackupsCannotHoldABackupSet)
{
    writeData("now");
    for (const QString &root : {m_program.root(), m_program.path("AutoBackups"), m_program.root() + "/Logs/.."}) {
        const QStringList before = entriesOf(root);
        const BackupSetRun out = BackupToFolder(m_program.folder(), root, {true, true, true}, someNames(), m_store);
        EXPECT_TRUE(out.failed()) << root.toStdString();
        EXPECT_TRUE(out.statusLines.isEmpty());
        const BackupSetRun in = RestoreFromFolder(m_program.folder(), root, {true, true, true}, someNames(), m_store);
        EXPECT_TRUE(in.failed()) << root.toStdString();
        EXPECT_FALSE(in.autoBackupTaken);
        EXPECT_EQ(entriesOf(root), before);
    }
    EXPECT_FALSE(m_program.exists("ndb.bak"));
}

// ---------------------------------------------------------------------------------
// Restore

TEST_F(BackupSetTest, PartialSetRestoresWhatItHoldsAndNamesTheRest)
{
    writeData("current");
    m_drive.write("log0.bak", "saved log 0");
    m_drive.write("log3.bak", "saved log 3");

    const BackupSetRun run = restore(true, false, false);

    ASSERT_FALSE(run.failed());
    ASSERT_EQ(run.statusLines.size(), kBackupLogbooks + 1);
    EXPECT_EQ(run.statusLines[0], "Restored Home log.");
    EXPECT_EQ(run.statusLines[1], "Unable to restore Empty log.");
    EXPECT_EQ(run.statusLines[3], QString::fromUtf8("Restored Cottage \u00e9t\u00e9 log."));
    EXPECT_EQ(run.statusLines.last(), "Master Database not found.");
    EXPECT_FALSE(run.databaseRestored);
    EXPECT_EQ(m_program.read(logName(0)), "saved log 0");
    EXPECT_EQ(m_program.read(logName(3)), "saved log 3");
    EXPECT_EQ(m_program.read(logName(1)), "current log 1");
    EXPECT_EQ(m_program.read("ndb.dat"), "current database");
}

TEST_F(BackupSetTest, RestoreTakesTheAutomaticBackupFirst)
{
    writeData("before");
    m_drive.write("log2.bak", "saved log 2");
    m_drive.write("cle.bak", "saved session");
    m_drive.write("ndb.bak", "saved database");

    const BackupSetRun run = restore(true, true, false);

    ASSERT_FALSE(run.failed());
    EXPECT_TRUE(run.autoBackupTaken);
    EXPECT_EQ(m_program.read("AutoBackups/log2.bak"), "before log 2");
    EXPECT_EQ(m_program.read("AutoBackups/cle.bak"), "before session");
    EXPECT_EQ(m_program.read("ndb.bak"), "before database");
    EXPECT_EQ(m_program.read(logName(2)), "saved log 2");
    EXPECT_EQ(m_program.read("Logs/cle.dat"), "saved session");
    EXPECT_EQ(m_program.read("ndb.dat"), "saved database");
    EXPECT_TRUE(run.databaseRestored);
    EXPECT_EQ(run.statusLines.mid(kBackupLogbooks),
              (QStringList{"Restored CLE/Session file.", "Master Database restored."}));
}

TEST_F(BackupSetTest, SessionRestoreWithoutItsCopySaysSo)
{
    writeData("current");
    const BackupSetRun run = restore(false, true, false);
    ASSERT_FALSE(run.failed());
    EXPECT_EQ(run.statusLines, (QStringList{"Unable to restore CLE/Session file.", "Master Database not found."}));
    EXPECT_EQ(m_program.read("Logs/cle.dat"), "current session");
}

TEST_F(BackupSetTest, PreferencesAloneTouchNoDataButStillTakeTheAutomaticBackup)
{
    writeData("current");
    m_store.SetRegistryValue(RegistryKeys::UserInfo, kRegistryString, "User Name", "Saved Name");
    ASSERT_FALSE(backup(false, false, true).failed());
    m_store.SetRegistryValue(RegistryKeys::UserInfo, kRegistryString, "User Name", "Changed Since");
    m_drive.write("log0.bak", "saved log 0");
    m_drive.write("ndb.bak", "saved database");

    const BackupSetRun run = restore(false, false, true);

    ASSERT_FALSE(run.failed());
    EXPECT_EQ(run.statusLines, QStringList{"Registry Restored"});
    EXPECT_EQ(run.RegistryRestored, true);
    EXPECT_EQ(m_store.GetRegistryValue(RegistryKeys::UserInfo, "User Name"), "Saved Name");
    EXPECT_EQ(m_program.read(logName(0)), "current log 0");
    EXPECT_EQ(m_program.read("ndb.dat"), "current database");
    EXPECT_EQ(m_program.read("ndb.bak"), "current database");
    EXPECT_EQ(m_program.read("AutoBackups/log0.bak"), "current log 0");
}

TEST_F(BackupSetTest, SettingsFileIsFoundWhateverItsCase)
{
    ASSERT_FALSE(backup(false, false, true).failed());
    ASSERT_TRUE(QFile::rename(m_drive.path("Reg.bak"), m_drive.path("REG.BAK")));
    const BackupSetRun run = restore(false, false, true);
    EXPECT_EQ(run.statusLines, QStringList{"Registry Restored"});
    EXPECT_EQ(run.RegistryRestored, true);
}

TEST_F(BackupSetTest, MissingSettingsFileIsListedAndTheRunGoesOn)
{
    writeData("current");
    m_drive.write("ndb.bak", "saved database");
    const BackupSetRun run = restore(false, true, true);
    ASSERT_FALSE(run.failed());
    EXPECT_EQ(run.statusLines, (QStringList{"Unable to restore CLE/Session file.", "Registry Restore Error",
                                            run.registryError.messageText(), "Master Database restored."}));
    EXPECT_EQ(run.RegistryRestored, false);
    EXPECT_EQ(run.registryError.number, 53) << "the cause is listed under the error line";
}

TEST_F(BackupSetTest, FailingRestoreCopyAbortsAndKeepsTheProgramFile)
{
    writeData("current");
    for (int n = 0; n < kBackupLogbooks; ++n)
        m_drive.write(QStringLiteral("log%1.bak").arg(n), "saved log " + QByteArray::number(n));
    m_drive.write("ndb.bak", "saved database");
    m_program.mkdir("Logs/log1.dat.tmp");

    const BackupSetRun run = restore(true, false, true);

    ASSERT_TRUE(run.failed());
    EXPECT_EQ(run.statusLines, QStringList{"Restored Home log."});
    EXPECT_EQ(m_program.read(logName(0)), "saved log 0");
    EXPECT_EQ(m_program.read(logName(1)), "current log 1");
    EXPECT_EQ(m_program.read(logName(2)), "current log 2");
    EXPECT_EQ(m_program.read("ndb.dat"), "current database");
    EXPECT_FALSE(run.RegistryRestored.has_value()); // the settings step never ran
    EXPECT_TRUE(restoreAbortedText(run.error).endsWith(". Restore aborted."));
}

TEST_F(BackupSetTest, FailingAutomaticBackupStopsTheRestoreBeforeAnyChange)
{
    writeData("current");
    m_drive.write("log0.bak", "saved log 0");
    m_drive.write("ndb.bak", "saved database");
    m_program.mkdir("AutoBackups/log9.bak.tmp");

    const BackupSetRun run = restore(true, true, true);

    ASSERT_TRUE(run.failed());
    EXPECT_FALSE(run.autoBackupTaken);
    EXPECT_TRUE(run.statusLines.isEmpty());
    EXPECT_EQ(m_program.read(logName(0)), "current log 0");
    EXPECT_EQ(m_program.read("ndb.dat"), "current database");
}

TEST_F(BackupSetTest, BackupThenRestoreBringsEveryFileBack)
{
    writeData("saved");
    ASSERT_FALSE(backup(true, true, true).failed());
    writeData("changed afterwards");
    QFile::remove(m_program.path(logName(9)));

    const BackupSetRun run = restore(true, true, true);

    ASSERT_FALSE(run.failed());
    for (int n = 0; n < kBackupLogbooks; ++n)
        EXPECT_EQ(m_program.read(logName(n)), "saved log " + QByteArray::number(n)) << n;
    EXPECT_EQ(m_program.read("Logs/cle.dat"), "saved session");
    EXPECT_EQ(m_program.read("ndb.dat"), "saved database");
    EXPECT_EQ(run.RegistryRestored, true);
}

TEST_F(BackupSetTest, AbortTextsEndWithTheirRun)
{
    const FileError err{61, QStringLiteral("Disk full")};
    EXPECT_EQ(backupAbortedText(err), "Error # 61: Disk full. Backup aborted.");
    EXPECT_EQ(restoreAbortedText(err), "Error # 61: Disk full. Restore aborted.");
}

} // namespace
} // namespace qern
