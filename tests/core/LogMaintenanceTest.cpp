#include <gtest/gtest.h>

#include "BeaconDatabase.h"
#include "LogMaintenance.h"
#include "LogRecords.h"
#include "ReceptionWrite.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::TestFolder;

namespace {

BeaconRecord beacon(const QByteArray &ident, const QByteArray &frequency, quint32 mask = 0,
                    const QByteArray &mark = " ")
{
    BeaconRecord r;
    EXPECT_TRUE(r.setShifted(BeaconField::Ident, ident));
    EXPECT_TRUE(r.setShifted(BeaconField::CountryCode, "NOR"));
    EXPECT_TRUE(r.setShifted(BeaconField::Location, "Kirkenes"));
    EXPECT_TRUE(r.setShifted(BeaconField::Frequency, frequency));
    EXPECT_TRUE(r.setShifted(BeaconField::Comments, "Old note"));
    r.setLoggedMask(mask);
    r.setRaw(BeaconField::CLEMark, mark);
    r.setRaw(BeaconField::Spare, "q");
    return r;
}

QByteArray bytesOf(const QList<BeaconRecord> &records)
{
    QByteArray bytes;
    for (const BeaconRecord &r : records)
        bytes += r.bytes();
    return bytes;
}

QByteArray bytesOf(const QList<LogRecord> &records)
{
    QByteArray bytes;
    for (const LogRecord &r : records)
        bytes += r.bytes();
    return bytes;
}

QByteArray bytesOf(const QList<CLERecord> &records)
{
    QByteArray bytes;
    for (const CLERecord &r : records)
        bytes += r.bytes();
    return bytes;
}

LogRecord entry(const QByteArray &ident, const QByteArray &frequency, const QByteArray &time)
{
    return LogRecord::make(ident, frequency, time, "20240101", "entry at " + time);
}

class Maintenance : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.mkdir("Logs");
        t.mkdir("AutoBackups");
    }

    BeaconRecord beaconAt(qint64 number)
    {
        BeaconRecord r;
        EXPECT_FALSE(readBeacon(t.folder(), number, &r).failed());
        return r;
    }

    static void expectOk(const FileError &err) { EXPECT_FALSE(err.failed()) << err.messageText().toStdString(); }

    TestFolder t;
};

} // namespace

// --- Session clear -----------------------------------------------------------------

TEST_F(Maintenance, SessionClearWithoutSessionLogStoresTheShiftedBlankEverywhere)
{
    const QList<BeaconRecord> records = {beacon("AAA", "300", 1, "z"), beacon("BBB", "310", 0, " "),
                                         beacon("CCC", "320", 4, "\""), beacon("DDD", "330", 0, "z")};
    t.write("ndb.dat", bytesOf(records));

    const SessionClearResult r = clearSession(t.folder());

    expectOk(r.error);
    EXPECT_FALSE(r.sessionLogDeleted);
    EXPECT_EQ(r.marksCleared, 3);
    const QByteArray after = t.read("ndb.dat");
    ASSERT_EQ(after.size(), records.size() * BeaconRecord::Length);
    for (int i = 0; i < records.size(); ++i) {
        const QByteArray record = after.mid(i * BeaconRecord::Length, BeaconRecord::Length);
        EXPECT_EQ(record.at(211), '"') << i;
        // Nothing else changes.
        EXPECT_EQ(record.left(211), records[i].bytes().left(211)) << i;
        EXPECT_EQ(record.at(212), 'q') << i;
    }
}

TEST_F(Maintenance, SessionClearDeletesTheSessionLogAndLeavesLogbooksAndMasks)
{
    t.write("ndb.dat", bytesOf({beacon("AAA", "300", 13, "z")}));
    t.write("Logs/cle.dat", CLERecord::make("AAA", "NOR", "300", "1200", "20240101", "", true).bytes());
    const QByteArray logbook = bytesOf({entry("AAA", "300", "1200")});
    t.write("Logs/log2.dat", logbook);

    const SessionClearResult r = clearSession(t.folder());

    expectOk(r.error);
    EXPECT_TRUE(r.sessionLogDeleted);
    EXPECT_FALSE(t.exists("Logs/cle.dat"));
    EXPECT_EQ(t.read("Logs/log2.dat"), logbook);
    EXPECT_EQ(beaconAt(1).loggedMask(), 13u);
    EXPECT_FALSE(beaconAt(1).inSession());
}

