#include "LogView.h"

#include <QHash>

#include <climits>
#include <cmath>

#include "BeaconDatabase.h"
#include "BeaconRecord.h"
#include "ClockTexts.h"
#include "Geodesy.h"
#include "LogRecords.h"
#include "NumberText.h"
#include "Tables.h"
#include "Text.h"

namespace qern {

namespace {

// The whole part of value + 0.5: how every distance and bearing here is rounded.
qint64 roundedUp(double value)
{
    return static_cast<qint64>(std::floor(value + 0.5));
}

quint32 locationBit(int locationIndex)
{
    return locationIndex >= 0 && locationIndex < kLocationCount ? 1u << locationIndex : 0u;
}

bool loggedAt(const BeaconRecord &beacon, quint32 bit)
{
    const quint32 mask = beacon.loggedMask();
    return mask != 0 && bit != 0 && (mask & bit) == bit;
}

QByteArray field(const BeaconRecord &beacon, BeaconField f)
{
    return beacon.trimmedText(f);
}

double sexagesimal(QByteArrayView degrees, QByteArrayView minutes, QByteArrayView seconds)
{
    return numericValue(degrees) + numericValue(minutes) / 60 + numericValue(seconds) / 3600;
}

DistanceBearing distanceFromListener(double latDeg, double lonDeg, const QthDegrees &qth)
{
    DistanceBearing db = CalcDistanceBearing(latDeg / kDegreesPerRadian, lonDeg / kDegreesPerRadian,
                                             qth.latitude / kDegreesPerRadian, qth.longitude / kDegreesPerRadian);
    db.bearingDeg = static_cast<double>(roundedUp(db.bearingDeg));
    return db;
}

// The lookup of a code in Country.dat or State.dat, as the detail box shows it.
void applyLookup(const FileLookup &lookup, bool *missing, FileError *error, QByteArray *box)
{
    if (lookup.fileMissing) {
        *missing = true;
        return;
    }
    if (lookup.error.failed()) {
        if (!error->failed())
            *error = lookup.error;
        return;
    }
    if (!lookup.fileEmpty)
        *box = lookup.name;
}

} // namespace

// --- The list --------------------------------------------------------------------------

QByteArray LogTable::lblLog() const
{
    return "There are " + signedText(ItemCount()) + " records in your log.";
}

int LogTable::rowToSelect() const
{
    if (rows.isEmpty())
        return -1;
    if (LogListSelectRow >= ItemCount())
        return static_cast<int>(ItemCount() - 1);
    return LogListSelectRow;
}

QByteArray logTableRowText(const BeaconRecord &beacon, const CountryTable *countries, const StateTable *states)
{
    const QByteArray countryCode = field(beacon, BeaconField::CountryCode);
    QByteArray row = fitField(StripSemicolonSuffix(field(beacon, BeaconField::Ident)), 6)
                     + fitField(field(beacon, BeaconField::Frequency), 7) + field(beacon, BeaconField::Location) + ", ";
    if (states) {
        const QByteArray stateName = FindStateName(*states, field(beacon, BeaconField::StateCode), countryCode);
        if (!stateName.isEmpty())
            row += stateName + ", ";
    }
    if (countries)
        row += upperCase(FindCountryName(*countries, upperCase(countryCode)));
    return row;
}

LogTable LoadTable(const ProgramFolder &folder, const LogTableContext &ctx)
{
    LogTable table;
    table.ExactMatchSeen = ctx.exactMatchSeen;
    const quint32 bit = locationBit(ctx.currentLocationIndex);
    const double currentFrequency = numericValue(ctx.currentFrequency);

    table.error = forEachBeacon(folder, [&](qint64 number, const BeaconRecord &beacon) {
        const bool listed = ctx.mode == kLogViewSession ? beacon.inSession() : loggedAt(beacon, bit);
        if (!listed)
            return true;
        table.RecNo.append(number);
        table.rows.append(logTableRowText(beacon, ctx.countries, ctx.states));
        const int itemCount = static_cast<int>(std::min<qsizetype>(table.rows.size(), INT_MAX - 1));

        // In a list ordered by frequency this selects the main window's beacon, or
        // else the first beacon above its frequency.
        const double frequency = numericValue(field(beacon, BeaconField::Frequency));
        if (number == ctx.currentBeacon.recordNumber && holdsShownBeacon(beacon, ctx.currentBeacon)) {
            table.LogListSelectRow = itemCount - 1;
            table.ExactMatchSeen = true;
        }
        if (currentFrequency > frequency && !table.ExactMatchSeen)
            table.LogListSelectRow = itemCount;
        return true;
    });
    if (table.error.failed()) {
        table.RecNo.clear();
        table.rows.clear();
        table.LogListSelectRow = -1;
    }
    return table;
}

// --- One beacon ------------------------------------------------------------------------

namespace {

// "DD.MM.SS H" from "HDDMMSS..." (latitude, 2 digits of degrees) or "HDDDMMSS..."
// (longitude, 3).
QByteArray dottedCoordinate(QByteArrayView t, qsizetype degreeDigits)
{
    QByteArray out = characters(t, 2, degreeDigits).toByteArray();
    out += '.';
    out += characters(t, 2 + degreeDigits, 2);
    out += '.';
    out += characters(t, 4 + degreeDigits, 2);
    out += ' ';
    out += characters(t, 1, 1);
    return out;
}

} // namespace

QByteArray dottedLatitude(QByteArrayView t)
{
    return dottedCoordinate(t, 2);
}

QByteArray dottedLongitude(QByteArrayView t)
{
    return dottedCoordinate(t, 3);
}

double logLatitudeDegrees(QByteArrayView t)
{
    const double degrees = sexagesimal(characters(t, 2, 2), characters(t, 4, 2), characters(t, 6, 2));
    return t.startsWith('S') ? -degrees : degrees;
}

double logLongitudeDegrees(QByteArrayView t)
{
    const double degrees = sexagesimal(characters(t, 2, 3), characters(t, 5, 2), characters(t, 7, 2));
    return t.startsWith('W') ? -degrees : degrees;
}

QByteArray logDistanceText(double distanceKm, double bearingDeg, bool imperial)
{
    const double distance = imperial ? distanceKm / kKmPerMile : distanceKm;
    return signedText(roundedUp(distance)) + (imperial ? " mi/" : " km/") + signedText(roundedUp(bearingDeg))
           + " deg";
}

QByteArray entryCountText(qint64 position, qint64 count)
{
    return signedText(position) + '/' + signedText(count);
}

LogDetail LoadAfterScrolling(const ProgramFolder &folder, qint64 recNo, const LogDetailContext &ctx)
{
    LogDetail d;
    BeaconRecord beacon;
    if ((d.error = readBeacon(folder, recNo, &beacon)))
        return d;

    const QByteArray ident = field(beacon, BeaconField::Ident);
    const QByteArray frequency = field(beacon, BeaconField::Frequency);
    d.shown = shownBeaconOf(recNo, beacon);
    d.txtLogIdent = StripSemicolonSuffix(ident);
    d.txtLogFreq = frequency;
    d.txtLogLocation = field(beacon, BeaconField::Location);
    d.txtLogUSB = field(beacon, BeaconField::USB);
    d.txtLogLSB = field(beacon, BeaconField::LSB);
    d.txtLogComments = field(beacon, BeaconField::Comments);
    d.ShownCountryCode = field(beacon, BeaconField::CountryCode);
    applyLookup(LookupCountry(folder, d.ShownCountryCode), &d.countryTableMissing, &d.lookupError,
                &d.txtLogCountry);
    const QByteArray stateCode = field(beacon, BeaconField::StateCode);
    if (stateCode.isEmpty())
        d.txtLogProvince = " ";
    else
        applyLookup(LookupState(folder, stateCode), &d.stateTableMissing, &d.lookupError, &d.txtLogProvince);
    d.txtLogCycle = field(beacon, BeaconField::Cycle);
    d.txtLogPower = field(beacon, BeaconField::Power) + " / " + field(beacon, BeaconField::BeaconClass);

    const QByteArray latitude = field(beacon, BeaconField::Latitude);
    const QByteArray longitude = field(beacon, BeaconField::Longitude);
    d.txtLogLatitude = dottedLatitude(latitude);
    d.txtLogLongitude = dottedLongitude(longitude);
    const double latDeg = logLatitudeDegrees(latitude);
    const double lonDeg = logLongitudeDegrees(longitude);
    d.QTHLocator = MakeLocator(latDeg, lonDeg);
    const QthDegrees qth = ComputeQTHDegrees(ctx.locationLat, ctx.locationLon);
    d.QTHLatitude = qth.latitude;
    d.QTHLongitude = qth.longitude;
    const DistanceBearing db = distanceFromListener(latDeg, lonDeg, qth);
    d.Distance = db.distanceKm;
    d.Bearing = db.bearingDeg;
    const bool positionUnknown = d.txtLogLatitude.startsWith("00.00.00") && d.txtLogLongitude.startsWith("000.00.00");
    if (!positionUnknown) {
        d.txtLogQTH = d.QTHLocator;
        d.txtLogDistance = logDistanceText(d.Distance, d.Bearing, ctx.imperial);
    }
    d.lblDAIDVisible = numericValue(field(beacon, BeaconField::DAID)) == 1;

    if (ctx.mode == kLogViewSession) {
        const QString sessionLog = sessionLogPath(folder);
        if (!isMissing(sessionLog)) {
            d.logError = forEachSessionRecord(sessionLog, [&](qint64, const CLERecord &record) {
                if (sessionRecordBelongsTo(record, ident, frequency, d.ShownCountryCode)) {
                    d.sessionRecordFound = true;
                    d.lblNewBeaconVisible = numericValue(record.raw(CLEField::NewFlag)) == 1;
                    d.sessionTime = trimRightBlanks(record.raw(CLEField::Time));
                    d.sessionDate = trimRightBlanks(record.raw(CLEField::Date));
                    d.sessionComments = trimRightBlanks(record.raw(CLEField::Comments));
                }
                return true;
            });
        }
    } else {
        const QString logbook = logbookPath(folder, ctx.currentLocationIndex);
        if (!isMissing(logbook)) {
            d.logError = forEachLogRecord(logbook, [&](qint64 number, const LogRecord &entry) {
                if (logEntryBelongsTo(entry, ident, frequency))
                    d.entries.append({number, trimRightBlanks(entry.raw(LogField::Time)), entry.date(),
                                      trimRightBlanks(entry.raw(LogField::Comments))});
                return true;
            });
        }
    }
    if (d.logError.failed()) {
        d.entries.clear();
        d.sessionRecordFound = false;
        d.lblNewBeaconVisible = false;
        d.sessionTime.clear();
        d.sessionDate.clear();
        d.sessionComments.clear();
    }
    return d;
}

// --- The printed log -------------------------------------------------------------------

QByteArray printedLogDate(QByteArrayView date)
{
    if (date.size() != 8)
        return date.toByteArray();
    return date.first(4).toByteArray() + '/' + date.sliced(4, 2).toByteArray() + '/' + date.sliced(6, 2).toByteArray();
}

QByteArray printedLogTime(QByteArrayView time)
{
    if (time.size() != 4)
        return time.toByteArray();
    return time.first(2).toByteArray() + ':' + time.sliced(2, 2).toByteArray();
}

QByteArray printedLogDistance(double distanceKm, double bearingDeg, bool imperial)
{
    const double distance = imperial ? distanceKm / kKmPerMile : distanceKm;
    return signedText(roundedUp(distance)) + (imperial ? " mi/" : " km/") + signedText(roundedUp(bearingDeg))
           + kDegreeSign;
}

QByteArray printedLogLine(const PrintedLogLineParts &parts)
{
    return QByteArray(9, ' ') + fitField(printedLogDate(parts.date), 12) + fitField(printedLogTime(parts.time), 7)
           + fitField(parts.frequency, 8) + fitField(parts.ident, 6) + fitField(parts.stateCode, 5)
           + fitField(parts.city, 29) + fitField(QByteArrayView(parts.countryName).first(
                                                     std::min<qsizetype>(parts.countryName.size(), 28)),
                                                 29)
           + parts.distanceText;
}

QByteArray printedLogHeading(QByteArrayView userName, QByteArrayView callSign, QByteArrayView locationName,
                             QByteArrayView locationLocator)
{
    QByteArray user = userName.toByteArray();
    if (!callSign.isEmpty() && callSign != " ")
        user += ", " + callSign.toByteArray();
    return "         NDB LOG for " + user + ", " + locationName.toByteArray() + ", " + locationLocator.toByteArray();
}

QByteArray printedLogClosing(qint64 loggedCountHere)
{
    return "         Printed by QERN v6.2.   Beacons logged at this location:" + signedText(loggedCountHere);
}

PrintedLogBody PrintedLogLines(const ProgramFolder &folder, const PrintedLogContext &ctx,
                               const std::function<void()> &letEventsRun)
{
    PrintedLogBody body;

    // The logbook is read once into an index of each beacon's latest entry (the last
    // one in the file): one look-up per beacon, whatever the number of entries.
    QHash<QByteArray, LogRecord> latestEntry;
    const QString logbook = logbookPath(folder, ctx.currentLocationIndex);
    if (!isMissing(logbook)) {
        if ((body.error = forEachLogRecord(logbook, [&](qint64, const LogRecord &entry) {
                 latestEntry.insert(logEntryKey(entry.raw(LogField::Ident), entry.raw(LogField::Frequency)), entry);
                 return true;
             })))
            return body;
    }

    const quint32 bit = locationBit(ctx.currentLocationIndex);
    const QthDegrees qth = ComputeQTHDegrees(ctx.locationLat, ctx.locationLon);
    body.error = forEachRecord(databasePath(folder), BeaconRecord::Length, [&](qint64, QByteArrayView record) {
        // Most beacons were never logged: only their mask is read.
        const quint32 mask = storedLoggedMask(record);
        if (mask == 0)
            return true;
        if (letEventsRun)
            letEventsRun();
        if (bit == 0 || (mask & bit) != bit)
            return true;

        const BeaconRecord beacon = BeaconRecord::fromBytes(record);
        PrintedLogLineParts parts;
        const QByteArray ident = field(beacon, BeaconField::Ident);
        parts.frequency = field(beacon, BeaconField::Frequency);
        parts.ident = StripSemicolonSuffix(ident);
        const auto latest = latestEntry.constFind(logEntryKey(ident, parts.frequency));
        if (latest != latestEntry.constEnd()) {
            parts.date = latest->date();
            parts.time = latest->time();
        }
        parts.stateCode = field(beacon, BeaconField::StateCode);
        parts.city = field(beacon, BeaconField::Location);
        if (ctx.countries)
            parts.countryName = FindCountryName(*ctx.countries, field(beacon, BeaconField::CountryCode));

        const double latDeg = logLatitudeDegrees(field(beacon, BeaconField::Latitude));
        const double lonDeg = logLongitudeDegrees(field(beacon, BeaconField::Longitude));
        const DistanceBearing db = distanceFromListener(latDeg, lonDeg, qth);
        body.Distance = db.distanceKm;
        body.Bearing = db.bearingDeg;
        const bool positionUnknown = latDeg == 0 && lonDeg == 0;
        parts.distanceText = positionUnknown ? QByteArray(" No Coordinates")
                                             : printedLogDistance(db.distanceKm, db.bearingDeg, ctx.imperial);
        body.lines.append(printedLogLine(parts));
        return true;
    });
    if (body.error.failed())
        body.lines.clear();
    return body;
}

} // namespace qern
