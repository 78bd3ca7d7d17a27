#include <gtest/gtest.h>

#include "BeaconDisplay.h"
#include "BeaconRecord.h"
#include "LogRecords.h"
#include "SharedState.h"
#include "Tables.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::TestFolder;

namespace {

struct Beacon {
    QByteArray ident = "ABC";
    QByteArray frequency = "338";
    QByteArray country = "NRL";
    QByteArray state = "ET";
    QByteArray location = "Port Eden";
    QByteArray beaconClass = "NDB";
    QByteArray power = "25";
    // 47 42 40 N, 80 01 00 W: 523.9 km (325.6 miles) from 43N 80W, bearing 359.9.
    QByteArray latitude = "N47424000";
    QByteArray longitude = "W080010000";
    QByteArray current = "202612";
    QByteArray cycle = "8.0";
    QByteArray usb = "400";
    QByteArray lsb = "400";
    QByteArray daid = "1";
    QByteArray comments = "Heard at dusk";
    quint32 mask = 0;
};

BeaconRecord record(const Beacon &b)
{
    BeaconRecord r;
    const std::pair<BeaconField, QByteArray> fields[] = {
        {BeaconField::Ident, b.ident},         {BeaconField::CountryCode, b.country},
        {BeaconField::StateCode, b.state},     {BeaconField::Location, b.location},
        {BeaconField::Frequency, b.frequency}, {BeaconField::BeaconClass, b.beaconClass},
        {BeaconField::Power, b.power},         {BeaconField::Latitude, b.latitude},
        {BeaconField::Longitude, b.longitude}, {BeaconField::Current, b.current},
        {BeaconField::Cycle, b.cycle},         {BeaconField::USB, b.usb},
        {BeaconField::LSB, b.lsb},             {BeaconField::DAID, b.daid},
        {BeaconField::Comments, b.comments},
    };
    for (const auto &[field, value] : fields)
        EXPECT_TRUE(r.setShiftedOrBlank(field, value));
    r.setLoggedMask(b.mask);
    return r;
}

QByteArray logEntry(const QByteArray &ident, const QByteArray &frequency, const QByteArray &date)
{
    return LogRecord::make(ident, frequency, "1200", date, "").bytes();
}

class BeaconDisplayTest : public ::testing::Test {
protected:
    BeaconDisplayTest()
    {
        countries.rows = {{"NRL", "Norland", ""}, {"CAN", "Canada", ""}};
        states.rows = {{"ET", "Eastland", "NRL"}, {"ON", "Ontario", "CAN"}};
        ctx.countries = &countries;
        ctx.states = &states;
        ctx.currentLocationIndex = 0;
        ctx.locationLat = "430000N";
        ctx.locationLon = "0800000W";
        for (int i = 0; i < kLocationCount; ++i)
            ctx.locationNames[i] = "Place " + QByteArray::number(i);
        ctx.locationNames[3] = "Cabin";
        ctx.dxLogger = "XYZ";
    }

    BeaconDisplay show(const Beacon &b)
    {
        folder.write("ndb.dat", record(b).bytes());
        return ShowBeacon(folder.folder(), 1, ctx);
    }

    TestFolder folder;
    CountryTable countries;
    StateTable states;
    DisplayContext ctx;
};

} // namespace

TEST_F(BeaconDisplayTest, FillsEveryTextOfTheDetailArea)
{
    const BeaconDisplay d = show({});
    ASSERT_FALSE(d.cleared);
    EXPECT_EQ(d.lblkHz, "ABC  338 kHz");
    EXPECT_EQ(d.txtCountry, "Norland");
    EXPECT_EQ(d.txtLocation, "Port Eden, Eastland");
    EXPECT_EQ(d.txtPower, "25 / NDB");
    EXPECT_EQ(d.txtLat, "47 42 40 N");
    EXPECT_EQ(d.txtLon, "080 01 00 W");
    EXPECT_EQ(d.txtCurrent, "2026 12");
    EXPECT_EQ(d.txtCycle, "8.0");
    EXPECT_EQ(d.txtUSB, "400");
    EXPECT_EQ(d.txtLSB, "400");
    EXPECT_EQ(d.txtComments, "Heard at dusk");
    EXPECT_EQ(d.txtLocator, "EN97xr");
    EXPECT_TRUE(d.cmdMapItEnabled);
    EXPECT_TRUE(d.cmdNearbyEnabled);
}

