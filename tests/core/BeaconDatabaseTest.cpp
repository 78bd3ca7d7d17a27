#include <gtest/gtest.h>

#include <random>

#include "DatabaseSort.h"
#include "Fixtures.h"
#include "NumberText.h"

using namespace qern;
using namespace qern::test;

namespace {

BeaconRecord tuned(const QByteArray &ident, const QByteArray &frequency)
{
    return beacon({.ident = ident, .frequency = frequency});
}

// B0 on 200 kHz, B1 on 201 kHz, ...
QByteArray goodDatabase(int count)
{
    QList<BeaconRecord> records;
    for (int i = 0; i < count; ++i)
        records.append(tuned("B" + QByteArray::number(i), QByteArray::number(200 + i)));
    return bytesOf(records);
}

// Records whose Frequency holds every odd form, a few with a byte 0 or 1 anywhere.
QByteArray oddDatabase(int count, unsigned seed)
{
    std::mt19937 random(seed);
    const QList<QByteArray> frequencies = {"338", " 338", "4499.9", "4500", "0", "", "NDB", "1e3", "-5", "338kHz",
                                           "1 5", "1.2.3", ".5", "0.0001", "4499.99999", "+7"};
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        BeaconRecord r = tuned("B" + QByteArray::number(i), frequencies[random() % frequencies.size()]);
        if (random() % 150 == 0)
            r.setRaw(BeaconField::Frequency, QByteArray(1, ' ') + char(random() % 2) + "5");
        QByteArray stored = r.bytes();
        if (random() % 150 == 0)
            stored[random() % BeaconRecord::Length] = char(random() % 2);
        bytes += stored;
    }
    return bytes;
}

// The check done the plain way: every shifted field decoded whole, every frequency
// read by the number reader; it stops at the first record it cannot decode.
IntegrityResult plainIntegrity(const QByteArray &bytes)
{
    IntegrityResult result;
    result.recordCount = recordCountForLength(bytes.size(), BeaconRecord::Length);
    for (const BeaconRecord &r : recordsOf<BeaconRecord>(bytes)) {
        for (int field = 0; field <= static_cast<int>(BeaconField::Comments); ++field) {
            bool ok = true;
            r.text(static_cast<BeaconField>(field), &ok);
            if (!ok) {
                result.verdict = IntegrityVerdict::ReadError;
                return result;
            }
        }
        if (isValidFrequency(r))
            ++result.validCount;
    }
    result.verdict = bytes.size() % BeaconRecord::Length == 0 && result.validCount == result.recordCount
                         ? IntegrityVerdict::Ok
                         : IntegrityVerdict::RecordsMismatched;
    return result;
}

} // namespace

TEST(BeaconDatabase, RecordCountRoundsTheQuotientHalfToEven)
{
    const struct { qint64 length, count; } cases[] = {
        {0, 0}, {106, 0}, {107, 1}, {213, 1}, {2130, 10},
        {2236, 10}, // 10 records and 106 bytes
        {2237, 11}, // 10 records and 107 bytes
    };
    for (const auto &c : cases) {
        TestFolder t;
        t.write("ndb.dat", QByteArray(c.length, 'x'));
        EXPECT_EQ(databaseRecordCount(t.folder()), c.count) << c.length;
    }
}

TEST(BeaconDatabase, MissingDatabaseCountsZeroAndStaysMissing)
{
    TestFolder t;
    EXPECT_EQ(databaseRecordCount(t.folder()), 0);
    BeaconRecord r;
    EXPECT_EQ(readBeacon(t.folder(), 1, &r).number, 53);
    EXPECT_EQ(writeBeacon(t.folder(), 1, tuned("ABC", "338")).number, 53);
    EXPECT_EQ(forEachBeacon(t.folder(), [](qint64, const BeaconRecord &) { return true; }).number, 53);
    EXPECT_FALSE(t.exists("ndb.dat"));
}

TEST(BeaconDatabase, FindsTheFileWhateverTheCaseOfItsName)
{
    TestFolder t;
    t.write("NDB.DAT", goodDatabase(2));
    EXPECT_EQ(databaseRecordCount(t.folder()), 2);
    BeaconRecord r;
    ASSERT_FALSE(readBeacon(t.folder(), 2, &r));
    EXPECT_EQ(r.trimmedText(BeaconField::Ident), "B1");
}