TEST_F(Maintenance, ClearsWithoutDatabaseChangeNothing)
{
    const QByteArray session = CLERecord::make("AAA", "NOR", "300", "1200", "20240101", "", true).bytes();
    t.write("Logs/cle.dat", session);
    const QByteArray log0 = bytesOf({entry("AAA", "300", "0100")});
    t.write("Logs/log0.dat", log0);

    EXPECT_EQ(clearSession(t.folder()).error.number, 53);
    EXPECT_EQ(clearMasterLogs(t.folder(), 1).error.number, 53);

    EXPECT_FALSE(t.exists("ndb.dat"));
    EXPECT_EQ(t.read("Logs/cle.dat"), session);
    EXPECT_EQ(t.read("Logs/log0.dat"), log0);
    EXPECT_FALSE(t.exists("AutoBackups/log0.bak"));
}

TEST_F(Maintenance, FailedSessionClearRewriteKeepsTheMarksAndTheSessionLog)
{
    const QByteArray database = bytesOf({beacon("AAA", "300", 1, "z"), beacon("BBB", "310", 0, "z")});
    t.write("ndb.dat", database);
    const QByteArray session = CLERecord::make("AAA", "NOR", "300", "1200", "20240101", "", true).bytes();
    t.write("Logs/cle.dat", session);
    t.mkdir("ndb.dat.tmp"); // the new ndb.dat cannot be written

    const SessionClearResult r = clearSession(t.folder());

    EXPECT_TRUE(r.error.failed());
    EXPECT_EQ(t.read("ndb.dat"), database);
    EXPECT_EQ(t.read("Logs/cle.dat"), session);
}

TEST_F(Maintenance, SessionClearKeepsTheLengthOfADamagedDatabase)
{
    // Two records and 150 bytes: the short record counts, but has no CLEMark byte.
    const QByteArray database = bytesOf({beacon("AAA", "300", 1, "z"), beacon("BBB", "310")})
                                + beacon("CCC", "320", 0, "z").bytes().left(150);
    t.write("ndb.dat", database);

    expectOk(clearSession(t.folder()).error);

    const QByteArray after = t.read("ndb.dat");
    ASSERT_EQ(after.size(), database.size());
    EXPECT_EQ(after.at(211), '"');
    EXPECT_EQ(after.right(150), database.right(150));
}

// --- Master log clear --------------------------------------------------------------

TEST_F(Maintenance, MasterClearTakesTheSelectedBitsOffEveryMask)
{
    const struct {
        quint32 mask;
        quint16 selection;
        quint32 expected;
    } cases[] = {
        {13, 0x0009, 4},     // locations 0, 2, 3; clear 0 and 3
        {32769, 0x8000, 1},  // locations 0 and 15; clear 15
        {4, 0x0009, 4},      // none of the selected bits
        {65535, 0xFFFF, 0},
        {0, 0x0001, 0},
    };
    for (const auto &c : cases) {
        TestFolder f;
        f.mkdir("Logs");
        f.mkdir("AutoBackups");
        f.write("ndb.dat", bytesOf({beacon("AAA", "300", c.mask, "z")}));
        const MasterLogClearResult r = clearMasterLogs(f.folder(), c.selection);
        expectOk(r.error);
        BeaconRecord after;
        ASSERT_FALSE(readBeacon(f.folder(), 1, &after).failed());
        EXPECT_EQ(after.loggedMask(), c.expected) << c.mask;
        EXPECT_EQ(after.raw(BeaconField::LoggedMask), QByteArray::number(c.expected).leftJustified(5, ' '));
        EXPECT_EQ(r.beaconsChanged, c.mask == c.expected ? 0 : 1) << c.mask;
    }
}

