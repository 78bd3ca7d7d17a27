#include <gtest/gtest.h>

#include "BeaconDisplay.h"
#include "Fixtures.h"
#include "SharedState.h"

using namespace qern;
using namespace qern::test;

namespace {

LogRecord logEntry(const QByteArray &ident, const QByteArray &frequency, const QByteArray &date)
{
    return LogRecord::make(ident, frequency, "1200", date, "");
}

class BeaconDisplayTest : public ::testing::Test {
protected:
    BeaconDisplayTest()
    {
        ctx.countries = &countries;
        ctx.states = &states;
        ctx.locationLat = "430000N";
        ctx.locationLon = "0800000W";
        for (int i = 0; i < kLocationCount; ++i)
            ctx.locationNames[i] = "Place " + QByteArray::number(i);
        ctx.locationNames[3] = "Cabin";
        ctx.dxLogger = "XYZ";
    }

    BeaconDisplay show(const Beacon &b = {})
    {
        t.writeDatabase({beacon(b)});
        return ShowBeacon(t.folder(), 1, ctx);
    }

    DataFolder t;
    CountryTable countries = sampleCountries();
    StateTable states = sampleStates();
    DisplayContext ctx;
};

} // namespace

TEST_F(BeaconDisplayTest, FillsEveryTextOfTheDetailArea)
{
    const BeaconDisplay d = show();
    ASSERT_FALSE(d.cleared);
    EXPECT_EQ((QList<QByteArray>{d.lblkHz, d.txtCountry, d.txtLocation, d.txtPower, d.txtLat, d.txtLon, d.txtCurrent,
                                 d.txtCycle, d.txtUSB, d.txtLSB, d.txtComments, d.txtLocator}),
              (QList<QByteArray>{"ABC  338 kHz", "Canada", "Port Eden, Ontario", "25 / NDB", "47 42 40 N", "080 01 00 W",
                                 "2026 12", "8.0", "400", "1020", "Heard at dusk", "EN97xr"}));
    EXPECT_TRUE(d.cmdMapItEnabled);
    EXPECT_TRUE(d.cmdNearbyEnabled);
}

TEST_F(BeaconDisplayTest, DistanceIsItsWholePartInTheChosenUnit)
{
    const BeaconDisplay km = show();
    EXPECT_NEAR(km.Distance, 523.9, 0.05);
    EXPECT_EQ(km.txtDistance, " 523 km");
    ctx.imperial = true;
    EXPECT_EQ(show().txtDistance, " 325 miles");
}

TEST_F(BeaconDisplayTest, BearingIsRoundedWithTheDegreeSign)
{
    const struct { QByteArray longitude, shown; } cases[] = {
        {"W080010000", " 360\xB0"}, // 359.86 degrees
        {"W080000000", " 0\xB0"},   // due north
        {"W090000000", " 307\xB0"}, // 307.33
        {"W070000000", " 53\xB0"},  // 52.67
    };
    for (const auto &c : cases)
        EXPECT_EQ(show({.longitude = c.longitude}).txtBearing, c.shown) << c.longitude.toStdString();
}

TEST_F(BeaconDisplayTest, PositionIsUnknownOnlyWhenBothCoordinatesAreZero)
{
    const struct { QByteArray latitude, longitude, txtLat, txtLon; bool known; } cases[] = {
        {"N00000000", "W000000000", "00 00 00 N", "000 00 00 W", false},
        {"N00000000", "W075000000", "00 00 00 N", "075 00 00 W", true},
        {"N45000000", "E000000000", "45 00 00 N", "000 00 00 E", true},
    };
    for (const auto &c : cases) {
        const BeaconDisplay d = show({.latitude = c.latitude, .longitude = c.longitude});
        SCOPED_TRACE(c.latitude.toStdString() + " " + c.longitude.toStdString());
        EXPECT_EQ(d.txtLat, c.txtLat);
        EXPECT_EQ(d.txtLon, c.txtLon);
        EXPECT_EQ(d.txtLocator.isEmpty(), !c.known);
        EXPECT_EQ(d.txtDistance.isEmpty(), !c.known);
        EXPECT_EQ(d.txtBearing.isEmpty(), !c.known);
        EXPECT_EQ(d.cmdMapItEnabled, c.known);
        EXPECT_EQ(d.cmdNearbyEnabled, c.known);
    }
}

