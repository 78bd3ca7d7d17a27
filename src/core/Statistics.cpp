#include "Statistics.h"

#include "BeaconRecord.h"
#include "NumberText.h"

namespace qern {

namespace {

constexpr qint64 kEventsAtRecord = 5000;

void buildTexts(const std::array<QByteArray, kStatisticsLocations> &names, DatabaseStatistics &stats)
{
    stats.StatisticsText1 = "Number of beacons in main database - " + signedText(stats.RecordCount) + '\r';
    stats.StatisticsText2 = "Number of logged beacons \r\r";
    for (int i = 0; i < kStatisticsLocations; ++i) {
        const QByteArray count = signedText(stats.loggedCounts[i]);
        if (names[i] != "Empty")
            stats.StatisticsText2 += "      " + names[i] + " - " + count + '\r';
        stats.chklogCaptions[i] = names[i] + " - " + count + " entries";
        stats.chklogVisible[i] = stats.loggedCounts[i] != 0;
    }
    stats.StatisticsText3 = "Number of beacons in CLE log - " + signedText(stats.sessionCount);
}

// The statistics walk over ndb.dat at path, feeding the integrity check the same
// records when one is given.
DatabaseStatistics walkDatabase(const QString &path, const std::array<QByteArray, kStatisticsLocations> &locationNames,
                                int currentLocation, const std::function<void()> &letEventsRun,
                                IntegrityTally *tally, FileError *tallyError)
{
    DatabaseStatistics stats;
    if (isMissing(path)) {
        stats.databaseMissing = true;
    } else {
        LoggedCounts counts;
        stats.readError = forEachRecordBlock(path, BeaconRecord::Length, [&](qint64 first, QByteArrayView records) {
            const qint64 last = first + records.size() / BeaconRecord::Length - 1;
            if (first <= kEventsAtRecord && kEventsAtRecord <= last && letEventsRun)
                letEventsRun();
            if (tally)
                tally->add(records, counts);
            else
                counts.add(records);
            stats.RecordCount = last;
            return true;
        });
        // A check that stopped at a damaged record read no further, so never met a later failure.
        if (tallyError && !tally->stopped())
            *tallyError = stats.readError;
        if (stats.readError) {
            stats.RecordCount = 0;
        } else {
            stats.loggedCounts = counts.locations;
            stats.sessionCount = counts.inSession;
            // The count is the file's, also when its last record is cut short.
            stats.RecordCount = recordCountForLength(fileLength(path), BeaconRecord::Length);
            for (qint64 count : stats.loggedCounts)
                stats.loggedTotal += count;
            const bool validLocation = currentLocation >= 0 && currentLocation < kStatisticsLocations;
            stats.LoggedCountHere = validLocation ? stats.loggedCounts[currentLocation] : 0;
            stats.cmdDeleteEnabled = stats.loggedTotal != 0;
            stats.cmdViewLogEnabled = *stats.LoggedCountHere != 0;
            stats.cmdViewSessionEnabled = stats.sessionCount != 0;
        }
    }
    buildTexts(locationNames, stats);
    return stats;
}

} // namespace

DatabaseStatistics GatherDatabaseStatistics(const ProgramFolder &folder,
                                            const std::array<QByteArray, kStatisticsLocations> &locationNames,
                                            int currentLocation, const std::function<void()> &letEventsRun)
{
    return walkDatabase(databasePath(folder), locationNames, currentLocation, letEventsRun, nullptr, nullptr);
}

CheckedStatistics CheckAndGatherStatistics(const ProgramFolder &folder,
                                           const std::array<QByteArray, kStatisticsLocations> &locationNames,
                                           int currentLocation, qint64 recordCountBefore,
                                           const std::function<void()> &letEventsRun)
{
    const QString path = databasePath(folder);
    if (isMissing(path))
        return {CheckDatabaseIntegrity(folder, recordCountBefore),
                GatherDatabaseStatistics(folder, locationNames, currentLocation, letEventsRun)};
    IntegrityTally tally;
    FileError tallyError;
    CheckedStatistics checked;
    checked.statistics = walkDatabase(path, locationNames, currentLocation, letEventsRun, &tally, &tallyError);
    checked.integrity = tally.result(fileLength(path), tallyError);
    return checked;
}

} // namespace qern
