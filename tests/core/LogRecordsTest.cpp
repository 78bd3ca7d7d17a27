#include <gtest/gtest.h>

#include "LogRecords.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::TestFolder;

namespace {

QByteArray logbookOf(const QList<LogRecord> &entries)
{
    QByteArray bytes;
    for (const LogRecord &e : entries)
        bytes += e.bytes();
    return bytes;
}

QByteArray sessionLogOf(const QList<CLERecord> &records)
{
    QByteArray bytes;
    for (const CLERecord &r : records)
        bytes += r.bytes();
    return bytes;
}

QList<CLERecord> tenOtherBeacons()
{
    QList<CLERecord> records;
    for (int i = 0; i < 10; ++i)
        records.append(CLERecord::make("X" + QByteArray::number(i), "NOR", "300", "1200", "20240101", "", true));
    return records;
}

} // namespace

TEST(LogRecord, FieldsLandAtTheirOffsetsPaddedWithBlanks)
{
    const LogRecord r = LogRecord::make("ABC", "338", "1234", "20240115", "Good signal");
    const QByteArray b = r.bytes();
    ASSERT_EQ(b.size(), 83);
    EXPECT_EQ(b.mid(0, 5), "ABC  ");
    EXPECT_EQ(b.mid(5, 6), "338   ");
    EXPECT_EQ(b.mid(11, 4), "1234");
    EXPECT_EQ(b.mid(15, 8), "20240115");
    EXPECT_EQ(b.mid(23, 60), QByteArray("Good signal").leftJustified(60, ' '));
}

TEST(LogRecord, LongerValuesKeepTheirLeftmostCharacters)
{
    const LogRecord r = LogRecord::make("ABCDE;2", "1234.56", "123456", "2024011599", QByteArray(70, 'c'));
    EXPECT_EQ(r.bytes(), QByteArray("ABCDE") + "1234.5" + "1234" + "20240115" + QByteArray(60, 'c'));
}

TEST(LogRecord, SixtyCharacterCommentFillsTheFieldExactly)
{
    const QByteArray comment = QByteArray("0123456789").repeated(6);
    const LogRecord r = LogRecord::make("ABC", "338", "1234", "20240115", comment);
    EXPECT_EQ(r.bytes().right(60), comment);
    EXPECT_EQ(r.comments(), comment);
}

TEST(LogRecord, ValuesAreTakenAsTheyStand)
{
    const LogRecord r = LogRecord::make(" AB", "338", " 12", "20240115", "  hi");
    EXPECT_EQ(r.raw(LogField::Ident), " AB  ");
    EXPECT_EQ(r.raw(LogField::Time), " 12 ");
    EXPECT_EQ(r.raw(LogField::Comments).first(5), "  hi ");
    EXPECT_EQ(r.ident(), "AB");
    EXPECT_EQ(r.time(), "12");
    EXPECT_EQ(r.comments(), "hi");
}

TEST(LogRecord, FromBytesPadsShortAndCutsLongInput)
{
    EXPECT_EQ(LogRecord::fromBytes("ABC").bytes(), QByteArray("ABC").leftJustified(83, ' '));
    EXPECT_EQ(LogRecord::fromBytes(QByteArray(100, 'x')).bytes(), QByteArray(83, 'x'));
    const LogRecord r = LogRecord::make("NDB", "404", "0001", "19991231", "x");
    EXPECT_EQ(LogRecord::fromBytes(r.bytes()), r);
}

TEST(CLERecord, FieldsLandAtTheirOffsetsPaddedWithBlanks)
{
    const CLERecord r = CLERecord::make("AB;2", "US", "338", "2359", "20240229", "Session note", true);
    const QByteArray b = r.bytes();
    ASSERT_EQ(b.size(), 87);
    EXPECT_EQ(b.mid(0, 5), "AB;2 ");
    EXPECT_EQ(b.mid(5, 3), "US ");
    EXPECT_EQ(b.mid(8, 6), "338   ");
    EXPECT_EQ(b.mid(14, 4), "2359");
    EXPECT_EQ(b.mid(18, 8), "20240229");
    EXPECT_EQ(b.mid(26, 60), QByteArray("Session note").leftJustified(60, ' '));
    EXPECT_EQ(b.mid(86, 1), "1");
    EXPECT_TRUE(r.isNewAtLocation());
}

