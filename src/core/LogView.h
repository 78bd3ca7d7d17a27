#pragma once
// What the log viewer lists and shows, and what the printed log prints.
//
// The viewer lists the beacons of one logbook (mode 0: the current location's bit is
// set in LoggedMask) or of the session (mode 1: CLEMark "z"), one row per beacon in
// database order, and shows one beacon with its logbook entries or its session
// record. Entries belong to a beacon by ident and frequency (logEntryBelongsTo), the
// session record by ident, frequency and country code (sessionRecordBelongsTo).
// Record numbers are 1-based and 64-bit: no list, logbook or entry count is capped.
// Texts are Windows-1252 bytes; the window converts them at its edge.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <functional>

#include "BeaconDatabase.h"
#include "FileIo.h"
#include "ProgramFolder.h"
#include "SharedState.h"

namespace qern {

class BeaconRecord;
struct CountryTable;
struct StateTable;

inline constexpr int kLogViewLogbook = 0; // LogViewMode: the current location's logbook
inline constexpr int kLogViewSession = 1; // LogViewMode: the session (CLE) log

// --- The list (LoadTable) ----------------------------------------------------------

struct LogTableContext {
    int mode = kLogViewLogbook;
    int currentLocationIndex = 0;
    QByteArray currentFrequency; // of the beacon shown in the main window; empty when none
    // That beacon as the main window checks it: its row is the one at its record
    // while that record still holds it, as namesakes and duplicates share an ident
    // and a frequency.
    ShownBeacon currentBeacon;
    const CountryTable *countries = nullptr;
    const StateTable *states = nullptr;
    // Set once a load has found the main window's beacon; kept while the window is
    // loaded, so later loads no longer fall back to the next higher frequency.
    bool exactMatchSeen = false;
};

struct LogTable {
    // ndb.dat could not be read (a missing one included): the list is empty and the
    // window shows error.messageText() titled "Error".
    FileError error;
    QList<qint64> RecNo;     // ndb.dat record of row k at index k
    QList<QByteArray> rows;  // the row texts, same order
    int LogListSelectRow = -1;
    bool ExactMatchSeen = false;

    qsizetype ItemCount() const { return rows.size(); }
    // "There are " + count in the number form + " records in your log."
    QByteArray lblLog() const;
    // The row a load selects: -1 for none; past the end, the last row.
    int rowToSelect() const;
};

LogTable LoadTable(const ProgramFolder &folder, const LogTableContext &ctx);

// One row: ident without its duplicate suffix in 6 characters, frequency in 7, the
// location, ", ", the state name and ", " when it has one, the country name (looked
// up by the upper-cased code) in upper case.
QByteArray logTableRowText(const BeaconRecord &beacon, const CountryTable *countries,
                           const StateTable *states);

// --- One beacon (LoadAfterScrolling) -----------------------------------------------

struct LogDetailContext {
    int mode = kLogViewLogbook;
    int currentLocationIndex = 0;
    QByteArray locationLat; // LocationLat(CurrentLocationIndex)
    QByteArray locationLon;
    bool imperial = false;  // frmLocation.optImperial: miles
};

// One logbook entry of the beacon shown. Padding blanks are not part of a value:
// time and comments lose their trailing blanks, the date is trimmed.
struct LogEntryView {
    qint64 recordNumber = 0; // EntryRecNo: its record in the logbook
    QByteArray time;
    QByteArray date;
    QByteArray comments;
};

struct LogDetail {
    // The beacon's record could not be read: nothing below is filled.
    FileError error;
    // The logbook or the session log could not be read: the beacon is shown without
    // its entries.
    FileError logError;
    // Country.dat / State.dat missing: "Country lookup table missing." /
    // "State, Province lookup table missing." titled "Error"; the box stays empty.
    bool countryTableMissing = false;
    bool stateTableMissing = false;
    FileError lookupError;

    ShownBeacon shown;          // what Update and Delete check before they write
    QByteArray txtLogIdent;     // suffix removed
    QByteArray txtLogFreq;
    QByteArray txtLogLocation;
    QByteArray txtLogUSB;
    QByteArray txtLogLSB;
    QByteArray txtLogComments;
    QByteArray txtLogCountry;   // from Country.dat; " " when the code is not there
    QByteArray txtLogProvince;  // from State.dat; " " without a state code
    QByteArray txtLogCycle;
    QByteArray txtLogPower;     // "25 / NDB"
    QByteArray txtLogLatitude;  // "45.30.15 N"
    QByteArray txtLogLongitude; // "075.42.00 W"
    QByteArray txtLogQTH;       // the beacon's locator; empty when the position is unknown
    QByteArray txtLogDistance;  // " 523 km/ 47 deg"; empty when the position is unknown
    bool lblDAIDVisible = false;
    QByteArray ShownCountryCode;

