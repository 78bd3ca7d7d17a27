#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

namespace qern {

namespace {

bool isIgnoredBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Where the leading number of a text stands. Blanks inside it are skipped, so the
// characters from begin to end may hold more than the number itself.
struct LeadingNumber {
    qsizetype begin = 0; // its sign or first digit; past a "+", which adds nothing
    qsizetype end = 0;   // just past its last character
    bool found = false;  // it has a digit
    bool plain = true;   // from_chars reads begin..end as it stands: no blank inside, no "D" exponent
};

LeadingNumber scanLeadingNumber(QByteArrayView text)
{
    LeadingNumber number;
    const qsizetype n = text.size();
    qsizetype i = 0;
    qsizetype taken = 0; // characters of the number, to tell whether blanks came between them
    auto skipBlanks = [&] {
        while (i < n && isIgnoredBlank(text[i]))
            ++i;
    };
    auto take = [&] {
        ++i;
        ++taken;
        number.end = i;
    };
    auto takeDigits = [&] {
        bool any = false;
        for (;;) {
            skipBlanks();
            if (i >= n || !isDigit(text[i]))
                return any;
            take();
            any = true;
        }
    };
    skipBlanks();
    const bool plusSign = i < n && text[i] == '+';
    if (plusSign)
        ++i;
    number.begin = number.end = i;
    if (!plusSign && i < n && text[i] == '-')
        take();
    bool anyDigit = takeDigits();
    skipBlanks();
    if (i < n && text[i] == '.') {
        take();
        anyDigit = takeDigits() || anyDigit;
    }
    if (!anyDigit)
        return number;
    number.found = true;
    number.plain = taken == number.end - number.begin;

    // An exponent counts only when at least one digit follows it.
    const LeadingNumber mantissa = number;
    skipBlanks();
    if (i < n && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
        const bool dExponent = text[i] == 'D' || text[i] == 'd';
        take();
        skipBlanks();
        if (i < n && (text[i] == '-' || text[i] == '+'))
            take();
        if (takeDigits()) {
            number.plain = !dExponent && taken == number.end - number.begin;
            return number;
        }
    }
    return mantissa;
}

// Whether an out-of-range number is too large rather than too small: whether its
// first significant digit stands at or above the units. The text is a number as
// from_chars reads it.
bool beyondOne(std::string_view number)
{
    const size_t exponentAt = number.find_first_of("eE");
    const std::string_view mantissa = number.substr(0, exponentAt);
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos)
        return false;
    // The power of ten of the first significant digit, before the exponent; an
    // exponent is clamped so that the sum cannot overflow.
    const qint64 power = first < point ? qint64(point - first) - 1 : -qint64(first - point);
    qint64 exponent = 0;
    if (exponentAt != std::string_view::npos) {
        std::string_view digits = number.substr(exponentAt + 1);
        const bool negative = !digits.empty() && digits.front() == '-';
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
            digits.remove_prefix(1);
        for (const char c : digits)
            exponent = std::min<qint64>(exponent * 10 + (c - '0'), 1'000'000'000);
        if (negative)
            exponent = -exponent;
    }
    return power + exponent >= 0;
}

// The value of a number as the scan found it, the same in every locale.
double valueOf(std::string_view number)
{
    double value = 0.0;
    const std::from_chars_result r = std::from_chars(number.data(), number.data() + number.size(), value);
    if (r.ec == std::errc::result_out_of_range) {
        const bool negative = number.front() == '-';
        if (beyondOne(number))
            return negative ? std::numeric_limits<double>::lowest() : std::numeric_limits<double>::max();
        return negative ? -0.0 : 0.0;
    }
    return value;
}

// Parses the leading number of text, skipping blanks anywhere. Returns the value and
// the position just past the last character that belonged to the number.
double parseLeadingNumber(QByteArrayView text, qsizetype *endPos, bool *sawDigit)
{
    const LeadingNumber number = scanLeadingNumber(text);
    if (endPos)
        *endPos = number.found ? number.end : 0;
    if (sawDigit)
        *sawDigit = number.found;
    if (!number.found)
        return 0.0;
    if (number.plain)
        return valueOf(std::string_view(text.data() + number.begin, size_t(number.end - number.begin)));
    std::string compact; // rare: blanks inside or a "D" exponent
    for (qsizetype i = number.begin; i < number.end; ++i) {
        if (!isIgnoredBlank(text[i]))
            compact += text[i] == 'D' || text[i] == 'd' ? 'e' : text[i];
    }
    return valueOf(compact);
}

} // namespace

double numericValue(QByteArrayView text)
{
    return parseLeadingNumber(text, nullptr, nullptr);
}

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double floorValue = std::floor(value);
    const double diff = value - floorValue;
    if (diff > 0.5)
        return floorValue + 1.0;
    if (diff < 0.5)
        return floorValue;
    return std::fmod(floorValue, 2.0) == 0.0 ? floorValue : floorValue + 1.0;
}

