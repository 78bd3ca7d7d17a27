#include "BeaconDisplay.h"

#include <QDate>

#include <cmath>
#include <optional>

#include "BeaconDatabase.h"
#include "BeaconRecord.h"
#include "ClockTexts.h"
#include "Geodesy.h"
#include "LogRecords.h"
#include "NumberText.h"
#include "Tables.h"
#include "Text.h"

namespace qern {

namespace {

constexpr quint32 kLocationBits = (1u << kLocationCount) - 1;

QByteArray joinedWithBlanks(std::initializer_list<QByteArrayView> parts)
{
    QByteArray out;
    for (auto it = parts.begin(); it != parts.end(); ++it) {
        if (it != parts.begin())
            out += ' ';
        out += *it;
    }
    return out;
}

qint64 wholePart(double value)
{
    return static_cast<qint64>(std::floor(value));
}

struct LastEntry {
    std::optional<LogRecord> entry;
    FileError error;
};

LastEntry lastEntryAt(const ProgramFolder &folder, int location, QByteArrayView ident,
                      QByteArrayView frequency)
{
    LastEntry found;
    found.error = findLastLogEntry(logbookPath(folder, location), ident, frequency, &found.entry);
    return found;
}

} // namespace

DisplayContext DisplayContext::fromState(const SharedState &state, const CountryTable *countries,
                                         const StateTable *states, bool imperial,
                                         const std::array<QByteArray, kLocationCount> &locationNames,
                                         const QByteArray &dxLogger)
{
    return {ListenerContext::fromState(state, countries, states, imperial), locationNames, dxLogger};
}

QByteArray loggedDateText(QByteArrayView logDate)
{
    static constexpr const char *kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QByteArray date = trimBlanks(logDate);
    if (date.isEmpty())
        return "unknown date";
    bool digitsOnly = date.size() == 8;
    for (const char c : date)
        digitsOnly = digitsOnly && c >= '0' && c <= '9';
    if (!digitsOnly)
        return date;
    const int year = date.left(4).toInt();
    const int month = date.mid(4, 2).toInt();
    const int day = date.mid(6, 2).toInt();
    if (year < 1 || !QDate(year, month, day).isValid())
        return date;
    return date.mid(6, 2) + '-' + kMonths[month - 1] + '-' + date.left(4);
}

QByteArray lastLoggedCaption(QByteArrayView logDate)
{
    return " *** Last logged on " + loggedDateText(logDate) + " ***";
}

BeaconPlace beaconPlace(const BeaconRecord &beacon, const CountryTable *countries, const StateTable *states)
{
    BeaconPlace place;
    const QByteArray countryCode = beacon.trimmedText(BeaconField::CountryCode);
    if (countries)
        place.countryName = FindCountryName(*countries, countryCode);
    if (states)
        place.stateName = FindStateName(*states, upperCase(beacon.trimmedText(BeaconField::StateCode)), countryCode);
    const QByteArray location = beacon.trimmedText(BeaconField::Location);
    place.location = place.stateName.isEmpty() ? location : location + ", " + place.stateName;
    return place;
}

BeaconDisplay ShowBeacon(const ProgramFolder &folder, qint64 recNo, const DisplayContext &ctx)
{
    BeaconDisplay d;
    d.CurrentRecordNumber = recNo;
    if (recNo < 1 || recNo > databaseRecordCount(folder)) {
        d.cleared = true;
        return d;
    }
    BeaconRecord beacon;
    if (FileError err = readBeacon(folder, recNo, &beacon)) {
        d.cleared = true;
        // Gone between the count and the read: the same as past the end.
        if (err.number != FileError::notFound(QString()).number)
            d.error = err;
        return d;
    }

    const auto field = [&beacon](BeaconField f) { return beacon.trimmedText(f); };
    d.shown = shownBeaconOf(recNo, beacon);
    // The logbooks keep the ident as stored, duplicate suffix included.
    const QByteArray storedIdent = field(BeaconField::Ident);
    d.ShownIdent = StripSemicolonSuffix(storedIdent);
    d.ShownFrequency = field(BeaconField::Frequency);
    d.LoggedMaskValue = beacon.loggedMask();
    d.CurrentDAID = numericValue(field(BeaconField::DAID)) == 1 ? 1 : 0;
    d.lblDAIDVisible = d.CurrentDAID == 1;
    d.txtComments = field(BeaconField::Comments);
    d.txtUSB = field(BeaconField::USB);
    d.txtLSB = field(BeaconField::LSB);
    d.txtCycle = field(BeaconField::Cycle);
    d.lblkHz = d.ShownIdent + "  " + d.ShownFrequency + " kHz";

    const BeaconPlace place = beaconPlace(beacon, ctx.countries, ctx.states);
    d.CountryNameFound = place.countryName;
    d.txtCountry = place.countryName;
    d.StateNameFound = place.stateName;
    d.txtLocation = place.location;

    // Last logged: here by date, elsewhere by location. Entries belong to the beacon
    // by ident and frequency.
    const quint32 locations = d.LoggedMaskValue & kLocationBits;
    const bool currentValid = ctx.currentLocationIndex >= 0 && ctx.currentLocationIndex < kLocationCount;
    const bool loggedHere = currentValid && (locations >> ctx.currentLocationIndex) & 1u;
    std::array<std::optional<LogRecord>, kLocationCount> lastEntries;
    for (int i = 0; i < kLocationCount; ++i) {
        if (!((locations >> i) & 1u))
            continue;
        LastEntry found = lastEntryAt(folder, i, storedIdent, d.ShownFrequency);
        if (found.error && !d.logbookError)
            d.logbookError = found.error;
        lastEntries[i] = found.entry;
        if (found.entry)
            d.lstGotLogged.append(ctx.locationNames[i] + " - Last logged on " +
                                  loggedDateText(found.entry->date()));
    }
    if (locations == 0) {
        d.lblLoggedVisible = false;
        d.lblGotLoggedVisible = false;
    } else if (!loggedHere) {
        d.lblLoggedVisible = true;
        d.lblLoggedCaption = kLoggedElsewhereCaption;
        d.lblGotLoggedVisible = true;
    } else {
        d.lblLoggedVisible = true;
        const auto &here = lastEntries[ctx.currentLocationIndex];
        d.lblLoggedCaption = here ? lastLoggedCaption(here->date()) : QByteArray(kLoggedNoEntryCaption);
        d.lblGotLoggedVisible = false;
    }

    d.txtPower = field(BeaconField::Power) + " / " + field(BeaconField::BeaconClass);

    d.BeaconLatitudeText = field(BeaconField::Latitude);
    d.BeaconLongitudeText = field(BeaconField::Longitude);
    const QByteArrayView lat = d.BeaconLatitudeText;
    const QByteArrayView lon = d.BeaconLongitudeText;
    d.txtLat = joinedWithBlanks({characters(lat, 2, 2), characters(lat, 4, 2), characters(lat, 6, 2), characters(lat, 1, 1)});
    d.txtLon = joinedWithBlanks({characters(lon, 2, 3), characters(lon, 5, 2), characters(lon, 7, 2), characters(lon, 1, 1)});
    d.BeaconLatitudeDeg = beaconLatitudeDegrees(lat);
    d.BeaconLongitudeDeg = beaconLongitudeDegrees(lon);

    const QByteArray current = field(BeaconField::Current);
    d.txtCurrent = characters(current, 1, 4).toByteArray() + ' ' + characters(current, 5, 2).toByteArray();

    const QthDegrees qth = ComputeQTHDegrees(ctx.locationLat, ctx.locationLon);
    d.QTHLatitude = qth.latitude;
    d.QTHLongitude = qth.longitude;
    d.QTHLocator = MakeLocator(d.BeaconLatitudeDeg, d.BeaconLongitudeDeg);
    const DistanceBearing db = CalcDistanceBearing(
        d.BeaconLatitudeDeg / kDegreesPerRadian, d.BeaconLongitudeDeg / kDegreesPerRadian,
        qth.latitude / kDegreesPerRadian, qth.longitude / kDegreesPerRadian);
    d.Distance = db.distanceKm;
    d.Bearing = db.bearingDeg;
    d.txtDistance = ctx.imperial ? signedText(wholePart(d.Distance / kKmPerMile)) + " miles"
                                 : signedText(wholePart(d.Distance)) + " km";
    d.txtBearing = signedText(wholePart(d.Bearing + 0.5)) + kDegreeSign;

    const bool positionKnown = !(numericValue(d.txtLat) == 0 && numericValue(d.txtLon) == 0);
    if (positionKnown) {
        d.txtLocator = d.QTHLocator;
    } else {
        d.txtDistance.clear();
        d.txtBearing.clear();
    }
    d.cmdMapItEnabled = positionKnown;
    d.cmdNearbyEnabled = positionKnown;

    QByteArray sidebands;
    if (!d.txtUSB.isEmpty())
        sidebands += '+' + d.txtUSB + ' ';
    if (!d.txtLSB.isEmpty())
        sidebands += '-' + d.txtLSB + ' ';
    d.clipboardLine = d.ShownIdent + ':' + d.ShownFrequency + ", " + sidebands + d.txtLocation +
                      ", " + d.txtCountry + ' ' + ctx.dxLogger;
    return d;
}

void BeaconDisplay::applyTo(SharedState &state) const
{
    if (cleared)
        return;
    state.CurrentRecordNumber = CurrentRecordNumber;
    state.ShownIdent = ShownIdent;
    state.CurrentIdent = ShownIdent;
    state.ShownFrequency = ShownFrequency;
    state.CurrentFrequency = ShownFrequency;
    state.LoggedMaskValue = LoggedMaskValue;
    state.CurrentDAID = CurrentDAID;
    state.BeaconLatitudeText = BeaconLatitudeText;
    state.BeaconLongitudeText = BeaconLongitudeText;
    state.BeaconLatitudeDeg = BeaconLatitudeDeg;
    state.BeaconLongitudeDeg = BeaconLongitudeDeg;
    state.QTHLatitude = QTHLatitude;
    state.QTHLongitude = QTHLongitude;
    state.Distance = Distance;
    state.Bearing = Bearing;
    state.QTHLocator = QTHLocator;
    state.CountryNameFound = CountryNameFound;
    state.StateNameFound = StateNameFound;
}

void clearBeaconState(SharedState &state)
{
    state.SearchMatchCount = 0;
    state.CurrentDAID = 0;
}

} // namespace qern