TEST_F(BeaconDisplayTest, DistanceIsItsWholePartInTheChosenUnit)
{
    const BeaconDisplay km = show({});
    EXPECT_NEAR(km.Distance, 523.9, 0.05);
    EXPECT_EQ(km.txtDistance, " 523 km");
    ctx.imperial = true;
    EXPECT_EQ(show({}).txtDistance, " 325 miles");
}

TEST_F(BeaconDisplayTest, BearingIsRoundedWithTheDegreeSign)
{
    const struct {
        QByteArray longitude;
        QByteArray shown;
    } cases[] = {
        {"W080010000", " 360\xB0"}, // 359.86 degrees
        {"W080000000", " 0\xB0"},   // due north
        {"W090000000", " 307\xB0"}, // 307.33
        {"W070000000", " 53\xB0"},  // 52.67
    };
    for (const auto &c : cases) {
        Beacon b;
        b.longitude = c.longitude;
        EXPECT_EQ(show(b).txtBearing, c.shown) << c.longitude.toStdString();
    }
}

TEST_F(BeaconDisplayTest, UnknownPositionBlanksLocatorDistanceAndBearing)
{
    Beacon b;
    b.latitude = "N00000000";
    b.longitude = "W000000000";
    const BeaconDisplay d = show(b);
    EXPECT_EQ(d.txtLat, "00 00 00 N");
    EXPECT_EQ(d.txtLon, "000 00 00 W");
    EXPECT_EQ(d.txtLocator, "");
    EXPECT_EQ(d.txtDistance, "");
    EXPECT_EQ(d.txtBearing, "");
    EXPECT_FALSE(d.cmdMapItEnabled);
    EXPECT_FALSE(d.cmdNearbyEnabled);
}

TEST_F(BeaconDisplayTest, OneZeroCoordinateKeepsThePositionKnown)
{
    Beacon b;
    b.latitude = "N00000000";
    b.longitude = "W075000000";
    const BeaconDisplay d = show(b);
    EXPECT_TRUE(d.cmdMapItEnabled);
    EXPECT_FALSE(d.txtDistance.isEmpty());
    EXPECT_FALSE(d.txtLocator.isEmpty());
}

TEST_F(BeaconDisplayTest, DaidMarkShowsOnlyForOne)
{
    const struct {
        QByteArray daid;
        bool visible;
    } cases[] = {{"1", true}, {"0", false}, {"", false}, {"2", false}};
    for (const auto &c : cases) {
        Beacon b;
        b.daid = c.daid;
        const BeaconDisplay d = show(b);
        EXPECT_EQ(d.lblDAIDVisible, c.visible) << c.daid.toStdString();
        EXPECT_EQ(d.CurrentDAID, c.visible ? 1 : 0) << c.daid.toStdString();
    }
}

TEST_F(BeaconDisplayTest, StateNameIsLookedUpInUpperCase)
{
    const struct {
        QByteArray state;
        QByteArray location;
    } cases[] = {
        {"ET", "Port Eden, Eastland"},
        {"et", "Port Eden, Eastland"},
        {"", "Port Eden"},
        {"ZZ", "Port Eden"},
    };
    for (const auto &c : cases) {
        Beacon b;
        b.state = c.state;
        EXPECT_EQ(show(b).txtLocation, c.location) << c.state.toStdString();
    }
}

TEST_F(BeaconDisplayTest, ClipboardLineJoinsIdentFrequencySidebandsPlaceAndSignature)
{
    const struct {
        QByteArray usb, lsb, logger;
        QByteArray line;
    } cases[] = {
        {"400", "400", "XYZ", "ABC:338, +400 -400 Port Eden, Eastland, Norland XYZ"},
        {"400", "", "XYZ", "ABC:338, +400 Port Eden, Eastland, Norland XYZ"},
        {"", "1020", "XYZ", "ABC:338, -1020 Port Eden, Eastland, Norland XYZ"},
        {"", "", "XYZ", "ABC:338, Port Eden, Eastland, Norland XYZ"},
        {"400", "400", "", "ABC:338, +400 -400 Port Eden, Eastland, Norland "},
    };
    for (const auto &c : cases) {
        Beacon b;
        b.usb = c.usb;
        b.lsb = c.lsb;
        ctx.dxLogger = c.logger;
        EXPECT_EQ(show(b).clipboardLine, c.line);
    }
}

