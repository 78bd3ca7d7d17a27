#pragma once
// The settings text backup (Reg.bak): 88 lines "label" + value, CR LF, Windows-1252.
// BackupRegistry writes it through a temporary file, so a failed backup keeps the
// previous file. RestoreRegistry reads whole lines, checks and converts every line
// first and writes only when the whole file is good, as one store write: all or nothing.

#include <QByteArray>
#include <QList>
#include <QString>

#include "FileIo.h"
#include "RegistryStore.h"

namespace qern {

inline constexpr int kRegistryBackupLines = 88;

// The lines BackupRegistry would write now, without line ends.
QList<QByteArray> registryBackupLines(const RegistryStore &store);

// Returns the status line: "Registry Backed Up" or "Registry Backup Error" (the file
// could not be written, or the store could not be read and path was left as it is;
// *error, when given, says why).
QString BackupRegistry(const RegistryStore &store, const QString &path, FileError *error = nullptr);

struct RestoreResult {
    QString statusLine;             // "Registry Restored" or "Registry Restore Error"
    bool RegistryRestored = false;  // true only when every line was read and written
    FileError error;                // why, when it failed: the file, a bad line, the store
    QString damagedFileKeptAs;      // the damaged settings file the restore replaced
};

// The file name is matched without regard to case ("reg.bak" finds "Reg.bak"). The file
// must hold every one of the 88 lines with a value that converts; otherwise it is not a
// settings backup and nothing is written. Every value it holds is written, as one file
// write. A settings file that could not be read is replaced, and kept beside it.
RestoreResult RestoreRegistry(RegistryStore &store, const QString &path);

// The status line that says where the replaced settings file was kept.
QString damagedSettingsKeptText(const QString &keptAs);

} // namespace qern
