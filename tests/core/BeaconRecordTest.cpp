#include <gtest/gtest.h>

#include "BeaconRecord.h"

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

TEST(BeaconRecord, LayoutCoversTheRecordWithoutGaps)
{
    int next = 0;
    for (const FieldLayout &f : kBeaconLayout) {
        EXPECT_EQ(f.offset, next);
        next += f.width;
    }
    EXPECT_EQ(next, BeaconRecord::Length);
}

TEST(BeaconRecord, FieldsLandAtTheirOffsetsShiftedAndPaddedPlain)
{
    BeaconRecord r;
    ASSERT_TRUE(r.setShifted(BeaconField::Ident, "ABC"));
    ASSERT_TRUE(r.setShifted(BeaconField::Frequency, "338"));
    ASSERT_TRUE(r.setShifted(BeaconField::Latitude, "N45300000"));
    ASSERT_TRUE(r.setShifted(BeaconField::Comments, ""));
    r.setLoggedMask(5);
    r.setSessionMark();

    const QByteArray b = r.bytes();
    ASSERT_EQ(b.size(), 213);
    EXPECT_EQ(b.mid(0, 7), "CDE    ");        // shifted, then padded with plain blanks
    EXPECT_EQ(b.mid(42, 6), "55:   ");
    EXPECT_EQ(b.mid(60, 9), "P67522222");
    EXPECT_EQ(b.mid(116, 90), "\"" + QByteArray(89, ' ')); // the shifted blank
    EXPECT_EQ(b.mid(206, 5), "5    ");
    EXPECT_EQ(b.mid(211, 1), "z");
    EXPECT_EQ(b.mid(212, 1), " ");

    EXPECT_EQ(r.text(BeaconField::Ident), "ABC");
    EXPECT_EQ(r.text(BeaconField::Comments), " ");
    EXPECT_EQ(r.trimmedText(BeaconField::Comments), "");
    EXPECT_EQ(r.text(BeaconField::CountryCode), ""); // all blanks reads as empty
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