TEST(BeaconDatabase, ReadsEachRecordAtItsOffsetAndNoneOutside)
{
    TestFolder t;
    t.write("ndb.dat", goodDatabase(3));
    for (const qint64 number : {1, 2, 3}) {
        BeaconRecord r;
        ASSERT_FALSE(readBeacon(t.folder(), number, &r)) << number;
        EXPECT_EQ(r.trimmedText(BeaconField::Ident), "B" + QByteArray::number(number - 1));
        EXPECT_EQ(r.trimmedText(BeaconField::Frequency), QByteArray::number(199 + number));
    }
    for (const qint64 number : {qint64(0), qint64(-1), qint64(4), qint64(100000)}) {
        BeaconRecord r = tuned("KEEP", "1");
        EXPECT_EQ(readBeacon(t.folder(), number, &r).number, 62) << number;
        EXPECT_EQ(r.trimmedText(BeaconField::Ident), "KEEP"); // untouched on failure
    }
}

TEST(BeaconDatabase, WritesOneRecordInPlaceOrAppendsTheNextAndRefusesOthers)
{
    const BeaconRecord changed = tuned("NEW", "412");
    const QByteArray before = goodDatabase(5);
    for (const qint64 number : {3, 6}) {
        TestFolder t;
        t.write("ndb.dat", before);
        ASSERT_FALSE(writeBeacon(t.folder(), number, changed)) << number;
        const QByteArray after = t.read("ndb.dat");
        const qint64 at = (number - 1) * 213;
        EXPECT_EQ(after.size(), std::max<qint64>(before.size(), at + 213)) << number;
        EXPECT_EQ(after.left(at), before.left(at)) << number;
        EXPECT_EQ(after.mid(at, 213), changed.bytes()) << number;
        EXPECT_EQ(after.mid(at + 213), before.mid(at + 213)) << number;
    }
    TestFolder t;
    t.write("ndb.dat", before);
    for (const qint64 number : {qint64(0), qint64(-3), qint64(7), qint64(40000)}) {
        EXPECT_TRUE(writeBeacon(t.folder(), number, changed).failed()) << number;
        EXPECT_EQ(t.read("ndb.dat"), before) << number;
    }
}

TEST(BeaconDatabase, WalksEveryRecordInOrderAndStopsWhenAsked)
{
    TestFolder t;
    t.write("ndb.dat", goodDatabase(6));
    QList<QByteArray> idents;
    ASSERT_FALSE(forEachBeacon(t.folder(), [&](qint64 number, const BeaconRecord &r) {
        EXPECT_EQ(number, idents.size() + 1);
        idents.append(r.trimmedText(BeaconField::Ident));
        return true;
    }));
    EXPECT_EQ(idents, (QList<QByteArray>{"B0", "B1", "B2", "B3", "B4", "B5"}));

    qint64 last = 0;
    ASSERT_FALSE(forEachBeacon(t.folder(), [&](qint64 number, const BeaconRecord &) {
        last = number;
        return number < 4;
    }));
    EXPECT_EQ(last, 4);
}

