#include "MapOutline.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <utility>

#include "Geodesy.h"
#include "NumberText.h"
#include "Text.h"

namespace qern {

namespace {

constexpr double kPlotCentre = 4000.0;
// The read-out's own value of pi, kept so bearings round as they always did.
constexpr double kPi = 3.14159265358979;
constexpr double kFarthestKm = 20000.0;
constexpr double kFarthestMiles = 12430.0;
// The dark disc covers this many units (km or miles alike) around the centre.
constexpr double kDiscRange = 20000.0;

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A non-negative number with a blank before it, no trailing zeros: " 1234.5".
QByteArray signedDecimalText(double value)
{
    const QByteArray digits = decimalText(value);
    return value < 0 ? digits : ' ' + digits;
}

double pointerBearingDeg(double x, double y)
{
    if (x == kPlotCentre)
        return y > kPlotCentre ? 180 : 0; // on the centre itself: 0
    const double a = std::abs(std::atan((kPlotCentre - y) / (x - kPlotCentre)) * 180 / kPi);
    const bool right = x > kPlotCentre;
    const bool above = y < kPlotCentre;
    if (right)
        return above ? 90 - a : 90 + a;
    return above ? 270 + a : 270 - a;
}

} // namespace

QList<MapPoint> parseMapPoints(QByteArrayView bytes, qsizetype *ignoredBytes)
{
    const qsizetype count = bytes.size() / kMapPointLength;
    if (ignoredBytes)
        *ignoredBytes = bytes.size() - count * kMapPointLength;
    QList<MapPoint> points;
    points.reserve(count);
    const char *data = bytes.data();
    for (qsizetype i = 0; i < count; ++i) {
        const char *record = data + i * kMapPointLength;
        points.append({qFromLittleEndian<qint16>(record), qFromLittleEndian<qint16>(record + 2),
                       qFromLittleEndian<qint16>(record + 4)});
    }
    return points;
}

MapOutlineFile readMapOutline(const QString &path)
{
    MapOutlineFile outline;
    if (!fileExists(path)) {
        outline.missing = true;
        return outline;
    }
    QByteArray bytes;
    outline.error = readWholeFile(path, &bytes);
    if (outline.error)
        return outline;
    outline.points = parseMapPoints(bytes, &outline.ignoredBytes);
    return outline;
}

quint32 colourFromHexLiteral(QByteArrayView text)
{
    if (text.size() < 3 || text[0] != '&' || (text[1] != 'H' && text[1] != 'h'))
        return 0;
    QByteArrayView digits = text.sliced(2);
    if (digits.endsWith('&'))
        digits.chop(1);
    if (digits.isEmpty() || digits.size() > 8)
        return 0;
    quint32 value = 0;
    for (const char c : digits) {
        const int v = hexDigitValue(c);
        if (v < 0)
            return 0;
        value = value * 16 + quint32(v);
    }
    return value;
}

ColourParts colourParts(quint32 bgrColour)
{
    return {int(bgrColour & 0xFF), int((bgrColour >> 8) & 0xFF), int((bgrColour >> 16) & 0xFF)};
}

bool layerIsDrawn(const MapLayer &layer, const MapLayerSwitches &switches)
{
    switch (layer.drawnWhen) {
    case LayerSwitch::Always:
        return true;
    case LayerSwitch::States:
        return switches.states;
    case LayerSwitch::Borders:
        return switches.borders;
    case LayerSwitch::Rivers:
        return switches.rivers;
    case LayerSwitch::Lakes:
        return switches.lakes;
    case LayerSwitch::Islands:
        return switches.islands;
    }
    return false;
}

qint32 mapRangeForDistance(QByteArrayView txtDistance)
{
    // The display never shows a negative distance or one beyond a 16-bit number.
    const qint32 d = qint32(std::clamp(roundHalfEven(numericValue(txtDistance)), 0.0, 32767.0));
    if (d <= 100)
        return d + 10;
    if (d <= 1000)
        return d + 100;
    if (d <= 10000)
        return d + 1000;
    return d + 1500;
}

QPointF MapProjection::project(double distance, double bearingDeg) const
{
    const double bearingRad = bearingDeg / kDegreesPerRadian;
    return {kPlotCentre + scale() * distance * std::sin(bearingRad),
            kPlotCentre - scale() * distance * std::cos(bearingRad)};
}

bool MapProjection::withinCorners(double distance) const
{
    return !(distance > std::sqrt(2 * m_range * m_range));
}

OutlineTracer::OutlineTracer(const MapProjection &projection, double qthLatRad, double qthLonRad,
                             bool imperial)
    : m_projection(projection), m_qthLatRad(qthLatRad), m_qthLonRad(qthLonRad), m_imperial(imperial)
{
}

qint64 OutlineTracer::traceLayer(const QList<MapPoint> &points, int detail, quint32 colour)
{
    qint64 drawn = 0;
    for (const MapPoint &p : points) {
        if (!(p.Level > detail))
            continue;
        // Set before the range test: a line whose first point is off the plot starts
        // at its first point on it.
        if (p.Level > kNewLineLevel)
            m_newLinePending = true;
        const double latDeg = p.Latitude / 60.0;
        const double lonDeg = p.Longitude / 60.0;
        const DistanceBearing db = CalcDistanceBearing(latDeg / kDegreesPerRadian, lonDeg / kDegreesPerRadian,
                                                       m_qthLatRad, m_qthLonRad);
        const double distance = m_imperial ? db.distanceKm / kKmPerMile : db.distanceKm;
        if (!m_projection.withinCorners(distance))
            continue;
        const QPointF at = m_projection.project(distance, db.bearingDeg);
        if (m_newLinePending) {
            m_newLinePending = false;
            setPoint(at, colour);
        } else {
            lineTo(at, colour);
        }
        ++drawn;
    }
    return drawn;
}

void OutlineTracer::setPoint(QPointF point, quint32 colour)
{
    m_polylines.append(Polyline{{point}, colour});
    m_position = point;
    m_lineOpen = true;
}

void OutlineTracer::lineTo(QPointF point, quint32 colour)
{
    if (m_lineOpen && m_polylines.last().colour == colour)
        m_polylines.last().points.append(point);
    else
        m_polylines.append(Polyline{{m_position, point}, colour});
    m_position = point;
    m_lineOpen = true;
}

QString MapLayerResult::messageText() const
{
    if (missing)
        return QString::fromLatin1(fileName) + QStringLiteral(" file missing.");
    if (error)
        return error.messageText();
    return {};
}

MapView DrawMapDisplay(const ProgramFolder &folder, const MapViewRequest &request)
{
    MapView view;
    const QthDegrees qth = ComputeQTHDegrees(request.locationLat, request.locationLon);
    view.QTHLatitude = qth.latitude / kDegreesPerRadian;
    view.QTHLongitude = qth.longitude / kDegreesPerRadian;

    view.lblBeacon = request.ident + " - " + request.frequency + " kHz";

    const MapProjection projection(std::max<qint32>(request.range, 1));
    view.PlotXScale = view.PlotYScale = projection.scale();

    // The main window's whole numbers, not recomputed; a beacon on the listening
    // location sits on the centre whatever they say.
    if (request.latitudeRad == view.QTHLatitude && request.longitudeRad == view.QTHLongitude) {
        view.Distance = 0;
        view.Bearing = 0;
    } else {
        view.Distance = numericValue(request.txtDistance);
        view.Bearing = numericValue(request.txtBearing);
    }
    view.lblRange = "Distance" + request.txtDistance;
    view.lblNumberOfBeacons = "Bearing " + request.txtBearing;
    view.beaconPoint = projection.project(view.Distance, view.Bearing);

    const QPointF centre(kPlotCentre, kPlotCentre);
    view.disc = MapCircle{centre, projection.scale() * kDiscRange, kDiscOutline, true, kDiscFill};

    OutlineTracer tracer(projection, view.QTHLatitude, view.QTHLongitude, request.imperial);
    for (const MapLayer &layer : kMapLayers) {
        if (!layerIsDrawn(layer, request.layers))
            continue;
        MapLayerResult result;
        result.fileName = layer.fileName;
        MapOutlineFile outline = readMapOutline(folder.path(QString::fromLatin1(layer.fileName)));
        result.missing = outline.missing;
        result.error = outline.error;
        result.pointCount = outline.points.size();
        result.ignoredBytes = outline.ignoredBytes;
        if (!result.hasMessage())
            result.pointsDrawn =
                tracer.traceLayer(outline.points, request.detail, colourFromHexLiteral(layer.colourText));
        view.layers.append(std::move(result));
    }
    view.outlines = tracer.takePolylines();

    view.marks = {
        MapCircle{view.beaconPoint, 10, kWhite, false, 0},
        MapCircle{view.beaconPoint, 200, kWhite, false, 0},
        MapCircle{centre, 30, kRed, false, 0},
    };
    view.cross = {
        MapSegment{{3500, 4000}, {4500, 4000}, kRed},
        MapSegment{{4000, 3500}, {4000, 4500}, kRed},
    };
    return view;
}

qint32 PointerRange(bool radarView, QByteArrayView radarRangeText, qint32 mapRange)
{
    if (!radarView)
        return mapRange;
    return qint32(std::clamp(roundHalfEven(numericValue(radarRangeText)), double(INT32_MIN), double(INT32_MAX)));
}

PointerReadout DisplayPointer(double x, double y, qint32 range, bool metric)
{
    PointerReadout readout;
    const double r = range;
    const double dx = std::abs(kPlotCentre - x) * r / kPlotCentre;
    const double dy = std::abs(kPlotCentre - y) * r / kPlotCentre;
    double d = std::floor(std::sqrt(dx * dx + dy * dy) * 10 + 0.5) / 10;
    readout.visible = !(d > std::sqrt(2 * r * r));
    readout.bearingDeg = qint64(std::floor(pointerBearingDeg(x, y) + 0.5));

    d = std::min(d, metric ? kFarthestKm : kFarthestMiles);
    readout.distance = d;
    readout.caption = signedDecimalText(d) + (metric ? " km, " : " mi, ") + signedText(readout.bearingDeg) + kDegreeSign;
    return readout;
}

bool ToggleBeaconLabels(int &beaconLabelsHidden)
{
    beaconLabelsHidden = beaconLabelsHidden != 0 ? 0 : 1;
    return beaconLabelsHidden == 0;
}

} // namespace qern