TEST_F(BeaconDisplayTest, DuplicateSuffixIsDroppedFromTheShownIdent)
{
    Beacon b;
    b.ident = "ABC;2";
    const BeaconDisplay d = show(b);
    EXPECT_EQ(d.ShownIdent, "ABC");
    EXPECT_EQ(d.lblkHz, "ABC  338 kHz");
    EXPECT_TRUE(d.clipboardLine.startsWith("ABC:338, "));
}

TEST_F(BeaconDisplayTest, NotLoggedHidesBothLabelsAndBlanksTheCaption)
{
    const BeaconDisplay d = show({});
    EXPECT_FALSE(d.lblLoggedVisible);
    EXPECT_FALSE(d.lblGotLoggedVisible);
    EXPECT_EQ(d.lblLoggedCaption, "");
    EXPECT_TRUE(d.lstGotLogged.isEmpty());
}

TEST_F(BeaconDisplayTest, LoggedOnlyElsewhereListsThatLocation)
{
    folder.write("Logs/log3.dat", logEntry("ABC", "338", "20261207"));
    Beacon b;
    b.mask = 1u << 3;
    const BeaconDisplay d = show(b);
    EXPECT_TRUE(d.lblLoggedVisible);
    EXPECT_EQ(d.lblLoggedCaption, " *** Logged from a different QTH *** ");
    EXPECT_TRUE(d.lblGotLoggedVisible);
    EXPECT_EQ(d.lstGotLogged, QList<QByteArray>{"Cabin - Last logged on 07-Dec-2026"});
}

TEST_F(BeaconDisplayTest, LoggedHereShowsTheEntryNearestTheEndOfTheLogbook)
{
    folder.write("Logs/log0.dat", logEntry("ABC", "338", "20261207") +
                                      logEntry("XYZ", "338", "20270101") +
                                      logEntry("ABC", "338", "20250314") +
                                      logEntry("ABC", "339", "20280101"));
    Beacon b;
    b.mask = 1;
    const BeaconDisplay d = show(b);
    EXPECT_TRUE(d.lblLoggedVisible);
    EXPECT_EQ(d.lblLoggedCaption, " *** Last logged on 14-Mar-2025 ***");
    EXPECT_FALSE(d.lblGotLoggedVisible);
    EXPECT_EQ(d.lstGotLogged, QList<QByteArray>{"Place 0 - Last logged on 14-Mar-2025"});
}

TEST_F(BeaconDisplayTest, LogEntriesBelongByIdentAndFrequency)
{
    const struct {
        QByteArray ident;
        QByteArray entryIdent;
        QByteArray entryFrequency;
        QByteArray caption;
    } cases[] = {
        {"ABC", "abc", "338", " *** Last logged on 07-Dec-2026 ***"},
        {"ABC", "ABC", "339", " *** Logged *** "},        // another beacon of the same ident
        {"ABCDE;2", "ABCDE", "338", " *** Last logged on 07-Dec-2026 ***"}, // five characters kept
        {"ABC;2", "ABC;2", "338", " *** Last logged on 07-Dec-2026 ***"},
        {"ABC;2", "ABC", "338", " *** Logged *** "},      // the plain ABC's entry
    };
    for (const auto &c : cases) {
        folder.write("Logs/log0.dat", logEntry(c.entryIdent, c.entryFrequency, "20261207"));
        Beacon b;
        b.ident = c.ident;
        b.mask = 1;
        EXPECT_EQ(show(b).lblLoggedCaption, c.caption) << c.ident.toStdString() << " / "
                                                      << c.entryIdent.toStdString();
    }
}

TEST_F(BeaconDisplayTest, LoggedHereWithoutAnEntryGetsItsOwnCaption)
{
    Beacon b;
    b.mask = 1;
    const BeaconDisplay d = show(b); // no logbook at all: it is not created
    EXPECT_TRUE(d.lblLoggedVisible);
    EXPECT_EQ(d.lblLoggedCaption, " *** Logged *** ");
    EXPECT_FALSE(d.logbookError);
    EXPECT_FALSE(folder.exists("Logs/log0.dat"));
}

