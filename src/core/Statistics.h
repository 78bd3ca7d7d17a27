#pragma once
// The statistics walk over ndb.dat: records, beacons logged per listening location,
// beacons in the session log, and the texts and enable states the windows show.
// When the integrity check is to run first, CheckAndGatherStatistics gives both from
// one read of the file.

#include <QByteArray>

#include <array>
#include <functional>
#include <optional>

#include "BeaconDatabase.h"
#include "FileIo.h"
#include "ProgramFolder.h"

namespace qern {

inline constexpr int kStatisticsLocations = 16;

struct DatabaseStatistics {
    // No ndb.dat: the caller shows "NDB Database not found. Try restoring from a
    // backup." titled "Missing Database".
    bool databaseMissing = false;
    // ndb.dat exists but could not be read: the caller shows readError.messageText()
    // titled "Error". Counts are then 0 and the commands keep their state, as when missing.
    FileError readError;

    qint64 RecordCount = 0;
    std::array<qint64, kStatisticsLocations> loggedCounts{}; // beacons logged at location i
    qint64 sessionCount = 0;                                 // CLEMark "z"
    qint64 loggedTotal = 0;                                  // sum of loggedCounts

    // Unset when the database was missing or unreadable: LoggedCountHere and the
    // commands below keep their state.
    std::optional<qint64> LoggedCountHere;
    std::optional<bool> cmdViewLogEnabled;
    std::optional<bool> cmdViewSessionEnabled; // and mnuSessionClr
    std::optional<bool> cmdDeleteEnabled;      // frmMasterLogClear.cmdDelete
    bool mnuMasterClearEnabled = true;

    // "Number of beacons in main database - " + signed count + CR.
    QByteArray StatisticsText1;
    // "Number of logged beacons " CR CR, then per location not named "Empty":
    // six blanks, name, " - ", signed count, CR.
    QByteArray StatisticsText2;
    // "Number of beacons in CLE log - " + signed count (no CR).
    QByteArray StatisticsText3;

    // frmMasterLogClear.chklog(i): name, " - ", signed count, " entries"; visible when
    // the count is not 0.
    std::array<QByteArray, kStatisticsLocations> chklogCaptions;
    std::array<bool, kStatisticsLocations> chklogVisible{};
};

// locationNames: frmLocation.cmbListeningLocation.List(i) ("Empty" for an unnamed slot).
// letEventsRun, when given, is called once when the walk reaches record 5000.
DatabaseStatistics GatherDatabaseStatistics(const ProgramFolder &folder,
                                            const std::array<QByteArray, kStatisticsLocations> &locationNames,
                                            int currentLocation,
                                            const std::function<void()> &letEventsRun = {});

struct CheckedStatistics {
    IntegrityResult integrity;   // as CheckDatabaseIntegrity gives it
    DatabaseStatistics statistics; // as GatherDatabaseStatistics gives it afterwards
};

// CheckDatabaseIntegrity(folder, recordCountBefore), then GatherDatabaseStatistics, in
// one read of ndb.dat. The caller reports the check's verdict before the statistics.
CheckedStatistics CheckAndGatherStatistics(const ProgramFolder &folder,
                                           const std::array<QByteArray, kStatisticsLocations> &locationNames,
                                           int currentLocation, qint64 recordCountBefore,
                                           const std::function<void()> &letEventsRun = {});

} // namespace qern