TEST(CLERecord, NewFlagIsOneOrZero)
{
    EXPECT_EQ(CLERecord::make("A", "B", "1", "", "", "", false).raw(CLEField::NewFlag), "0");
    EXPECT_FALSE(CLERecord::make("A", "B", "1", "", "", "", false).isNewAtLocation());
    EXPECT_FALSE(CLERecord().isNewAtLocation());
}

TEST(CLERecord, LongerValuesKeepTheirLeftmostCharacters)
{
    const CLERecord r = CLERecord::make("ABCDE;2", "NORW", "1234.56", "12345", "202401150", QByteArray(61, 'c'), false);
    EXPECT_EQ(r.bytes(), QByteArray("ABCDE") + "NOR" + "1234.5" + "1234" + "20240115" + QByteArray(60, 'c') + "0");
}

TEST(CLERecord, AccessorsTrimAndRawKeepsPadding)
{
    const CLERecord r = CLERecord::fromBytes(QByteArray(" ab  us 338   120020240101") + QByteArray(60, ' ') + "1");
    EXPECT_EQ(r.raw(CLEField::Ident), " ab  ");
    EXPECT_EQ(r.ident(), "ab");
    EXPECT_EQ(r.countryCode(), "us");
    EXPECT_EQ(r.frequency(), "338");
    EXPECT_EQ(r.time(), "1200");
    EXPECT_EQ(r.date(), "20240101");
    EXPECT_EQ(r.comments(), "");
    EXPECT_EQ(r.newFlag(), "1");
}

TEST(IdentMatch, ComparesFiveTrimmedUpperCasedCharacters)
{
    const struct {
        const char *recordIdent;
        const char *beaconIdent;
        bool match;
    } cases[] = {
        {"ABC", "ABC", true},
        {"abc", "ABC", true},
        {" ABC ", "ABC", true},
        {"ABC", "  abc", true},
        {"ABCDE", "ABCDE;2", true},   // the record keeps 5 characters of the suffixed ident
        {"ABCDE", "abcdef", true},
        {"ABC;2", "ABC;2", true},
        {"ABC", "ABC;2", false},      // a suffixed beacon is not its plain namesake
        {"ABC;2", "ABC", false},
        {"ABCD", "ABCD E", true},     // the cut leaves a blank the record trimmed away
        {"ABCDE", "ABCDF", false},
        {"AB", "ABC", false},
        {"", "", true},
        {"", "A", false},
        {"\xe9T", "\xc9t", true},     // Windows-1252 accented letters
    };
    for (const auto &c : cases)
        EXPECT_EQ(identsMatch(c.recordIdent, c.beaconIdent), c.match) << c.recordIdent << " / " << c.beaconIdent;
}