TEST_F(BeaconDisplayTest, EveryLoggedLocationAddsALineInLocationOrder)
{
    folder.write("Logs/log15.dat", logEntry("ABC", "338", "20240229"));
    folder.write("Logs/log3.dat", logEntry("ABC", "338", "20261207"));
    folder.write("Logs/log0.dat", logEntry("ABC", "338", "20260101"));
    Beacon b;
    b.mask = 1u | 1u << 3 | 1u << 7 | 1u << 15; // location 7 has no entry
    ctx.currentLocationIndex = 3;
    const BeaconDisplay d = show(b);
    EXPECT_EQ(d.LoggedMaskValue, 32905u);
    EXPECT_EQ(d.lblLoggedCaption, " *** Last logged on 07-Dec-2026 ***");
    EXPECT_EQ(d.lstGotLogged, (QList<QByteArray>{"Place 0 - Last logged on 01-Jan-2026",
                                                 "Cabin - Last logged on 07-Dec-2026",
                                                 "Place 15 - Last logged on 29-Feb-2024"}));
}

TEST_F(BeaconDisplayTest, MaskWithBitFifteenIsAPlainNumber)
{
    for (const quint32 mask : {32768u, 65535u}) {
        Beacon b;
        b.mask = mask;
        const BeaconDisplay d = show(b);
        EXPECT_EQ(d.LoggedMaskValue, mask);
        EXPECT_TRUE(d.lblLoggedVisible);
    }
}

TEST_F(BeaconDisplayTest, RecordOutsideTheFileIsCleared)
{
    folder.write("ndb.dat", record({}).bytes() + record({}).bytes());
    for (const qint64 recNo : {0, -1, 3, 40000}) {
        const BeaconDisplay d = ShowBeacon(folder.folder(), recNo, ctx);
        EXPECT_TRUE(d.cleared) << recNo;
        EXPECT_FALSE(d.error) << recNo;
    }
    EXPECT_FALSE(ShowBeacon(folder.folder(), 2, ctx).cleared);
}

TEST_F(BeaconDisplayTest, MissingDatabaseClearsAndIsNotCreated)
{
    const BeaconDisplay d = ShowBeacon(folder.folder(), 1, ctx);
    EXPECT_TRUE(d.cleared);
    EXPECT_FALSE(folder.exists("ndb.dat"));
}

TEST_F(BeaconDisplayTest, AppliesItsGlobalsToTheSharedState)
{
    SharedState state;
    state.CurrentRecordNumber = 9;
    ShowBeacon(folder.folder(), 5, ctx).applyTo(state); // cleared: nothing changes
    EXPECT_EQ(state.CurrentRecordNumber, 9);

    Beacon b;
    b.ident = "ABC;2";
    b.mask = 40000;
    show(b).applyTo(state);
    EXPECT_EQ(state.CurrentRecordNumber, 1);
    EXPECT_EQ(state.ShownIdent, "ABC");
    EXPECT_EQ(state.CurrentIdent, "ABC");
    EXPECT_EQ(state.ShownFrequency, "338");
    EXPECT_EQ(state.CurrentFrequency, "338");
    EXPECT_EQ(state.LoggedMaskValue, 40000u);
    EXPECT_EQ(state.CurrentDAID, 1);
    EXPECT_EQ(state.BeaconLatitudeText, "N47424000");
    EXPECT_EQ(state.BeaconLongitudeText, "W080010000");
    EXPECT_DOUBLE_EQ(state.BeaconLatitudeDeg, 47.7111);
    EXPECT_DOUBLE_EQ(state.BeaconLongitudeDeg, -80.0167);
    EXPECT_DOUBLE_EQ(state.QTHLatitude, 43.0);
    EXPECT_DOUBLE_EQ(state.QTHLongitude, -80.0);
    EXPECT_NEAR(state.Distance, 523.88, 0.01);
    EXPECT_NEAR(state.Bearing, 359.86, 0.01);
    EXPECT_EQ(state.QTHLocator, "EN97xr");
    EXPECT_EQ(state.CountryNameFound, "Norland");
    EXPECT_EQ(state.StateNameFound, "Eastland");
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
    const struct {
        QByteArray date;
        QByteArray shown;
    } cases[] = {
        {"20261207", "07-Dec-2026"},
        {"20240229", "29-Feb-2024"},
        {"19990101", "01-Jan-1999"},
        {" 20260515 ", "15-May-2026"},
        {"20230229", "20230229"}, // no such day
        {"20261301", "20261301"},
        {"2026120", "2026120"},
        {"2026-12-07", "2026-12-07"},
        {"00001207", "00001207"},
        {"", "unknown date"},
        {"        ", "unknown date"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(loggedDateText(c.date), c.shown) << c.date.toStdString();
    EXPECT_EQ(lastLoggedCaption("20261207"), " *** Last logged on 07-Dec-2026 ***");
}
