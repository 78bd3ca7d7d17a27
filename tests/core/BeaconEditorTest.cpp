#include <gtest/gtest.h>

#include "BeaconDatabase.h"
#include "BeaconEditor.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::TestFolder;

namespace {

BeaconRecord stored(const QByteArray &ident, const QByteArray &frequency, const QByteArray &country = "CAN",
                    const QByteArray &state = "ON")
{
    BeaconRecord r;
    EXPECT_TRUE(r.setShifted(BeaconField::Ident, ident));
    EXPECT_TRUE(r.setShifted(BeaconField::CountryCode, country));
    EXPECT_TRUE(r.setShiftedOrBlank(BeaconField::StateCode, state));
    EXPECT_TRUE(r.setShifted(BeaconField::Location, "Port Eden"));
    EXPECT_TRUE(r.setShifted(BeaconField::Frequency, frequency));
    EXPECT_TRUE(r.setShifted(BeaconField::BeaconClass, "NDB"));
    EXPECT_TRUE(r.setShifted(BeaconField::Power, "25"));
    EXPECT_TRUE(r.setShifted(BeaconField::Latitude, "N45300000"));
    EXPECT_TRUE(r.setShifted(BeaconField::Longitude, "W075421000"));
    EXPECT_TRUE(r.setShifted(BeaconField::Current, "199901"));
    EXPECT_TRUE(r.setShifted(BeaconField::Cycle, "8"));
    EXPECT_TRUE(r.setShifted(BeaconField::USB, "400"));
    EXPECT_TRUE(r.setShifted(BeaconField::LSB, "1020"));
    EXPECT_TRUE(r.setShifted(BeaconField::DAID, "1"));
    EXPECT_TRUE(r.setShifted(BeaconField::Comments, "old note"));
    r.setLoggedMask(5);
    r.setSessionMark();
    r.setRaw(BeaconField::Spare, "s");
    return r;
}

void writeDatabase(const TestFolder &t, const QList<BeaconRecord> &records)
{
    QByteArray bytes;
    for (const BeaconRecord &r : records)
        bytes += r.bytes();
    t.write("ndb.dat", bytes);
}

CountryTable countries()
{
    CountryTable table;
    table.rows = {{"AUS", "Australia", "AU"}, {"CAN", "Canada", "CA"}, {"USA", "USA", "US"}};
    return table;
}

StateTable states()
{
    StateTable table;
    table.rows = {{"WA", "Western Australia", "AUS"}, {"ON", "Ontario", "CAN"}, {"WA", "Washington", "USA"},
                  {"ME", "Maine", "USA"}};
    return table;
}

BeaconEntries entries()
{
    BeaconEntries e;
    e.ident = "XYZ";
    e.country = "Canada";
    e.state = "Ontario";
    e.location = "Lake Town";
    e.frequency = "283.5";
    e.beaconClass = "NDB";
    e.power = "50";
    e.latitude = "N46000000";
    e.longitude = "W080000000";
    e.cycle = "10";
    e.usb = "1020";
    e.lsb = "";
    e.daid = true;
    e.comments = "new note";
    return e;
}

} // namespace

TEST(BeaconEditor, LoadShowsTheDecodedFieldsAndTheCountryName)
{
    TestFolder t;
    writeDatabase(t, {stored("AAA", "200"), stored("ABC;2", "338")});

    const EditorLoad load = loadBeaconForEditing(t.folder(), 2, countries());

    ASSERT_FALSE(load.error.failed());
    EXPECT_FALSE(load.undecodable);
    EXPECT_EQ(load.entries.ident, "ABC;2");
    EXPECT_EQ(load.entries.country, "Canada");
    EXPECT_EQ(load.entries.state, "ON");
    EXPECT_EQ(load.stateCode, "ON");
    EXPECT_EQ(load.entries.frequency, "338");
    EXPECT_EQ(load.entries.latitude, "N45300000");
    EXPECT_EQ(load.entries.current, "199901");
    EXPECT_EQ(load.entries.lsb, "1020");
    EXPECT_TRUE(load.entries.daid);
    EXPECT_EQ(load.entries.comments, "old note");
}

TEST(BeaconEditor, LoadShowsAnUnknownCountryCodeAsStored)
{
    TestFolder t;
    writeDatabase(t, {stored("AAA", "200", "ZZZ", "")});
    const EditorLoad load = loadBeaconForEditing(t.folder(), 1, countries());
    EXPECT_EQ(load.entries.country, "ZZZ");
    EXPECT_EQ(load.entries.state, "");
}

