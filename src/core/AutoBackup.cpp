#include "AutoBackup.h"

#include <QDir>

#include "BeaconDatabase.h"
#include "LogRecords.h"

namespace qern {

namespace {

// Replaces copy with a complete new copy of source, unless it already is one. When
// source is missing the old copy stays: it may be the last copy of a file that has
// vanished.
FileError backUpOne(const QString &source, const QString &copy)
{
    if (!fileExists(source))
        return {};
    return copyFileUnlessSame(source, copy);
}

} // namespace

FileError AutoBackupFiles(const ProgramFolder &folder)
{
    FileError first;
    auto keepFirst = [&first](FileError err) {
        if (err && !first)
            first = std::move(err);
    };

    keepFirst(backUpOne(databasePath(folder), folder.path(QStringLiteral("ndb.bak"))));

    const QString backups = folder.path(QStringLiteral("AutoBackups"));
    if (!folderExists(backups) && !QDir().mkpath(backups))
        keepFirst(FileError::pathNotFound(backups + QStringLiteral("/cle.bak")));
    keepFirst(backUpOne(sessionLogPath(folder), folder.path(QStringLiteral("AutoBackups/cle.bak"))));
    for (int n = 0; n < 16; ++n) {
        keepFirst(backUpOne(logbookPath(folder, n),
                            folder.path(QStringLiteral("AutoBackups/log%1.bak").arg(n))));
    }
    return first;
}

} // namespace qern
