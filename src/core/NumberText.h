#pragma once
// The text <-> number rules every file and window of QERN shares. None of them follows
// the language setting: "." is the decimal point and "," never is, in every locale.
//
// - numericValue(): the longest leading number of a text, blanks anywhere ignored,
//   0 when there is none ("150 km" -> 150, " 1" -> 1, "" -> 0, "1.2.3" -> 1.2).
// - roundHalfEven(): rounding to a whole number sends a half to the even neighbour.
// - signedText(): the number form with a blank before a non-negative number (" 12", "-3").
// - strict conversions: the whole text must be a number; anything else is an error
//   that callers report by its description ("Type mismatch", "Overflow").

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>

namespace qern {

double numericValue(QByteArrayView text);
// The same rule on a text typed into a window.
inline double numericValueOfText(const QString &text) { return numericValue(QByteArrayView(text.toLatin1())); }

double roundHalfEven(double value);
// Rounds half to even and clamps into the range of qint64.
qint64 roundToInteger(double value);
// Rounds to a fixed number of decimals (half to even), as a fixed-point store would.
double roundToDecimals(double value, int decimals);

// Number of fixed-length records a file of byteLength holds: the quotient rounded
// to the nearest whole number, a half to the even neighbour.
qint64 recordCountForLength(qint64 byteLength, int recordLength);

// " 12", " 0", "-3".
QByteArray signedText(qint64 value);
// "12", "0", "-3".
QByteArray digitsText(qint64 value);
// Shortest decimal form with at most 15 significant digits and no exponent for
// ordinary values: 5.5 -> "5.5", -5 -> "-5", 0.25 -> "0.25".
QByteArray decimalText(double value);

// A conversion error as the user sees it: a number and a description.
struct ConversionError {
    int number = 0;
    QString description;
};

struct StrictResult {
    qint64 value = 0;
    std::optional<ConversionError> error;
    bool ok() const { return !error.has_value(); }
};

// The whole text (blanks at either end allowed) must be a number; the value is
// rounded half to even and must fit the range. Errors: 13 "Type mismatch" for an
// empty or non-numeric text, 6 "Overflow" for a value outside the range.
StrictResult strictToInteger(QByteArrayView text, qint64 minValue, qint64 maxValue);
inline StrictResult strictToInt16(QByteArrayView text) { return strictToInteger(text, -32768, 32767); }
inline StrictResult strictToInt32(QByteArrayView text)
{
    return strictToInteger(text, INT32_MIN, INT32_MAX);
}

ConversionError typeMismatchError();
ConversionError overflowError();
ConversionError subscriptOutOfRangeError();
ConversionError invalidPropertyValueError();

} // namespace qern
