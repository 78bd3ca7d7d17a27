#include <gtest/gtest.h>

#include <random>

#include "NumberText.h"
#include "PlainNumber.h"

using namespace qern;

namespace {

qint64 fixedPointTenThousandths(QByteArrayView text)
{
    return roundToInteger(roundToDecimals(numericValue(text), 4) * 10000.0);
}

// Both readings of text must give exactly what the number reader gives.
void expectSameAsTheNumberReader(const QByteArray &text)
{
    EXPECT_EQ(plainNumberValue(text), numericValue(text)) << '"' << text.constData() << '"';
    EXPECT_EQ(tenThousandthsValue(text), fixedPointTenThousandths(text)) << '"' << text.constData() << '"';
}

// Every text of `length` characters drawn from alphabet.
void forEveryText(QByteArrayView alphabet, int length, const std::function<void(const QByteArray &)> &check)
{
    QByteArray text(length, alphabet[0]);
    std::vector<qsizetype> at(length, 0);
    for (;;) {
        check(text);
        int k = length - 1;
        while (k >= 0 && ++at[k] == alphabet.size()) {
            at[k] = 0;
            text[k] = alphabet[0];
            --k;
        }
        if (k < 0)
            return;
        text[k] = alphabet[at[k]];
    }
}

} // namespace

TEST(PlainNumber, ReadsEveryFrequencyFieldAsTheNumberReaderDoes)
{
    // Every text a 6-character field can hold of digits, points and blanks (all of them
    // up to 5 characters, a thinner alphabet at 6).
    for (int length = 0; length <= 5; ++length)
        forEveryText("0123456789. ", length, expectSameAsTheNumberReader);
    forEveryText("0159. ", 6, expectSameAsTheNumberReader);

    std::mt19937 random(4500);
    const QByteArray alphabet = "0123456789. .\t";
    for (int i = 0; i < 20000; ++i) {
        QByteArray text;
        for (int k = 0, n = 1 + int(random() % 20); k < n; ++k)
            text += alphabet[random() % alphabet.size()];
        expectSameAsTheNumberReader(text);
    }
}

TEST(PlainNumber, OddFormsGoThroughTheNumberReader)
{
    for (const char *text : {"", ".", " . ", "-5", "+7", "1e3", "2e", "1D2", "1.2.3", "abc", "12:30", "338 kHz",
                             "\t5\r\n", "5.", "0.00001", "3.14159265358979", "1234567890123456",
                             "12345678901234567890", "999999999.9999", "1000000000", "0.12345", "-0", "4499.99995"})
        expectSameAsTheNumberReader(text);
}