TEST(BeaconDatabase, AShownBeaconIsReadOnlyWhileItsRecordStillHoldsIt)
{
    // B1 on 201 kHz in Canada at 2, its namesake in Norway at 4 and at 6 (two records
    // alike), and a Canadian B1 on 201 kHz at another position at 5.
    const BeaconRecord b1 = tuned("B1", "201");
    const BeaconRecord norwegian = beacon({.ident = "B1", .country = "NOR", .frequency = "201"});
    const BeaconRecord elsewhere = beacon({.ident = "B1", .frequency = "201", .latitude = "N50000000"});
    BeaconRecord damaged = tuned("B2", "202");
    damaged.setRaw(BeaconField::Ident, QByteArray("B\x01", 2));
    auto shown = [](qint64 number, const BeaconRecord &r) { return shownBeaconOf(number, r); };
    ShownBeacon typedApart = shown(2, b1);
    typedApart.ident = " b1 ";
    typedApart.frequency = "201 ";
    typedApart.countryCode = "can";
    typedApart.latitude = " n47424000";
    const struct {
        const char *name;
        ShownBeacon shown;
        bool moved;
        int error;               // 0: none
        qint64 found;            // where it stands now, 0: nowhere for sure
        int matches;             // records holding it
    } cases[] = {
        {"still there", shown(2, b1), false, 0, 2, 1},
        {"case and blanks aside", typedApart, false, 0, 2, 1},
        {"another beacon in its place", shown(1, b1), true, 0, 2, 1},
        {"its namesake in its place", shown(4, b1), true, 0, 2, 1},
        {"a beacon of its country elsewhere in its place", shown(5, b1), true, 0, 2, 1},
        {"same ident, other frequency", shown(2, tuned("B1", "338")), true, 0, 0, 0},
        {"a duplicate is another beacon", shown(2, tuned("B1;2", "201")), true, 0, 0, 0},
        {"past the end", shown(9, b1), true, 0, 2, 1},
        {"no record shown", {}, true, 0, 0, 0},
        {"undecodable record", shown(3, tuned("B2", "202")), false, 5, 0, 0},
        // At its record, yet not to be followed: which of the two is it?
        {"two records alike", shown(4, norwegian), false, 0, 0, 2},
    };
    TestFolder t;
    t.write("ndb.dat", bytesOf({tuned("B0", "200"), b1, damaged, norwegian, elsewhere, norwegian}));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        BeaconRecord read;
        const BeaconCheck check = readShownBeacon(t.folder(), c.shown, &read);

        EXPECT_EQ(check.moved, c.moved);
        EXPECT_EQ(check.error.number, c.error);
        EXPECT_EQ(check.passed(), !c.moved && c.error == 0);
        if (check.passed()) {
            EXPECT_EQ(read.bytes(), t.read("ndb.dat").mid((c.shown.recordNumber - 1) * BeaconRecord::Length,
                                                          BeaconRecord::Length));
        }
        const FoundBeacon found = findShownBeacon(t.folder(), c.shown);
        EXPECT_EQ(found.found(), c.found > 0);
        EXPECT_EQ(found.recordNumber, c.found);
        EXPECT_EQ(found.matches, c.matches);
    }
    TestFolder none;
    BeaconRecord r;
    EXPECT_EQ(readShownBeacon(none.folder(), shown(1, b1), &r).error.number, 53);
    const FoundBeacon unread = findShownBeacon(none.folder(), shown(1, b1));
    EXPECT_EQ(unread.error.number, 53);
    EXPECT_FALSE(unread.found());
    EXPECT_FALSE(none.exists("ndb.dat"));
}

