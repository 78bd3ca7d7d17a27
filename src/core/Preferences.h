#pragma once
// The reading and writing halves of the preferences: what LoadPreferences takes out of
// the settings store and what SavePreferences puts back. The windows apply a
// LoadedPreferences to their controls and fill a PreferencesToSave from them.

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <array>
#include <optional>

#include "NumberText.h"
#include "RegistryStore.h"

namespace qern {

inline constexpr int kPreferenceLocations = 16;
// Serial ports beyond the fourth found are not offered.
inline constexpr int kMaxGpsPorts = 4;
// frmLocation.cmbSpeed and cmbParity.
inline constexpr std::array<const char *, 7> kComSpeeds = {"300", "1200", "2400", "4800", "9600", "14400", "19200"};
inline constexpr int kComParityCount = 4;
inline constexpr const char *kComParityItem = "N,8,1";
// An unnamed location as shown in cmbListeningLocation.
inline constexpr const char *kEmptyLocationName = "Empty";

// What the loader needs from the windows besides the store.
struct PreferencesContext {
    QStringList portsFound;          // availableSerialPorts(): only the first kMaxGpsPorts count
    int currentLocationIndex = 0;    // CurrentLocationIndex before the load (0 at start-up)
    int showDetailMin = -32768;      // frmLocation.HScroll2 range
    int showDetailMax = 32767;
    int radarDetailMin = -32768;     // frmDistanceCircle.HSDetail range
    int radarDetailMax = 32767;
};

// A check box value: 0, 1 or 2 (greyed); anything else is "Invalid property value".
using CheckValue = std::optional<int>;

// Everything LoadPreferences loads. An empty optional is a setting that failed (its
// error is in errors, in order) or was not loaded: the control and the global keep
// their earlier state.
struct LoadedPreferences {
    // Texts read as stored (reading a text never fails).
    std::array<QByteArray, kPreferenceLocations> LocationLat;
    std::array<QByteArray, kPreferenceLocations> LocationLon;
    std::optional<int> CurrentLocationIndex;   // ListeningLocation, 0 to 15
    QByteArray LocationName;                   // Location(current), possibly empty
    double BeaconLatitudeDeg = 0.0;            // current location, 4 decimals, N positive
    double BeaconLongitudeDeg = 0.0;           // E positive
    QByteArray LocationLocator;                // MakeLocator of the two above

    // Serial port choices: set only when a port was found and the stored index is a
    // number; -1 selects nothing (also for an index outside its list).
    bool GpsPortFound = false;
    QList<QByteArray> portItems;               // cmbPort: "1" .. "4", one per port found
    std::optional<int> ComPortIndex;
    std::optional<int> ComSpeedIndex;
    std::optional<int> ComParityIndex;

    // cmbListeningLocation items 0..15: Location(i), "Empty" when empty.
    std::array<QByteArray, kPreferenceLocations> LocationListItems;
    QByteArray DXLoggerSignature;              // txtDXLogger

    // frmLocation map layers.
    CheckValue ShowLakes, ShowStates, ShowIslands, ShowRivers, ShowBorders;
    bool Metric = false;                       // optMetric; optImperial is the opposite

    std::optional<int> DistanceFilterValue;
    std::optional<int> DistanceFilterEnabled;
    std::optional<bool> DistanceFilterOn;      // set together with DistanceFilterEnabled
    // txtDistanceFilter then shows DistanceFilterValue (the new one or the kept one) as digits.

    std::optional<int> ShowDetail;             // frmLocation.HScroll2
    QByteArray WeblogFolder;

    // frmDistanceCircle.
    CheckValue RadarLakes, RadarStates, RadarIslands, RadarRivers, RadarBorders;
    std::optional<int> RadarDetail;            // HSDetail
    CheckValue RadarAll, RadarLogged, RadarDGPS, RadarNavtex, RadarSession;

    // BeaconRadarPath split at its last "/" or "\": set only for a non-empty path. A
    // path with neither names a file in the program folder: the folder is "".
    std::optional<QByteArray> BeaconRadarFolder;
    std::optional<QByteArray> BeaconRadarFile;
    QByteArray txtBeaconRadar;                 // the path itself; the home folder when empty

    // The trapped errors, in the order met; the window shows each description alone in
    // a box with the default title.
    QList<ConversionError> errors;
};

LoadedPreferences LoadPreferences(const RegistryStore &store, const PreferencesContext &context);

// The stored names of the listening locations as the report and weblog windows list
// them: kEmptyLocationName for a name that is blank.
std::array<QByteArray, kPreferenceLocations> storedLocationNames(const RegistryStore &store);

// What frmLocation holds when "Set as default" is pressed.
struct PreferencesToSave {
    std::array<QByteArray, kPreferenceLocations> LocationLat;
    std::array<QByteArray, kPreferenceLocations> LocationLon;
    std::array<QByteArray, kPreferenceLocations> LocationListItems; // cmbListeningLocation items
    int selectedLocationIndex = 0;          // cmbListeningLocation, -1 when none
    QByteArray DXLoggerSignature;           // txtDXLogger; empty removes the stored one
    QByteArray DistanceFilterText;          // txtDistanceFilter as typed
    int DistanceFilterEnabled = 0;
    int ShowLakes = 0, ShowStates = 0, ShowIslands = 0, ShowRivers = 0, ShowBorders = 0;
    bool Metric = false;                    // optMetric
    int ShowDetail = 0;                     // HScroll2
    int ComPortIndex = -1, ComSpeedIndex = -1, ComParityIndex = -1; // -1 when none selected
};

// The number stored as DistanceFilter: the numeric value of the text, rounded half to
// even, clamped to 0..32767 (150.5 -> 150, 151.5 -> 152, "" -> 0, -5 -> 0).
qint32 distanceFilterToStore(QByteArrayView text);

// Writes every value in the program's order as one file write. Returns false when the
// store could not be written (already reported through the store). The caller then
// empties cmbListeningLocation and runs LoadPreferences again.
bool SavePreferences(RegistryStore &store, const PreferencesToSave &values);

// Splits a path at its last "/" or "\": ("D:\radar", "out.txt"), ("/home/u", "radar.txt").
// A path with neither is a file in the program folder: ("", path).
struct PathParts {
    QByteArray folder;
    QByteArray file;
};
PathParts splitFolderAndFile(QByteArrayView path);

} // namespace qern
