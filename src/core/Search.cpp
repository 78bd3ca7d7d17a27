#include "Search.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

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

// A stored field of up to seven bytes in one load, and the high bit of each of its
// bytes that is not padding (a plain blank): the first and the last of them come from
// counting zero bits, without a loop over lengths that vary from record to record.
struct StoredField {
    quint64 bytes = 0;
    quint64 content = 0;

    StoredField(QByteArrayView record, BeaconField field)
    {
        const FieldLayout f = layoutOf(field);
        Q_ASSERT(f.width <= 7 && f.offset + 8 <= BeaconRecord::Length);
        const quint64 kept = (1ull << (8 * f.width)) - 1;
        std::memcpy(&bytes, record.data() + f.offset, sizeof bytes);
        // Per byte: y is 0 exactly for a blank, and (y & 0x7F) + 0x7F | y sets the high
        // bit exactly when y is not 0.
        const quint64 y = bytes ^ (0x2020202020202020ull & kept);
        content = (((y & 0x7F7F7F7F7F7F7F7Full) + 0x7F7F7F7F7F7F7F7Full) | y) & 0x8080808080808080ull & kept;
    }
    bool empty() const { return content == 0; }
    // Decoded; only for a field that is not empty.
    char first() const { return shiftedDown(static_cast<unsigned char>(bytes >> std::countr_zero(content) / 8 * 8)); }
    char last() const
    {
        return shiftedDown(static_cast<unsigned char>(bytes >> (63 - std::countl_zero(content)) / 8 * 8));
    }
};

// False when a stored field surely does not read as text (trimmed, decoded, trimmed):
// its first stored character, unless it reads as a blank, is the text's first. Most
// records fail on that one byte.
bool mayRead(QByteArrayView record, BeaconField field, QByteArrayView text)
{
    if (text.isEmpty())
        return true;
    const StoredField stored(record, field);
    if (stored.empty())
        return false;
    const char first = stored.first();
    return first == ' ' || first == text.front();
}

// False when the ident surely neither matches the pattern nor equals text: its last
// stored character is the ident's last as compared, unless it reads as a blank, a
// digit or a semicolon (a duplicate suffix may end the ident).
bool identMayEnd(QByteArrayView record, const LikePattern &pattern, QByteArrayView text)
{
    const StoredField stored(record, BeaconField::Ident);
    if (stored.empty())
        return true;
    const char last = stored.last();
    if (last == ' ' || last == ';' || (last >= '0' && last <= '9'))
        return true;
    return pattern.mayEndWith(last) || (!text.isEmpty() && text.back() == last);
}

// Beacons at latitude or longitude 0 have no known position and always pass.
class DistanceFilter {
public:
    explicit DistanceFilter(const SearchContext &ctx)
        : m_ctx(ctx), m_fromListener(listenerRad(ctx).first, listenerRad(ctx).second)
    {
        // Either side of the radius' cosine (below 20000 km) a candidate is surely in or
        // out, whatever the last digits of its kilometres would be.
        const double radiusKm = ctx.metric ? ctx.distanceFilterValue : ctx.distanceFilterValue * kKmPerMile;
        if (radiusKm >= 0 && radiusKm < 20000) {
            const double cosine = std::cos(radiusKm / kEarthRadiusKm);
            m_surelyIn = cosine + 1e-9;
            m_surelyOut = cosine - 1e-9;
        }
    }

    bool passes(QByteArrayView record) const
    {
        std::array<char, layoutOf(BeaconField::Latitude).width> latitude{};
        std::array<char, layoutOf(BeaconField::Longitude).width> longitude{};
        const double latDeg = beaconLatitudeDegrees(decodeFieldInto(record, BeaconField::Latitude, latitude));
        const double lonDeg = beaconLongitudeDegrees(decodeFieldInto(record, BeaconField::Longitude, longitude));
        if (latDeg == 0 || lonDeg == 0)
            return true;
        const PointRad beacon(latDeg / kDegreesPerRadian, lonDeg / kDegreesPerRadian);
        const double cosine = m_fromListener.cosineTo(beacon);
        if (cosine > m_surelyIn)
            return true;
        if (cosine < m_surelyOut)
            return false;
        const double km = m_fromListener.km(beacon);
        const double distance = m_ctx.metric ? km : km / kKmPerMile;
        return !(distance > m_ctx.distanceFilterValue);
    }

private:
    static std::pair<double, double> listenerRad(const SearchContext &ctx)
    {
        const QthDegrees qth = ComputeQTHDegrees(ctx.locationLat, ctx.locationLon);
        return {qth.latitude / kDegreesPerRadian, qth.longitude / kDegreesPerRadian};
    }

    const SearchContext &m_ctx;
    DistanceFrom m_fromListener;
    double m_surelyIn = 2.0;
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
    const FileError err = forEachRecord(path, BeaconRecord::Length,
                                        [&](qint64 number, QByteArrayView record) {
        result.recordCount = number;
        bool candidate;
        if (result.frequencySearch) {
            candidate = mayRead(record, BeaconField::Frequency, wanted)
                        && decodeFieldInto(record, BeaconField::Frequency, frequencyBuffer) == wanted;
        } else if (pattern ? !identMayEnd(record, *pattern, wanted) : !mayRead(record, BeaconField::Ident, wanted)) {
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