TEST(BeaconEditor, LoadReportsAMissingDatabaseOrRecord)
{
    TestFolder t;
    EXPECT_EQ(loadBeaconForEditing(t.folder(), 1, countries()).error.number, 53);
    EXPECT_FALSE(t.exists("ndb.dat"));
    writeDatabase(t, {stored("AAA", "200")});
    EXPECT_TRUE(loadBeaconForEditing(t.folder(), 2, countries()).error.failed());
}

TEST(BeaconEditor, LoadNotesAByteThatCannotBeDecoded)
{
    TestFolder t;
    BeaconRecord r = stored("AAA", "200");
    r.setRaw(BeaconField::Location, QByteArray("A\x01", 2));
    writeDatabase(t, {r});
    EXPECT_TRUE(loadBeaconForEditing(t.folder(), 1, countries()).undecodable);
}

TEST(BeaconEditor, CountryBoxStandsForACode)
{
    const struct {
        QByteArray text;
        std::optional<QByteArray> code;
    } cases[] = {
        {"Canada", QByteArray("CAN")},
        {"canada", QByteArray("CAN")},
        {" Canada ", QByteArray("CAN")},
        {"can", QByteArray("CAN")},
        {"USA", QByteArray("USA")},
        {"", QByteArray("")},
        {"  ", QByteArray("")},
        {"ZZ", QByteArray("ZZ")},  // unknown, but a code: kept as typed
        {"zzz", QByteArray("zzz")},
        {"Atlantis", std::nullopt}, // unknown and too long for a code
    };
    for (const auto &c : cases)
        EXPECT_EQ(countryCodeFor(c.text, countries()), c.code) << c.text.constData();
}