TEST_F(Maintenance, MasterClearEmptiesOnlyTheSelectedLogbooksAndKeepsCopies)
{
    t.write("ndb.dat", bytesOf({beacon("AAA", "300", 13, "z"), beacon("BBB", "310", 8)}));
    const QByteArray log0 = bytesOf({entry("AAA", "300", "0100")});
    const QByteArray log2 = bytesOf({entry("AAA", "300", "0200")});
    const QByteArray log3 = bytesOf({entry("AAA", "300", "0300"), entry("BBB", "310", "0301")});
    t.write("Logs/log0.dat", log0);
    t.write("Logs/log2.dat", log2);
    t.write("Logs/log3.dat", log3);
    t.write("AutoBackups/log3.bak", "older copy");
    const QByteArray session = CLERecord::make("AAA", "NOR", "300", "1200", "20240101", "", true).bytes();
    t.write("Logs/cle.dat", session);

    const MasterLogClearResult r = clearMasterLogs(t.folder(), 0x0009);

    expectOk(r.error);
    EXPECT_EQ(r.logbooksEmptied, (QList<int>{0, 3}));
    EXPECT_EQ(r.beaconsChanged, 2);
    EXPECT_TRUE(t.exists("Logs/log0.dat"));
    EXPECT_EQ(t.read("Logs/log0.dat").size(), 0);
    EXPECT_EQ(t.read("Logs/log3.dat").size(), 0);
    EXPECT_EQ(t.read("AutoBackups/log0.bak"), log0);
    EXPECT_EQ(t.read("AutoBackups/log3.bak"), log3);
    EXPECT_EQ(t.read("Logs/log2.dat"), log2);
    EXPECT_FALSE(t.exists("AutoBackups/log2.bak"));
    // The session log and the session marks are the session clear's business.
    EXPECT_EQ(t.read("Logs/cle.dat"), session);
    EXPECT_TRUE(beaconAt(1).inSession());
    EXPECT_EQ(beaconAt(1).loggedMask(), 4u);
    EXPECT_EQ(beaconAt(2).loggedMask(), 0u);
}

TEST_F(Maintenance, MasterClearOfALocationWithoutLogbookStillClearsItsBit)
{
    t.write("ndb.dat", bytesOf({beacon("AAA", "300", 32 + 1)}));

    const MasterLogClearResult r = clearMasterLogs(t.folder(), 1 << 5);

    expectOk(r.error);
    EXPECT_TRUE(r.logbooksEmptied.isEmpty());
    EXPECT_FALSE(t.exists("Logs/log5.dat"));
    EXPECT_FALSE(t.exists("AutoBackups/log5.bak"));
    EXPECT_EQ(beaconAt(1).loggedMask(), 1u);
}

TEST_F(Maintenance, MasterClearWithNothingSelectedChangesNothing)
{
    const QByteArray database = bytesOf({beacon("AAA", "300", 1)});
    const QByteArray log0 = bytesOf({entry("AAA", "300", "0100")});
    t.write("ndb.dat", database);
    t.write("Logs/log0.dat", log0);

    const MasterLogClearResult r = clearMasterLogs(t.folder(), 0);

    expectOk(r.error);
    EXPECT_EQ(t.read("ndb.dat"), database);
    EXPECT_EQ(t.read("Logs/log0.dat"), log0);
    EXPECT_FALSE(t.exists("AutoBackups/log0.bak"));
}

TEST_F(Maintenance, FailedMasterClearLeavesLogbooksAndMasksAsTheyWere)
{
    const struct {
        const char *name;
        const char *blocker; // made a folder so that one write fails
    } cases[] = {
        {"backup copy", "AutoBackups/log3.bak.tmp"},
        {"database rewrite", "ndb.dat.tmp"},
    };
    for (const auto &c : cases) {
        TestFolder f;
        f.mkdir("Logs");
        f.mkdir("AutoBackups");
        const QByteArray database = bytesOf({beacon("AAA", "300", 9)});
        const QByteArray log0 = bytesOf({entry("AAA", "300", "0100")});
        const QByteArray log3 = bytesOf({entry("AAA", "300", "0300")});
        f.write("ndb.dat", database);
        f.write("Logs/log0.dat", log0);
        f.write("Logs/log3.dat", log3);
        f.mkdir(c.blocker);

        const MasterLogClearResult r = clearMasterLogs(f.folder(), 0x0009);

        EXPECT_TRUE(r.error.failed()) << c.name;
        EXPECT_TRUE(r.logbooksEmptied.isEmpty()) << c.name;
        EXPECT_EQ(f.read("ndb.dat"), database) << c.name;
        EXPECT_EQ(f.read("Logs/log0.dat"), log0) << c.name;
        EXPECT_EQ(f.read("Logs/log3.dat"), log3) << c.name;
    }
}

