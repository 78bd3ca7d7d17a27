#include "NumberText.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <limits>

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

// Parses the leading number of text, skipping blanks anywhere. Returns the value and
// the position just past the last character that belonged to the number.
double parseLeadingNumber(QByteArrayView text, qsizetype *endPos, bool *sawDigit)
{
    std::string compact; // the number without its blanks, for strtod (short: no allocation)
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && isIgnoredBlank(text[i]))
            ++i;
    };
    auto takeDigits = [&](std::string &into) {
        bool any = false;
        for (;;) {
            skipBlanks();
            if (i < n && isDigit(text[i])) {
                into += text[i++];
                any = true;
            } else {
                return any;
            }
        }
    };
    skipBlanks();
    if (i < n && (text[i] == '-' || text[i] == '+'))
        compact += text[i++];
    bool anyDigit = takeDigits(compact);
    skipBlanks();
    if (i < n && text[i] == '.') {
        compact += '.';
        ++i;
        anyDigit = takeDigits(compact) || anyDigit;
    }
    if (anyDigit) {
        // An exponent counts only when at least one digit follows it.
        const qsizetype beforeExponent = i;
        skipBlanks();
        bool exponentTaken = false;
        if (i < n && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
            std::string exponent = "e";
            ++i;
            skipBlanks();
            if (i < n && (text[i] == '-' || text[i] == '+'))
                exponent += text[i++];
            if (takeDigits(exponent)) {
                compact += exponent;
                exponentTaken = true;
            }
        }
        if (!exponentTaken)
            i = beforeExponent;
    }
    if (endPos)
        *endPos = anyDigit ? i : 0;
    if (sawDigit)
        *sawDigit = anyDigit;
    if (!anyDigit)
        return 0.0;
    const double value = std::strtod(compact.c_str(), nullptr);
    if (!std::isfinite(value))
        return value > 0 ? std::numeric_limits<double>::max() : std::numeric_limits<double>::lowest();
    return value;
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
    const double rounded = roundHalfEven(value);
    if (rounded < static_cast<double>(minValue) || rounded > static_cast<double>(maxValue)) {
        result.error = overflowError();
        return result;
    }
    result.value = static_cast<qint64>(rounded);
    return result;
}

} // namespace qern