TEST(BeaconEditor, StateBoxStandsForACodeOfTheBeaconsCountryFirst)
{
    const struct {
        QByteArray text;
        QByteArray country;
        std::optional<QByteArray> code;
    } cases[] = {
        {"Ontario", "CAN", QByteArray("ON")},
        {"ontario", "USA", QByteArray("ON")}, // a name of another country still names its code
        {"on", "CAN", QByteArray("ON")},
        {"Washington", "USA", QByteArray("WA")},
        {"Western Australia", "AUS", QByteArray("WA")},
        {"wa", "AUS", QByteArray("WA")},
        {"", "CAN", QByteArray("")},
        {"Q", "CAN", QByteArray("Q")},
        {"Nowhere", "CAN", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(stateCodeFor(c.text, c.country, states()), c.code) << c.text.constData();
}

TEST(BeaconEditor, NewRecordGoesAfterTheLastWithItsFirstMarks)
{
    TestFolder t;
    writeDatabase(t, {stored("AAA", "200"), stored("BBB", "300")});

    const PreparedBeacon p = prepareBeaconWrite(t.folder(), entries(), countries(), states(), true, 99, "202603");

    ASSERT_TRUE(p.ok()) << p.refusal.toStdString();
    EXPECT_EQ(p.number, 3);
    const BeaconRecord &r = p.record;
    EXPECT_EQ(r.raw(BeaconField::Ident), ShiftTextUp("XYZ") + "    ");
    EXPECT_EQ(r.trimmedText(BeaconField::CountryCode), "CAN");
    EXPECT_EQ(r.trimmedText(BeaconField::StateCode), "ON");
    EXPECT_EQ(r.trimmedText(BeaconField::Frequency), "283.5");
    EXPECT_EQ(r.raw(BeaconField::Current), ShiftTextUp("202603"));
    EXPECT_EQ(r.raw(BeaconField::DAID), ShiftTextUp("1"));
    EXPECT_EQ(r.raw(BeaconField::LSB), "     "); // an empty entry is one plain blank
    EXPECT_EQ(r.trimmedText(BeaconField::Comments), "new note");
    EXPECT_EQ(r.raw(BeaconField::LoggedMask), "0    ");
    EXPECT_EQ(r.raw(BeaconField::CLEMark), " ");
    EXPECT_FALSE(r.inSession());
    EXPECT_EQ(r.raw(BeaconField::Spare), " ");
}

TEST(BeaconEditor, ChangeKeepsTheMarksTheFileHoldsNow)
{
    TestFolder t;
    writeDatabase(t, {stored("AAA", "200"), stored("BBB", "300")});
    BeaconEntries e = entries();
    e.daid = false;

    const PreparedBeacon p = prepareBeaconWrite(t.folder(), e, countries(), states(), false, 2, "202603");

    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.number, 2);
    EXPECT_EQ(p.record.trimmedText(BeaconField::Ident), "XYZ");
    EXPECT_EQ(p.record.raw(BeaconField::DAID), ShiftTextUp("0"));
    EXPECT_EQ(p.record.loggedMask(), 5u);
    EXPECT_TRUE(p.record.inSession());
    EXPECT_EQ(p.record.raw(BeaconField::Spare), "s");
}

TEST(BeaconEditor, FrequencyMustPassTheIntegrityCheckAsStored)
{
    TestFolder t;
    writeDatabase(t, {stored("AAA", "200")});
    const struct {
        QByteArray frequency;
        bool accepted;
    } cases[] = {
        {"338", true},     {"4499.9", true}, {"0.5", true},  {"0", false},        {"", false},
        {"abc", false},    {"4500", false},  {"-3", false},  {"1234567", false}, // cut to 123456
        {"4499.999", true}, // cut to 4499.9
    };
    for (const auto &c : cases) {
        BeaconEntries e = entries();
        e.frequency = c.frequency;
        const PreparedBeacon p = prepareBeaconWrite(t.folder(), e, countries(), states(), true, 0, "202603");
        EXPECT_EQ(p.ok(), c.accepted) << c.frequency.constData();
        if (!c.accepted) {
            EXPECT_TRUE(p.refusal.startsWith(QStringLiteral("Frequency"))) << p.refusal.toStdString();
        }
    }
}

TEST(BeaconEditor, EntriesThatCannotBeStoredAreRefused)
{
    TestFolder t;
    writeDatabase(t, {stored("AAA", "200")});
    BeaconEntries highByte = entries();
    highByte.comments = QByteArray("note \xfe", 6);
    BeaconEntries badCountry = entries();
    badCountry.country = "Atlantis";
    BeaconEntries badState = entries();
    badState.state = "Nowhere";

    const struct {
        BeaconEntries entries;
        QString startsWith;
    } cases[] = {
        {highByte, QStringLiteral("The Comments entry")},
        {badCountry, QStringLiteral("Country not found")},
        {badState, QStringLiteral("State/Province not found")},
    };
    for (const auto &c : cases) {
        const PreparedBeacon p = prepareBeaconWrite(t.folder(), c.entries, countries(), states(), false, 1, "202603");
        EXPECT_FALSE(p.ok());
        EXPECT_TRUE(p.refusal.startsWith(c.startsWith)) << p.refusal.toStdString();
    }
}

TEST(BeaconEditor, NewRecordNeedsAWholeDatabase)
{
    TestFolder t;
    const PreparedBeacon missing = prepareBeaconWrite(t.folder(), entries(), countries(), states(), true, 1, "202603");
    EXPECT_EQ(missing.error.number, 53);
    EXPECT_FALSE(t.exists("ndb.dat"));

    t.write("ndb.dat", stored("AAA", "200").bytes() + QByteArray(150, ' '));
    const PreparedBeacon cut = prepareBeaconWrite(t.folder(), entries(), countries(), states(), true, 2, "202603");
    EXPECT_EQ(cut.refusal, QStringLiteral("Records mismatched. Database corrupted."));
}

TEST(BeaconEditor, ChangeOfARecordThatIsGoneIsAnError)
{
    TestFolder t;
    writeDatabase(t, {stored("AAA", "200")});
    const PreparedBeacon p = prepareBeaconWrite(t.folder(), entries(), countries(), states(), false, 2, "202603");
    EXPECT_TRUE(p.error.failed());
    EXPECT_FALSE(p.ok());
}

TEST(BeaconEditor, FindsARecordByItsBytes)
{
    TestFolder t;
    const BeaconRecord a = stored("AAA", "200");
    const BeaconRecord b = stored("BBB", "300");
    writeDatabase(t, {a, b, b});

    EXPECT_EQ(findBeaconRecord(t.folder(), b), std::optional<qint64>(2));
    EXPECT_EQ(findBeaconRecord(t.folder(), a), std::optional<qint64>(1));
    EXPECT_EQ(findBeaconRecord(t.folder(), stored("CCC", "400")), std::nullopt);

    TestFolder empty;
    FileError error;
    EXPECT_EQ(findBeaconRecord(empty.folder(), a, &error), std::nullopt);
    EXPECT_EQ(error.number, 53);
}