TEST_F(Maintenance, ReceptionAfterMasterClearIsRecord1)
{
    t.write("ndb.dat", bytesOf({beacon("AAA", "300", 1)}));
    t.write("Logs/log0.dat", bytesOf({entry("AAA", "300", "0100"), entry("AAA", "300", "0101")}));
    expectOk(clearMasterLogs(t.folder(), 1).error);

    const ReceptionResult r = writeReception(t.folder(), 1, 0, {"AAA", "300", "1200", "20240102", "", ""});

    expectOk(r.error);
    EXPECT_EQ(r.logRecordNumber, 1);
    EXPECT_TRUE(r.firstAtLocation);
}

// --- Update ------------------------------------------------------------------------

TEST_F(Maintenance, LogbookUpdateStoresShiftedCommentsAndTheEntryInPlace)
{
    t.write("ndb.dat", bytesOf({beacon("XYZ", "400", 1), beacon("AAA", "300", 1)}));
    const QList<LogRecord> entries = {entry("AAA", "300", "0100"), entry("XYZ", "400", "0200"),
                                      entry("AAA", "300", "0300")};
    t.write("Logs/log0.dat", bytesOf(entries));
    const QByteArray session = CLERecord::make("AAA", "NOR", "300", "1200", "20240101", "cle", true).bytes();
    t.write("Logs/cle.dat", session);

    const LogEditResult r =
        updateLogbookEntry(t.folder(), 0, 2, 3, {"Heard well, AB", "2359", "20240229", "Updated remark"});

    expectOk(r.error);
    EXPECT_FALSE(r.beaconMissing);
    EXPECT_EQ(beaconAt(2).raw(BeaconField::Comments), QByteArray("Jgctf\"ygnn.\"CD").leftJustified(90, ' '));
    EXPECT_EQ(beaconAt(2).trimmedText(BeaconField::Comments), "Heard well, AB");
    EXPECT_EQ(t.read("Logs/log0.dat"),
              bytesOf({entries[0], entries[1], LogRecord::make("AAA", "300", "2359", "20240229", "Updated remark")}));
    EXPECT_EQ(t.read("Logs/cle.dat"), session);
}

TEST_F(Maintenance, LogbookUpdateTakesTheBoxesAsTyped)
{
    t.write("ndb.dat", bytesOf({beacon("AAA", "300", 1)}));
    t.write("Logs/log0.dat", bytesOf({entry("AAA", "300", "0100")}));

    expectOk(updateLogbookEntry(t.folder(), 0, 1, 1, {"", "12", " 2024010", "  spaced"}).error);

    const LogRecord after = LogRecord::fromBytes(t.read("Logs/log0.dat"));
    EXPECT_EQ(after.raw(LogField::Time), "12  ");
    EXPECT_EQ(after.raw(LogField::Date), " 2024010");
    EXPECT_EQ(after.raw(LogField::Comments).first(9), "  spaced ");
    // Empty beacon comments are stored as the shifted blank.
    EXPECT_EQ(beaconAt(1).raw(BeaconField::Comments), QByteArray("\"").leftJustified(90, ' '));
}

TEST_F(Maintenance, UpdateOfAnEntryThatIsNotThereIsBeaconMissingAfterTheComments)
{
    const QByteArray twoEntries = bytesOf({entry("AAA", "300", "0100"), entry("XYZ", "400", "0200")});
    const struct {
        const char *name;
        qint64 entryRecord;
        QByteArray logbook; // null: no logbook file
    } cases[] = {
        {"no entry", 0, twoEntries},
        {"past the end", 3, twoEntries},
        {"another beacon's entry", 2, twoEntries},
        {"no logbook file", 1, {}},
    };
    for (const auto &c : cases) {
        TestFolder f;
        f.mkdir("Logs");
        f.write("ndb.dat", bytesOf({beacon("AAA", "300", 1)}));
        if (!c.logbook.isNull())
            f.write("Logs/log0.dat", c.logbook);

        const LogEditResult r = updateLogbookEntry(f.folder(), 0, 1, c.entryRecord, {"New", "1200", "20240101", "x"});

        EXPECT_FALSE(r.error.failed()) << c.name;
        EXPECT_TRUE(r.beaconMissing) << c.name;
        BeaconRecord after;
        ASSERT_FALSE(readBeacon(f.folder(), 1, &after).failed());
        EXPECT_EQ(after.trimmedText(BeaconField::Comments), "New") << c.name;
        EXPECT_EQ(f.exists("Logs/log0.dat"), !c.logbook.isNull()) << c.name;
        EXPECT_EQ(f.read("Logs/log0.dat"), c.logbook) << c.name;
    }
}

