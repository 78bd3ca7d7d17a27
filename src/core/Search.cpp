#include "Search.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cmath>

#include "BeaconDatabase.h"
#include "BeaconRecord.h"
#include "ClockTexts.h"
#include "Geodesy.h"
#include "LikePattern.h"
#include "SharedState.h"
#include "Text.h"

namespace qern {

namespace {

bool isFrequencyText(QByteArrayView text)
{
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || c == '.'))
            return false;
    }
    return true;
}

bool onlyQuestionMarks(QByteArrayView text)
{
    for (const char c : text) {
        if (c != '?')
            return false;
    }
    return true;
}

// False when a stored field surely does not read as text (trimmed, decoded, trimmed):
// its first stored character, unless it reads as a blank, is the text's first. Most
// records fail on that one byte.
bool mayRead(QByteArrayView record, BeaconField field, QByteArrayView text)
{
    if (text.isEmpty())
        return true;
    const FieldLayout f = layoutOf(field);
    qsizetype at = f.offset;
    while (at < f.offset + f.width && record[at] == ' ')
        ++at;
    if (at == f.offset + f.width)
        return false;
    const char first = shiftedDown(static_cast<unsigned char>(record[at]));
    return first == ' ' || first == text.front();
}

// Which idents a pattern look-up decodes and matches: its stored last character tells
// for nearly all of them.
class IdentEnds {
public:
    IdentEnds(const LikePattern &pattern, QByteArrayView text) : m_pattern(pattern)
    {
        m_textLast = text.isEmpty() ? -1 : static_cast<unsigned char>(text.back());
        for (int c = 0; c < 256; ++c)
            m_worthALook[c] = mayEnd(char(c)) || c == ' ' || c == ';' || (c >= '0' && c <= '9');
    }

    // False when the ident surely neither matches the pattern nor equals text: its last
    // stored character is the ident's last as compared, unless it reads as a blank or
    // may end a duplicate suffix (a semicolon and digits).
    bool mayMatch(QByteArrayView record) const
    {
        const FieldLayout f = layoutOf(BeaconField::Ident);
        const QByteArrayView stored = record.sliced(f.offset, f.width);
        qsizetype end = stored.size();
        while (end > 0 && stored[end - 1] == ' ')
            --end;
        if (end == 0)
            return true;
        const char last = shiftedDown(static_cast<unsigned char>(stored[end - 1]));
        if (!m_worthALook[static_cast<unsigned char>(last)])
            return false;
        const bool mayEndSuffix = (last == ';' || (last >= '0' && last <= '9')) && stored.contains(char(';' + 2));
        return mayEnd(last) || last == ' ' || mayEndSuffix;
    }

private:
    bool mayEnd(char c) const { return m_pattern.mayEndWith(c) || static_cast<unsigned char>(c) == m_textLast; }

    const LikePattern &m_pattern;
    int m_textLast;
    std::bitset<256> m_worthALook;
};

// Beacons at latitude or longitude 0 have no known position and always pass. The
// filter compares coordinates rounded to four decimals; rounding moves a beacon by
// less than 8 m, which decides only for beacons within a tenth of a kilometre of the
// radius, or at a coordinate that may round to 0. The others are decided by the cosine
// of their angle, unrounded.
class DistanceFilter {
public:
    explicit DistanceFilter(const SearchContext &ctx)
        : m_ctx(ctx), m_fromListener(listenerRad(ctx).first, listenerRad(ctx).second)
    {
        // Either side of these cosines (limits below 20000 km) a beacon is surely in or
        // out, whatever the last digits of its kilometres would be.
        const double radiusKm = ctx.metric ? ctx.distanceFilterValue : ctx.distanceFilterValue * kKmPerMile;
        if (radiusKm - kRoundingRoomKm >= 0 && radiusKm - kRoundingRoomKm < 20000)
            m_surelyIn = std::cos((radiusKm - kRoundingRoomKm) / kEarthRadiusKm) + 1e-9;
        if (radiusKm + kRoundingRoomKm >= 0 && radiusKm + kRoundingRoomKm < 20000)
            m_surelyOut = std::cos((radiusKm + kRoundingRoomKm) / kEarthRadiusKm) - 1e-9;
    }

