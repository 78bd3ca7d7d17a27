#pragma once
// The state that the windows of QERN share: the beacon on display, the current
// listening location, the modes one window sets before it opens another. One object,
// owned by the application and handed to every window; nothing else is global.

#include <QByteArray>
#include <QString>
#include <QVector>

#include <array>

#include "ProgramFolder.h"
#include "Tables.h"

namespace qern {

constexpr int kLocationCount = 16;

struct SharedState {
    ProgramFolder folder;

    // Listening locations (texts as stored: "430000N", "08000000W").
    std::array<QByteArray, kLocationCount> LocationLat;
    std::array<QByteArray, kLocationCount> LocationLon;
    int CurrentLocationIndex = 0;
    QByteArray LocationName;
    QByteArray LocationLocator;
    double QTHLatitude = 0.0;  // degrees, north positive
    double QTHLongitude = 0.0; // degrees, east positive

    // Country and state tables, loaded once at start-up.
    CountryTable Countries;
    StateTable States;

    // User identity, read at start-up (empty on the first run).
    QByteArray UserName;
    QByteArray UserCallSign;

    // Distance filter.
    int DistanceFilterValue = 0;
    int DistanceFilterEnabled = 0;
    bool DistanceFilterOn = false;

    // Paths chosen for other windows' output.
    QByteArray WeblogFolder;
    QByteArray BeaconRadarFolder;
    QByteArray BeaconRadarFile;
    bool GpsPortFound = false;

    // Database and the beacon on display.
    qint64 RecordCount = 0;
    qint64 CurrentRecordNumber = 0;
    QByteArray CurrentIdent;
    QByteArray CurrentFrequency;
    QByteArray ShownIdent;
    QByteArray ShownFrequency;
    int CurrentDAID = 0;
    QByteArray BeaconLatitudeText;
    QByteArray BeaconLongitudeText;
    double BeaconLatitudeDeg = 0.0;
    double BeaconLongitudeDeg = 0.0;
    quint32 LoggedMaskValue = 0;
    QVector<qint64> SearchMatches;
    qint64 SearchMatchCount = 0;
    QByteArray DecodedText; // ShiftTextDownToGlobal's result

    // Last distance computation.
    double Distance = 0.0; // km
    double Bearing = 0.0;  // degrees from true north
    QByteArray QTHLocator;
    QByteArray CountryNameFound;
    QByteArray StateNameFound;

    // Map view.
    qint32 MapRange = 0;        // Map It's range, in the unit shown
    int BeaconLabelsHidden = 0; // the radar's ident labels stay hidden across views
    int RadarLabelCount = 0;    // lblNDB(1) to lblNDB(RadarLabelCount) are loaded on the map view

    // Logbooks.
    QString LogFileName; // "Logs/log<N>.dat", relative to the program folder
    int LogRecordLength = 83;

    // Statistics.
    qint64 LoggedCountHere = 0;
    QByteArray StatisticsText1;
    QByteArray StatisticsText2;
    QByteArray StatisticsText3;

    // Clock texts.
    QByteArray UTCOffsetText;
    QByteArray UTCTimeText;
    QByteArray UTCDateText;
    QByteArray LocalTimeText;
    QByteArray LocalDateText;

    // Modes one window sets before it opens another.
    int LogViewMode = 0; // 0 = logbook of the current location, 1 = session log
    bool LogSelectCurrent = false;
    int NewRecordFlag = 0; // 1 = new record, 0 = change
    qint64 EditRecordNumber = 0;
    bool EditorOpenedFromMain = false;
    int FileOperationMode = 0;
    bool RegistryRestored = false;
    QString BrowserTitle; // the page viewer's title and the page it shows
    QString BrowserURL;
};

} // namespace qern
