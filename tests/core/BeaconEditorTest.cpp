#include <gtest/gtest.h>

#include "BeaconEditor.h"
#include "Fixtures.h"

using namespace qern;
using namespace qern::test;

namespace {

BeaconRecord stored(const QByteArray &ident, const QByteArray &frequency, const QByteArray &country = "CAN",
                    const QByteArray &state = "ON")
{
    return beacon({.ident = ident, .country = country, .state = state, .frequency = frequency, .mask = 5,
                   .cleMark = "z"});
}

// What the editor's boxes hold: names for the country and the state, an empty LSB.
BeaconEntries entries()
{
    return {"XYZ", "Canada", "Ontario", "Lake Town", "283.5", "NDB", "50", "N46000000", "W080000000", "",
            "10", "1020", "", true, "new note"};
}

// The editor loaded record number: the beacon stored there now.
PreparedBeacon prepare(const DataFolder &t, const BeaconEntries &e, bool isNew, qint64 number)
{
    return prepareBeaconWrite(t.folder(), e, sampleCountries(), sampleStates(), isNew, t.shownAt(number), "202603");
}

} // namespace

TEST(BeaconEditor, LoadShowsTheDecodedFieldsAndTheCountryName)
{
    DataFolder t;
    t.writeDatabase({stored("AAA", "200"), stored("ABC;2", "338"), stored("AAA", "200", "ZZZ", "")});

    const EditorLoad load = loadBeaconForEditing(t.folder(), 2, sampleCountries());

    ASSERT_FALSE(load.error.failed());
    EXPECT_FALSE(load.undecodable);
    const BeaconEntries &e = load.entries;
    EXPECT_EQ((QList<QByteArray>{e.ident, e.country, e.state, load.stateCode, e.frequency, e.latitude, e.current, e.lsb,
                                 e.comments}),
              (QList<QByteArray>{"ABC;2", "Canada", "ON", "ON", "338", "N47424000", "202612", "1020", "Heard at dusk"}));
    EXPECT_TRUE(e.daid);
    // An unknown country code is shown as stored.
    const EditorLoad unknown = loadBeaconForEditing(t.folder(), 3, sampleCountries());
    EXPECT_EQ(unknown.entries.country, "ZZZ");
    EXPECT_EQ(unknown.entries.state, "");
}

TEST(BeaconEditor, LoadReportsAMissingDatabaseOrRecord)
{
    DataFolder t;
    EXPECT_EQ(loadBeaconForEditing(t.folder(), 1, sampleCountries()).error.number, 53);
    EXPECT_FALSE(t.exists("ndb.dat"));
    t.writeDatabase({stored("AAA", "200")});
    EXPECT_TRUE(loadBeaconForEditing(t.folder(), 2, sampleCountries()).error.failed());
}

TEST(BeaconEditor, LoadNotesAByteThatCannotBeDecoded)
{
    DataFolder t;
    BeaconRecord r = stored("AAA", "200");
    r.setRaw(BeaconField::Location, QByteArray("A\x01", 2));
    t.writeDatabase({r});
    EXPECT_TRUE(loadBeaconForEditing(t.folder(), 1, sampleCountries()).undecodable);
}

TEST(BeaconEditor, CountryBoxStandsForACode)
{
    const struct { QByteArray text; std::optional<QByteArray> code; } cases[] = {
        {"Canada", QByteArray("CAN")}, {"canada", QByteArray("CAN")}, {" Canada ", QByteArray("CAN")},
        {"can", QByteArray("CAN")}, {"USA", QByteArray("USA")}, {"", QByteArray("")},
        {"  ", QByteArray("")},        {"ZZ", QByteArray("ZZ")}, // unknown, but a code: kept as typed
        {"zzz", QByteArray("zzz")},    {"Atlantis", std::nullopt}, // unknown and too long for a code
    };
    for (const auto &c : cases)
        EXPECT_EQ(countryCodeFor(c.text, sampleCountries()), c.code) << c.text.constData();
}

