#pragma once
// The Map It view as data: the outline files maps/*.pnt, the azimuthal plot around
// the listening location, the outline layers as coloured polylines, the beacon and
// listening-location marks, and the pointer read-out. The window paints what this
// returns; nothing here draws.
//
// Plot units: 8000 x 8000, origin top left, y growing downwards; the listening
// location is the centre (4000, 4000) and the range lies 4000 units from it.
// Colours are 0x00BBGGRR values, the form the colour texts "&H0000C000&" spell.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPointF>
#include <QString>

#include <array>

#include "FileIo.h"
#include "ProgramFolder.h"

namespace qern {

// One 6-byte record of a .pnt file: three signed 16-bit little-endian integers.
struct MapPoint {
    qint16 Level = 0;     // > 1000 starts a polyline; else a detail level
    qint16 Latitude = 0;  // minutes of arc, north positive
    qint16 Longitude = 0; // minutes of arc, east positive
};
constexpr int kMapPointLength = 6;
constexpr int kNewLineLevel = 1000; // a level above this starts a new polyline

// Every whole record of bytes, in order. An incomplete record at the end has no
// position and is left out; *ignoredBytes tells how many bytes that was.
QList<MapPoint> parseMapPoints(QByteArrayView bytes, qsizetype *ignoredBytes = nullptr);

struct MapOutlineFile {
    bool missing = false;      // no such file: never created by reading
    FileError error;           // the file exists but could not be read
    QList<MapPoint> points;    // the whole file, however long
    qsizetype ignoredBytes = 0;
};
MapOutlineFile readMapOutline(const QString &path);

// "&H0000C000&" -> 49152. Hexadecimal digits after "&H", an optional closing "&";
// 0 for a text that is no such literal.
quint32 colourFromHexLiteral(QByteArrayView text);

constexpr quint32 kOutlineGreen = 0x0000C000; // "&H0000C000&"
constexpr quint32 kOutlineTeal = 0x00808000;  // "&H00808000&"
constexpr quint32 kDiscFill = 0x404040;
constexpr quint32 kDiscOutline = 0xFFFF80;
constexpr quint32 kWhite = 0xFFFFFF;
constexpr quint32 kRed = 0x0000FF; // red 255, green 0, blue 0

struct ColourParts {
    int red = 0;
    int green = 0;
    int blue = 0;
};
ColourParts colourParts(quint32 bgrColour);

// Which of the preferences window's map switches are ticked.
struct MapLayerSwitches {
    bool states = false;  // chkStates: state.pnt and prov.pnt
    bool borders = false; // chkBorders: country.pnt
    bool rivers = false;  // chkRivers
    bool lakes = false;   // chkLakes
    bool islands = false; // chkIslands
};

enum class LayerSwitch { Always, States, Borders, Rivers, Lakes, Islands };

struct MapLayer {
    const char *fileName;   // as the messages name it, relative to the program folder
    const char *colourText; // MapLayerColour
    LayerSwitch drawnWhen;
};

// The layers in drawing order.
inline constexpr std::array<MapLayer, 7> kMapLayers = {{
    {"maps\\coast.pnt", "&H0000C000&", LayerSwitch::Always},
    {"maps\\state.pnt", "&H0000C000&", LayerSwitch::States},
    {"maps\\prov.pnt", "&H0000C000&", LayerSwitch::States},
    {"maps\\country.pnt", "&H0000C000&", LayerSwitch::Borders},
    {"maps\\river.pnt", "&H00808000&", LayerSwitch::Rivers},
    {"maps\\Lake.pnt", "&H00808000&", LayerSwitch::Lakes},
    {"maps\\Island.pnt", "&H0000C000&", LayerSwitch::Islands},
}};

bool layerIsDrawn(const MapLayer &layer, const MapLayerSwitches &switches);

// MapRange from the main window's distance text (" 1234 km", " 325 miles"): its
// leading number rounded half to even, plus 10 up to 100, 100 up to 1000, 1000 up to
// 10000, else 1500. The result is never below 10.
qint32 mapRangeForDistance(QByteArrayView txtDistance);

// Places a point given by distance (current unit) and bearing (degrees clockwise
// from north) on the plot, range units from the centre to the middle of an edge.
class MapProjection {
public:
    explicit MapProjection(double range) : m_range(range) {}
    double range() const { return m_range; }
    double scale() const { return 4000.0 / m_range; } // PlotXScale = PlotYScale
    QPointF project(double distance, double bearingDeg) const;
    // Points beyond the corners (range * sqrt(2)) are off the plot; the corner itself is on.
    bool withinCorners(double distance) const;

private:
    double m_range;
};

struct Polyline {
    QList<QPointF> points; // a single point is a dot
    quint32 colour = 0;
};

// The picture's pen as outlines use it: a current drawing position (the centre,
// where the disc left it, to begin with) and a pending new-line flag. Both carry
// over from one layer to the next, so a layer whose first drawn point does not
// start a line is joined to where the previous layer ended.
class OutlineTracer {
public:
    // qth in radians; imperial: outline distances in miles (km / 1.609).
    OutlineTracer(const MapProjection &projection, double qthLatRad, double qthLonRad, bool imperial);

