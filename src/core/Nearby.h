#pragma once
// The nearby list of the main window: every beacon of ndb.dat within a radius of a
// centre, one fixed-layout line each, with its distance from the listening location.
// Returns the beacons found and the counts; the window fills its list and labels from
// them. A line's text is written when it is asked for: a list of thousands of lines
// then costs no more to show than the lines in sight.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include "BeaconRecord.h"
#include "FileIo.h"
#include "ListenerContext.h"
#include "ProgramFolder.h"

namespace qern {

// What the build reads from elsewhere; the current location's logged bit gives the
// "***" mark.
using NearbyContext = ListenerContext;

struct NearbyCentre {
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive
};

// The centre from the main window's coordinate boxes: "45 30 20 N" (degrees,
// minutes, seconds at characters 1-2, 4-5, 7-8, hemisphere at 10) and
// "075 42 10 W" (1-3, 5-6, 8-9, hemisphere at 11). Not rounded.
NearbyCentre nearbyCentreDegrees(QByteArrayView centreLat, QByteArrayView centreLon);

// One beacon of the list.
struct NearbyLine {
    qint64 recordNumber = 0; // in ndb.dat
    bool logged = false;     // logged at the current location
    double latitude = 0;     // degrees, as the build read them from the record
    double longitude = 0;
};

enum class NearbyOutcome {
    Done,
    DatabaseMissing, // "Main database missing" / "Error"; nothing else changes
    ReadError,       // ndb.dat could not be read to the end: error.messageText() / "Error"
};

struct NearbyResult {
    NearbyOutcome outcome = NearbyOutcome::Done;
    QList<NearbyLine> lines; // record order
    qint64 foundCount = 0;
    bool loggedFlag = false; // shows lblAlreadyLogged
    FileError error;

    // The text of lines[index]:
    // "***ABC     338 kHz  Port Eden, Eastland, Norland ( 523 km)"
    QByteArray lineText(qsizetype index) const;
    // "Search returned 12 beacons." (with the blank before the count)
    QByteArray lblSearchCaption() const;
    bool hasMessage() const { return outcome == NearbyOutcome::DatabaseMissing || outcome == NearbyOutcome::ReadError; }
    QString messageText() const;
    QString messageTitle() const { return QStringLiteral("Error"); }

    // What the lines are written from: for each line, the stored fields from Ident to
    // Frequency of its record, one after another; the tables (which must outlive the
    // result, as the program's do), the listening location and the unit of the build.
    QByteArray storedFields;
    NearbyContext context;
};

// radius in miles when imperial, else km; centreLat and centreLon as
// nearbyCentreDegrees takes them. Beacons at exactly the centre's coordinates are
// neither listed nor counted. A missing ndb.dat is never created. The whole list
// comes back at once, for the window to fill its list in one step.
NearbyResult FindNearbyBeacons(const ProgramFolder &folder, double radius, QByteArrayView centreLat,
                               QByteArrayView centreLon, const NearbyContext &ctx);

// The line of one beacon, distance being its rounded distance in the unit of ctx:
// "***ABC     338 kHz  Port Eden, Eastland, Norland ( 523 km)"
QByteArray nearbyLineText(const BeaconRecord &record, bool logged, qint64 distance, const NearbyContext &ctx);

// "Search returned" + " N" + " beacons."
QByteArray nearbySearchCaption(qint64 foundCount);

// What cmdNearby_Click puts into lblCoverage and txtCoverage.
// "Coverage radius from ABC-338 kHz (mi)" / "... (km)"
QByteArray nearbyCoverageCaption(QByteArrayView shownIdent, QByteArrayView shownFrequency, bool imperial);
// "100" miles or "160" km.
QByteArray proposedNearbyRadius(bool imperial);

} // namespace qern