TEST(BeaconEditor, StateBoxStandsForACodeOfTheBeaconsCountryFirst)
{
    const struct { QByteArray text; QByteArray country; std::optional<QByteArray> code; } cases[] = {
        {"Ontario", "CAN", QByteArray("ON")},
        {"ontario", "USA", QByteArray("ON")}, // a name of another country still names its code
        {"on", "CAN", QByteArray("ON")}, {"Washington", "USA", QByteArray("WA")},
        {"Western Australia", "AUS", QByteArray("WA")}, {"wa", "AUS", QByteArray("WA")},
        {"", "CAN", QByteArray("")}, {"Q", "CAN", QByteArray("Q")}, {"Nowhere", "CAN", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(stateCodeFor(c.text, c.country, sampleStates()), c.code) << c.text.constData();
}

TEST(BeaconEditor, NewRecordGoesAfterTheLastWithItsFirstMarks)
{
    DataFolder t;
    t.writeDatabase({stored("AAA", "200"), stored("BBB", "300")});

    const PreparedBeacon p = prepare(t, entries(), true, 99);

    ASSERT_TRUE(p.ok()) << p.refusal.toStdString();
    EXPECT_EQ(p.number, 3);
    // Codes for the names, the month of the change, an empty LSB as one plain blank, no marks.
    EXPECT_EQ(p.record.bytes(), beacon({.ident = "XYZ", .location = "Lake Town", .frequency = "283.5", .power = "50",
                                        .latitude = "N46000000", .longitude = "W080000000", .current = "202603",
                                        .cycle = "10", .usb = "1020", .lsb = "", .comments = "new note",
                                        .spare = " "}).bytes());
    EXPECT_EQ(p.record.raw(BeaconField::LoggedMask), "0    ");
}

TEST(BeaconEditor, ChangeKeepsTheMarksTheFileHoldsNow)
{
    DataFolder t;
    t.writeDatabase({stored("AAA", "200"), stored("BBB", "300")});
    BeaconEntries e = entries();
    e.daid = false;
    e.ident = "xyz;2"; // the look-up finds idents in capitals only

    const PreparedBeacon p = prepare(t, e, false, 2);

    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.number, 2);
    EXPECT_EQ(p.record.trimmedText(BeaconField::Ident), "XYZ;2");
    EXPECT_EQ(p.record.raw(BeaconField::DAID), ShiftTextUp("0"));
    EXPECT_EQ(p.record.loggedMask(), 5u);
    EXPECT_TRUE(p.record.inSession());
    EXPECT_EQ(p.record.raw(BeaconField::Spare), "s");
}

TEST(BeaconEditor, FrequencyMustPassTheIntegrityCheckAsStored)
{
    DataFolder t;
    t.writeDatabase({stored("AAA", "200")});
    const struct { QByteArray frequency; bool accepted; } cases[] = {
        {"338", true}, {"4499.9", true}, {"0.5", true}, {"0", false}, {"", false},
        {"abc", false},    {"4500", false},  {"-3", false},  {"1234567", false}, // cut to 123456
        {"4499.999", true}, // cut to 4499.9
    };
    for (const auto &c : cases) {
        BeaconEntries e = entries();
        e.frequency = c.frequency;
        const PreparedBeacon p = prepare(t, e, true, 0);
        EXPECT_EQ(p.ok(), c.accepted) << c.frequency.constData();
        if (!c.accepted) {
            EXPECT_TRUE(p.refusal.startsWith(QStringLiteral("Frequency"))) << p.refusal.toStdString();
        }
    }
}

TEST(BeaconEditor, EntriesThatCannotBeStoredAreRefused)
{
    DataFolder t;
    t.writeDatabase({stored("AAA", "200")});
    const struct { QByteArray BeaconEntries::*field; QByteArray value; QString startsWith; } cases[] = {
        {&BeaconEntries::comments, QByteArray("note \xfe", 6), QStringLiteral("The Comments entry")},
        {&BeaconEntries::country, "Atlantis", QStringLiteral("Country not found")},
        {&BeaconEntries::state, "Nowhere", QStringLiteral("State/Province not found")},
    };
    for (const auto &c : cases) {
        BeaconEntries e = entries();
        e.*c.field = c.value;
        const PreparedBeacon p = prepare(t, e, false, 1);
        EXPECT_FALSE(p.ok());
        EXPECT_TRUE(p.refusal.startsWith(c.startsWith)) << p.refusal.toStdString();
    }
}

TEST(BeaconEditor, NewRecordNeedsAWholeDatabase)
{
    DataFolder t;
    const PreparedBeacon missing = prepare(t, entries(), true, 1);
    EXPECT_EQ(missing.error.number, 53);
    EXPECT_FALSE(t.exists("ndb.dat"));

    t.write("ndb.dat", stored("AAA", "200").bytes() + QByteArray(150, ' '));
    const PreparedBeacon cut = prepare(t, entries(), true, 2);
    EXPECT_EQ(cut.refusal, QStringLiteral("Records mismatched. Database corrupted."));
}

TEST(BeaconEditor, ChangeOfABeaconNoLongerAtItsRecordIsRefused)
{
    const struct {
        const char *name;
        ShownBeacon loaded;
    } cases[] = {
        {"record gone", shownBeaconOf(2, stored("AAA", "200"))},
        {"another beacon sorted into its place", shownBeaconOf(1, stored("BBB", "300"))},
        {"its frequency changed meanwhile", shownBeaconOf(1, stored("AAA", "210"))},
        {"its namesake of another country in its place", shownBeaconOf(1, stored("AAA", "200", "NOR"))},
    };
    for (const auto &c : cases) {
        DataFolder t;
        t.writeDatabase({stored("AAA", "200")});
        const PreparedBeacon p =
            prepareBeaconWrite(t.folder(), entries(), sampleCountries(), sampleStates(), false, c.loaded, "202603");
        EXPECT_TRUE(p.beaconMoved) << c.name;
        EXPECT_FALSE(p.error.failed()) << c.name;
        EXPECT_FALSE(p.ok()) << c.name;
    }
}

TEST(BeaconEditor, FindsARecordByItsBytes)
{
    DataFolder t;
    const BeaconRecord a = stored("AAA", "200");
    const BeaconRecord b = stored("BBB", "300");
    t.writeDatabase({a, b, b});

    const FoundBeacon found = findBeaconRecord(t.folder(), a);
    EXPECT_TRUE(found.found());
    EXPECT_EQ(found.recordNumber, 1);
    // Two records alike are not told apart.
    EXPECT_EQ(findBeaconRecord(t.folder(), b).matches, 2);
    EXPECT_FALSE(findBeaconRecord(t.folder(), b).found());
    EXPECT_EQ(findBeaconRecord(t.folder(), stored("CCC", "400")).matches, 0);

    TestFolder empty;
    const FoundBeacon unread = findBeaconRecord(empty.folder(), a);
    EXPECT_FALSE(unread.found());
    EXPECT_EQ(unread.error.number, 53);
}
