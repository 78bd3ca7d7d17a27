#pragma once
// The beacon detail area of the main window: every text of one beacon, its distance
// and bearing from the current listening location, where and when it was last
// logged, and the one-line summary for the clipboard. Texts are Windows-1252 bytes;
// the window converts them with fromWindows1252 and applies them to its controls.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <array>

#include "BeaconDatabase.h"
#include "FileIo.h"
#include "ListenerContext.h"
#include "ProgramFolder.h"
#include "SharedState.h"

namespace qern {

// What ShowBeacon reads from elsewhere.
struct DisplayContext : ListenerContext {
    std::array<QByteArray, kLocationCount> locationNames; // cmbListeningLocation.List(i)
    QByteArray dxLogger;                                  // frmLocation.txtDXLogger

    static DisplayContext fromState(const SharedState &state, const CountryTable *countries,
                                    const StateTable *states, bool imperial,
                                    const std::array<QByteArray, kLocationCount> &locationNames,
                                    const QByteArray &dxLogger);
};

struct BeaconDisplay {
    // The record does not exist (past the end of ndb.dat, below 1, or no ndb.dat):
    // the window calls ClearBeaconDisplay and nothing below is meaningful.
    bool cleared = false;
    FileError error;        // ndb.dat could not be read (cleared is then true too)
    FileError logbookError; // a logbook could not be read; the rest is still filled

    // Controls of frmMain.
    QByteArray lblkHz;      // "ABC  338 kHz", made visible
    QByteArray txtCountry;
    QByteArray txtLocation; // "Port Eden, Eastland"
    QByteArray txtPower;    // "25 / NDB"
    QByteArray txtLat;      // "45 30 00 N"
    QByteArray txtLon;      // "075 42 10 W"
    QByteArray txtCurrent;  // "2026 12"
    QByteArray txtCycle;
    QByteArray txtUSB;
    QByteArray txtLSB;
    QByteArray txtComments;
    QByteArray txtLocator;  // "FN03aa"; empty when the position is unknown
    QByteArray txtDistance; // " 523 km" / " 325 miles"; empty when unknown
    QByteArray txtBearing;  // " 360" + byte 176; empty when unknown
    bool lblDAIDVisible = false;
    bool lblLoggedVisible = false;
    QByteArray lblLoggedCaption; // always set, so no previous caption survives
    bool lblGotLoggedVisible = false;
    QList<QByteArray> lstGotLogged; // "Home - Last logged on 07-Dec-2026", locations 0 to 15
    bool cmdMapItEnabled = false;
    bool cmdNearbyEnabled = false;
    QByteArray clipboardLine; // "ABC:338, +400 -400 Port Eden, Eastland, Norland XYZ"

    ShownBeacon shown; // what Quick Log checks before it writes

    // Globals the display sets.
    qint64 CurrentRecordNumber = 0;
    QByteArray ShownIdent;      // also CurrentIdent: decoded, duplicate suffix removed
    QByteArray ShownFrequency;  // also CurrentFrequency
    quint32 LoggedMaskValue = 0;
    int CurrentDAID = 0;
    QByteArray BeaconLatitudeText;
    QByteArray BeaconLongitudeText;
    double BeaconLatitudeDeg = 0;  // south negative
    double BeaconLongitudeDeg = 0; // west negative
    double QTHLatitude = 0;
    double QTHLongitude = 0;
    double Distance = 0;           // km
    double Bearing = 0;            // degrees
    QByteArray QTHLocator;         // the beacon's own locator
    QByteArray CountryNameFound;
    QByteArray StateNameFound;

    // Copies the globals above into state (nothing when cleared).
    void applyTo(SharedState &state) const;
};

// The beacon's place and country as the main window shows them.
struct BeaconPlace {
    QByteArray countryName; // txtCountry: the name Country.dat gives its code, or ""
    QByteArray stateName;   // the name State.dat gives its state code, or ""
    QByteArray location;    // txtLocation: "Port Eden, Ontario", or the place alone
};
BeaconPlace beaconPlace(const BeaconRecord &beacon, const CountryTable *countries, const StateTable *states);

// recNo: 1-based record number of ndb.dat.
BeaconDisplay ShowBeacon(const ProgramFolder &folder, qint64 recNo, const DisplayContext &ctx);

// What ClearBeaconDisplay does to the shared state: SearchMatchCount and CurrentDAID
// become 0; the beacon's globals stay.
void clearBeaconState(SharedState &state);

// A logbook Date "20261207" as "07-Dec-2026". A text that is no valid date is
// shown as it stands, trimmed; an empty one as "unknown date".
QByteArray loggedDateText(QByteArrayView logDate);
// " *** Last logged on 07-Dec-2026 ***"
QByteArray lastLoggedCaption(QByteArrayView logDate);

// Captions of lblLogged besides the last-logged date.
inline constexpr const char *kLoggedElsewhereCaption = " *** Logged from a different QTH *** ";
// The current location's bit is set but its logbook holds no entry of the beacon.
inline constexpr const char *kLoggedNoEntryCaption = " *** Logged *** ";

} // namespace qern
