#include "Nearby.h"

#include <array>
#include <cmath>

#include "BeaconDatabase.h"
#include "BeaconRecord.h"
#include "ClockTexts.h"
#include "Geodesy.h"
#include "NumberText.h"
#include "SharedState.h"
#include "Tables.h"
#include "Text.h"

namespace qern {

namespace {

char characterAt(QByteArrayView text, qsizetype position)
{
    return position <= text.size() ? text[position - 1] : '\0';
}

// A group of plain digits is read directly: the scan reads six per record, and
// numericValue gives the same whole number for them.
double groupValue(QByteArrayView group)
{
    if (group.isEmpty() || group.size() > 9)
        return numericValue(group);
    qint64 value = 0;
    for (const char c : group) {
        if (c < '0' || c > '9')
            return numericValue(group);
        value = value * 10 + (c - '0');
    }
    return double(value);
}

// The centre and every beacon go through this one expression, so a beacon typed
// with the centre's digits compares equal to it exactly.
double sexagesimal(QByteArrayView degrees, QByteArrayView minutes, QByteArrayView seconds, bool negative)
{
    const double value = groupValue(degrees) + groupValue(minutes) / 60 + groupValue(seconds) / 3600;
    return negative ? -value : value;
}

NearbyCentre beaconDegrees(QByteArrayView record)
{
    std::array<char, 9> latBuffer{};
    std::array<char, 10> lonBuffer{};
    const QByteArrayView lat = decodeFieldInto(record, BeaconField::Latitude, latBuffer);
    const QByteArrayView lon = decodeFieldInto(record, BeaconField::Longitude, lonBuffer);
    return {sexagesimal(characters(lat, 2, 2), characters(lat, 4, 2), characters(lat, 6, 2),
                        characterAt(lat, 1) == 'S'),
            sexagesimal(characters(lon, 2, 3), characters(lon, 5, 2), characters(lon, 7, 2),
                        characterAt(lon, 1) == 'W')};
}

double distanceBetween(const NearbyCentre &far, const NearbyCentre &near, bool imperial)
{
    const DistanceBearing db =
        CalcDistanceBearing(far.latitude / kDegreesPerRadian, far.longitude / kDegreesPerRadian,
                            near.latitude / kDegreesPerRadian, near.longitude / kDegreesPerRadian);
    return imperial ? db.distanceKm / kKmPerMile : db.distanceKm;
}

QByteArray lineText(const BeaconRecord &beacon, bool logged, qint64 distance, const NearbyContext &ctx)
{
    const auto field = [&beacon](BeaconField f) { return beacon.trimmedText(f); };
    const QByteArray countryCode = upperCase(field(BeaconField::CountryCode));
    QByteArray line = logged ? "***" : "   ";
    line += fitField(StripSemicolonSuffix(field(BeaconField::Ident)), 8);
    line += fitField(field(BeaconField::Frequency) + " kHz", 9);
    line += field(BeaconField::Location) + ", ";
    if (ctx.states) {
        const QByteArray stateName = FindStateName(*ctx.states, field(BeaconField::StateCode), countryCode);
        if (!stateName.isEmpty())
            line += stateName + ", ";
    }
    if (ctx.countries)
        line += FindCountryName(*ctx.countries, countryCode);
    line += " (" + signedText(distance) + (ctx.imperial ? " mi)" : " km)");
    return line;
}

} // namespace

NearbyCentre nearbyCentreDegrees(QByteArrayView centreLat, QByteArrayView centreLon)
{
    return {sexagesimal(characters(centreLat, 1, 2), characters(centreLat, 4, 2), characters(centreLat, 7, 2),
                        characterAt(centreLat, 10) == 'S'),
            sexagesimal(characters(centreLon, 1, 3), characters(centreLon, 5, 2), characters(centreLon, 8, 2),
                        characterAt(centreLon, 11) == 'W')};
}

QByteArray nearbySearchCaption(qint64 foundCount)
{
    return "Search returned" + signedText(foundCount) + " beacons.";
}

QByteArray NearbyResult::lblSearchCaption() const
{
    return nearbySearchCaption(foundCount);
}

QString NearbyResult::messageText() const
{
    switch (outcome) {
    case NearbyOutcome::DatabaseMissing:
        return QStringLiteral("Main database missing");
    case NearbyOutcome::ReadError:
        return error.messageText();
    case NearbyOutcome::Done:
    case NearbyOutcome::Stopped:
        break;
    }
    return {};
}

NearbyResult FindNearbyBeacons(const ProgramFolder &folder, double radius, QByteArrayView centreLat,
                               QByteArrayView centreLon, const NearbyContext &ctx, const NearbyLineSink &onLine)
{
    NearbyResult result;
    const NearbyCentre centre = nearbyCentreDegrees(centreLat, centreLon);
    const QthDegrees qthDegrees = ComputeQTHDegrees(ctx.locationLat, ctx.locationLon);
    const NearbyCentre qth{qthDegrees.latitude, qthDegrees.longitude};

    const QString path = databasePath(folder);
    if (!fileExists(path)) {
        result.outcome = NearbyOutcome::DatabaseMissing;
        return result;
    }

    const FileError err = forEachRecord(path, BeaconRecord::Length, [&](qint64 number, QByteArrayView record) {
        const NearbyCentre at = beaconDegrees(record);
        if (at.latitude == centre.latitude && at.longitude == centre.longitude)
            return true;
        if (!(distanceBetween(at, centre, ctx.imperial) <= radius))
            return true;

        const BeaconRecord beacon = BeaconRecord::fromBytes(record);
        const qint64 shown = qint64(std::floor(distanceBetween(at, qth, ctx.imperial) + 0.5));
        NearbyLine line;
        line.recordNumber = number;
        line.lineNumber = result.lines.size() + 1;
        line.logged = beacon.isLoggedAt(ctx.currentLocationIndex);
        line.text = lineText(beacon, line.logged, shown, ctx);
        result.loggedFlag = result.loggedFlag || line.logged;
        ++result.foundCount;
        result.lines.append(line);
        if (onLine && !onLine(line)) {
            result.outcome = NearbyOutcome::Stopped;
            return false;
        }
        return true;
    });
    if (err) {
        result.outcome = NearbyOutcome::ReadError;
        result.error = err;
    }
    return result;
}

QByteArray nearbyCoverageCaption(QByteArrayView shownIdent, QByteArrayView shownFrequency, bool imperial)
{
    return "Coverage radius from " + shownIdent.toByteArray() + "-" + shownFrequency.toByteArray() + " kHz" +
           (imperial ? " (mi)" : " (km)");
}

QByteArray proposedNearbyRadius(bool imperial)
{
    return imperial ? "100" : "160";
}

} // namespace qern
