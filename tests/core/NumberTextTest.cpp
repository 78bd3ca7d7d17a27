#include <gtest/gtest.h>

#include <limits>

#include "CLocale.h"
#include "NumberText.h"

using namespace qern;
using namespace qern::test;

TEST(NumericValue, TakesTheLongestLeadingNumberIgnoringBlanks)
{
    const struct { const char *text; double value; } cases[] = {
        {"", 0}, {"abc", 0}, {" 1", 1}, {"150 km", 150}, {"1.2.3", 1.2},
        {"  -3.5x", -3.5}, {"1 5", 15}, {"4499.9", 4499.9}, {"4500", 4500}, {".5", 0.5},
        {"-", 0}, {"1e3", 1000}, {"2e", 2}, {"283.50", 283.5}, {"+7", 7},
        {"5.", 5}, {"0338", 338}, {"12:30", 12}, {"1D2", 100},
        // "," is never a decimal point, whatever the language setting says.
        {"283.5", 283.5}, {"283,5", 283}, {"1 . 5", 1.5}, {"- 2", -2}, {"+-5", 0}, {"2.5e-1 ", 0.25},
        {"1e400", std::numeric_limits<double>::max()}, {"-1e400", std::numeric_limits<double>::lowest()},
        {"1e-400", 0}, {"0.01e311", std::numeric_limits<double>::max()}, {"1000e-330", 0},
    };
    for (const char *locale : {"C", kCommaDecimalLocale}) {
        const ScopedCLocale scoped(locale);
        ASSERT_TRUE(scoped.active());
        for (const auto &c : cases)
            EXPECT_DOUBLE_EQ(numericValue(QByteArrayView(c.text)), c.value) << '"' << c.text << "\" in " << locale;
    }
}

TEST(RoundHalfEven, SendsHalvesToTheEvenNeighbour)
{
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(-3.5), -4);
    EXPECT_EQ(roundHalfEven(150.5), 150);
    EXPECT_EQ(roundHalfEven(151.5), 152);
    EXPECT_EQ(roundHalfEven(2.4999), 2);
    EXPECT_EQ(roundToInteger(1e300), std::numeric_limits<qint64>::max());
    EXPECT_DOUBLE_EQ(roundToDecimals(43.00005, 4), 43.0);
    EXPECT_DOUBLE_EQ(roundToDecimals(45.508333333, 4), 45.5083);
}

TEST(RecordCount, RoundsTheQuotientToTheNearestWholeRecord)
{
    EXPECT_EQ(recordCountForLength(0, 213), 0);
    EXPECT_EQ(recordCountForLength(2237, 213), 11); // 10 records and 107 bytes
    EXPECT_EQ(recordCountForLength(2236, 213), 10); // 10 records and 106 bytes
    EXPECT_EQ(recordCountForLength(830, 83), 10);
    EXPECT_EQ(recordCountForLength(87 * 2 + 43, 87), 2);
    EXPECT_EQ(recordCountForLength(83 * 2 + 41, 83), 2);
    EXPECT_EQ(recordCountForLength(83 * 2 + 42, 83), 3);
}

TEST(NumberForms, SignedTextPutsABlankBeforeANonNegativeNumber)
{
    EXPECT_EQ(signedText(0), " 0");
    EXPECT_EQ(signedText(9830), " 9830");
    EXPECT_EQ(signedText(-1), "-1");
    EXPECT_EQ(digitsText(32768), "32768");
    EXPECT_EQ(decimalText(5.5), "5.5");
    EXPECT_EQ(decimalText(-5), "-5");
    EXPECT_EQ(decimalText(0), "0");
    EXPECT_EQ(decimalText(-3.5), "-3.5");
    EXPECT_EQ(decimalText(0.25), "0.25");
}

TEST(StrictConversion, AcceptsOnlyAWholeNumberInRange)
{
    EXPECT_EQ(strictToInt16(" 1").value, 1);
    EXPECT_EQ(strictToInt16("-1").value, -1);
    EXPECT_EQ(strictToInt16("2.5").value, 2);
    EXPECT_EQ(strictToInt16("3.5").value, 4);
    EXPECT_EQ(strictToInt16("32767").value, 32767);
    EXPECT_TRUE(strictToInt16("0").ok());

    const auto empty = strictToInt16("");
    ASSERT_FALSE(empty.ok());
    EXPECT_EQ(empty.error->description, "Type mismatch");
    EXPECT_FALSE(strictToInt16("12abc").ok());
    EXPECT_FALSE(strictToInt16("abc").ok());

    const auto big = strictToInt16("32768");
    ASSERT_FALSE(big.ok());
    EXPECT_EQ(big.error->number, 6);
    EXPECT_EQ(big.error->description, "Overflow");
    EXPECT_TRUE(strictToInt32("4294967295").error.has_value());

    // The whole 64-bit range: 2^63 is the double nearest INT64_MAX, and does not fit.
    constexpr qint64 kMin = std::numeric_limits<qint64>::min();
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    const struct {
        const char *text;
        std::optional<qint64> value; // nullopt: "Overflow"
    } wide[] = {
        {"9223372036854775807", std::nullopt}, // read as 2^63
        {"9223372036854775808", std::nullopt},
        {"1e19", std::nullopt},
        {"1e999", std::nullopt},
        {"-1e999", std::nullopt},
        {"9223372036854774784", 9223372036854774784LL}, // the largest double below 2^63
        {"-9223372036854775808", kMin},
        {"-9223372036854777856", std::nullopt}, // the next double below -2^63
    };
    for (const auto &w : wide) {
        const StrictResult r = strictToInteger(w.text, kMin, kMax);
        if (w.value) {
            EXPECT_TRUE(r.ok()) << w.text;
            EXPECT_EQ(r.value, *w.value) << w.text;
        } else {
            ASSERT_FALSE(r.ok()) << w.text << " gave " << r.value;
            EXPECT_EQ(r.error->description, "Overflow") << w.text;
        }
    }
}
