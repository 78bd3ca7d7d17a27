#include "AutoBackup.h"

#include <QDir>

#include "BeaconDatabase.h"
#include "LogRecords.h"

namespace qern {

FileError AutoBackupFiles(const ProgramFolder &folder)
{
    const QString backups = folder.path(QStringLiteral("AutoBackups"));
    FileError folderError;
    if (!folderExists(backups) && !QDir().mkpath(backups))
        folderError = FileError::pathNotFound(backups + QStringLiteral("/cle.bak"));

    QList<CopyOrder> copies = {{databasePath(folder), folder.path(QStringLiteral("ndb.bak"))},
                               {sessionLogPath(folder), folder.path(QStringLiteral("AutoBackups/cle.bak"))}};
    for (int n = 0; n < 16; ++n)
        copies.append({logbookPath(folder, n), folder.path(QStringLiteral("AutoBackups/log%1.bak").arg(n))});
    // A missing source keeps its old copy: it may be the last copy of a file that has
    // vanished.
    const bool database = fileExists(copies.front().source);
    copies.removeIf([](const CopyOrder &copy) { return !fileExists(copy.source); });

    const QList<FileError> errors = copyFilesUnlessSame(copies);
    // The first failure in the order of the files, the folder's after ndb.bak's.
    FileError first;
    auto keepFirst = [&first](const FileError &err) {
        if (err && !first)
            first = err;
    };
    qsizetype next = 0;
    if (database)
        keepFirst(errors[next++]);
    keepFirst(folderError);
    for (; next < errors.size(); ++next)
        keepFirst(errors[next]);
    return first;
}

} // namespace qern