TEST(LogEntryMatch, NeedsIdentAndFrequency)
{
    const LogRecord entry = LogRecord::make("abc", " 338", "1200", "20240101", "");
    const struct {
        const char *ident;
        const char *frequency;
        bool match;
    } cases[] = {
        {"ABC", "338", true},
        {"ABC ", "338 ", true},
        {"ABC", "338.0", false}, // texts compared, not numbers
        {"ABC", "339", false},
        {"ABD", "338", false},
        {"ABC;2", "338", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(logEntryBelongsTo(entry, c.ident, c.frequency), c.match) << c.ident << " " << c.frequency;
}

TEST(SessionRecordMatch, NeedsIdentFrequencyAndCountry)
{
    const CLERecord record = CLERecord::make("ABCDE", "nor", "338", "1200", "20240101", "", true);
    const struct {
        const char *ident;
        const char *frequency;
        const char *country;
        bool match;
    } cases[] = {
        {"ABCDE", "338", "NOR", true},
        {" abcde ", " 338", "Nor ", true},
        {"ABCDE;2", "338", "NOR", true},
        {"ABCDE", "338", "SWE", false},
        {"ABCDE", "339", "NOR", false},
        {"ABCDX", "338", "NOR", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(sessionRecordBelongsTo(record, c.ident, c.frequency, c.country), c.match) << c.ident;
}

TEST(LogPaths, ResolveWithoutRegardToCase)
{
    TestFolder t;
    EXPECT_EQ(logbookPath(t.folder(), 3), t.root() + "/Logs/log3.dat");
    EXPECT_EQ(logbookPath(t.folder(), 15), t.root() + "/Logs/log15.dat");
    EXPECT_EQ(sessionLogPath(t.folder()), t.root() + "/Logs/cle.dat");

    t.write("logs/LOG3.DAT", "");
    t.write("logs/Cle.dat", "");
    EXPECT_EQ(logbookPath(t.folder(), 3), t.root() + "/logs/LOG3.DAT");
    EXPECT_EQ(sessionLogPath(t.folder()), t.root() + "/logs/Cle.dat");
}

TEST(AppendLogRecord, WritesAfterTheRoundedRecordCount)
{
    const LogRecord entry = LogRecord::make("ABC", "338", "1200", "20240101", "new");
    const struct {
        int length;
        qint64 writtenAs;
    } cases[] = {
        {0, 1},
        {83, 2},
        {830, 11},
        {830 + 41, 11}, // 10.49 records: the stray bytes are overwritten
        {830 + 42, 12}, // 10.51 records: the part record stays, the entry follows it
    };
    for (const auto &c : cases) {
        TestFolder t;
        const QByteArray before = QByteArray("x").repeated(c.length);
        t.write("Logs/log0.dat", before);
        qint64 as = 0;
        ASSERT_FALSE(appendLogRecord(t.path("Logs/log0.dat"), entry, &as)) << c.length;
        EXPECT_EQ(as, c.writtenAs) << c.length;
        const QByteArray after = t.read("Logs/log0.dat");
        const qint64 offset = (c.writtenAs - 1) * 83;
        EXPECT_EQ(after.size(), offset + 83) << c.length;
        EXPECT_EQ(after.mid(offset), entry.bytes()) << c.length;
        EXPECT_EQ(after.left(std::min<qint64>(offset, c.length)), before.left(offset)) << c.length;
    }
}

TEST(AppendLogRecord, MissingLogbookIsCreatedWithRecordOne)
{
    TestFolder t;
    t.mkdir("Logs");
    const LogRecord entry = LogRecord::make("ABC", "338", "1200", "20240101", "");
    qint64 as = 0;
    ASSERT_FALSE(appendLogRecord(logbookPath(t.folder(), 4), entry, &as));
    EXPECT_EQ(as, 1);
    EXPECT_EQ(t.read("Logs/log4.dat"), entry.bytes());
}

TEST(AppendLogRecord, MissingFolderIsAnErrorNotASuccess)
{
    TestFolder t;
    const FileError err = appendLogRecord(logbookPath(t.folder(), 0), LogRecord(), nullptr);
    EXPECT_TRUE(err.failed());
    EXPECT_FALSE(t.exists("Logs"));
}

TEST(WriteSessionRecord, MissingOrEmptySessionLogGetsRecordOne)
{
    const CLERecord record = CLERecord::make("ABC", "NOR", "338", "1200", "20240101", "", true);
    for (const bool present : {false, true}) {
        TestFolder t;
        t.mkdir("Logs");
        if (present)
            t.write("Logs/cle.dat", "");
        qint64 as = 0;
        bool overwritten = true;
        ASSERT_FALSE(writeSessionRecord(sessionLogPath(t.folder()), record, &as, &overwritten));
        EXPECT_EQ(as, 1);
        EXPECT_FALSE(overwritten);
        EXPECT_EQ(t.read("Logs/cle.dat"), record.bytes());
    }
}

TEST(WriteSessionRecord, NoMatchAmongTenAppendsRecordEleven)
{
    TestFolder t;
    const QByteArray before = sessionLogOf(tenOtherBeacons());
    t.write("Logs/cle.dat", before);
    const CLERecord record = CLERecord::make("ABC", "NOR", "338", "1200", "20240101", "", true);
    qint64 as = 0;
    bool overwritten = true;
    ASSERT_FALSE(writeSessionRecord(t.path("Logs/cle.dat"), record, &as, &overwritten));
    EXPECT_EQ(as, 11);
    EXPECT_FALSE(overwritten);
    EXPECT_EQ(t.read("Logs/cle.dat"), before + record.bytes());
}

TEST(WriteSessionRecord, RecordDifferingInCaseOrBlanksIsOverwrittenInPlace)
{
    TestFolder t;
    QList<CLERecord> records = tenOtherBeacons();
    records[6] = CLERecord::fromBytes(QByteArray(" abc nor 338  ").leftJustified(87, ' '));
    t.write("Logs/cle.dat", sessionLogOf(records));

    const CLERecord newer = CLERecord::make("ABC", "NOR", "338", "2200", "20240102", "again", false);
    qint64 as = 0;
    bool overwritten = false;
    ASSERT_FALSE(writeSessionRecord(t.path("Logs/cle.dat"), newer, &as, &overwritten));
    EXPECT_EQ(as, 7);
    EXPECT_TRUE(overwritten);
    records[6] = newer;
    EXPECT_EQ(t.read("Logs/cle.dat"), sessionLogOf(records)); // count unchanged, others untouched
}

TEST(WriteSessionRecord, OnlyTheFirstMatchIsOverwritten)
{
    TestFolder t;
    const CLERecord old = CLERecord::make("ABC", "NOR", "338", "0100", "20240101", "", true);
    t.write("Logs/cle.dat", sessionLogOf({old, old}));
    const CLERecord newer = CLERecord::make("ABC", "NOR", "338", "0200", "20240101", "", false);
    qint64 as = 0;
    ASSERT_FALSE(writeSessionRecord(t.path("Logs/cle.dat"), newer, &as));
    EXPECT_EQ(as, 1);
    EXPECT_EQ(t.read("Logs/cle.dat"), sessionLogOf({newer, old}));
}

TEST(WriteSessionRecord, SameIdentOtherCountryIsAnotherBeacon)
{
    TestFolder t;
    const CLERecord norway = CLERecord::make("ABC", "NOR", "338", "0100", "20240101", "", true);
    t.write("Logs/cle.dat", norway.bytes());
    const CLERecord sweden = CLERecord::make("ABC", "SWE", "338", "0200", "20240101", "", true);
    qint64 as = 0;
    ASSERT_FALSE(writeSessionRecord(t.path("Logs/cle.dat"), sweden, &as));
    EXPECT_EQ(as, 2);
}

TEST(WriteSessionRecord, SuffixedFiveLetterIdentFindsItsOwnRecord)
{
    TestFolder t;
    t.mkdir("Logs");
    const CLERecord first = CLERecord::make("ABCDE;2", "NOR", "338", "0100", "20240101", "", true);
    ASSERT_FALSE(writeSessionRecord(t.path("Logs/cle.dat"), first));
    const CLERecord second = CLERecord::make("ABCDE;2", "NOR", "338", "0200", "20240101", "", false);
    qint64 as = 0;
    bool overwritten = false;
    ASSERT_FALSE(writeSessionRecord(t.path("Logs/cle.dat"), second, &as, &overwritten));
    EXPECT_EQ(as, 1);
    EXPECT_TRUE(overwritten);
    EXPECT_EQ(t.read("Logs/cle.dat"), second.bytes());

    const CLERecord stored = CLERecord::fromBytes(t.read("Logs/cle.dat"));
    EXPECT_TRUE(sessionRecordBelongsTo(stored, "ABCDE;2", "338", "NOR"));
}

TEST(WriteSessionRecord, ScansPastSixteenBitRecordNumbers)
{
    TestFolder t;
    QByteArray log = CLERecord::make("X", "NOR", "300", "1200", "20240101", "", true).bytes().repeated(40000);
    const CLERecord target = CLERecord::make("ABC", "NOR", "338", "1200", "20240101", "", true);
    log.replace(39000 * 87, 87, target.bytes());
    t.write("Logs/cle.dat", log);
    qint64 as = 0;
    ASSERT_FALSE(writeSessionRecord(t.path("Logs/cle.dat"), target, &as));
    EXPECT_EQ(as, 39001);
    EXPECT_EQ(t.read("Logs/cle.dat").size(), 40000 * 87);
}

TEST(WriteSessionRecord, MissingFolderIsAnErrorNotASuccess)
{
    TestFolder t;
    EXPECT_TRUE(writeSessionRecord(sessionLogPath(t.folder()), CLERecord()).failed());
    EXPECT_FALSE(t.exists("Logs"));
}

TEST(FindLogEntries, KeepsTheBeaconsEntriesInFileOrder)
{
    TestFolder t;
    const LogRecord a1 = LogRecord::make("ABC", "338", "0100", "20240103", "first");
    const LogRecord other = LogRecord::make("ABC", "339", "0100", "20240101", "");
    const LogRecord a2 = LogRecord::make("abc", "338", "0200", "20240101", "second");
    const LogRecord b = LogRecord::make("XYZ", "338", "0300", "20240101", "");
    t.write("Logs/log0.dat", logbookOf({a1, other, b, a2}));

    QList<LogRecord> entries{b};
    ASSERT_FALSE(findLogEntries(t.path("Logs/log0.dat"), "ABC", "338", &entries));
    EXPECT_EQ(entries, (QList<LogRecord>{a1, a2}));
}

TEST(FindLogEntries, SuffixedFiveLetterIdentFindsItsEntries)
{
    TestFolder t;
    const LogRecord mine = LogRecord::make("ABCDE;2", "338", "0100", "20240101", "");
    t.write("Logs/log0.dat", mine.bytes());
    QList<LogRecord> entries;
    ASSERT_FALSE(findLogEntries(t.path("Logs/log0.dat"), "ABCDE;2", "338", &entries));
    EXPECT_EQ(entries, QList<LogRecord>{mine});
}

TEST(FindLogEntries, MissingLogbookIsNoEntriesAndStaysMissing)
{
    TestFolder t;
    QList<LogRecord> entries{LogRecord()};
    ASSERT_FALSE(findLogEntries(logbookPath(t.folder(), 2), "ABC", "338", &entries));
    EXPECT_TRUE(entries.isEmpty());
    std::optional<LogRecord> last = LogRecord();
    ASSERT_FALSE(findLastLogEntry(logbookPath(t.folder(), 2), "ABC", "338", &last));
    EXPECT_FALSE(last.has_value());
    ASSERT_FALSE(findLastLogEntryForIdent(logbookPath(t.folder(), 2), "ABC", &last));
    EXPECT_FALSE(last.has_value());
    EXPECT_FALSE(t.exists("Logs/log2.dat"));
}

TEST(FindLastLogEntry, ReturnsTheEntryNearestTheEndNotTheLatestDate)
{
    TestFolder t;
    const LogRecord later = LogRecord::make("ABC", "338", "0100", "20241231", "later date");
    const LogRecord nearEnd = LogRecord::make("ABC", "338", "0100", "20240101", "nearest the end");
    const LogRecord otherFrequency = LogRecord::make("ABC", "339", "0100", "20240101", "");
    t.write("Logs/log0.dat", logbookOf({later, nearEnd, otherFrequency}));

    std::optional<LogRecord> last;
    ASSERT_FALSE(findLastLogEntry(t.path("Logs/log0.dat"), "abc", "338", &last));
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(*last, nearEnd);
}

TEST(FindLastLogEntry, NoMatchIsEmpty)
{
    TestFolder t;
    t.write("Logs/log0.dat", LogRecord::make("ABC", "338", "0100", "20241231", "").bytes());
    std::optional<LogRecord> last;
    ASSERT_FALSE(findLastLogEntry(t.path("Logs/log0.dat"), "ABC", "404", &last));
    EXPECT_FALSE(last.has_value());
}

TEST(FindLastLogEntry, IdentOnlyLookupIgnoresTheFrequency)
{
    TestFolder t;
    const LogRecord a = LogRecord::make("ABC", "338", "0100", "20240101", "");
    const LogRecord otherFrequency = LogRecord::make("ABC", "339", "0100", "20240102", "");
    t.write("Logs/log0.dat", logbookOf({a, otherFrequency}));
    std::optional<LogRecord> last;
    ASSERT_FALSE(findLastLogEntryForIdent(t.path("Logs/log0.dat"), "ABC", &last));
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(*last, otherFrequency);
}

TEST(FindLastLogEntry, FindsAnEntryFarFromTheEndOfALargeLogbook)
{
    TestFolder t;
    QByteArray log = LogRecord::make("X", "300", "0100", "20240101", "").bytes().repeated(30000);
    const LogRecord target = LogRecord::make("ABC", "338", "0100", "20240101", "early");
    log.replace(2 * 83, 83, target.bytes());
    log.append("partial"); // a cut record at the end is read padded
    t.write("Logs/log0.dat", log);
    std::optional<LogRecord> last;
    ASSERT_FALSE(findLastLogEntry(t.path("Logs/log0.dat"), "ABC", "338", &last));
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(*last, target);
}

TEST(LogWalks, VisitRecordsInOrderAndMissingFileIsAnError)
{
    TestFolder t;
    const LogRecord a = LogRecord::make("A", "1", "", "", "");
    const LogRecord b = LogRecord::make("B", "2", "", "", "");
    t.write("Logs/log0.dat", logbookOf({a, b}));
    QList<LogRecord> seen;
    ASSERT_FALSE(forEachLogRecord(t.path("Logs/log0.dat"), [&](qint64 n, const LogRecord &r) {
        EXPECT_EQ(n, seen.size() + 1);
        seen.append(r);
        return true;
    }));
    EXPECT_EQ(seen, (QList<LogRecord>{a, b}));
    EXPECT_EQ(forEachSessionRecord(t.path("Logs/cle.dat"), [](qint64, const CLERecord &) { return true; }).number, 53);
    EXPECT_FALSE(t.exists("Logs/cle.dat"));
}
