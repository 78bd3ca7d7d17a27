#include "BackupSet.h"

#include <QFileInfo>

#include "BeaconDatabase.h"
#include "FileChange.h"
#include "LogRecords.h"
#include "PathChoice.h"
#include "RegistryBackup.h"
#include "RegistryStore.h"
#include "Text.h"

namespace qern {

namespace {

// A file of the set in root, in the spelling it already has there.
QString inRoot(const QString &root, const QString &name)
{
    return joinFolderAndName(root, resolveEntryName(root, name));
}

QString logbookBackupName(int n)
{
    return QStringLiteral("log%1.bak").arg(n);
}

QString nameOf(const LogbookNames &names, int n)
{
    return fromWindows1252(names[n]);
}

bool sameFolder(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// Checks shared by both directions, before anything is read or written.
FileError checkRootBeforeRun(const ProgramFolder &folder, const QString &root)
{
    if (FileError err = checkBackupRoot(folder, root))
        return err;
    if (!folderExists(root))
        return FileError::pathNotFound(root);
    return {};
}

bool anyChosen(const BackupComponents &c)
{
    return c.logbooks || c.session || c.preferences;
}

// Every file the restore would replace, named to the change that checks them all
// (and the folders they are renamed in) before the first is replaced: a read-only one
// stops the restore with nothing changed. Files without a copy in the set stay.
void nameRestoreTargets(FileChange &change, const ProgramFolder &folder, const QString &root,
                        const BackupComponents &c, const RegistryStore &store)
{
    QList<std::pair<QString, QString>> copies; // set file, program file, in the order of the steps
    if (c.logbooks) {
        for (int n = 0; n < kBackupLogbooks; ++n)
            copies.append({logbookBackupName(n), logbookPath(folder, n)});
    }
    if (c.session)
        copies.append({QStringLiteral("cle.bak"), sessionLogPath(folder)});
    if (c.preferences)
        copies.append({QStringLiteral("reg.bak"), store.filePath()});
    if (c.logbooks || c.session)
        copies.append({QStringLiteral("ndb.bak"), databasePath(folder)});
    for (const auto &[setFile, programFile] : copies) {
        if (fileExists(inRoot(root, setFile)))
            change.replaces(programFile);
    }
}

} // namespace

QString backupAbortedText(const FileError &error)
{
    return error.messageText() + QStringLiteral(". Backup aborted.");
}

QString restoreAbortedText(const FileError &error)
{
    return error.messageText() + QStringLiteral(". Restore aborted.");
}

FileError checkBackupRoot(const ProgramFolder &folder, const QString &root)
{
    if (sameFolder(root, folder.root()) || sameFolder(root, folder.path(QStringLiteral("AutoBackups"))))
        return FileError::refused(QStringLiteral("The program folder cannot hold a backup set (%1)").arg(root));
    return {};
}

BackupSetRun BackupToFolder(const ProgramFolder &folder, const QString &root, const BackupComponents &components,
                            const LogbookNames &names, const RegistryStore &store)
{
    BackupSetRun run;
    if (!anyChosen(components))
        return run;
    if ((run.error = checkRootBeforeRun(folder, root)))
        return run;

    bool dataChosen = false;
    if (components.logbooks) {
        dataChosen = true;
        for (int n = 0; n < kBackupLogbooks; ++n) {
            const QString source = logbookPath(folder, n);
            if (!fileExists(source)) {
                // An older copy on the target stays as it is.
                run.statusLines << nameOf(names, n) + QStringLiteral(" Log File - NOT Backed Up");
                continue;
            }
            if ((run.error = copyFileSafely(source, inRoot(root, logbookBackupName(n)))))
                return run;
            run.statusLines << nameOf(names, n) + QStringLiteral(" Log File - Backed Up");
        }
    }

    if (components.session) {
        dataChosen = true;
        const QString source = sessionLogPath(folder);
        if (fileExists(source)) {
            if ((run.error = copyFileSafely(source, inRoot(root, QStringLiteral("cle.bak")))))
                return run;
            run.statusLines << QStringLiteral("CLE/Session File - Backed Up");
        } else {
            run.statusLines << QStringLiteral("CLE/Session File - Not found");
        }
    }

    if (components.preferences) {
        run.statusLines << BackupRegistry(store, inRoot(root, QStringLiteral("Reg.bak")), &run.registryError);
        if (run.registryError)
            run.statusLines << run.registryError.messageText();
    }

    if (dataChosen) {
        const QString source = databasePath(folder);
        if (fileExists(source)) {
            if ((run.error = copyFileSafely(source, inRoot(root, QStringLiteral("ndb.bak")))))
                return run;
            run.statusLines << QStringLiteral("Master Database - Backed Up");
        } else {
            // Also when the target holds an older ndb.bak: that copy stays, and the
            // list says the database was not backed up this time.
            run.statusLines << QStringLiteral("Master Database - NOT Backed Up");
        }
    }
    return run;
}

BackupSetRun RestoreFromFolder(const ProgramFolder &folder, const QString &root,
                               const BackupComponents &components, const LogbookNames &names,
                               RegistryStore &store)
{
    BackupSetRun run;
    if (anyChosen(components) && (run.error = checkRootBeforeRun(folder, root)))
        return run;
    // A failing step keeps the steps before it, as the list shows them: the automatic
    // backup holds the files as they were.
    FileChange change(folder);
    if (anyChosen(components))
        nameRestoreTargets(change, folder, root, components, store);
    if ((run.error = change.begin()))
        return run;
    run.autoBackupTaken = true;

    bool dataChosen = false;
    if (components.logbooks) {
        dataChosen = true;
        for (int n = 0; n < kBackupLogbooks; ++n) {
            const QString source = inRoot(root, logbookBackupName(n));
            if (!fileExists(source)) {
                run.statusLines << QStringLiteral("Unable to restore ") + nameOf(names, n) + QStringLiteral(" log.");
                continue;
            }
            if ((run.error = change.copyFile(source, logbookPath(folder, n))))
                return run;
            run.statusLines << QStringLiteral("Restored ") + nameOf(names, n) + QStringLiteral(" log.");
        }
    }

    if (components.session) {
        dataChosen = true;
        const QString source = inRoot(root, QStringLiteral("cle.bak"));
        if (!fileExists(source)) {
            run.statusLines << QStringLiteral("Unable to restore CLE/Session file.");
        } else {
            if ((run.error = change.copyFile(source, sessionLogPath(folder))))
                return run;
            run.statusLines << QStringLiteral("Restored CLE/Session file.");
        }
    }

    if (components.preferences) {
        RestoreResult settings = RestoreRegistry(store, inRoot(root, QStringLiteral("reg.bak")));
        run.statusLines << settings.statusLine;
        // Why it failed, or where the damaged settings it replaced were kept.
        if (settings.error)
            run.statusLines << settings.error.messageText();
        if (!settings.damagedFileKeptAs.isEmpty())
            run.statusLines << damagedSettingsKeptText(settings.damagedFileKeptAs);
        run.RegistryRestored = settings.RegistryRestored;
        run.registryError = std::move(settings.error);
    }

    if (dataChosen) {
        const QString source = inRoot(root, QStringLiteral("ndb.bak"));
        if (!fileExists(source)) {
            run.statusLines << QStringLiteral("Master Database not found.");
        } else {
            if ((run.error = change.copyFile(source, databasePath(folder))))
                return run;
            run.databaseRestored = true;
            run.statusLines << QStringLiteral("Master Database restored.");
        }
    }
    return run;
}

} // namespace qern
