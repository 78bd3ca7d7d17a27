#include <gtest/gtest.h>

#include <QStringList>

#include "Text.h"

using namespace qern;

TEST(Text, TrimsBlanksOnlyAndFitsFields)
{
    EXPECT_EQ(trimBlanks("  ab c  "), "ab c");
    EXPECT_EQ(trimBlanks("\tab\t"), "\tab\t"); // only code 32 is a blank
    EXPECT_EQ(trimBlanks("    "), "");
    EXPECT_EQ(fitField("AB", 5), "AB   ");
    EXPECT_EQ(fitField("ABCDEFG", 5), "ABCDE");
    EXPECT_EQ(fitField("", 3), "   ");
}

TEST(Text, UpperCaseCoversWindows1252Letters)
{
    EXPECT_EQ(upperCase("abc;2"), "ABC;2");
    EXPECT_EQ(upperCase("\xe9\xf7\xff\x9a"), "\xc9\xf7\x9f\x8a"); // é ÷ ÿ š
}

TEST(Text, NameOrderComparesCodesAndDigitRunsByValue)
{
    // Each name precedes the next.
    const QStringList ordered = {"TTYS3", "rfcomm0", "ttyACM0", "ttyS",     "ttyS0",     "ttyS01",  "ttyS1",
                                 "ttyS1a", "ttyS2",  "ttyS10",  "ttyS10b2", "ttyS10b10", "ttyUSB0", "ttyusb1"};
    for (qsizetype i = 0; i + 1 < ordered.size(); ++i) {
        EXPECT_TRUE(precedesInNameOrder(ordered[i], ordered[i + 1])) << ordered[i].toStdString();
        EXPECT_FALSE(precedesInNameOrder(ordered[i + 1], ordered[i])) << ordered[i].toStdString();
    }
    EXPECT_FALSE(precedesInNameOrder(u"ttyS2", u"ttyS2"));
}

TEST(Windows1252, RoundTripsEveryDefinedByte)
{
    for (int b = 0; b < 256; ++b) {
        const QByteArray one(1, static_cast<char>(b));
        bool lossless = false;
        EXPECT_EQ(toWindows1252(fromWindows1252(one), &lossless), one) << b;
        EXPECT_TRUE(lossless) << b;
    }
    EXPECT_EQ(fromWindows1252("\x80\xb0\xc0"), QString::fromUtf8("€°À"));
    bool lossless = true;
    EXPECT_EQ(toWindows1252(QString::fromUtf8("А€"), &lossless), "?\x80"); // Cyrillic A has no byte
    EXPECT_FALSE(lossless);
}
