#include "Geodesy.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "BeaconRecord.h"
#include "FileIo.h"
#include "NumberText.h"
#include "PlainNumber.h"
#include "Tables.h"
#include "Text.h"

namespace qern {

namespace {

constexpr double kQuarterTurn = 1.5707963267949;
// Keeps arc-cosine arguments off +-1, where the formulas divide by zero.
constexpr double kCosineLimit = 0.99999999999;
constexpr double kFarthestStationKm = 20000.0;

char lastCharacter(QByteArrayView text)
{
    return text.isEmpty() ? '\0' : text.back();
}

char firstCharacter(QByteArrayView text)
{
    return text.isEmpty() ? '\0' : text.front();
}

double sexagesimal(QByteArrayView degrees, QByteArrayView minutes, QByteArrayView seconds)
{
    return plainNumberValue(degrees) + plainNumberValue(minutes) / 60 + plainNumberValue(seconds) / 3600;
}

// The arc cosine written the way the distance formulas always were, through the arc
// tangent; valid for |x| < 1.
double arcCosine(double x)
{
    return kQuarterTurn - std::atan(x / std::sqrt(1 - x * x));
}

// The angle at the centre of the earth between two points, from the sines and cosines
// of their latitudes and the difference of their longitudes: the one expression of
// every distance, so that each walk gets the very same kilometres.
double centralCosine(double sinLat1, double cosLat1, double sinLat2, double cosLat2, double lonDifference)
{
    return sinLat2 * sinLat1 + cosLat2 * cosLat1 * std::cos(lonDifference);
}

double centralAngle(double sinLat1, double cosLat1, double sinLat2, double cosLat2, double lonDifference)
{
    const double x = centralCosine(sinLat1, cosLat1, sinLat2, cosLat2, lonDifference);
    return arcCosine(std::clamp(x, -kCosineLimit, kCosineLimit));
}

// A character code 65 + Int(value) and the like; out-of-range positions stay bytes.
char locatorCharacter(int base, double value)
{
    const double code = base + std::floor(value);
    return static_cast<char>(static_cast<int>(std::clamp(code, 0.0, 255.0)));
}

} // namespace

QthDegrees ComputeQTHDegrees(QByteArrayView locationLat, QByteArrayView locationLon)
{
    QthDegrees qth;
    qth.latitude = sexagesimal(characters(locationLat, 1, 2), characters(locationLat, 3, 2),
                               characters(locationLat, 5, 2));
    if (lastCharacter(locationLat) == 'S')
        qth.latitude = -qth.latitude;
    qth.longitude = sexagesimal(characters(locationLon, 1, 3), characters(locationLon, 4, 2),
                                characters(locationLon, 6, 2));
    if (lastCharacter(locationLon) == 'W')
        qth.longitude = -qth.longitude;
    return qth;
}

DistanceBearing CalcDistanceBearing(double lat1Rad, double lon1Rad, double lat2Rad, double lon2Rad)
{
    DistanceBearing result;
    if (lat1Rad == lat2Rad && lon1Rad == lon2Rad)
        return result;

    const double d = centralAngle(std::sin(lat1Rad), std::cos(lat1Rad), std::sin(lat2Rad), std::cos(lat2Rad),
                                  lon1Rad - lon2Rad);
    result.distanceKm = kEarthRadiusKm * d;

    // At a pole (or for a point on its antipode) the course is undefined; call it north.
    const double divisor = std::cos(lat2Rad) * std::sin(d);
    double bearingDeg = 0;
    if (divisor != 0) {
        const double c = (std::sin(lat1Rad) - std::sin(lat2Rad) * std::cos(d)) / divisor;
        if (!std::isfinite(c) || c >= 1)
            bearingDeg = 0;
        else if (c <= -1)
            bearingDeg = 180;
        else
            bearingDeg = (std::atan(-c / std::sqrt(1 - c * c)) + kQuarterTurn) * kDegreesPerRadian;
    }
    if (std::sin(lon2Rad - lon1Rad) > 0)
        bearingDeg = 360 - bearingDeg;
    result.bearingDeg = bearingDeg;
    return result;
}

PointRad::PointRad(double latRad, double lonRad)
    : latRad(latRad), lonRad(lonRad), sinLat(std::sin(latRad)), cosLat(std::cos(latRad))
{
}

DistanceFrom::DistanceFrom(double latRad, double lonRad) : m_near(latRad, lonRad) {}

double DistanceFrom::km(const PointRad &far) const
{
    if (far.latRad == m_near.latRad && far.lonRad == m_near.lonRad)
        return 0;
    return kmAtCosine(cosineTo(far));
}

double DistanceFrom::kmAtCosine(double cosine)
{
    return kEarthRadiusKm * arcCosine(std::clamp(cosine, -kCosineLimit, kCosineLimit));
}

double DistanceFrom::cosineTo(const PointRad &far) const
{
    return centralCosine(far.sinLat, far.cosLat, m_near.sinLat, m_near.cosLat, far.lonRad - m_near.lonRad);
}

namespace {

bool latitudeInRange(double latDeg)
{
    return std::fabs(latDeg) <= 90;
}

bool longitudeInRange(double lonDeg)
{
    return std::fabs(lonDeg) <= 180;
}

} // namespace

ReachAround::ReachAround(double centreLatDeg, double centreLonDeg, double limitKm)
    : m_centreLatDeg(centreLatDeg), m_centreLonDeg(centreLonDeg)
{
    // Fifty metres wider than the limit: at the antipode the clamp of the arc cosine's
    // argument takes up to 29 m off the distance.
    const double angleRad = (limitKm + 0.05) / kEarthRadiusKm;
    if (!(angleRad >= 0) || !latitudeInRange(centreLatDeg))
        return;
    // Along the meridian a point is as far as its difference in latitude at the least.
    m_latitudeReachDeg = angleRad * kDegreesPerRadian;
    // Off the meridian, the widest difference in longitude within the circle, unless it
    // holds a pole.
    if (std::fabs(centreLatDeg) + m_latitudeReachDeg < 90 && longitudeInRange(centreLonDeg))
        m_longitudeReachDeg =
            std::asin(std::sin(angleRad) / std::cos(centreLatDeg / kDegreesPerRadian)) * kDegreesPerRadian;
}

bool ReachAround::outsideByLatitude(double latDeg) const
{
    return m_latitudeReachDeg >= 0 && latitudeInRange(latDeg)
           && std::fabs(latDeg - m_centreLatDeg) > m_latitudeReachDeg;
}

bool ReachAround::outsideByLongitude(double latDeg, double lonDeg) const
{
    if (m_longitudeReachDeg < 0 || !latitudeInRange(latDeg) || !longitudeInRange(lonDeg))
        return false;
    double apartDeg = std::fabs(lonDeg - m_centreLonDeg);
    if (apartDeg > 180)
        apartDeg = 360 - apartDeg;
    return apartDeg > m_longitudeReachDeg;
}

QByteArray MakeLocator(double latDeg, double lonDeg)
{
    // Multiply by 0.1 and divide by 20, never the other way round: on exact field
    // boundaries the last bit decides the square.
    double a = (latDeg + 90) * 0.1;
    double b = (lonDeg + 180) / 20;
    if (b >= 18)
        b = b - 18;

    QByteArray locator(6, ' ');
    locator[0] = locatorCharacter(65, b);
    locator[1] = locatorCharacter(65, a);
    b = (b - std::floor(b)) * 10;
    a = (a - std::floor(a)) * 10;
    locator[2] = locatorCharacter(48, b);
    locator[3] = locatorCharacter(48, a);
    b = (b - std::floor(b)) * 24;
    a = (a - std::floor(a)) * 24;
    locator[4] = locatorCharacter(97, b);
    locator[5] = locatorCharacter(97, a);
    return locator;
}

double beaconCoordinateMagnitude(QByteArrayView text, qsizetype degreeDigits)
{
    // The whole number of count digits from position (1-based) on; -1 unless they are
    // all there and all digits.
    const auto digitsAt = [&text](qsizetype position, qsizetype count) {
        if (position + count - 1 > text.size())
            return -1;
        int value = 0;
        for (const char c : text.sliced(position - 1, count)) {
            if (c < '0' || c > '9')
                return -1;
            value = value * 10 + (c - '0');
        }
        return value;
    };
    const int degrees = digitsAt(2, degreeDigits);
    const int minutes = digitsAt(2 + degreeDigits, 2);
    const int seconds = digitsAt(4 + degreeDigits, 2);
    if (degrees < 0 || minutes < 0 || seconds < 0)
        return sexagesimal(characters(text, 2, degreeDigits), characters(text, 2 + degreeDigits, 2),
                           characters(text, 4 + degreeDigits, 2));
    return double(degrees) + double(minutes) / 60 + double(seconds) / 3600;
}

namespace {

// The whole number of count stored digits from offset at, or -1 when one of them does
// not read as a digit.
int storedDigits(QByteArrayView record, qsizetype at, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        // A stored digit is the digit raised by 2.
        const unsigned digit = static_cast<unsigned char>(record[at + i]) - unsigned('0' + 2);
        if (digit > 9)
            return -1;
        value = value * 10 + int(digit);
    }
    return value;
}

double storedCoordinateDegrees(QByteArrayView record, BeaconField field, int degreeDigits, char negativeMark)
{
    // In the writers' form the field reads from its first byte, and the digits give the
    // value beaconCoordinateMagnitude gives them.
    const qsizetype at = layoutOf(field).offset;
    const char mark = shiftedDown(static_cast<unsigned char>(record[at]));
    const int degrees = storedDigits(record, at + 1, degreeDigits);
    const int minutes = storedDigits(record, at + 1 + degreeDigits, 2);
    const int seconds = storedDigits(record, at + 3 + degreeDigits, 2);
    if (record[at] != ' ' && mark != ' ' && degrees >= 0 && minutes >= 0 && seconds >= 0) {
        const double value = double(degrees) + double(minutes) / 60 + double(seconds) / 3600;
        return mark == negativeMark ? -value : value;
    }
    std::array<char, layoutOf(BeaconField::Longitude).width> buffer{};
    const QByteArrayView text = decodeFieldInto(record, field, buffer);
    const double value = beaconCoordinateMagnitude(text, degreeDigits);
    return firstCharacter(text) == negativeMark ? -value : value;
}

} // namespace

