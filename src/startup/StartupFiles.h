#pragma once
// What the start-up window makes sure of before anything else: the tables loaded, the
// folders Logs and AutoBackups, and an (empty) logbook for each of the 16 locations.
// Nothing here shows a message: each failure comes back as the text to show.

#include <QStringList>

#include "ProgramFolder.h"

namespace qern {

struct SharedState;

// Loads State.dat and Country.dat of the program folder into the shared tables. A
// file that is missing or cannot be read leaves its table empty.
QStringList loadLookupTables(SharedState &state);

// Creates Logs and AutoBackups when no folder of that name (in any letter case)
// exists, then every missing Logs/log<N>.dat, empty. Existing files are not touched.
QStringList ensureDataFolders(const ProgramFolder &folder);

} // namespace qern