    // Globals the display sets.
    double QTHLatitude = 0;  // degrees, north positive
    double QTHLongitude = 0; // degrees, east positive
    double Distance = 0;     // km
    double Bearing = 0;      // degrees, rounded to a whole number
    QByteArray QTHLocator;

    // Mode 0: the beacon's entries in file order.
    QList<LogEntryView> entries;

    // Mode 1: the beacon's session record (the last one in the file when several).
    bool sessionRecordFound = false;
    bool lblNewBeaconVisible = false;
    QByteArray sessionTime;
    QByteArray sessionDate;
    QByteArray sessionComments;
};

// recNo: RecNo of the selected row.
LogDetail LoadAfterScrolling(const ProgramFolder &folder, qint64 recNo, const LogDetailContext &ctx);

// "45.30.15 N" from "N4530150"; "075.42.00 W" from "W07542000".
QByteArray dottedLatitude(QByteArrayView latitudeText);
QByteArray dottedLongitude(QByteArrayView longitudeText);
// Degrees + minutes / 60 + seconds / 3600, negative for "S" / "W".
double logLatitudeDegrees(QByteArrayView latitudeText);
double logLongitudeDegrees(QByteArrayView longitudeText);
// " 523 km/ 47 deg" or " 325 mi/ 47 deg" from kilometres and a rounded bearing.
QByteArray logDistanceText(double distanceKm, double bearingDeg, bool imperial);
// Position, "/" and count, both in the number form: " 1/ 3".
QByteArray entryCountText(qint64 position, qint64 count);

// --- The printed log ---------------------------------------------------------------

inline constexpr char kPrintedLogColumnHeading[] =
    "         Date        Time   Freq    ID    S/P  City                         Country                       Dist/Bearing";
inline constexpr char kPrintedLogSubheading[] = "         Most recent entries";

struct PrintedLogContext {
    int currentLocationIndex = 0;
    QByteArray locationLat;
    QByteArray locationLon;
    bool imperial = false;
    const CountryTable *countries = nullptr;
};

struct PrintedLogBody {
    FileError error;          // ndb.dat or the logbook could not be read: print nothing
    QList<QByteArray> lines;  // one per beacon logged here, database order
    double Distance = 0;      // of the last beacon printed, km
    double Bearing = 0;
};

// One line per beacon with the location's bit set, with its latest entry (the last
// one in the logbook, whatever its date). letEventsRun, when given, runs once for each
// beacon logged anywhere. A missing logbook prints blank dates and times.
PrintedLogBody PrintedLogLines(const ProgramFolder &folder, const PrintedLogContext &ctx,
                               const std::function<void()> &letEventsRun = {});

struct PrintedLogLineParts {
    QByteArray date;        // as stored, trimmed
    QByteArray time;
    QByteArray frequency;
    QByteArray ident;       // suffix removed
    QByteArray stateCode;
    QByteArray city;
    QByteArray countryName;
    QByteArray distanceText; // " 1234 km/ 87" + degree sign, or " No Coordinates"
};
// Nine blanks, then the columns left-aligned, padded and cut: date 12, time 7,
// frequency 8, ident 6, state 5, city 29, country 28 + one blank, then the distance.
QByteArray printedLogLine(const PrintedLogLineParts &parts);
// "2026/12/07" from an 8-character date, "09:30" from a 4-character time; any other
// length as it is.
QByteArray printedLogDate(QByteArrayView date);
QByteArray printedLogTime(QByteArrayView time);
// " 1234 km/ 87" + byte 176.
QByteArray printedLogDistance(double distanceKm, double bearingDeg, bool imperial);
// "         NDB LOG for " + user, ", " + location name + ", " + locator; the call sign
// joins the name only when it is neither empty nor a single blank.
QByteArray printedLogHeading(QByteArrayView userName, QByteArrayView callSign, QByteArrayView locationName,
                             QByteArrayView locationLocator);
// The closing line: the program and the number of beacons logged here.
QByteArray printedLogClosing(qint64 loggedCountHere);

} // namespace qern
