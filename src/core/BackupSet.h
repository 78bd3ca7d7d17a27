#pragma once
// The user's backup set: the 16 logbooks, the session log, the beacon database and
// the settings, copied to and from one folder of the user's choice (the root of a
// mounted volume, or any folder picked instead).
//
//   Logs/log<N>.dat  <->  <root>/log<N>.bak    N = 0 .. 15
//   Logs/cle.dat     <->  <root>/cle.bak
//   ndb.dat          <->  <root>/ndb.bak       along with the logbooks or the session log
//   the settings     <->  <root>/Reg.bak       (the settings text backup)
//
// Every copy is written beside its target and renamed over it, so a target is only
// ever replaced by a complete copy; a failing step ends the run and the target keeps
// what it held.
// Names on either side are matched without regard to case. A missing source is no
// error: it has its own status line and the run goes on.

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

#include "FileIo.h"
#include "ProgramFolder.h"

namespace qern {

class RegistryStore;

inline constexpr int kBackupLogbooks = 16;

// The three check boxes of the backup and restore windows.
struct BackupComponents {
    bool logbooks = false;    // chkLocation: the 16 logbooks
    bool session = false;     // chkCLE
    bool preferences = false; // chkPreferences: the settings as Reg.bak
};

// frmLocation.cmbListeningLocation.List(N), "Empty" for an unnamed slot (Windows-1252).
using LogbookNames = std::array<QByteArray, kBackupLogbooks>;

struct BackupSetRun {
    // The status lines in order; after a failure, the lines of the steps before it.
    // "Registry Backup Error" and "Registry Restore Error" are followed by their cause;
    // a damaged settings file that a restore replaced, by where it was kept.
    QStringList statusLines;
    // The step that failed; the steps after it did not run.
    FileError error;
    // Why the settings step listed "Registry Backup Error" / "Registry Restore Error"
    // (that step fails on its own and the run goes on).
    FileError registryError;
    // Restore: set when the settings step ran; true when it restored the whole file.
    std::optional<bool> RegistryRestored;
    // Restore: false when the automatic backup failed and nothing was touched.
    bool autoBackupTaken = false;
    // Restore: ndb.dat was replaced by the copy from the set.
    bool databaseRestored = false;

    bool failed() const { return error.failed(); }
};

// "Error # n: description. Backup aborted." / "... Restore aborted."
QString backupAbortedText(const FileError &error);
QString restoreAbortedText(const FileError &error);

// The program folder and its AutoBackups folder cannot hold a backup set: a restore
// from them would read copies that its own automatic backup has just replaced.
FileError checkBackupRoot(const ProgramFolder &folder, const QString &root);

// frmBackup's "Backup": logbooks, session log, settings, then the database when the
// logbooks or the session log were chosen.
BackupSetRun BackupToFolder(const ProgramFolder &folder, const QString &root, const BackupComponents &components,
                            const LogbookNames &names, const RegistryStore &store);

// frmRestore's "Restore", one FileChange: every program file the set has a copy of,
// the settings file among them, is checked with its folder, then the automatic backup
// is taken (a failure of either stops the run before anything changes); then
// logbooks, session log, settings and the database. A later failing step keeps the
// steps before it. The caller recounts the statistics when the run did not fail.
BackupSetRun RestoreFromFolder(const ProgramFolder &folder, const QString &root,
                               const BackupComponents &components, const LogbookNames &names,
                               RegistryStore &store);

} // namespace qern