qint64 roundToInteger(double value)
{
    if (std::isnan(value))
        return 0;
    const double r = roundHalfEven(value);
    if (r >= 9.2e18)
        return std::numeric_limits<qint64>::max();
    if (r <= -9.2e18)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(r);
}

double roundToDecimals(double value, int decimals)
{
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    const double scale = decimals >= 0 && decimals <= 8 ? kPowers[decimals] : std::pow(10.0, decimals);
    const double scaled = value * scale;
    // Tiny representation errors (0.12345 stored as 0.1234499...) must not flip a half.
    const double nudged = std::round(scaled * 1e6) / 1e6;
    return roundHalfEven(std::fabs(nudged - scaled) < 1e-6 ? nudged : scaled) / scale;
}

qint64 recordCountForLength(qint64 byteLength, int recordLength)
{
    if (recordLength <= 0 || byteLength <= 0)
        return 0;
    return roundToInteger(static_cast<double>(byteLength) / recordLength);
}

QByteArray digitsText(qint64 value)
{
    return QByteArray::number(value);
}

QByteArray signedText(qint64 value)
{
    return value < 0 ? QByteArray::number(value) : ' ' + QByteArray::number(value);
}

QByteArray decimalText(double value)
{
    if (value == 0.0)
        return "0";
    QByteArray text = QByteArray::number(value, 'f', 15);
    // Keep 15 significant digits, then drop trailing zeros and a bare point.
    QByteArray g = QByteArray::number(value, 'g', 15);
    if (!g.contains('e') && !g.contains('E'))
        text = g;
    if (text.contains('.')) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
    }
    return text;
}

ConversionError typeMismatchError()
{
    return {13, QStringLiteral("Type mismatch")};
}

ConversionError overflowError()
{
    return {6, QStringLiteral("Overflow")};
}

ConversionError subscriptOutOfRangeError()
{
    return {9, QStringLiteral("Subscript out of range")};
}

ConversionError invalidPropertyValueError()
{
    return {380, QStringLiteral("Invalid property value")};
}

StrictResult strictToInteger(QByteArrayView text, qint64 minValue, qint64 maxValue)
{
    StrictResult result;
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isIgnoredBlank(text[start]))
        ++start;
    while (end > start && isIgnoredBlank(text[end - 1]))
        --end;
    const QByteArrayView core = text.sliced(start, end - start);
    if (core.isEmpty()) {
        result.error = typeMismatchError();
        return result;
    }
    qsizetype consumed = 0;
    bool sawDigit = false;
    const double value = parseLeadingNumber(core, &consumed, &sawDigit);
    if (!sawDigit || consumed != core.size()) {
        result.error = typeMismatchError();
        return result;
    }
    // 2^63 itself is the double nearest INT64_MAX and does not fit: the cast is only
    // made inside [-2^63, 2^63), the bounds are compared as integers after it.
    const double rounded = roundHalfEven(value);
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (!(rounded >= -kTwoTo63 && rounded < kTwoTo63)) {
        result.error = overflowError();
        return result;
    }
    const qint64 whole = static_cast<qint64>(rounded);
    if (whole < minValue || whole > maxValue) {
        result.error = overflowError();
        return result;
    }
    result.value = whole;
    return result;
}

} // namespace qern