TEST_F(Maintenance, CommentsThatCannotBeShiftedAreRefusedBeforeAnyWrite)
{
    const QByteArray database = bytesOf({beacon("AAA", "300", 1)});
    const QByteArray logbook = bytesOf({entry("AAA", "300", "0100")});
    t.write("ndb.dat", database);
    t.write("Logs/log0.dat", logbook);

    for (const char bad : {'\xFE', '\xFF'}) {
        const LogEditResult r =
            updateLogbookEntry(t.folder(), 0, 1, 1, {QByteArray("ok") + bad, "1200", "20240101", "x"});
        EXPECT_TRUE(r.error.failed());
        EXPECT_EQ(t.read("ndb.dat"), database);
        EXPECT_EQ(t.read("Logs/log0.dat"), logbook);
    }
}

TEST_F(Maintenance, SessionUpdateRewritesEveryRecordOfTheBeaconTrimmed)
{
    const QByteArray database = bytesOf({beacon("AAA", "300", 1, "z")});
    t.write("ndb.dat", database);
    const QByteArray logbook = bytesOf({entry("AAA", "300", "0100")});
    t.write("Logs/log0.dat", logbook);
    const CLERecord other = CLERecord::make("XYZ", "NOR", "300", "0900", "20240101", "other", true);
    const QList<CLERecord> session = {CLERecord::make("AAA", "NOR", "300", "1000", "20240101", "a", true), other,
                                      CLERecord::make(" aaa", "nor", "300", "1100", "20240101", "b", false)};
    t.write("Logs/cle.dat", bytesOf(session));

    const LogEditResult r = updateSessionRecords(t.folder(), 1, " 2200 ", "20240102 ", "  late  ");

    expectOk(r.error);
    EXPECT_EQ(r.recordsWritten, 2);
    EXPECT_EQ(t.read("Logs/cle.dat"),
              bytesOf({CLERecord::make("AAA", "NOR", "300", "2200", "20240102", "late", true), other,
                       CLERecord::make(" aaa", "nor", "300", "2200", "20240102", "late", false)}));
    EXPECT_EQ(t.read("ndb.dat"), database);
    EXPECT_EQ(t.read("Logs/log0.dat"), logbook);
}

TEST_F(Maintenance, SessionUpdateOfADuplicateTouchesOnlyItsOwnRecord)
{
    t.write("ndb.dat", bytesOf({beacon("ABC", "338", 1, "z"), beacon("ABC;2", "338", 1, "z")}));
    const CLERecord plain = CLERecord::make("ABC", "NOR", "338", "1000", "20240101", "plain", true);
    t.write("Logs/cle.dat", bytesOf({plain, CLERecord::make("ABC;2", "NOR", "338", "1000", "20240101", "dup", true)}));

    const LogEditResult r = updateSessionRecords(t.folder(), 2, "2300", "20240103", "changed");

    expectOk(r.error);
    EXPECT_EQ(r.recordsWritten, 1);
    EXPECT_EQ(t.read("Logs/cle.dat"),
              bytesOf({plain, CLERecord::make("ABC;2", "NOR", "338", "2300", "20240103", "changed", true)}));
}

TEST_F(Maintenance, SessionUpdateWithoutSessionLogCreatesNone)
{
    t.write("ndb.dat", bytesOf({beacon("AAA", "300", 1, "z")}));

    const LogEditResult r = updateSessionRecords(t.folder(), 1, "2200", "20240102", "x");

    expectOk(r.error);
    EXPECT_EQ(r.recordsWritten, 0);
    EXPECT_FALSE(t.exists("Logs/cle.dat"));
}

// --- Delete ------------------------------------------------------------------------

