#pragma once
// Distance, bearing and locator on a sphere, and the nearest weather station.
// Angles: degrees unless a name says Rad; latitude north positive, longitude east
// positive. Distances in kilometres.

#include <QByteArray>
#include <QByteArrayView>

#include "ProgramFolder.h"

namespace qern {

constexpr double kDegreesPerRadian = 57.2957795130823;
constexpr double kEarthRadiusKm = 6371.29;
constexpr double kKmPerMile = 1.609; // the program's statute mile

struct QthDegrees {
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive
};

// A listening location's texts: "430000N" (DDMMSS + N/S) and "0800000W" or the
// first-run "08000000W" (DDDMMSS, extra digits ignored, + E/W). Only a capital
// "S" or "W" negates.
QthDegrees ComputeQTHDegrees(QByteArrayView locationLat, QByteArrayView locationLon);

struct DistanceBearing {
    double distanceKm = 0;
    double bearingDeg = 0; // 0 to 360 from true north, clockwise
};

// Point 1 is the far point (beacon, station), point 2 the listener; all radians.
// The bearing is the initial course from point 2 towards point 1. Never NaN or
// infinite: identical points give 0 km at 0 degrees, antipodes and poles are clamped.
DistanceBearing CalcDistanceBearing(double lat1Rad, double lon1Rad, double lat2Rad, double lon2Rad);

// A point with the sine and cosine of its latitude worked out once, for all the
// distances a walk takes from it.
struct PointRad {
    PointRad(double latRad, double lonRad);
    double latRad;
    double lonRad;
    double sinLat;
    double cosLat;
};

// CalcDistanceBearing's distanceKm from one fixed point (point 2) to many, without the
// bearing: the same kilometres, for walks that look at every record.
class DistanceFrom {
public:
    DistanceFrom(double latRad, double lonRad);
    double km(const PointRad &far) const;
    // km() of a point other than the near one, from its cosineTo(): for a walk that has
    // the cosine already.
    static double kmAtCosine(double cosine);
    // The cosine of the angle between the two points as km() works it out, before its
    // arc cosine: for any limit from 0 to 20000 km, a point whose cosine is below
    // cos(limit / radius) - 1e-9 is farther than limit km, and one whose cosine is above
    // cos(limit / radius) + 1e-9 is nearer, without the arc cosine.
    double cosineTo(const PointRad &far) const;

private:
    PointRad m_near;
};

// The latitudes and longitudes around a centre that hold every point within limitKm
// of it, as km() measures: a point outside them is farther, and its distance need not
// be worked out. The formulas take a latitude beyond 90 degrees as one on the far side
// of the pole, and a longitude beyond 180 as one the other way round: such a point or
// centre is never found outside.
class ReachAround {
public:
    ReachAround(double centreLatDeg, double centreLonDeg, double limitKm);
    bool outsideByLatitude(double latDeg) const;
    bool outsideByLongitude(double latDeg, double lonDeg) const;

private:
    double m_centreLatDeg;
    double m_centreLonDeg;
    double m_latitudeReachDeg = -1;  // negative: no point is outside by latitude
    double m_longitudeReachDeg = -1; // the same by longitude (the circle holds a pole)
};

// Six-character Maidenhead locator ("FN03aa") of a position in degrees.
QByteArray MakeLocator(double latDeg, double lonDeg);

// DD + MM / 60 + SS / 3600 of a beacon's coordinate text, the degrees of degreeDigits
// from character 2: unrounded, the hemisphere letter not applied. Plain digits, what
// every record holds, are read at once, to the very value the number reader gives.
double beaconCoordinateMagnitude(QByteArrayView text, qsizetype degreeDigits);

// The same, negated for a leading "S" (latitude) or "W" (longitude), read from a stored
// record of ndb.dat: unrounded, what its decoded, trimmed field gives. A field in the
// writers' form (the hemisphere letter, then digits) is read where it is stored, as
// walks over every record need.
double storedLatitudeDegrees(QByteArrayView record);
double storedLongitudeDegrees(QByteArrayView record);

// The beacon's coordinates from the trimmed record texts ("N453000" + "00",
// "W0754210" + "00"): characters 2-3, 4-5, 6-7 (longitude 2-4, 5-6, 7-8), negated
// for a leading "S"/"W", rounded to four decimals.
double beaconLatitudeDegrees(QByteArrayView latitudeText);
double beaconLongitudeDegrees(QByteArrayView longitudeText);

// Caption of the nearest station in Metar.txt of the folder: "CODE, Name" for region
// "XX", else "CODE, REGION, Name". Empty when the file is missing or holds no station
// within 20000 km.
QByteArray FindClosestMetar(const ProgramFolder &folder, double latDeg, double lonDeg);

} // namespace qern