double storedLatitudeDegrees(QByteArrayView record)
{
    return storedCoordinateDegrees(record, BeaconField::Latitude, 2, 'S');
}

double storedLongitudeDegrees(QByteArrayView record)
{
    return storedCoordinateDegrees(record, BeaconField::Longitude, 3, 'W');
}

double beaconLatitudeDegrees(QByteArrayView latitudeText)
{
    const double degrees = roundToDecimals(beaconCoordinateMagnitude(latitudeText, 2), 4);
    return firstCharacter(latitudeText) == 'S' ? -degrees : degrees;
}

double beaconLongitudeDegrees(QByteArrayView longitudeText)
{
    const double degrees = roundToDecimals(beaconCoordinateMagnitude(longitudeText, 3), 4);
    return firstCharacter(longitudeText) == 'W' ? -degrees : degrees;
}

QByteArray FindClosestMetar(const ProgramFolder &folder, double latDeg, double lonDeg)
{
    QByteArray content;
    if (readWholeFile(folder.path(QStringLiteral("Metar.txt")), &content).failed())
        return {};

    double bestKm = kFarthestStationKm;
    bool found = false;
    QByteArray bestCode, bestName, bestRegion;
    CsvFieldReader reader(std::move(content));
    for (;;) {
        // Code, an unused column, latitude, longitude, name, region. A station cut off
        // by the end of the file is no station.
        std::array<QByteArray, 6> field;
        qsizetype fieldsRead = 0;
        while (fieldsRead < qsizetype(field.size()) && !reader.atEnd())
            field[fieldsRead++] = reader.next();
        if (fieldsRead < qsizetype(field.size()))
            break;
        const DistanceBearing db = CalcDistanceBearing(
            latDeg / kDegreesPerRadian, lonDeg / kDegreesPerRadian,
            numericValue(field[2]) / kDegreesPerRadian, numericValue(field[3]) / kDegreesPerRadian);
        if (db.distanceKm < bestKm) {
            bestKm = roundToDecimals(db.distanceKm, 4);
            bestCode = field[0];
            bestName = field[4];
            bestRegion = field[5];
            found = true;
        }
    }
    if (!found)
        return {};
    if (trimBlanks(bestRegion) == "XX")
        return bestCode + ", " + bestName;
    return bestCode + ", " + bestRegion + ", " + bestName;
}

} // namespace qern
