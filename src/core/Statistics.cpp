#include "Statistics.h"

#include <cstring>

#include "BeaconRecord.h"
#include "NumberText.h"

namespace qern {

namespace {

constexpr qint64 kEventsAtRecord = 5000;

// Only the two plain fields are looked at; nothing is decoded. Both lie in the last
// eight bytes of a record, read in one load. Most beacons were never logged: their
// mask, "0" and blanks as the writers store it, is known by its bytes.
void countRecords(QByteArrayView records, std::array<qint64, kStatisticsLocations> &loggedCounts,
                  qint64 &sessionCount)
{
    constexpr qsizetype kTailAt = BeaconRecord::Length - 8;
    constexpr int kMaskShift = 8 * (layoutOf(BeaconField::LoggedMask).offset - kTailAt);
    constexpr int kMarkShift = 8 * (layoutOf(BeaconField::CLEMark).offset - kTailAt);
    static_assert(layoutOf(BeaconField::LoggedMask).width == 5 && kMaskShift + 40 == kMarkShift);
    constexpr quint64 kMaskBytes = 0xFFFFFFFFFFull << kMaskShift;
    constexpr quint64 kNeverLogged = 0x2020202030ull << kMaskShift; // "0    "
    qint64 marked = 0;
    for (qsizetype at = 0; at < records.size(); at += BeaconRecord::Length) {
        quint64 tail;
        std::memcpy(&tail, records.data() + at + kTailAt, sizeof tail);
        if ((tail & kMaskBytes) != kNeverLogged) {
            const quint32 mask = storedLoggedMask(records.sliced(at, BeaconRecord::Length));
            for (int i = 0; i < kStatisticsLocations; ++i)
                loggedCounts[i] += (mask >> i) & 1u;
        }
        marked += ((tail >> kMarkShift) & 0xFF) == 'z';
    }
    sessionCount += marked;
}

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

// The statistics walk, feeding the integrity check the same records when one is given.
DatabaseStatistics walkDatabase(const ProgramFolder &folder,
                                const std::array<QByteArray, kStatisticsLocations> &locationNames,
                                int currentLocation, const std::function<void()> &letEventsRun,
                                IntegrityTally *tally, FileError *tallyError)
{
    DatabaseStatistics stats;
    const QString path = databasePath(folder);
    if (!fileExists(path)) {
        stats.databaseMissing = true;
    } else {
        std::array<qint64, kStatisticsLocations> counts{};
        stats.readError = forEachRecordBlock(path, BeaconRecord::Length, [&](qint64 first, QByteArrayView records) {
            const qint64 last = first + records.size() / BeaconRecord::Length - 1;
            if (first <= kEventsAtRecord && kEventsAtRecord <= last && letEventsRun)
                letEventsRun();
            if (tally)
                tally->add(records);
            countRecords(records, counts, stats.sessionCount);
            stats.RecordCount = last;
            return true;
        });
        // A check that stopped at a damaged record read no further, so never met a later failure.
        if (tallyError && !tally->stopped())
            *tallyError = stats.readError;
        if (stats.readError) {
            stats.RecordCount = 0;
            stats.sessionCount = 0;
        } else {
            stats.loggedCounts = counts;
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
    return walkDatabase(folder, locationNames, currentLocation, letEventsRun, nullptr, nullptr);
}

CheckedStatistics CheckAndGatherStatistics(const ProgramFolder &folder,
                                           const std::array<QByteArray, kStatisticsLocations> &locationNames,
                                           int currentLocation, qint64 recordCountBefore,
                                           const std::function<void()> &letEventsRun)
{
    if (!fileExists(databasePath(folder)))
        return {CheckDatabaseIntegrity(folder, recordCountBefore),
                GatherDatabaseStatistics(folder, locationNames, currentLocation, letEventsRun)};
    IntegrityTally tally;
    FileError tallyError;
    CheckedStatistics checked;
    checked.statistics = walkDatabase(folder, locationNames, currentLocation, letEventsRun, &tally, &tallyError);
    checked.integrity = tally.result(fileLength(databasePath(folder)), tallyError);
    return checked;
}

} // namespace qern