    // Draws one layer: a point is drawn when its level is above detail and it lies
    // within the corners. Returns the number of points drawn.
    qint64 traceLayer(const QList<MapPoint> &points, int detail, quint32 colour);

    const QList<Polyline> &polylines() const { return m_polylines; }
    QList<Polyline> takePolylines() { return std::move(m_polylines); }
    QPointF currentPosition() const { return m_position; }
    bool newLinePending() const { return m_newLinePending; }

private:
    void setPoint(QPointF point, quint32 colour);
    void lineTo(QPointF point, quint32 colour);

    MapProjection m_projection;
    double m_qthLatRad;
    double m_qthLonRad;
    bool m_imperial;
    QPointF m_position{4000, 4000};
    bool m_newLinePending = false;
    bool m_lineOpen = false; // the last polyline ends at m_position
    QList<Polyline> m_polylines;
};

struct MapCircle {
    QPointF centre;
    double radius = 0;   // plot units
    quint32 colour = 0;
    bool filled = false;
    quint32 fillColour = 0;
};

struct MapSegment {
    QPointF from;
    QPointF to;
    quint32 colour = 0;
};

struct MapLayerResult {
    QByteArray fileName; // "maps\\coast.pnt"
    bool missing = false;
    FileError error;
    qint64 pointCount = 0;
    qint64 pointsDrawn = 0;
    qsizetype ignoredBytes = 0;

    bool hasMessage() const { return missing || error.failed(); }
    // "maps\coast.pnt file missing.", or the read error as "Error # n: ...".
    QString messageText() const;
    QString messageTitle() const { return QStringLiteral("Error"); }
};

// What DrawMapDisplay is given.
struct MapViewRequest {
    double latitudeRad = 0;  // BeaconLatitudeDeg / 57.2957795130823
    double longitudeRad = 0; // BeaconLongitudeDeg / 57.2957795130823
    qint32 range = 10;       // MapRange
    QByteArray ident;        // ShownIdent
    QByteArray frequency;    // ShownFrequency
    QByteArray txtDistance;  // the main window's texts, read as numbers
    QByteArray txtBearing;
    QByteArray locationLat;  // LocationLat(CurrentLocationIndex)
    QByteArray locationLon;
    bool imperial = false;   // frmLocation.optImperial
    int detail = 0;          // map detail scroll bar
    MapLayerSwitches layers;
};

struct MapView {
    QByteArray lblBeacon;          // "ABC - 338 kHz"
    QByteArray lblRange;           // "Distance 523 km"
    QByteArray lblNumberOfBeacons; // "Bearing  360" + degree sign
    double PlotXScale = 0;
    double PlotYScale = 0;
    double QTHLatitude = 0;  // radians, as the globals are left
    double QTHLongitude = 0;
    double Distance = 0;     // the beacon's, in the unit shown
    double Bearing = 0;
    QPointF beaconPoint;
    MapCircle disc;               // the dark disc within 20000 units
    QList<Polyline> outlines;     // drawn over the disc, in order
    QList<MapLayerResult> layers; // each layer that was switched on, in order
    QList<MapCircle> marks;       // beacon (radius 10, 200), listening location (30)
    QList<MapSegment> cross;      // the listening location's cross
};

MapView DrawMapDisplay(const ProgramFolder &folder, const MapViewRequest &request);

// The range the pointer read-out uses: the radar's typed range (rounded) in the
// Beacon Radar view, MapRange in the Map It view.
qint32 PointerRange(bool radarView, QByteArrayView radarRangeText, qint32 mapRange);

struct PointerReadout {
    bool visible = false; // hidden beyond the corners
    double distance = 0;  // one decimal, capped at 20000 km / 12430 miles
    qint64 bearingDeg = 0;
    QByteArray caption;   // " 1234.5 km,  87" + degree sign (Windows-1252)
};

// The pointer at plot position (x, y), range in the current unit.
PointerReadout DisplayPointer(double x, double y, qint32 range, bool metric);

// Flips BeaconLabelsHidden; returns whether lblNDB(1) to lblNDB(RadarLabelCount)
// are to be visible now.
bool ToggleBeaconLabels(int &beaconLabelsHidden);

} // namespace qern