TEST_F(BeaconDisplayTest, DaidMarkShowsOnlyForOne)
{
    const struct { QByteArray daid; bool visible; } cases[] = {{"1", true}, {"0", false}, {"", false}, {"2", false}};
    for (const auto &c : cases) {
        const BeaconDisplay d = show({.daid = c.daid});
        EXPECT_EQ(d.lblDAIDVisible, c.visible) << c.daid.toStdString();
        EXPECT_EQ(d.CurrentDAID, c.visible ? 1 : 0) << c.daid.toStdString();
    }
}

TEST_F(BeaconDisplayTest, StateNameIsLookedUpInUpperCaseForTheBeaconsCountry)
{
    const struct { QByteArray country, state, location; } cases[] = {
        {"CAN", "ON", "Port Eden, Ontario"}, {"CAN", "on", "Port Eden, Ontario"}, {"CAN", "", "Port Eden"},
        {"CAN", "ZZ", "Port Eden"}, {"USA", "WA", "Port Eden, Washington"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(show({.country = c.country, .state = c.state}).txtLocation, c.location) << c.state.toStdString();
}

TEST_F(BeaconDisplayTest, ClipboardLineJoinsIdentFrequencySidebandsPlaceAndSignature)
{
    const struct { QByteArray usb, lsb, logger, line; } cases[] = {
        {"400", "400", "XYZ", "ABC:338, +400 -400 Port Eden, Eastland, Norland XYZ"}, // the worked example
        {"400", "", "XYZ", "ABC:338, +400 Port Eden, Eastland, Norland XYZ"},
        {"", "1020", "XYZ", "ABC:338, -1020 Port Eden, Eastland, Norland XYZ"},
        {"", "", "XYZ", "ABC:338, Port Eden, Eastland, Norland XYZ"},
        {"400", "1020", "", "ABC:338, +400 -1020 Port Eden, Eastland, Norland "},
    };
    for (const auto &c : cases) {
        ctx.dxLogger = c.logger;
        EXPECT_EQ(show({.country = "NRL", .state = "ET", .usb = c.usb, .lsb = c.lsb}).clipboardLine, c.line);
    }
}

TEST_F(BeaconDisplayTest, DuplicateSuffixIsDroppedFromTheShownIdent)
{
    const BeaconDisplay d = show({.ident = "ABC;2"});
    EXPECT_EQ(d.ShownIdent, "ABC");
    EXPECT_EQ(d.lblkHz, "ABC  338 kHz");
    EXPECT_TRUE(d.clipboardLine.startsWith("ABC:338, "));
}

TEST_F(BeaconDisplayTest, NotLoggedHidesBothLabelsAndBlanksTheCaption)
{
    const BeaconDisplay d = show();
    EXPECT_FALSE(d.lblLoggedVisible);
    EXPECT_FALSE(d.lblGotLoggedVisible);
    EXPECT_EQ(d.lblLoggedCaption, "");
    EXPECT_TRUE(d.lstGotLogged.isEmpty());
}

TEST_F(BeaconDisplayTest, LoggedOnlyElsewhereListsThatLocation)
{
    t.writeLogbook(3, {logEntry("ABC", "338", "20261207")});
    const BeaconDisplay d = show({.mask = 1u << 3});
    EXPECT_TRUE(d.lblLoggedVisible);
    EXPECT_EQ(d.lblLoggedCaption, " *** Logged from a different QTH *** ");
    EXPECT_TRUE(d.lblGotLoggedVisible);
    EXPECT_EQ(d.lstGotLogged, QList<QByteArray>{"Cabin - Last logged on 07-Dec-2026"});
}

TEST_F(BeaconDisplayTest, LoggedHereShowsTheEntryNearestTheEndOfTheLogbook)
{
    t.writeLogbook(0, {logEntry("ABC", "338", "20261207"), logEntry("XYZ", "338", "20270101"),
                       logEntry("ABC", "338", "20250314"), logEntry("ABC", "339", "20280101")});
    const BeaconDisplay d = show({.mask = 1});
    EXPECT_TRUE(d.lblLoggedVisible);
    EXPECT_EQ(d.lblLoggedCaption, " *** Last logged on 14-Mar-2025 ***");
    EXPECT_FALSE(d.lblGotLoggedVisible);
    EXPECT_EQ(d.lstGotLogged, QList<QByteArray>{"Place 0 - Last logged on 14-Mar-2025"});
}

TEST_F(BeaconDisplayTest, LogEntriesBelongByIdentAndFrequency)
{
    const struct { QByteArray ident, entryIdent, entryFrequency, caption; } cases[] = {
        {"ABC", "abc", "338", " *** Last logged on 07-Dec-2026 ***"},
        {"ABC", "ABC", "339", " *** Logged *** "},                          // another beacon of the same ident
        {"ABCDE;2", "ABCDE", "338", " *** Last logged on 07-Dec-2026 ***"}, // five characters kept
        {"ABC;2", "ABC;2", "338", " *** Last logged on 07-Dec-2026 ***"},
        // Quick Log writes a duplicate's entry without its suffix: it is still found.
        {"ABC;2", "ABC", "338", " *** Last logged on 07-Dec-2026 ***"},
        {"ABC", "ABC;2", "338", " *** Last logged on 07-Dec-2026 ***"},
        {"ABC;2", "ABC;2", "339", " *** Logged *** "},
    };
    for (const auto &c : cases) {
        t.writeLogbook(0, {logEntry(c.entryIdent, c.entryFrequency, "20261207")});
        EXPECT_EQ(show({.ident = c.ident, .mask = 1}).lblLoggedCaption, c.caption)
            << c.ident.toStdString() << " / " << c.entryIdent.toStdString();
    }
}

TEST_F(BeaconDisplayTest, LoggedHereWithoutAnEntryGetsItsOwnCaption)
{
    const BeaconDisplay d = show({.mask = 1}); // no logbook at all: it is not created
    EXPECT_TRUE(d.lblLoggedVisible);
    EXPECT_EQ(d.lblLoggedCaption, " *** Logged *** ");
    EXPECT_FALSE(d.logbookError);
    EXPECT_FALSE(t.exists("Logs/log0.dat"));
}

TEST_F(BeaconDisplayTest, EveryLoggedLocationAddsALineInLocationOrder)
{
    t.writeLogbook(15, {logEntry("ABC", "338", "20240229")});
    t.writeLogbook(3, {logEntry("ABC", "338", "20261207")});
    t.writeLogbook(0, {logEntry("ABC", "338", "20260101")});
    ctx.currentLocationIndex = 3;
    const BeaconDisplay d = show({.mask = 1u | 1u << 3 | 1u << 7 | 1u << 15}); // location 7 has no entry
    EXPECT_EQ(d.LoggedMaskValue, 32905u);
    EXPECT_EQ(d.lblLoggedCaption, " *** Last logged on 07-Dec-2026 ***");
    EXPECT_EQ(d.lstGotLogged, (QList<QByteArray>{"Place 0 - Last logged on 01-Jan-2026",
                                                 "Cabin - Last logged on 07-Dec-2026",
                                                 "Place 15 - Last logged on 29-Feb-2024"}));
}

TEST_F(BeaconDisplayTest, MaskWithBitFifteenIsAPlainNumber)
{
    for (const quint32 mask : {32768u, 65535u}) {
        const BeaconDisplay d = show({.mask = mask});
        EXPECT_EQ(d.LoggedMaskValue, mask);
        EXPECT_TRUE(d.lblLoggedVisible);
    }
}

TEST_F(BeaconDisplayTest, RecordOutsideTheFileOrAMissingDatabaseIsCleared)
{
    const BeaconDisplay missing = ShowBeacon(t.folder(), 1, ctx);
    EXPECT_TRUE(missing.cleared);
    EXPECT_FALSE(t.exists("ndb.dat"));

    t.writeDatabase({beacon(), beacon()});
    for (const qint64 recNo : {0, -1, 3, 40000}) {
        const BeaconDisplay d = ShowBeacon(t.folder(), recNo, ctx);
        EXPECT_TRUE(d.cleared) << recNo;
        EXPECT_FALSE(d.error) << recNo;
    }
    EXPECT_FALSE(ShowBeacon(t.folder(), 2, ctx).cleared);
}

TEST_F(BeaconDisplayTest, AppliesItsGlobalsToTheSharedState)
{
    SharedState state;
    state.CurrentRecordNumber = 9;
    ShowBeacon(t.folder(), 5, ctx).applyTo(state); // cleared: nothing changes
    EXPECT_EQ(state.CurrentRecordNumber, 9);

    show({.ident = "ABC;2", .mask = 40000}).applyTo(state);
    EXPECT_EQ(state.CurrentRecordNumber, 1);
    EXPECT_EQ((QList<QByteArray>{state.ShownIdent, state.CurrentIdent, state.ShownFrequency, state.CurrentFrequency,
                                 state.BeaconLatitudeText, state.BeaconLongitudeText, state.QTHLocator,
                                 state.CountryNameFound, state.StateNameFound}),
              (QList<QByteArray>{"ABC", "ABC", "338", "338", "N47424000", "W080010000", "EN97xr", "Canada", "Ontario"}));
    EXPECT_EQ(state.LoggedMaskValue, 40000u);
    EXPECT_EQ(state.CurrentDAID, 1);
    EXPECT_DOUBLE_EQ(state.BeaconLatitudeDeg, 47.7111);
    EXPECT_DOUBLE_EQ(state.BeaconLongitudeDeg, -80.0167);
    EXPECT_DOUBLE_EQ(state.QTHLatitude, 43.0);
    EXPECT_DOUBLE_EQ(state.QTHLongitude, -80.0);
    EXPECT_NEAR(state.Distance, 523.88, 0.01);
    EXPECT_NEAR(state.Bearing, 359.86, 0.01);
}

TEST_F(BeaconDisplayTest, ClearingResetsOnlyTheMatchCountAndDaid)
{
    SharedState state;
    state.SearchMatchCount = 4;
    state.CurrentDAID = 1;
    state.CurrentIdent = "ABC";
    state.CurrentRecordNumber = 7;
    clearBeaconState(state);
    EXPECT_EQ(state.SearchMatchCount, 0);
    EXPECT_EQ(state.CurrentDAID, 0);
    EXPECT_EQ(state.CurrentIdent, "ABC");
    EXPECT_EQ(state.CurrentRecordNumber, 7);
}

TEST(LoggedDateText, FormatsValidDatesAndShowsOthersAsStored)
{
    const struct { QByteArray date, shown; } cases[] = {
        {"20261207", "07-Dec-2026"}, {"20240229", "29-Feb-2024"}, {"19990101", "01-Jan-1999"},
        {" 20260515 ", "15-May-2026"}, {"20230229", "20230229"}, // no such day
        {"20261301", "20261301"}, {"2026120", "2026120"}, {"2026-12-07", "2026-12-07"},
        {"00001207", "00001207"}, {"", "unknown date"}, {"        ", "unknown date"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(loggedDateText(c.date), c.shown) << c.date.toStdString();
    EXPECT_EQ(lastLoggedCaption("20261207"), " *** Last logged on 07-Dec-2026 ***");
}
