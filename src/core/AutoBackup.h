#pragma once
// The automatic backup taken before any command changes the database or a log:
// exactly one previous copy of each file.
//
//   ndb.dat           -> ndb.bak               (program folder)
//   Logs/cle.dat      -> AutoBackups/cle.bak
//   Logs/log<N>.dat   -> AutoBackups/log<N>.bak  N = 0 .. 15
//
// Each copy is written beside the old copy, synced and renamed over it, so an old copy
// is only ever replaced by a complete new one. The new copies are all written before
// the first is synced, and all synced before the first is renamed; each folder is
// synced once, after its renames, before this returns. A copy that already holds its source's
// bytes is left as it is, neither rewritten nor synced (it was synced when it was
// made): between two commands most files do not change. A missing source keeps its
// old copy: that copy may be all that is left of the file.
// After a failure the remaining files are still copied (each one is either the new
// complete copy or the old one), and the first failure is returned: the caller then
// shows "Error # n: description" titled "Error" and changes nothing.

#include "FileIo.h"
#include "ProgramFolder.h"

namespace qern {

FileError AutoBackupFiles(const ProgramFolder &folder);

} // namespace qern