TEST_F(Maintenance, DeletingTheSecondOfThreeEntriesKeepsTheOthersInOrder)
{
    t.write("ndb.dat", bytesOf({beacon("AAA", "300", 1)}));
    const QList<LogRecord> entries = {entry("AAA", "300", "0100"), entry("XYZ", "400", "0150"),
                                      entry("AAA", "300", "0200"), entry("AAA", "300", "0300")};
    t.write("Logs/log0.dat", bytesOf(entries));

    const LogEditResult r = deleteLogbookEntry(t.folder(), 0, 1, 3);

    expectOk(r.error);
    EXPECT_EQ(r.entriesLeft, 2);
    EXPECT_FALSE(r.locationBitCleared);
    EXPECT_EQ(t.read("Logs/log0.dat"), bytesOf({entries[0], entries[1], entries[3]}));
    EXPECT_EQ(beaconAt(1).loggedMask(), 1u);
}

TEST_F(Maintenance, DeletingTheOnlyEntryClearsTheLocationBit)
{
    t.write("ndb.dat", bytesOf({beacon("XYZ", "400", 1), beacon("AAA", "300", 3)}));
    const QList<LogRecord> entries = {entry("XYZ", "400", "0150"), entry("AAA", "300", "0200")};
    t.write("Logs/log0.dat", bytesOf(entries));

    const LogEditResult r = deleteLogbookEntry(t.folder(), 0, 2, 2);

    expectOk(r.error);
    EXPECT_EQ(r.entriesLeft, 0);
    EXPECT_TRUE(r.locationBitCleared);
    EXPECT_EQ(beaconAt(2).raw(BeaconField::LoggedMask), "2    ");
    EXPECT_EQ(beaconAt(1).loggedMask(), 1u);
    EXPECT_EQ(t.read("Logs/log0.dat"), bytesOf({entries[0]}));
}

TEST_F(Maintenance, DeletingForABeaconWithoutEntriesClearsTheBitAndKeepsTheLogbook)
{
    t.write("ndb.dat", bytesOf({beacon("AAA", "300", 5)}));
    const QByteArray logbook = bytesOf({entry("XYZ", "400", "0150")});
    t.write("Logs/log2.dat", logbook);

    const LogEditResult r = deleteLogbookEntry(t.folder(), 2, 1, 0);

    expectOk(r.error);
    EXPECT_TRUE(r.locationBitCleared);
    EXPECT_EQ(beaconAt(1).loggedMask(), 1u);
    EXPECT_EQ(t.read("Logs/log2.dat"), logbook);
}

TEST_F(Maintenance, DeletingAnEntryThatIsNotTheBeaconsChangesNothing)
{
    const struct {
        const char *name;
        qint64 entryRecord;
    } cases[] = {
        {"past the end", 3},
        {"negative", -1},
        {"another beacon's entry", 2},
    };
    const QByteArray database = bytesOf({beacon("AAA", "300", 1)});
    const QByteArray logbook = bytesOf({entry("AAA", "300", "0100"), entry("XYZ", "400", "0200")});
    t.write("ndb.dat", database);
    t.write("Logs/log0.dat", logbook);
    for (const auto &c : cases) {
        const LogEditResult r = deleteLogbookEntry(t.folder(), 0, 1, c.entryRecord);
        EXPECT_EQ(r.error.number, 63) << c.name;
        EXPECT_EQ(t.read("ndb.dat"), database) << c.name;
        EXPECT_EQ(t.read("Logs/log0.dat"), logbook) << c.name;
    }
}

TEST_F(Maintenance, FailedLogbookRewriteKeepsTheEntryAndTheBit)
{
    const QByteArray database = bytesOf({beacon("AAA", "300", 1)});
    const QByteArray logbook = bytesOf({entry("AAA", "300", "0100")});
    t.write("ndb.dat", database);
    t.write("Logs/log0.dat", logbook);
    t.mkdir("Logs/log0.dat.tmp");

    const LogEditResult r = deleteLogbookEntry(t.folder(), 0, 1, 1);

    EXPECT_TRUE(r.error.failed());
    EXPECT_EQ(t.read("Logs/log0.dat"), logbook);
    EXPECT_EQ(t.read("ndb.dat"), database);
}