    bool passes(QByteArrayView record) const
    {
        const double latDeg = storedLatitudeDegrees(record);
        const double lonDeg = storedLongitudeDegrees(record);
        if (std::fabs(latDeg) >= kMayRoundToZero && std::fabs(lonDeg) >= kMayRoundToZero) {
            const double cosine =
                m_fromListener.cosineTo(PointRad(latDeg / kDegreesPerRadian, lonDeg / kDegreesPerRadian));
            if (cosine > m_surelyIn)
                return true;
            if (cosine < m_surelyOut)
                return false;
        }
        return passesRounded(record);
    }

private:
    static constexpr double kRoundingRoomKm = 0.1;
    static constexpr double kMayRoundToZero = 0.0001; // degrees

    // The filter as it stands: coordinates rounded to four decimals.
    bool passesRounded(QByteArrayView record) const
    {
        std::array<char, layoutOf(BeaconField::Latitude).width> latitude{};
        std::array<char, layoutOf(BeaconField::Longitude).width> longitude{};
        const double latDeg = beaconLatitudeDegrees(decodeFieldInto(record, BeaconField::Latitude, latitude));
        const double lonDeg = beaconLongitudeDegrees(decodeFieldInto(record, BeaconField::Longitude, longitude));
        if (latDeg == 0 || lonDeg == 0)
            return true;
        const double km = m_fromListener.km(PointRad(latDeg / kDegreesPerRadian, lonDeg / kDegreesPerRadian));
        const double distance = m_ctx.metric ? km : km / kKmPerMile;
        return !(distance > m_ctx.distanceFilterValue);
    }

    static std::pair<double, double> listenerRad(const SearchContext &ctx)
    {
        const QthDegrees qth = ComputeQTHDegrees(ctx.locationLat, ctx.locationLon);
        return {qth.latitude / kDegreesPerRadian, qth.longitude / kDegreesPerRadian};
    }

    const SearchContext &m_ctx;
    DistanceFrom m_fromListener;
    double m_surelyIn = 2.0;   // cosines
    double m_surelyOut = -2.0;
};

} // namespace

SearchContext SearchContext::fromState(const SharedState &state, bool metric)
{
    SearchContext ctx;
    const int i = state.CurrentLocationIndex;
    if (i >= 0 && i < kLocationCount) {
        ctx.locationLat = state.LocationLat[i];
        ctx.locationLon = state.LocationLon[i];
    }
    ctx.distanceFilterValue = state.DistanceFilterValue;
    ctx.metric = metric;
    return ctx;
}

std::optional<qint64> SearchResult::shownRecord() const
{
    if (!found() || !shownMatch || *shownMatch < 0 || *shownMatch >= matches.size())
        return std::nullopt;
    return matches[*shownMatch];
}

bool SearchResult::hasMessage() const
{
    return outcome != SearchOutcome::Found && outcome != SearchOutcome::FrequencyNotAmongMatches;
}

QString SearchResult::messageText() const
{
    switch (outcome) {
    case SearchOutcome::EmptyText:
        return QStringLiteral("Empty search field.");
    case SearchOutcome::WildcardsOnly:
        return QStringLiteral("Searching wildcards only is not allowed.");
    case SearchOutcome::BadPattern:
        return QStringLiteral("Invalid pattern.");
    case SearchOutcome::NotFound:
        return filterOn ? QStringLiteral(
                              "Facility not found. Try turning Distance Filter OFF and search again.")
                        : QStringLiteral("Facility not found.");
    case SearchOutcome::ReadError:
        return error.messageText();
    case SearchOutcome::Found:
    case SearchOutcome::FrequencyNotAmongMatches:
        break;
    }
    return {};
}

