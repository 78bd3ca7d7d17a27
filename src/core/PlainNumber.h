#pragma once
// numericValue() for the texts the record files hold nearly always: digits with at
// most one point, blanks anywhere. Those are read directly, without a copy, as the
// whole number of their digits over a power of ten: one correctly rounded division,
// so the value is the one numericValue reads. Any other text goes through
// numericValue itself. Inline: the record walks read a number from every record.

#include <QByteArrayView>
#include <QtGlobal>

#include <array>
#include <optional>

#include "NumberText.h"

namespace qern {

struct PlainDecimal {
    qint64 digits = 0; // all digits as one whole number
    int decimals = 0;  // how many of them follow the point
};

// Up to 15 digits, so the digits and every power of ten used are exact doubles.
inline constexpr int kPlainDecimalDigits = 15;

inline std::optional<PlainDecimal> readPlainDecimal(QByteArrayView text)
{
    PlainDecimal number;
    int count = 0;
    bool afterPoint = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (++count > kPlainDecimalDigits)
                return std::nullopt;
            number.digits = number.digits * 10 + (c - '0');
            number.decimals += afterPoint ? 1 : 0;
        } else if (c == '.' && !afterPoint) {
            afterPoint = true;
        } else if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            return std::nullopt;
        }
    }
    if (count == 0)
        return std::nullopt;
    return number;
}

inline double plainNumberValue(QByteArrayView text)
{
    static constexpr std::array<double, kPlainDecimalDigits + 1> kPowersOfTen = {
        1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (const auto number = readPlainDecimal(text))
        return number->decimals == 0 ? double(number->digits) : double(number->digits) / kPowersOfTen[number->decimals];
    return numericValue(text);
}

// The value as a fixed-point store of four decimals holds it, in ten-thousandths:
// roundToInteger(roundToDecimals(numericValue(text), 4) * 10000).
qint64 tenThousandthsValue(QByteArrayView text);

} // namespace qern
