#include <gtest/gtest.h>

#include "AutoBackup.h"
#include "ClockTexts.h"
#include "Fixtures.h"
#include "LogMaintenance.h"
#include "ReceptionWrite.h"

using namespace qern;
using namespace qern::test;

namespace {

// A beacon of Norway, as the session records of these tests name it.
BeaconRecord norwegian(const QByteArray &ident, const QByteArray &frequency, quint32 mask = 0,
                       const QByteArray &mark = " ")
{
    return beacon({.ident = ident, .country = "NOR", .frequency = frequency, .mask = mask, .cleMark = mark});
}

LogRecord entry(const QByteArray &ident, const QByteArray &frequency, const QByteArray &time)
{
    return LogRecord::make(ident, frequency, time, "20240101", "entry at " + time);
}

CLERecord sessionRecord(const QByteArray &comments = "")
{
    return CLERecord::make("AAA", "NOR", "300", "1200", "20240101", comments, true);
}

void expectOk(const FileError &err)
{
    EXPECT_FALSE(err.failed()) << err.messageText().toStdString();
}

class Maintenance : public ::testing::Test {
protected:
    DataFolder t;
};

} // namespace

// --- Session clear -----------------------------------------------------------------

TEST_F(Maintenance, SessionClearWithoutSessionLogStoresTheShiftedBlankEverywhere)
{
    const QList<BeaconRecord> records = {norwegian("AAA", "300", 1, "z"), norwegian("BBB", "310", 0, " "),
                                         norwegian("CCC", "320", 4, "\""), norwegian("DDD", "330", 0, "z")};
    t.writeDatabase(records);

    const SessionClearResult r = clearSession(t.folder());

    expectOk(r.error);
    EXPECT_FALSE(r.sessionLogDeleted);
    EXPECT_EQ(r.marksCleared, 3);
    const QList<BeaconRecord> after = recordsOf<BeaconRecord>(t.read("ndb.dat"));
    ASSERT_EQ(after.size(), records.size());
    for (int i = 0; i < records.size(); ++i) {
        EXPECT_EQ(after[i].raw(BeaconField::CLEMark), "\"") << i;
        // Nothing else changes.
        EXPECT_EQ(after[i].bytes().left(211), records[i].bytes().left(211)) << i;
        EXPECT_EQ(after[i].raw(BeaconField::Spare), "s") << i;
    }
}

TEST_F(Maintenance, SessionClearDeletesTheSessionLogAndLeavesLogbooksAndMasks)
{
    t.writeDatabase({norwegian("AAA", "300", 13, "z")});
    t.writeSessionLog({sessionRecord()});
    const QByteArray logbook = t.writeLogbook(2, {entry("AAA", "300", "1200")});

    const SessionClearResult r = clearSession(t.folder());

    expectOk(r.error);
    EXPECT_TRUE(r.sessionLogDeleted);
    EXPECT_FALSE(t.exists("Logs/cle.dat"));
    EXPECT_EQ(t.read("Logs/log2.dat"), logbook);
    EXPECT_EQ(t.beaconAt(1).loggedMask(), 13u);
    EXPECT_FALSE(t.beaconAt(1).inSession());
}

TEST_F(Maintenance, SessionClearKeepsTheLengthOfADamagedDatabase)
{
    // Two records and 150 bytes: the short record counts, but has no CLEMark byte.
    const QByteArray database = bytesOf({norwegian("AAA", "300", 1, "z"), norwegian("BBB", "310")})
                                + norwegian("CCC", "320", 0, "z").bytes().left(150);
    t.write("ndb.dat", database);

    expectOk(clearSession(t.folder()).error);

    const QByteArray after = t.read("ndb.dat");
    ASSERT_EQ(after.size(), database.size());
    EXPECT_EQ(after.at(211), '"');
    EXPECT_EQ(after.right(150), database.right(150));
}

