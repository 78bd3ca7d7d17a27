#include "Nearby.h"

#include <QHash>

#include <algorithm>
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

// The centre and every beacon go through this one expression, so a beacon typed
// with the centre's digits compares equal to it exactly.
double sexagesimal(QByteArrayView degrees, QByteArrayView minutes, QByteArrayView seconds, bool negative)
{
    const double value =
        plainNumberValue(degrees) + plainNumberValue(minutes) / 60 + plainNumberValue(seconds) / 3600;
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

// The part of a line after the location: the state name and ", " when the state table
// knows the code, then the country name. Looked up once per pair of codes in a build.
class PlaceNames {
public:
    explicit PlaceNames(const NearbyContext &ctx) : m_ctx(ctx) {}

    const QByteArray &after(QByteArrayView stateCode, QByteArrayView countryCode)
    {
        std::array<char, 8> key{};
        key[0] = char(stateCode.size());
        std::copy(stateCode.begin(), stateCode.end(), key.begin() + 1);
        std::copy(countryCode.begin(), countryCode.end(), key.begin() + 1 + stateCode.size());
        const qsizetype keySize = 1 + stateCode.size() + countryCode.size();
        const auto found = m_names.constFind(QByteArray::fromRawData(key.data(), keySize));
        if (found != m_names.constEnd())
            return *found;
        return *m_names.insert(QByteArray(key.data(), keySize), lookUp(stateCode, countryCode));
    }

private:
    QByteArray lookUp(QByteArrayView stateCode, QByteArrayView countryCode) const
    {
        const QByteArray upperCountry = upperCase(countryCode);
        QByteArray text;
        if (m_ctx.states) {
            const QByteArray stateName = FindStateName(*m_ctx.states, stateCode, upperCountry);
            if (!stateName.isEmpty())
                text += stateName + ", ";
        }
        if (m_ctx.countries)
            text += FindCountryName(*m_ctx.countries, upperCountry);
        return text;
    }

    const NearbyContext &m_ctx;
    QHash<QByteArray, QByteArray> m_names; // key: state code length, state code, country code
};

void appendFitted(QByteArray &line, QByteArrayView text, qsizetype width)
{
    const qsizetype kept = std::min(text.size(), width);
    line.append(text.first(kept));
    line.append(width - kept, ' ');
}

QByteArray lineText(QByteArrayView record, bool logged, qint64 distance, PlaceNames &places, bool imperial)
{
    std::array<char, layoutOf(BeaconField::Ident).width> ident{};
    std::array<char, layoutOf(BeaconField::Frequency).width + 4> frequency{};
    std::array<char, layoutOf(BeaconField::Location).width> location{};
    std::array<char, layoutOf(BeaconField::StateCode).width> state{};
    std::array<char, layoutOf(BeaconField::CountryCode).width> country{};
    QByteArrayView kHz = decodeFieldInto(record, BeaconField::Frequency, frequency);
    std::copy_n(" kHz", 4, frequency.begin() + kHz.size());
    kHz = QByteArrayView(frequency.data(), kHz.size() + 4);

    QByteArray line;
    line.reserve(128);
    line.append(logged ? "***" : "   ");
    appendFitted(line, withoutSemicolonSuffix(decodeFieldInto(record, BeaconField::Ident, ident)), 8);
    appendFitted(line, kHz, 9);
    line.append(decodeFieldInto(record, BeaconField::Location, location));
    line.append(", ");
    line.append(places.after(decodeFieldInto(record, BeaconField::StateCode, state),
                             decodeFieldInto(record, BeaconField::CountryCode, country)));
    line.append(" (");
    line.append(signedText(distance));
    line.append(imperial ? " mi)" : " km)");
    return line;
}

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
    const QthDegrees qth = ComputeQTHDegrees(ctx.locationLat, ctx.locationLon);

    const QString path = databasePath(folder);
    if (!fileExists(path)) {
        result.outcome = NearbyOutcome::DatabaseMissing;
        return result;
    }

    const double unitKm = ctx.imperial ? kKmPerMile : 1.0;
    const DistanceFrom fromCentre(centre.latitude / kDegreesPerRadian, centre.longitude / kDegreesPerRadian);
    const DistanceFrom fromListener(qth.latitude / kDegreesPerRadian, qth.longitude / kDegreesPerRadian);
    // Farther along the meridian alone than this is out of the radius whatever the
    // kilometres' last digits: no need to work out the distance.
    const double surelyOutside = radius + 1.0;
    PlaceNames places(ctx);
    const FileError err = forEachRecord(path, BeaconRecord::Length, [&](qint64 number, QByteArrayView record) {
        const NearbyCentre at = beaconDegrees(record);
        if (at.latitude == centre.latitude && at.longitude == centre.longitude)
            return true;
        const double latRad = at.latitude / kDegreesPerRadian;
        const double lonRad = at.longitude / kDegreesPerRadian;
        if (fromCentre.lowerBoundKm(latRad) / unitKm > surelyOutside)
            return true;
        if (!(fromCentre.km(latRad, lonRad) / unitKm <= radius))
            return true;

        const qint64 shown = qint64(std::floor(fromListener.km(latRad, lonRad) / unitKm + 0.5));
        NearbyLine line;
        line.recordNumber = number;
        line.logged = loggedAt(record, ctx.currentLocationIndex);
        line.text = lineText(record, line.logged, shown, places, ctx.imperial);
        result.loggedFlag = result.loggedFlag || line.logged;
        ++result.foundCount;
        result.lines.append(std::move(line));
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
