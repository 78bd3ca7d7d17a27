#include "Nearby.h"

#include <QFileInfo>

#include <array>
#include <cmath>

#include "BeaconDatabase.h"
#include "BeaconRecord.h"
#include "ClockTexts.h"
#include "Geodesy.h"
#include "NumberText.h"
#include "PlainNumber.h"
#include "SharedState.h"
#include "Tables.h"
#include "Text.h"

namespace qern {

namespace {

char characterAt(QByteArrayView text, qsizetype position)
{
    return position <= text.size() ? text[position - 1] : '\0';
}

// The expression of beaconCoordinateMagnitude, so that a beacon typed with the centre's
// digits compares equal to it exactly.
double sexagesimal(QByteArrayView degrees, QByteArrayView minutes, QByteArrayView seconds, bool negative)
{
    const double value =
        plainNumberValue(degrees) + plainNumberValue(minutes) / 60 + plainNumberValue(seconds) / 3600;
    return negative ? -value : value;
}

// A line is written from the fields of its record up to Frequency.
constexpr qsizetype kLineFieldsWidth = layoutOf(BeaconField::Frequency).offset + layoutOf(BeaconField::Frequency).width;
static_assert(layoutOf(BeaconField::Ident).offset == 0 && layoutOf(BeaconField::CountryCode).offset < kLineFieldsWidth
              && layoutOf(BeaconField::StateCode).offset < kLineFieldsWidth
              && layoutOf(BeaconField::Location).offset < kLineFieldsWidth);

bool loggedAt(QByteArrayView record, int location)
{
    if (location < 0 || location > 31)
        return false;
    const quint32 bit = 1u << location;
    return (storedLoggedMask(record) & bit) == bit;
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
        break;
    }
    return {};
}

NearbyResult FindNearbyBeacons(const ProgramFolder &folder, double radius, QByteArrayView centreLat,
                               QByteArrayView centreLon, const NearbyContext &ctx)
{
    NearbyResult result;
    const NearbyCentre centre = nearbyCentreDegrees(centreLat, centreLon);

    const QString path = databasePath(folder);
    if (!fileExists(path)) {
        result.outcome = NearbyOutcome::DatabaseMissing;
        return result;
    }

    const double unitKm = ctx.imperial ? kKmPerMile : 1.0;
    const double radiusKm = radius * unitKm;
    const DistanceFrom fromCentre(centre.latitude / kDegreesPerRadian, centre.longitude / kDegreesPerRadian);
    // Most beacons lie beyond the radius by their latitude alone, and most of the rest by
    // their longitude; of the others, the cosine of the angle tells most of those beyond
    // and within it, and only the ones near the radius need its arc cosine. A kilometre
    // of room covers the rounding of the radius in miles.
    const ReachAround reach(centre.latitude, centre.longitude, radiusKm + 1.0);
    double surelyOutside = -2.0; // cosines
    double surelyInside = 2.0;
    if (radiusKm >= 0 && radiusKm < 20000) {
        surelyOutside = std::cos(radiusKm / kEarthRadiusKm) - 1e-9;
        surelyInside = std::cos(radiusKm / kEarthRadiusKm) + 1e-9;
    }
    result.context = ctx;
    // Room for every record at once: growing the copies step by step costs more than
    // the walk's own arithmetic.
    const qsizetype records = qsizetype(QFileInfo(path).size() / BeaconRecord::Length);
    result.lines.reserve(records);
    result.storedFields.reserve(records * kLineFieldsWidth);
    const FileError err = forEachRecord(path, BeaconRecord::Length, [&](qint64 number, QByteArrayView record) {
        const double latitude = storedLatitudeDegrees(record);
        if (reach.outsideByLatitude(latitude))
            return true;
        const double longitude = storedLongitudeDegrees(record);
        if ((latitude == centre.latitude && longitude == centre.longitude)
            || reach.outsideByLongitude(latitude, longitude))
            return true;
        const double cosine =
            fromCentre.cosineTo(PointRad(latitude / kDegreesPerRadian, longitude / kDegreesPerRadian));
        if (cosine < surelyOutside
            || (cosine <= surelyInside && !(DistanceFrom::kmAtCosine(cosine) / unitKm <= radius)))
            return true;

        const NearbyLine line{number, loggedAt(record, ctx.currentLocationIndex), latitude, longitude};
        result.storedFields.append(record.first(kLineFieldsWidth));
        result.loggedFlag = result.loggedFlag || line.logged;
        ++result.foundCount;
        result.lines.append(line);
        return true;
    });
    if (err) {
        result.outcome = NearbyOutcome::ReadError;
        result.error = err;
    }
    return result;
}

QByteArray nearbyLineText(const BeaconRecord &record, bool logged, qint64 distance, const NearbyContext &ctx)
{
    QByteArray text = (logged ? "***" : "   ")
                      + fitField(StripSemicolonSuffix(record.trimmedText(BeaconField::Ident)), 8)
                      + fitField(record.trimmedText(BeaconField::Frequency) + " kHz", 9)
                      + record.trimmedText(BeaconField::Location) + ", ";
    const QByteArray country = upperCase(record.trimmedText(BeaconField::CountryCode));
    if (ctx.states) {
        const QByteArray state = FindStateName(*ctx.states, record.trimmedText(BeaconField::StateCode), country);
        if (!state.isEmpty())
            text += state + ", ";
    }
    if (ctx.countries)
        text += FindCountryName(*ctx.countries, country);
    return text + " (" + signedText(distance) + (ctx.imperial ? " mi)" : " km)");
}

QByteArray NearbyResult::lineText(qsizetype index) const
{
    const NearbyLine &line = lines[index];
    // The distance shown is the one from the listening location, not from the centre.
    const QthDegrees qth = ComputeQTHDegrees(context.locationLat, context.locationLon);
    const double km = DistanceFrom(qth.latitude / kDegreesPerRadian, qth.longitude / kDegreesPerRadian)
                          .km(PointRad(line.latitude / kDegreesPerRadian, line.longitude / kDegreesPerRadian));
    const double shown = context.imperial ? km / kKmPerMile : km;
    return nearbyLineText(
        BeaconRecord::fromBytes(QByteArrayView(storedFields).sliced(index * kLineFieldsWidth, kLineFieldsWidth)),
        line.logged, qint64(std::floor(shown + 0.5)), context);
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