TEST_F(Maintenance, ClearThatCannotFinishChangesNothing)
{
    const struct {
        const char *name;
        bool session;        // the session clear, else the master clear of locations 0 and 3
        const char *blocker; // made a folder so that one write fails; none: ndb.dat is missing
    } cases[] = {
        {"session clear, database rewrite", true, "ndb.dat.tmp"}, {"session clear, no database", true, nullptr},
        {"master clear, backup copy", false, "AutoBackups/log3.bak.tmp"},
        {"master clear, database rewrite", false, "ndb.dat.tmp"}, {"master clear, no database", false, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DataFolder f;
        const QByteArray database =
            c.blocker ? f.writeDatabase({norwegian("AAA", "300", 9, "z"), norwegian("BBB", "310", 0, "z")}) : "";
        const QByteArray log0 = f.writeLogbook(0, {entry("AAA", "300", "0100")});
        const QByteArray log3 = f.writeLogbook(3, {entry("AAA", "300", "0300")});
        const QByteArray session = f.writeSessionLog({sessionRecord()});
        if (c.blocker)
            f.mkdir(c.blocker);

        FileError error;
        if (c.session) {
            error = clearSession(f.folder()).error;
        } else {
            const MasterLogClearResult r = clearMasterLogs(f.folder(), 0x0009);
            error = r.error;
            EXPECT_TRUE(r.logbooksEmptied.isEmpty());
        }
        if (c.blocker) {
            EXPECT_TRUE(error.failed());
        } else {
            EXPECT_EQ(error.number, 53);
            EXPECT_FALSE(f.exists("ndb.dat"));
            EXPECT_FALSE(f.exists("AutoBackups/log0.bak"));
        }
        EXPECT_EQ(f.read("ndb.dat"), database);
        EXPECT_EQ(f.read("Logs/log0.dat"), log0);
        EXPECT_EQ(f.read("Logs/log3.dat"), log3);
        EXPECT_EQ(f.read("Logs/cle.dat"), session);
    }
}

// --- Master log clear --------------------------------------------------------------

TEST_F(Maintenance, MasterClearTakesTheSelectedBitsOffEveryMask)
{
    const struct { quint32 mask; quint16 selection; quint32 expected; } cases[] = {
        {13, 0x0009, 4},    // locations 0, 2, 3; clear 0 and 3
        {32769, 0x8000, 1}, // locations 0 and 15; clear 15
        {4, 0x0009, 4},     // none of the selected bits
        {65535, 0xFFFF, 0}, {0, 0x0001, 0},
    };
    for (const auto &c : cases) {
        DataFolder f;
        f.writeDatabase({norwegian("AAA", "300", c.mask, "z")});
        const MasterLogClearResult r = clearMasterLogs(f.folder(), c.selection);
        expectOk(r.error);
        const BeaconRecord after = f.beaconAt(1);
        EXPECT_EQ(after.loggedMask(), c.expected) << c.mask;
        EXPECT_EQ(after.raw(BeaconField::LoggedMask), QByteArray::number(c.expected).leftJustified(5, ' '));
        EXPECT_EQ(r.beaconsChanged, c.mask == c.expected ? 0 : 1) << c.mask;
    }
}

TEST_F(Maintenance, MasterClearEmptiesOnlyTheSelectedLogbooksAndKeepsCopies)
{
    t.writeDatabase({norwegian("AAA", "300", 13, "z"), norwegian("BBB", "310", 8)});
    const QByteArray log0 = t.writeLogbook(0, {entry("AAA", "300", "0100")});
    const QByteArray log2 = t.writeLogbook(2, {entry("AAA", "300", "0200")});
    const QByteArray log3 = t.writeLogbook(3, {entry("AAA", "300", "0300"), entry("BBB", "310", "0301")});
    t.write("AutoBackups/log3.bak", "older copy");
    const QByteArray session = t.writeSessionLog({sessionRecord()});

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
    // Only the automatic backup, which the clear takes first, copies an unticked logbook.
    EXPECT_EQ(t.read("AutoBackups/log2.bak"), log2);
    // The session log and the session marks are the session clear's business.
    EXPECT_EQ(t.read("Logs/cle.dat"), session);
    EXPECT_TRUE(t.beaconAt(1).inSession());
    EXPECT_EQ(t.beaconAt(1).loggedMask(), 4u);
    EXPECT_EQ(t.beaconAt(2).loggedMask(), 0u);
}

TEST_F(Maintenance, MasterClearOfALocationWithoutLogbookStillClearsItsBit)
{
    t.writeDatabase({norwegian("AAA", "300", 32 + 1)});

    const MasterLogClearResult r = clearMasterLogs(t.folder(), 1 << 5);

    expectOk(r.error);
    EXPECT_TRUE(r.logbooksEmptied.isEmpty());
    EXPECT_FALSE(t.exists("Logs/log5.dat"));
    EXPECT_FALSE(t.exists("AutoBackups/log5.bak"));
    EXPECT_EQ(t.beaconAt(1).loggedMask(), 1u);
}

TEST_F(Maintenance, MasterClearWithNothingSelectedChangesNothing)
{
    const QByteArray database = t.writeDatabase({norwegian("AAA", "300", 1)});
    const QByteArray log0 = t.writeLogbook(0, {entry("AAA", "300", "0100")});

    expectOk(clearMasterLogs(t.folder(), 0).error);

    EXPECT_EQ(t.read("ndb.dat"), database);
    EXPECT_EQ(t.read("Logs/log0.dat"), log0);
    EXPECT_FALSE(t.exists("AutoBackups/log0.bak"));
}

TEST_F(Maintenance, ReceptionAfterMasterClearIsRecord1)
{
    t.writeDatabase({norwegian("AAA", "300", 1)});
    t.writeLogbook(0, {entry("AAA", "300", "0100"), entry("AAA", "300", "0101")});
    expectOk(clearMasterLogs(t.folder(), 1).error);

    const ReceptionResult r = writeReception(t.folder(), t.shownAt(1), 0, {"AAA", "300", "1200", "20240102", "", ""});

    expectOk(r.error);
    EXPECT_EQ(r.logRecordNumber, 1);
    EXPECT_TRUE(r.firstAtLocation);
}

// --- Update ------------------------------------------------------------------------

TEST_F(Maintenance, LogbookUpdateStoresShiftedCommentsAndTheEntryInPlace)
{
    t.writeDatabase({norwegian("XYZ", "400", 1), norwegian("AAA", "300", 1)});
    const QList<LogRecord> entries = {entry("AAA", "300", "0100"), entry("XYZ", "400", "0200"),
                                      entry("AAA", "300", "0300")};
    t.writeLogbook(0, entries);
    const QByteArray session = t.writeSessionLog({sessionRecord("cle")});

    const LogEditResult r =
        updateLogbookEntry(t.folder(), 0, t.shownAt(2), 3, {"Heard well, AB", "2359", "20240229", "Updated remark"});

    expectOk(r.error);
    EXPECT_FALSE(r.beaconMissing);
    EXPECT_EQ(t.beaconAt(2).raw(BeaconField::Comments), QByteArray("Jgctf\"ygnn.\"CD").leftJustified(90, ' '));
    EXPECT_EQ(t.beaconAt(2).trimmedText(BeaconField::Comments), "Heard well, AB");
    EXPECT_EQ(t.logbook(0), (QList<LogRecord>{entries[0], entries[1],
                                              LogRecord::make("AAA", "300", "2359", "20240229", "Updated remark")}));
    EXPECT_EQ(t.read("Logs/cle.dat"), session);
}

TEST_F(Maintenance, LogbookUpdateTakesTheCommentsAsTyped)
{
    t.writeDatabase({norwegian("AAA", "300", 1)});
    t.writeLogbook(0, {entry("AAA", "300", "0100")});

    expectOk(updateLogbookEntry(t.folder(), 0, t.shownAt(1), 1, {"", "0930", "20240110", "  spaced"}).error);

    const LogRecord after = t.logbook(0).value(0);
    EXPECT_EQ(after.raw(LogField::Time), "0930");
    EXPECT_EQ(after.raw(LogField::Date), "20240110");
    EXPECT_EQ(after.raw(LogField::Comments).first(9), "  spaced ");
    // Empty beacon comments are stored as the shifted blank.
    EXPECT_EQ(t.beaconAt(1).raw(BeaconField::Comments), QByteArray("\"").leftJustified(90, ' '));
}

TEST_F(Maintenance, UpdateOfAnEntryThatIsNotThereIsBeaconMissingAfterTheComments)
{
    const QByteArray twoEntries = bytesOf({entry("AAA", "300", "0100"), entry("XYZ", "400", "0200")});
    const struct {
        const char *name;
        qint64 entryRecord;
        QByteArray logbook; // null: no logbook file
    } cases[] = {
        {"no entry", 0, twoEntries}, {"past the end", 3, twoEntries}, {"another beacon's entry", 2, twoEntries},
        {"no logbook file", 1, {}},
    };
    for (const auto &c : cases) {
        DataFolder f;
        f.writeDatabase({norwegian("AAA", "300", 1)});
        if (!c.logbook.isNull())
            f.write("Logs/log0.dat", c.logbook);

        const LogEditResult r = updateLogbookEntry(f.folder(), 0, f.shownAt(1), c.entryRecord, {"New", "1200", "20240101", "x"});

        EXPECT_FALSE(r.error.failed()) << c.name;
        EXPECT_TRUE(r.beaconMissing) << c.name;
        EXPECT_EQ(f.beaconAt(1).trimmedText(BeaconField::Comments), "New") << c.name;
        EXPECT_EQ(f.exists("Logs/log0.dat"), !c.logbook.isNull()) << c.name;
        EXPECT_EQ(f.read("Logs/log0.dat"), c.logbook) << c.name;
    }
}

TEST_F(Maintenance, SessionUpdateRewritesEveryRecordOfTheBeaconTrimmed)
{
    const QByteArray database = t.writeDatabase({norwegian("AAA", "300", 1, "z")});
    const QByteArray logbook = t.writeLogbook(0, {entry("AAA", "300", "0100")});
    const CLERecord other = CLERecord::make("XYZ", "NOR", "300", "0900", "20240101", "other", true);
    t.writeSessionLog({CLERecord::make("AAA", "NOR", "300", "1000", "20240101", "a", true), other,
                       CLERecord::make(" aaa", "nor", "300", "1100", "20240101", "b", false)});

    const LogEditResult r = updateSessionRecords(t.folder(), t.shownAt(1), " 2200 ", "20240102 ", "  late  ");

    expectOk(r.error);
    EXPECT_EQ(r.recordsWritten, 2);
    EXPECT_EQ(t.sessionLog(),
              (QList<CLERecord>{CLERecord::make("AAA", "NOR", "300", "2200", "20240102", "late", true), other,
                                CLERecord::make(" aaa", "nor", "300", "2200", "20240102", "late", false)}));
    EXPECT_EQ(t.read("ndb.dat"), database);
    EXPECT_EQ(t.read("Logs/log0.dat"), logbook);
}

TEST_F(Maintenance, SessionUpdateOfADuplicateTouchesOnlyItsOwnRecord)
{
    t.writeDatabase({norwegian("ABC", "338", 1, "z"), norwegian("ABC;2", "338", 1, "z")});
    const CLERecord plain = CLERecord::make("ABC", "NOR", "338", "1000", "20240101", "plain", true);
    t.writeSessionLog({plain, CLERecord::make("ABC;2", "NOR", "338", "1000", "20240101", "dup", true)});

    const LogEditResult r = updateSessionRecords(t.folder(), t.shownAt(2), "2300", "20240103", "changed");

    expectOk(r.error);
    EXPECT_EQ(r.recordsWritten, 1);
    EXPECT_EQ(t.sessionLog(),
              (QList<CLERecord>{plain, CLERecord::make("ABC;2", "NOR", "338", "2300", "20240103", "changed", true)}));
}

TEST_F(Maintenance, SessionUpdateWithoutSessionLogCreatesNone)
{
    t.writeDatabase({norwegian("AAA", "300", 1, "z")});

    const LogEditResult r = updateSessionRecords(t.folder(), t.shownAt(1), "2200", "20240102", "x");

    expectOk(r.error);
    EXPECT_EQ(r.recordsWritten, 0);
    EXPECT_FALSE(t.exists("Logs/cle.dat"));
}

// --- Delete ------------------------------------------------------------------------

TEST_F(Maintenance, DeletingTheSecondOfThreeEntriesKeepsTheOthersInOrder)
{
    t.writeDatabase({norwegian("AAA", "300", 1)});
    const QList<LogRecord> entries = {entry("AAA", "300", "0100"), entry("XYZ", "400", "0150"),
                                      entry("AAA", "300", "0200"), entry("AAA", "300", "0300")};
    t.writeLogbook(0, entries);

    const LogEditResult r = deleteLogbookEntry(t.folder(), 0, t.shownAt(1), 3);

    expectOk(r.error);
    EXPECT_EQ(r.entriesLeft, 2);
    EXPECT_FALSE(r.locationBitCleared);
    EXPECT_EQ(t.logbook(0), (QList<LogRecord>{entries[0], entries[1], entries[3]}));
    EXPECT_EQ(t.beaconAt(1).loggedMask(), 1u);
}

TEST_F(Maintenance, DeletingTheOnlyEntryClearsTheLocationBit)
{
    t.writeDatabase({norwegian("XYZ", "400", 1), norwegian("AAA", "300", 3)});
    const LogRecord other = entry("XYZ", "400", "0150");
    t.writeLogbook(0, {other, entry("AAA", "300", "0200")});

    const LogEditResult r = deleteLogbookEntry(t.folder(), 0, t.shownAt(2), 2);

    expectOk(r.error);
    EXPECT_EQ(r.entriesLeft, 0);
    EXPECT_TRUE(r.locationBitCleared);
    EXPECT_EQ(t.beaconAt(2).raw(BeaconField::LoggedMask), "2    ");
    EXPECT_EQ(t.beaconAt(1).loggedMask(), 1u);
    EXPECT_EQ(t.logbook(0), QList<LogRecord>{other});
}

TEST_F(Maintenance, DeletingForABeaconWithoutEntriesClearsTheBitAndKeepsTheLogbook)
{
    t.writeDatabase({norwegian("AAA", "300", 5)});
    const QByteArray logbook = t.writeLogbook(2, {entry("XYZ", "400", "0150")});

    const LogEditResult r = deleteLogbookEntry(t.folder(), 2, t.shownAt(1), 0);

    expectOk(r.error);
    EXPECT_TRUE(r.locationBitCleared);
    EXPECT_EQ(t.beaconAt(1).loggedMask(), 1u);
    EXPECT_EQ(t.read("Logs/log2.dat"), logbook);
}

TEST_F(Maintenance, SessionDeleteStoresTheShiftedBlankAndLeavesTheSessionLog)
{
    const BeaconRecord before = norwegian("AAA", "300", 1, "z");
    t.writeDatabase({before});
    const QByteArray session = t.writeSessionLog({sessionRecord()});

    expectOk(removeFromSession(t.folder(), t.shownAt(1)).error);

    EXPECT_EQ(t.beaconAt(1).raw(BeaconField::CLEMark), "\"");
    EXPECT_EQ(t.beaconAt(1).bytes().left(211), before.bytes().left(211));
    EXPECT_EQ(t.read("Logs/cle.dat"), session);
}

// --- Refusals ----------------------------------------------------------------------

TEST_F(Maintenance, RefusedOrFailedEditWritesNothing)
{
    using Edit = std::function<LogEditResult(const DataFolder &)>;
    // The beacon as the viewer shows it, and as it would show another one.
    const ShownBeacon aaa = shownBeaconOf(1, norwegian("AAA", "300"));
    const ShownBeacon gone = shownBeaconOf(2, norwegian("AAA", "300"));
    const ShownBeacon xyz = shownBeaconOf(1, norwegian("XYZ", "400"));
    // Its namesake of another country, as a restored ndb.dat may hold in its place.
    const ShownBeacon namesake = shownBeaconOf(1, beacon({.ident = "AAA", .country = "SWE", .frequency = "300"}));
    auto remove = [](const ShownBeacon &shown, qint64 entry) -> Edit {
        return [=](auto &f) { return deleteLogbookEntry(f.folder(), 0, shown, entry); };
    };
    auto update = [](const ShownBeacon &shown, qint64 entry, const LogbookEntryEdit &edit) -> Edit {
        return [=](auto &f) { return updateLogbookEntry(f.folder(), 0, shown, entry, edit); };
    };
    auto updateSession = [](const ShownBeacon &shown, const QByteArray &time) -> Edit {
        return [=](auto &f) { return updateSessionRecords(f.folder(), shown, time, "20240101", ""); };
    };
    auto removeSession = [](const ShownBeacon &shown) -> Edit {
        return [=](auto &f) { return removeFromSession(f.folder(), shown); };
    };
    const struct {
        const char *name;
        int number;          // 0: any error, -1: none, the beacon moved
        const char *blocker; // made a folder so that the rewrite fails
        Edit edit;
    } cases[] = {
        {"delete past the end", 63, nullptr, remove(aaa, 3)},
        {"delete before the start", 63, nullptr, remove(aaa, -1)},
        {"delete another beacon's entry", 63, nullptr, remove(aaa, 2)},
        // The bit is cleared first and set again.
        {"delete, logbook rewrite fails", 0, "Logs/log0.dat.tmp", remove(aaa, 1)},
        {"comments with byte 254", 0, nullptr, update(aaa, 1, {"ok\xFE", "1200", "20240101", "x"})},
        {"comments with byte 255", 0, nullptr, update(aaa, 1, {"ok\xFF", "1200", "20240101", "x"})},
        {"time with a letter", 5, nullptr, update(aaa, 1, {"x", "12a5", "20240101", ""})},
        {"time with letters first", 5, nullptr, update(aaa, 1, {"x", "ab12", "20240101", ""})},
        {"time of two digits", 5, nullptr, update(aaa, 1, {"x", "12", "20240101", ""})},
        {"time with a blank", 5, nullptr, update(aaa, 1, {"x", "12 3", "20240101", ""})},
        {"no valid date", 5, nullptr, update(aaa, 1, {"x", "1200", "20240230", ""})},
        {"session time with a letter", 5, nullptr, updateSession(aaa, "0")},
        {"session delete past the end", -1, nullptr, removeSession(gone)},
        {"logbook delete past the end", -1, nullptr, remove(gone, 0)},
        {"logbook update past the end", -1, nullptr, update(gone, 1, {"x", "1200", "20240101", ""})},
        {"session update past the end", -1, nullptr, updateSession(gone, "1200")},
        {"session delete of a beacon sorted away", -1, nullptr, removeSession(xyz)},
        {"delete of a beacon sorted away", -1, nullptr, remove(xyz, 2)},
        {"update of a beacon sorted away", -1, nullptr, update(xyz, 2, {"x", "1200", "20240101", ""})},
        {"session update of a beacon sorted away", -1, nullptr, updateSession(xyz, "1200")},
        {"delete of a namesake's entry", -1, nullptr, remove(namesake, 1)},
        {"update of a namesake's entry", -1, nullptr, update(namesake, 1, {"x", "1200", "20240101", ""})},
        {"session update of a namesake", -1, nullptr, updateSession(namesake, "1200")},
        {"session delete of a namesake", -1, nullptr, removeSession(namesake)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DataFolder f;
        const QByteArray database = f.writeDatabase({norwegian("AAA", "300", 1, "z")});
        const QByteArray logbook = f.writeLogbook(0, {entry("AAA", "300", "0100"), entry("XYZ", "400", "0200")});
        const QByteArray session = f.writeSessionLog({sessionRecord()});
        if (c.blocker)
            f.mkdir(c.blocker);

        const LogEditResult r = c.edit(f);

        EXPECT_EQ(r.beaconMoved, c.number == -1);
        EXPECT_EQ(r.error.failed(), c.number != -1);
        EXPECT_TRUE(r.takenBack.putBack);
        if (c.number > 0) {
            EXPECT_EQ(r.error.number, c.number);
        }
        EXPECT_EQ(f.read("ndb.dat"), database);
        EXPECT_EQ(f.read("Logs/log0.dat"), logbook);
        EXPECT_EQ(f.read("Logs/cle.dat"), session);
    }
}

// A write past the size limit fails as on a full disk; reads and the writes below it go on.
TEST_F(Maintenance, AWriteThatFailsHalfWayIsTakenBack)
{
    const ShownBeacon aaa = shownBeaconOf(2, norwegian("AAA", "300", 1));
    // Two records of AAA, the second a short last record: writing it whole would grow
    // the file past the limit.
    const QByteArray sessionOfAAA =
        bytesOf({sessionRecord("first"), CLERecord::make("XYZ", "NOR", "400", "1200", "20240101", "", true)}) +
        sessionRecord("second").bytes().first(50);
    const struct {
        const char *name;
        QList<LogRecord> logbook;
        std::function<LogEditResult(const DataFolder &)> edit;
        QByteArray session = {};
        rlim_t limit = BeaconRecord::Length;
    } cases[] = {
        // The beacon's record lies past the limit: its bit cannot be cleared.
        {"delete of the only entry", {entry("AAA", "300", "0100"), entry("XYZ", "400", "0200")},
         [&](auto &f) { return deleteLogbookEntry(f.folder(), 0, aaa, 1); }},
        // The entry lies past the limit: the comments written before it are put back.
        {"update of an entry",
         {entry("AAA", "300", "0100"), entry("XYZ", "400", "0200"), entry("XYZ", "400", "0300"),
          entry("XYZ", "400", "0400")},
         [&](auto &f) { return updateLogbookEntry(f.folder(), 0, f.shownAt(1), 4, {"new", "1200", "20240101", ""}); }},
        // The first record is written, the second only in part: both are put back.
        {"session update of two records",
         {},
         [&](auto &f) { return updateSessionRecords(f.folder(), aaa, "2200", "20240102", "late"); },
         sessionOfAAA,
         static_cast<rlim_t>(sessionOfAAA.size())},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DataFolder f;
        const QByteArray database = f.writeDatabase({norwegian("XYZ", "400", 1), norwegian("AAA", "300", 1)});
        const QByteArray logbook = f.writeLogbook(0, c.logbook);
        if (!c.session.isEmpty())
            f.write("Logs/cle.dat", c.session);
        // The copies are current: the edit's own automatic backup writes nothing.
        ASSERT_FALSE(AutoBackupFiles(f.folder()).failed());
        LogEditResult r;
        {
            const ScopedFileSizeLimit limit(c.limit);
            r = c.edit(f);
        }

        EXPECT_TRUE(r.error.failed());
        EXPECT_FALSE(r.beaconMoved);
        EXPECT_TRUE(r.takenBack.confirmed());
        EXPECT_EQ(r.messageText().toStdString(), (r.error.messageText() + "\r\n" + QLatin1String(kChangeTakenBackText)).toStdString());
        EXPECT_EQ(f.read("ndb.dat"), database);
        EXPECT_EQ(f.read("Logs/log0.dat"), logbook);
        EXPECT_EQ(f.read("Logs/cle.dat"), c.session);
        EXPECT_EQ(r.recordsWritten, 0);
        // Nothing is lost: the same edit goes through once the disk has room.
        expectOk(c.edit(f).error);
    }
    LogEditResult notUndone;
    notUndone.error = FileError::ioError(QStringLiteral("Logs/log0.dat"));
    notUndone.takenBack.anyWrite = true;
    notUndone.takenBack.putBack = false;
    EXPECT_TRUE(notUndone.messageText().endsWith(QLatin1String(kEditNotUndoneText)));
}

// --- Field checks ------------------------------------------------------------------

TEST(LogTimeCheck, TableOfTypedTimes)
{
    const struct {
        QByteArray typed;
        QByteArray text;
        BoxColour colour;
        bool updateEnabled; // only a whole time can be stored
        int selectionStart;
        int selectionLength;
    } cases[] = {
        {"", "", BoxColour::LightRed, false, -1, 0}, {"2", "2", BoxColour::LightRed, false, -1, 0},
        {"0", "0", BoxColour::LightRed, false, -1, 0}, {"23", "23", BoxColour::LightRed, false, -1, 0},
        {"25", "25", BoxColour::Red, false, 0, 2}, {"253", "253", BoxColour::Red, false, -1, 0},
        {"2359", "2359", BoxColour::Green, true, -1, 0}, {"2360", "2360", BoxColour::Red, false, 2, 2},
        {"0000", "0000", BoxColour::Green, true, -1, 0}, {"12345", "1234", BoxColour::Green, true, 2, 2},
        {"23605", "2360", BoxColour::Red, false, 2, 2},
        {"2560", "2560", BoxColour::Red, false, -1, 0}, // the hours end the check
        // Letters and blanks would count 0: no time holds them.
        {"ab", "ab", BoxColour::Red, false, -1, 0}, {"12a5", "12a5", BoxColour::Red, false, -1, 0},
        {"ab12", "ab12", BoxColour::Red, false, -1, 0}, {"12 3", "12 3", BoxColour::Red, false, -1, 0},
        {"-1", "-1", BoxColour::Red, false, 0, 2},
    };
    for (const auto &c : cases) {
        const FieldCheck check = checkLogTime(c.typed);
        EXPECT_EQ(check.text, c.text) << c.typed.constData();
        EXPECT_EQ(check.colour, c.colour) << c.typed.constData();
        EXPECT_EQ(check.updateEnabled, c.updateEnabled) << c.typed.constData();
        EXPECT_EQ(check.updateEnabled, isStorableTime(check.text)) << c.typed.constData();
        EXPECT_EQ(check.selectionStart, c.selectionStart) << c.typed.constData();
        if (c.selectionStart >= 0) {
            EXPECT_EQ(check.selectionLength, c.selectionLength) << c.typed.constData();
        }
    }
}

TEST(LogTimeCheck, FocusLossPutsAZeroBeforeTwoOrThreeCharacters)
{
    const struct { QByteArray typed; QByteArray after; } cases[] = {
        {"930", "0930"}, {"93", "093"}, {"9", "9"}, {"", ""}, {"1234", "1234"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(logTimeAfterFocusLoss(c.typed), c.after) << c.typed.constData();
    EXPECT_EQ(checkLogTime(logTimeAfterFocusLoss("930")).colour, BoxColour::Green);
}

TEST(LogDateCheck, RedWithUpdateDisabledExactlyWhenTheDateBreaksARule)
{
    const struct { QByteArray date; BoxColour colour; } cases[] = {
        {"20040229", BoxColour::Green}, {"20060229", BoxColour::Red}, {"19491231", BoxColour::Red},
        {"2024011", BoxColour::Red}, {"", BoxColour::Red},
    };
    for (const auto &c : cases) {
        const FieldCheck check = checkLogDate(c.date);
        EXPECT_EQ(check.colour, c.colour) << c.date.constData();
        EXPECT_EQ(check.updateEnabled, c.colour == BoxColour::Green) << c.date.constData();
        EXPECT_EQ(check.text, c.date);
    }
}
