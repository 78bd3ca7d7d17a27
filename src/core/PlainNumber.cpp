#include "PlainNumber.h"

namespace qern {

namespace {

constexpr int kTenThousandthsDecimals = 4;
// Digits below this give ten-thousandths far inside the doubles' exact integers,
// where the rounding of the fixed-point store cannot move them.
constexpr qint64 kExactTenThousandthsLimit = 1'000'000'000;

} // namespace

qint64 tenThousandthsValue(QByteArrayView text)
{
    static constexpr std::array<qint64, kTenThousandthsDecimals + 1> kScales = {10000, 1000, 100, 10, 1};
    const auto number = readPlainDecimal(text);
    if (number && number->decimals <= kTenThousandthsDecimals && number->digits < kExactTenThousandthsLimit)
        return number->digits * kScales[number->decimals];
    return roundToInteger(roundToDecimals(plainNumberValue(text), kTenThousandthsDecimals) * 10000.0);
}

} // namespace qern
