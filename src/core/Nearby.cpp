#include "Nearby.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <charconv>
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

// A beacon's coordinate, negated after negativeMark.
double beaconCoordinate(QByteArrayView text, qsizetype degreeDigits, char negativeMark)
{
    const double value = beaconCoordinateMagnitude(text, degreeDigits);
    return characterAt(text, 1) == negativeMark ? -value : value;
}

double beaconLatitude(QByteArrayView record)
{
    std::array<char, layoutOf(BeaconField::Latitude).width> buffer{};
    return beaconCoordinate(decodeFieldInto(record, BeaconField::Latitude, buffer), 2, 'S');
}

double beaconLongitude(QByteArrayView record)
{
    std::array<char, layoutOf(BeaconField::Longitude).width> buffer{};
    return beaconCoordinate(decodeFieldInto(record, BeaconField::Longitude, buffer), 3, 'W');
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

// Writes a line into memory sized beforehand: one allocation per line.
class LineWriter {
public:
    explicit LineWriter(char *at) : m_at(at) {}
    void put(QByteArrayView text) { m_at = std::copy(text.begin(), text.end(), m_at); }
    // Left-aligned in width characters: padded with blanks, a longer text cut.
    void putFitted(QByteArrayView text, qsizetype width)
    {
        const qsizetype kept = std::min(text.size(), width);
        put(text.first(kept));
        m_at = std::fill_n(m_at, width - kept, ' ');
    }

private:
    char *m_at;
};

constexpr qsizetype kIdentColumn = 8;
constexpr qsizetype kFrequencyColumn = 9;

QByteArray lineText(QByteArrayView record, bool logged, qint64 distance, PlaceNames &places, bool imperial)
{
    std::array<char, layoutOf(BeaconField::Ident).width> identBuffer{};
    std::array<char, layoutOf(BeaconField::Frequency).width> frequencyBuffer{};
    std::array<char, layoutOf(BeaconField::Location).width> locationBuffer{};
    std::array<char, layoutOf(BeaconField::StateCode).width> stateBuffer{};
    std::array<char, layoutOf(BeaconField::CountryCode).width> countryBuffer{};
    const QByteArrayView ident =
        withoutSemicolonSuffix(decodeFieldInto(record, BeaconField::Ident, identBuffer));
    // The trimmed frequency may start inside its buffer (" 283" reads as "283").
    const QByteArrayView frequency = decodeFieldInto(record, BeaconField::Frequency, frequencyBuffer);
    std::array<char, layoutOf(BeaconField::Frequency).width + 4> kHzBuffer{};
    std::copy_n(" kHz", 4, std::copy(frequency.begin(), frequency.end(), kHzBuffer.begin()));
    const QByteArrayView kHz(kHzBuffer.data(), frequency.size() + 4);
    const QByteArrayView location = decodeFieldInto(record, BeaconField::Location, locationBuffer);
    const QByteArray &place = places.after(decodeFieldInto(record, BeaconField::StateCode, stateBuffer),
                                           decodeFieldInto(record, BeaconField::CountryCode, countryBuffer));
    // The number form: a blank before a non-negative number.
    std::array<char, 24> distanceBuffer{};
    distanceBuffer[0] = ' ';
    const qsizetype signRoom = distance < 0 ? 0 : 1;
    const auto written =
        std::to_chars(distanceBuffer.data() + signRoom, distanceBuffer.data() + distanceBuffer.size(), distance);
    const QByteArrayView distanceText(distanceBuffer.data(), written.ptr - distanceBuffer.data());
    const QByteArrayView unit = imperial ? " mi)" : " km)";

    QByteArray line(3 + kIdentColumn + kFrequencyColumn + location.size() + 2 + place.size() + 2
                        + distanceText.size() + unit.size(),
                    Qt::Uninitialized);
    LineWriter out(line.data());
    out.put(logged ? "***" : "   ");
    out.putFitted(ident, kIdentColumn);
    out.putFitted(kHz, kFrequencyColumn);
    out.put(location);
    out.put(", ");
    out.put(place);
    out.put(" (");
    out.put(distanceText);
    out.put(unit);
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
    const double radiusKm = radius * unitKm;
    const DistanceFrom fromCentre(centre.latitude / kDegreesPerRadian, centre.longitude / kDegreesPerRadian);
    const DistanceFrom fromListener(qth.latitude / kDegreesPerRadian, qth.longitude / kDegreesPerRadian);
    // Most beacons lie beyond the radius by their latitude alone, and most of the rest by
    // their longitude; of the others, an angle of a smaller cosine is beyond it too. A
    // kilometre of room covers the rounding of the radius in miles.
    const ReachAround reach(centre.latitude, centre.longitude, radiusKm + 1.0);
    const double outsideCosine =
        radiusKm >= 0 && radiusKm < 20000 ? std::cos(radiusKm / kEarthRadiusKm) - 1e-9 : -2.0;
    PlaceNames places(ctx);
    const FileError err = forEachRecord(path, BeaconRecord::Length, [&](qint64 number, QByteArrayView record) {
        const double latitude = beaconLatitude(record);
        if (reach.outsideByLatitude(latitude))
            return true;
        const double longitude = beaconLongitude(record);
        if ((latitude == centre.latitude && longitude == centre.longitude)
            || reach.outsideByLongitude(latitude, longitude))
            return true;
        const PointRad beacon(latitude / kDegreesPerRadian, longitude / kDegreesPerRadian);
        if (fromCentre.cosineTo(beacon) < outsideCosine || !(fromCentre.km(beacon) / unitKm <= radius))
            return true;

        const qint64 shown = qint64(std::floor(fromListener.km(beacon) / unitKm + 0.5));
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
