#include "Statistics.h"

#include "BeaconDatabase.h"
#include "BeaconRecord.h"
#include "NumberText.h"

namespace qern {

namespace {

constexpr qint64 kEventsAtRecord = 5000;

// The mask as BeaconRecord::loggedMask() reads it. A field of digits and blanks (what
// the writers store) is read in place; anything else takes the record's own rule.
quint32 maskOf(QByteArrayView bytes)
{
    const FieldLayout mask = layoutOf(BeaconField::LoggedMask);
    quint32 value = 0;
    for (char c : bytes.sliced(mask.offset, mask.width)) {
        if (c >= '0' && c <= '9')
            value = value * 10 + quint32(c - '0');
        else if (c != ' ')
            return BeaconRecord::fromBytes(bytes).loggedMask();
    }
    return value;
}

// Only the two plain fields are looked at; nothing is decoded.
void countRecord(QByteArrayView bytes, DatabaseStatistics &stats)
{
    const quint32 mask = maskOf(bytes);
    for (int i = 0; i < kStatisticsLocations; ++i) {
        if (mask & (1u << i))
            ++stats.loggedCounts[i];
    }
    if (bytes[layoutOf(BeaconField::CLEMark).offset] == 'z')
        ++stats.sessionCount;
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

} // namespace

DatabaseStatistics GatherDatabaseStatistics(const ProgramFolder &folder,
                                            const std::array<QByteArray, kStatisticsLocations> &locationNames,
                                            int currentLocation, const std::function<void()> &letEventsRun)
{
    DatabaseStatistics stats;
    const QString path = databasePath(folder);
    if (!fileExists(path)) {
        stats.databaseMissing = true;
    } else {
        stats.readError = forEachRecord(path, BeaconRecord::Length, [&](qint64 number, QByteArrayView bytes) {
            if (number == kEventsAtRecord && letEventsRun)
                letEventsRun();
            countRecord(bytes, stats);
            stats.RecordCount = number;
            return true;
        });
        if (stats.readError) {
            stats.RecordCount = 0;
            stats.loggedCounts.fill(0);
            stats.sessionCount = 0;
        } else {
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

} // namespace qern
