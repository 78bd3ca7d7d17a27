#include "Search.h"

#include <algorithm>
#include <array>
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

// Which records a look-up decodes and compares: one stored byte of a field tells for
// nearly all of them, looked up in a table of its 256 values made once per look-up.
// A frequency or an exact ident is told by its first stored character, a pattern by
// the ident's last.
class StoredByteTest {
public:
    // The first stored character, unless it reads as a blank (trimmed after decoding),
    // is the text's first.
    static StoredByteTest firstOf(BeaconField field, QByteArrayView text)
    {
        StoredByteTest test(field, false);
        for (int c = 0; c < 256; ++c) {
            const char shown = shiftedDown(static_cast<unsigned char>(c));
            test.m_verdict[c] = text.isEmpty() || shown == ' ' || shown == text.front() ? Maybe : No;
        }
        test.m_blankFieldMayMatch = text.isEmpty();
        return test;
    }

    // The last stored character of the ident is its last as compared, unless it reads
    // as a blank or may end a duplicate suffix (a semicolon and digits): the ident then
    // holds a semicolon. An ident of blanks reads empty, which no pattern matches: a
    // pattern holds "?", which takes a character.
    static StoredByteTest lastOfIdent(const LikePattern &pattern, QByteArrayView text)
    {
        StoredByteTest test(BeaconField::Ident, true);
        for (int c = 0; c < 256; ++c) {
            const char shown = shiftedDown(static_cast<unsigned char>(c));
            if (pattern.mayEndWith(shown) || shown == text.back() || shown == ' ')
                test.m_verdict[c] = Maybe;
            else if (shown == ';' || (shown >= '0' && shown <= '9'))
                test.m_verdict[c] = IfSemicolon;
        }
        return test;
    }

    // False when the record surely does not match.
    bool mayMatch(QByteArrayView record) const
    {
        return m_lastOfIdent ? lastOfIdentMayMatch(record) : firstMayMatch(record);
    }

private:
    enum Verdict : unsigned char { No = 0, Maybe = 1, IfSemicolon = 2 };

    StoredByteTest(BeaconField field, bool lastOfIdent) : m_field(layoutOf(field)), m_lastOfIdent(lastOfIdent) {}

    bool firstMayMatch(QByteArrayView record) const
    {
        const QByteArrayView stored = record.sliced(m_field.offset, m_field.width);
        qsizetype at = 0;
        while (at < stored.size() && stored[at] == ' ')
            ++at;
        return at < stored.size() ? m_verdict[static_cast<unsigned char>(stored[at])] != No : m_blankFieldMayMatch;
    }

    bool lastOfIdentMayMatch(QByteArrayView record) const
    {
        constexpr FieldLayout ident = layoutOf(BeaconField::Ident);
        const QByteArrayView stored = record.sliced(ident.offset, ident.width);
        int last = -1;
        for (qsizetype i = 0; i < ident.width; ++i) {
            if (stored[i] != ' ')
                last = static_cast<unsigned char>(stored[i]);
        }
        switch (last < 0 ? No : m_verdict[last]) {
        case No:
            return false;
        case IfSemicolon:
            return std::find(stored.begin(), stored.end(), char(';' + 2)) != stored.end();
        case Maybe:
            break;
        }
        return true;
    }

    FieldLayout m_field;
    bool m_lastOfIdent;
    bool m_blankFieldMayMatch = false;
    std::array<Verdict, 256> m_verdict{};
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
    const StoredByteTest storedByte =
        frequencySearch ? StoredByteTest::firstOf(BeaconField::Frequency, wanted)
        : pattern       ? StoredByteTest::lastOfIdent(*pattern, wanted)
                        : StoredByteTest::firstOf(BeaconField::Ident, wanted);
    auto matchesText = [&](QByteArrayView record) {
        if (frequencySearch)
            return decodeFieldInto(record, BeaconField::Frequency, frequencyBuffer) == wanted;
        const QByteArrayView ident = withoutSemicolonSuffix(decodeFieldInto(record, BeaconField::Ident, identBuffer));
        return (pattern && pattern->matches(ident))
               || (ident.size() == wanted.size() && std::equal(ident.begin(), ident.end(), wanted.begin()));
    };
    qint64 recordCount = 0;
    const FileError err = forEachRecord(path, BeaconRecord::Length, [&](qint64 number, QByteArrayView record) {
        recordCount = number;
        if (!storedByte.mayMatch(record) || !matchesText(record))
            return true;
        if (filterOn && !distanceFilter.passes(record))
            return true;
        result.matches.append(number);
        if (pickByFrequency)
            matchFrequencies.append(decodeFieldInto(record, BeaconField::Frequency, frequencyBuffer).toByteArray());
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