TEST_F(Maintenance, SessionDeleteStoresTheShiftedBlankAndLeavesTheSessionLog)
{
    const BeaconRecord before = beacon("AAA", "300", 1, "z");
    t.write("ndb.dat", bytesOf({before}));
    const QByteArray session = CLERecord::make("AAA", "NOR", "300", "1200", "20240101", "", true).bytes();
    t.write("Logs/cle.dat", session);

    expectOk(removeFromSession(t.folder(), 1).error);

    EXPECT_EQ(beaconAt(1).raw(BeaconField::CLEMark), "\"");
    EXPECT_EQ(beaconAt(1).bytes().left(211), before.bytes().left(211));
    EXPECT_EQ(t.read("Logs/cle.dat"), session);
}

TEST_F(Maintenance, EditsOfARecordPastTheEndWriteNothing)
{
    const QByteArray database = bytesOf({beacon("AAA", "300", 1, "z")});
    t.write("ndb.dat", database);
    EXPECT_TRUE(removeFromSession(t.folder(), 2).error.failed());
    EXPECT_TRUE(deleteLogbookEntry(t.folder(), 0, 2, 0).error.failed());
    EXPECT_TRUE(updateLogbookEntry(t.folder(), 0, 2, 1, {"x", "1200", "20240101", ""}).error.failed());
    EXPECT_TRUE(updateSessionRecords(t.folder(), 2, "1200", "20240101", "").error.failed());
    EXPECT_EQ(t.read("ndb.dat"), database);
}

// --- Field checks ------------------------------------------------------------------

TEST(LogTimeCheck, TableOfTypedTimes)
{
    const struct {
        QByteArray typed;
        QByteArray text;
        BoxColour colour;
        int selectionStart;
        int selectionLength;
    } cases[] = {
        {"", "", BoxColour::Green, -1, 0},
        {"2", "2", BoxColour::Green, -1, 0},
        {"23", "23", BoxColour::Green, -1, 0},
        {"25", "25", BoxColour::Red, 0, 2},
        {"253", "253", BoxColour::Red, -1, 0},
        {"2359", "2359", BoxColour::Green, -1, 0},
        {"2360", "2360", BoxColour::Red, 2, 2},
        {"0000", "0000", BoxColour::Green, -1, 0},
        {"12345", "1234", BoxColour::Green, 2, 2},
        {"23605", "2360", BoxColour::Red, 2, 2},
        {"2560", "2560", BoxColour::Red, -1, 0}, // the hours end the check
        {"ab", "ab", BoxColour::Green, -1, 0},  // letters count 0
        {"-1", "-1", BoxColour::Red, 0, 2},
    };
    for (const auto &c : cases) {
        const FieldCheck check = checkLogTime(c.typed);
        EXPECT_EQ(check.text, c.text) << c.typed.constData();
        EXPECT_EQ(check.colour, c.colour) << c.typed.constData();
        EXPECT_EQ(check.updateEnabled, c.colour == BoxColour::Green) << c.typed.constData();
        EXPECT_EQ(check.selectionStart, c.selectionStart) << c.typed.constData();
        if (c.selectionStart >= 0) {
            EXPECT_EQ(check.selectionLength, c.selectionLength) << c.typed.constData();
        }
    }
}

TEST(LogTimeCheck, FocusLossPutsAZeroBeforeTwoOrThreeCharacters)
{
    const struct {
        QByteArray typed;
        QByteArray after;
    } cases[] = {
        {"930", "0930"}, {"93", "093"}, {"9", "9"}, {"", ""}, {"1234", "1234"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(logTimeAfterFocusLoss(c.typed), c.after) << c.typed.constData();
    EXPECT_EQ(checkLogTime(logTimeAfterFocusLoss("930")).colour, BoxColour::Green);
}

TEST(LogDateCheck, RedWithUpdateDisabledExactlyWhenTheDateBreaksARule)
{
    const struct {
        QByteArray date;
        BoxColour colour;
    } cases[] = {
        {"20040229", BoxColour::Green},
        {"20060229", BoxColour::Red},
        {"19491231", BoxColour::Red},
        {"2024011", BoxColour::Red},
        {"", BoxColour::Red},
    };
    for (const auto &c : cases) {
        const FieldCheck check = checkLogDate(c.date);
        EXPECT_EQ(check.colour, c.colour) << c.date.constData();
        EXPECT_EQ(check.updateEnabled, c.colour == BoxColour::Green) << c.date.constData();
        EXPECT_EQ(check.text, c.date);
    }
}
