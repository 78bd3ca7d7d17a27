#include <gtest/gtest.h>

#include "BeaconRecord.h"
#include "Fixtures.h"
#include "SharedState.h"

using namespace qern;

TEST(FieldShift, RaisesAndLowersEveryByteByTwo)
{
    EXPECT_EQ(ShiftTextUp(""), "\"");
    EXPECT_EQ(ShiftTextUp(" "), "\"");
    EXPECT_EQ(ShiftTextUp("AB"), "CD");
    EXPECT_EQ(ShiftTextUp(QByteArray(1, char(30))), " ");
    EXPECT_EQ(ShiftTextUp("z"), "|");
    EXPECT_EQ(ShiftTextDown(""), "");
    EXPECT_EQ(ShiftTextDown("CD"), "AB");

    for (int b = 0; b < 256; ++b) {
        const QByteArray one(1, static_cast<char>(b));
        bool upOk = false;
        bool downOk = false;
        const QByteArray up = ShiftTextUp(one, &upOk);
        EXPECT_EQ(upOk, b <= 253) << b;
        if (upOk) {
            EXPECT_EQ(static_cast<unsigned char>(up[0]), b + 2);
            EXPECT_EQ(ShiftTextDown(up, &downOk), one);
            EXPECT_TRUE(downOk);
        }
        const QByteArray down = ShiftTextDown(one, &downOk);
        EXPECT_EQ(downOk, b >= 2) << b;
        if (!downOk) {
            EXPECT_EQ(down, " "); // an undecodable byte reads as a blank
        }
    }
}

TEST(FieldShift, DownToGlobalReplacesTheDecodedText)
{
    SharedState state;
    const struct { QByteArray stored, decoded; bool ok; } cases[] = {
        {"CD", "AB", true}, {"", "", true}, {"\"", " ", true}, {"C\x01" "D", "A B", false},
    };
    for (const auto &c : cases) {
        state.DecodedText = "left from before";
        bool ok = !c.ok;
        ShiftTextDownToGlobal(c.stored, state, &ok);
        EXPECT_EQ(state.DecodedText, c.decoded) << c.stored.constData();
        EXPECT_EQ(ok, c.ok) << c.stored.constData();
    }
}

TEST(BeaconRecord, EveryFieldLandsAtItsOffsetShiftedAndPaddedPlain)
{
    // Fields 1 to 15 raised by 2 ("ABC" is "CDE", a blank '"', "." '0'), then padded with
    // plain blanks; LoggedMask, CLEMark and Spare plain.
    const QByteArray expected = QByteArray("CDE").leftJustified(7) + "ECP" + "QP"
                                + QByteArray("Rqtv\"Gfgp").leftJustified(30) + "55:   " + "PFD    " + "47   "
                                + "P69646222" + "Y2:2232222" + "424834" + QByteArray(":02").leftJustified(20)
                                + "622  " + "3242 " + "3" + QByteArray("Jgctf\"cv\"fwum").leftJustified(90)
                                + "0    " + " " + "s";
    ASSERT_EQ(expected.size(), 213);
    EXPECT_EQ(qern::test::beacon().bytes(), expected);

    BeaconRecord r;
    ASSERT_TRUE(r.setShifted(BeaconField::Comments, ""));
    r.setLoggedMask(5);
    r.setSessionMark();
    EXPECT_EQ(r.raw(BeaconField::Comments), "\"" + QByteArray(89, ' ')); // the shifted blank
    EXPECT_EQ(r.bytes().mid(206), "5    z ");
    EXPECT_EQ(r.text(BeaconField::Comments), " ");
    EXPECT_EQ(r.trimmedText(BeaconField::Comments), "");
    EXPECT_EQ(r.text(BeaconField::CountryCode), ""); // all blanks reads as empty
    EXPECT_EQ(qern::test::beacon().text(BeaconField::Ident), "ABC");
}

TEST(BeaconRecord, LongValuesAreCutAfterShifting)
{
    BeaconRecord r;
    ASSERT_TRUE(r.setShifted(BeaconField::Ident, "ABCDEFGHI"));
    EXPECT_EQ(r.raw(BeaconField::Ident), "CDEFGHI");
    EXPECT_EQ(r.text(BeaconField::Ident), "ABCDEFG");
}

TEST(BeaconRecord, WritersRefuseBytesThatCannotBeShifted)
{
    BeaconRecord r;
    ASSERT_TRUE(r.setShifted(BeaconField::Location, "Keep"));
    EXPECT_FALSE(r.setShifted(BeaconField::Location, "Bad\xfe"));
    EXPECT_FALSE(r.setShiftedOrBlank(BeaconField::Location, "\xff"));
    EXPECT_EQ(r.text(BeaconField::Location), "Keep");
}

TEST(BeaconRecord, StoredBytesZeroAndOneReadAsBlanks)
{
    QByteArray bytes(213, ' ');
    bytes[0] = 'C';
    bytes[1] = '\x01';
    bytes[2] = 'D';
    const BeaconRecord r = BeaconRecord::fromBytes(bytes);
    bool ok = true;
    EXPECT_EQ(r.text(BeaconField::Ident, &ok), "A B");
    EXPECT_FALSE(ok);
}

TEST(BeaconRecord, EditorStoresAnEmptyEntryAsAPlainBlank)
{
    BeaconRecord r;
    ASSERT_TRUE(r.setShiftedOrBlank(BeaconField::USB, ""));
    EXPECT_EQ(r.raw(BeaconField::USB), "     ");
    EXPECT_EQ(r.text(BeaconField::USB), "");
}

TEST(LoggedMask, ReadsItsNumericValueAndStoresDigitsLeftAligned)
{
    for (const char *stored : {" 5   ", "5    "}) {
        QByteArray bytes(213, ' ');
        bytes.replace(206, 5, stored);
        const BeaconRecord r = BeaconRecord::fromBytes(bytes);
        EXPECT_EQ(r.loggedMask(), 5u) << stored;
        EXPECT_TRUE(r.isLoggedAt(0));
        EXPECT_FALSE(r.isLoggedAt(1));
        EXPECT_TRUE(r.isLoggedAt(2));
    }
    BeaconRecord r;
    EXPECT_EQ(r.loggedMask(), 0u);
    r.setLoggedMask(1u << 15);
    EXPECT_EQ(r.raw(BeaconField::LoggedMask), "32768");
    EXPECT_TRUE(r.isLoggedAt(15));
    r.setLoggedMask(65535);
    EXPECT_EQ(r.raw(BeaconField::LoggedMask), "65535");
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(r.isLoggedAt(i));
    // More than the location bits would not fit: only the 16 location bits are stored.
    r.setRaw(BeaconField::LoggedMask, "70000");
    EXPECT_EQ(r.loggedMask(), 70000u);
    r.setLoggedMask(r.loggedMask() + (1u << 15));
    EXPECT_EQ(r.raw(BeaconField::LoggedMask), "37232");
}

TEST(SessionMark, OnlyZMarksTheSession)
{
    BeaconRecord r;
    EXPECT_FALSE(r.inSession());
    r.setSessionMark();
    EXPECT_TRUE(r.inSession());
    r.clearSessionMark();
    EXPECT_EQ(r.raw(BeaconField::CLEMark), "\"");
    EXPECT_FALSE(r.inSession());
}