TEST(BeaconDatabase, ValidFrequencyIsAboveZeroAndBelow4500)
{
    const struct { const char *frequency; bool valid; } cases[] = {
        {"338", true}, {"4499.9", true}, {"0.1", true}, {"1", true}, {"0", false}, {"", false},
        {"ABC", false}, {"4500", false}, {"4500.1", false}, {"9999", false}, {"-5", false}, {"338kHz", true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isValidFrequency(tuned("ABC", c.frequency)), c.valid) << c.frequency;
}

TEST(IntegrityCheck, AllValidRecordsPassSilently)
{
    TestFolder t;
    t.write("ndb.dat", goodDatabase(12));
    const IntegrityResult r = CheckDatabaseIntegrity(t.folder(), 0);
    EXPECT_EQ(r.verdict, IntegrityVerdict::Ok);
    EXPECT_EQ(r.recordCount, 12);
    EXPECT_EQ(r.validCount, 12);
    EXPECT_EQ(r.message(), "");
}

TEST(IntegrityCheck, OneBadFrequencyIsARecordMismatch)
{
    const struct { const char *frequency; bool ok; } cases[] = {
        {"0", false}, {"", false}, {"NDB", false}, {"4500", false}, {"12000", false}, {"4499.9", true},
        {" 338", true},
    };
    for (const auto &c : cases) {
        TestFolder t;
        t.write("ndb.dat", bytesOf({tuned("AAA", "300"), tuned("BBB", c.frequency), tuned("CCC", "302")}));
        const IntegrityResult r = CheckDatabaseIntegrity(t.folder(), 0);
        EXPECT_EQ(r.verdict, c.ok ? IntegrityVerdict::Ok : IntegrityVerdict::RecordsMismatched) << c.frequency;
        EXPECT_EQ(r.message(), c.ok ? "" : "Records mismatched. Database corrupted.") << c.frequency;
        EXPECT_EQ(r.recordCount, 3);
        EXPECT_EQ(r.validCount, c.ok ? 3 : 2) << c.frequency;
    }
}

TEST(IntegrityCheck, MissingOrEmptyDatabaseIsConsistentOnlyWhenNothingWasCountedBefore)
{
    const struct {
        bool empty; // else missing
        qint64 before;
        IntegrityVerdict verdict;
        qint64 count;
    } cases[] = {
        {false, 0, IntegrityVerdict::Ok, 0}, {false, 1, IntegrityVerdict::RecordsMismatched, 1},
        {false, 40000, IntegrityVerdict::RecordsMismatched, 40000}, // the earlier count is kept
        {true, 7, IntegrityVerdict::Ok, 0},
    };
    for (const auto &c : cases) {
        TestFolder t;
        if (c.empty)
            t.write("ndb.dat", "");
        const IntegrityResult r = CheckDatabaseIntegrity(t.folder(), c.before);
        EXPECT_EQ(r.verdict, c.verdict) << c.before;
        EXPECT_EQ(r.recordCount, c.count) << c.before;
        EXPECT_EQ(r.validCount, 0);
        EXPECT_EQ(t.exists("ndb.dat"), c.empty);
    }
}

TEST(IntegrityCheck, LengthNotAWholeNumberOfRecordsIsAMismatch)
{
    // Stray bytes that round down (50) and a valid-looking part record that rounds up (150).
    for (const int extra : {1, 50, 106, 107, 150, 212}) {
        TestFolder t;
        t.write("ndb.dat", goodDatabase(3) + tuned("XYZ", "300").bytes().left(extra));
        const IntegrityResult r = CheckDatabaseIntegrity(t.folder(), 0);
        EXPECT_EQ(r.verdict, IntegrityVerdict::RecordsMismatched) << extra;
        EXPECT_EQ(r.recordCount, extra >= 107 ? 4 : 3) << extra;
    }
}

TEST(IntegrityCheck, StoredByteZeroOrOneInFrequencyIsAReadError)
{
    for (const char stored : {char(0), char(1)}) {
        TestFolder t;
        BeaconRecord bad = tuned("BBB", "300");
        bad.setRaw(BeaconField::Frequency, QByteArray("55") + stored);
        t.write("ndb.dat", bytesOf({tuned("AAA", "300"), bad, tuned("CCC", "302")}));
        const IntegrityResult r = CheckDatabaseIntegrity(t.folder(), 0);
        EXPECT_EQ(r.verdict, IntegrityVerdict::ReadError) << int(stored);
        EXPECT_EQ(r.message(), "Error reading database data. Database corrupted.");
        EXPECT_EQ(r.recordCount, 3);
        // A length mismatch as well does not hide it.
        t.write("ndb.dat", bad.bytes() + "stray");
        EXPECT_EQ(CheckDatabaseIntegrity(t.folder(), 0).verdict, IntegrityVerdict::ReadError);
    }
}

TEST(IntegrityCheck, AByteZeroOrOneInAnyShiftedFieldIsAReadError)
{
    for (const char bad : {char(0), char(1)}) {
        for (const BeaconField field : {BeaconField::Ident, BeaconField::Location, BeaconField::Comments}) {
            TestFolder t;
            BeaconRecord odd = tuned("BBB", "300");
            odd.setRaw(field, QByteArray("CD") + bad);
            t.write("ndb.dat", tuned("AAA", "338").bytes() + odd.bytes());
            EXPECT_EQ(CheckDatabaseIntegrity(t.folder(), 0).verdict, IntegrityVerdict::ReadError)
                << int(bad) << " in field " << static_cast<int>(field);
        }
    }
    // The plain fields are not shifted: a byte there is no decoding fault.
    TestFolder t;
    BeaconRecord plain = tuned("BBB", "300");
    plain.setRaw(BeaconField::Spare, QByteArray(1, char(0)));
    t.write("ndb.dat", plain.bytes());
    EXPECT_EQ(CheckDatabaseIntegrity(t.folder(), 0).verdict, IntegrityVerdict::Ok);
}

TEST(IntegrityCheck, EveryStoredByteInFrequencyGivesAVerdict)
{
    for (int b = 0; b < 256; ++b) {
        TestFolder t;
        BeaconRecord r = tuned("AAA", "300");
        r.setRaw(BeaconField::Frequency, QByteArray(1, static_cast<char>(b)) + "5:");
        t.write("ndb.dat", r.bytes());
        const IntegrityResult result = CheckDatabaseIntegrity(t.folder(), 0);
        const int plain = b - 2;
        if (b < 2)
            EXPECT_EQ(result.verdict, IntegrityVerdict::ReadError) << b;
        else if ((plain >= '0' && plain <= '9') || b == ' ' || b == kShiftedBlank)
            EXPECT_EQ(result.verdict, IntegrityVerdict::Ok) << b; // "x38" or "38" or " 38"
        else if ((plain >= 'A' && plain <= 'Z') || plain == '-')
            EXPECT_EQ(result.verdict, IntegrityVerdict::RecordsMismatched) << b;
        else
            EXPECT_NE(result.verdict, IntegrityVerdict::ReadError) << b;
    }
}

TEST(IntegrityCheck, GivesThePlainReadingsVerdict)
{
    // Each file also in frequency order, where runs of one frequency follow each other.
    for (unsigned seed = 1; seed <= 80; ++seed) {
        TestFolder t;
        QByteArray database = oddDatabase(int(seed + 1) / 2 * 10, (seed + 1) / 2);
        if (seed % 2 == 0)
            database = sortedDatabaseImage(database);
        t.write("ndb.dat", database);
        const IntegrityResult r = CheckDatabaseIntegrity(t.folder(), 0);
        const IntegrityResult plain = plainIntegrity(database);
        EXPECT_EQ(r.verdict, plain.verdict) << "seed " << seed;
        EXPECT_EQ(r.validCount, plain.validCount) << "seed " << seed;
        EXPECT_EQ(r.recordCount, plain.recordCount) << "seed " << seed;
    }
}

TEST(IntegrityCheck, ReadsEverySixByteFrequencyAsTheNumberReaderDoes)
{
    // Stored: digits 0, 1, 4, 5, 9, the point, the shifted blank, a plain blank, a letter.
    const QByteArray alphabet = QByteArray("23679") + char('.' + 2) + kShiftedBlank + ' ' + 'C';
    BeaconRecord record = tuned("ABC", "338");
    const qsizetype offset = layoutOf(BeaconField::Frequency).offset;
    QByteArray bytes = record.bytes();
    std::array<qsizetype, 6> at{};
    for (;;) {
        for (int k = 0; k < 6; ++k)
            bytes[offset + k] = alphabet[at[k]];
        IntegrityTally tally;
        ASSERT_TRUE(tally.add(bytes));
        const bool plain = isValidFrequency(BeaconRecord::fromBytes(bytes));
        ASSERT_EQ(tally.result(BeaconRecord::Length, {}).validCount, plain ? 1 : 0)
            << '"' << BeaconRecord::fromBytes(bytes).text(BeaconField::Frequency).constData() << '"';
        int k = 5;
        while (k >= 0 && ++at[k] == alphabet.size())
            at[k--] = 0;
        if (k < 0)
            break;
    }
}

TEST(IntegrityCheck, CountsBeyondSixteenBits)
{
    TestFolder t;
    t.write("ndb.dat", tuned("ABC", "338").bytes().repeated(40000));
    const IntegrityResult r = CheckDatabaseIntegrity(t.folder(), 0);
    EXPECT_EQ(r.verdict, IntegrityVerdict::Ok);
    EXPECT_EQ(r.recordCount, 40000);
    EXPECT_EQ(r.validCount, 40000);
}