QString SearchResult::messageTitle() const
{
    switch (outcome) {
    case SearchOutcome::EmptyText:
    case SearchOutcome::BadPattern:
        return QStringLiteral("Huh?");
    case SearchOutcome::WildcardsOnly:
        return QStringLiteral("A big no, no.");
    case SearchOutcome::NotFound:
        return QStringLiteral("Not found");
    case SearchOutcome::ReadError:
        return QStringLiteral("Error");
    case SearchOutcome::Found:
    case SearchOutcome::FrequencyNotAmongMatches:
        break;
    }
    return {};
}

SearchResult SearchBeacons(const ProgramFolder &folder, QByteArrayView text,
                           QByteArrayView frequency, bool filterOn, const SearchContext &ctx)
{
    SearchResult result;
    result.filterOn = filterOn;

    // Both checks look at the text as typed, before trimming.
    if (text.isEmpty()) {
        result.outcome = SearchOutcome::EmptyText;
        return result;
    }
    if (onlyQuestionMarks(text)) {
        result.outcome = SearchOutcome::WildcardsOnly;
        return result;
    }

    const QByteArray wanted = upperCase(trimBlanks(text));
    result.frequencySearch = isFrequencyText(wanted);
    std::optional<LikePattern> pattern;
    if (wanted.contains('?')) {
        pattern = LikePattern::compile(wanted);
        if (!pattern) {
            result.outcome = SearchOutcome::BadPattern;
            return result;
        }
    }

    const QString path = databasePath(folder);
    result.outcome = SearchOutcome::NotFound;
    if (!fileExists(path))
        return result;

    const DistanceFilter distanceFilter(ctx);

    // The frequency of each match, kept only to pick the one to show.
    QList<QByteArray> matchFrequencies;
    const bool pickByFrequency = !frequency.isEmpty();

    std::array<char, 7> identBuffer{};
    std::array<char, 6> frequencyBuffer{};
    const bool frequencySearch = result.frequencySearch;
    const std::optional<IdentEnds> identEnds = pattern ? std::optional<IdentEnds>(std::in_place, *pattern, wanted)
                                                       : std::nullopt;
    qint64 recordCount = 0;
    const FileError err = forEachRecord(path, BeaconRecord::Length,
                                        [&](qint64 number, QByteArrayView record) {
        recordCount = number;
        bool candidate;
        if (frequencySearch) {
            candidate = mayRead(record, BeaconField::Frequency, wanted)
                        && decodeFieldInto(record, BeaconField::Frequency, frequencyBuffer) == wanted;
        } else if (identEnds ? !identEnds->mayMatch(record) : !mayRead(record, BeaconField::Ident, wanted)) {
            candidate = false;
        } else {
            const QByteArrayView ident =
                withoutSemicolonSuffix(decodeFieldInto(record, BeaconField::Ident, identBuffer));
            candidate = (pattern && pattern->matches(ident))
                        || (ident.size() == wanted.size() && std::equal(ident.begin(), ident.end(), wanted.begin()));
        }
        if (!candidate)
            return true;
        if (filterOn && !distanceFilter.passes(record))
            return true;
        result.matches.append(number);
        if (pickByFrequency)
            matchFrequencies.append(
                decodeFieldInto(record, BeaconField::Frequency, frequencyBuffer).toByteArray());
        return true;
    });
    result.recordCount = recordCount;
    if (err) {
        if (err.number == FileError::notFound(path).number)
            return result;
        result.outcome = SearchOutcome::ReadError;
        result.error = err;
        result.matches.clear();
        return result;
    }

    // A file that is not a whole number of records is not trusted, whatever matched.
    if (result.matches.isEmpty() || fileLength(path) % BeaconRecord::Length != 0) {
        result.matches.clear();
        return result;
    }

    if (!pickByFrequency) {
        result.outcome = SearchOutcome::Found;
        result.shownMatch = 0;
        return result;
    }
    for (qsizetype i = 0; i < matchFrequencies.size(); ++i) {
        if (matchFrequencies[i] == frequency) {
            result.outcome = SearchOutcome::Found;
            result.shownMatch = i;
            return result;
        }
    }
    result.outcome = SearchOutcome::FrequencyNotAmongMatches;
    return result;
}

} // namespace qern
