#include <gtest/gtest.h>

#include "Fixtures.h"

using namespace qern;
using namespace qern::test;

namespace {

CLERecord sessionRecord(const QByteArray &ident, const QByteArray &country, const QByteArray &time = "1200",
                        bool isNew = true)
{
    return CLERecord::make(ident, country, "338", time, "20240101", "", isNew);
}

QList<CLERecord> tenOtherBeacons()
{
    QList<CLERecord> records;
    for (int i = 0; i < 10; ++i)
        records.append(CLERecord::make("X" + QByteArray::number(i), "NOR", "300", "1200", "20240101", "", true));
    return records;
}

} // namespace

TEST(LogRecord, FieldsLandAtTheirOffsetsPaddedWithBlanksAndCutToTheirWidths)
{
    const QByteArray sixty = QByteArray("0123456789").repeated(6);
    const struct { LogRecord record; QByteArray bytes; } cases[] = {
        {LogRecord::make("ABC", "338", "1234", "20240115", "Good signal"),
         "ABC  338   123420240115" + QByteArray("Good signal").leftJustified(60, ' ')},
        {LogRecord::make("ABCDE;2", "1234.56", "123456", "2024011599", QByteArray(70, 'c')),
         "ABCDE1234.5123420240115" + QByteArray(60, 'c')},
        {LogRecord::make("ABC", "338", "1234", "20240115", sixty), "ABC  338   123420240115" + sixty},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.record.bytes(), c.bytes);
    EXPECT_EQ(cases[2].record.comments(), sixty);
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

TEST(CLERecord, FieldsLandAtTheirOffsetsPaddedWithBlanksAndCutToTheirWidths)
{
    const CLERecord r = CLERecord::make("AB;2", "US", "338", "2359", "20240229", "Session note", true);
    EXPECT_EQ(r.bytes(), "AB;2 US 338   235920240229" + QByteArray("Session note").leftJustified(60, ' ') + "1");
    EXPECT_TRUE(r.isNewAtLocation());
    const CLERecord cut =
        CLERecord::make("ABCDE;2", "NORW", "1234.56", "12345", "202401150", QByteArray(61, 'c'), false);
    EXPECT_EQ(cut.bytes(), QByteArray("ABCDE") + "NOR" + "1234.5" + "1234" + "20240115" + QByteArray(60, 'c') + "0");
    EXPECT_FALSE(cut.isNewAtLocation());
    EXPECT_FALSE(CLERecord().isNewAtLocation());
}

TEST(CLERecord, AccessorsTrimAndRawKeepsPadding)
{
    const CLERecord r = CLERecord::fromBytes(QByteArray(" ab  us 338   120020240101") + QByteArray(60, ' ') + "1");
    EXPECT_EQ(r.raw(CLEField::Ident), " ab  ");
    EXPECT_EQ((QList<QByteArray>{r.ident(), r.countryCode(), r.frequency(), r.time(), r.date(), r.comments(),
                                 r.newFlag()}),
              (QList<QByteArray>{"ab", "us", "338", "1200", "20240101", "", "1"}));
}

TEST(IdentMatch, ComparesFiveTrimmedUpperCasedCharacters)
{
    const struct { const char *recordIdent, *beaconIdent; bool match; } cases[] = {
        {"ABC", "ABC", true}, {"abc", "ABC", true}, {" ABC ", "ABC", true}, {"ABC", "  abc", true},
        {"ABCDE", "ABCDE;2", true}, // the record keeps 5 characters of the suffixed ident
        {"ABCDE", "abcdef", true}, {"ABC;2", "ABC;2", true},
        {"ABC", "ABC;2", false},    // a suffixed beacon is not its plain namesake
        {"ABC;2", "ABC", false},
        {"ABCD", "ABCD E", true},   // the cut leaves a blank the record trimmed away
        {"ABCDE", "ABCDF", false}, {"AB", "ABC", false}, {"", "", true}, {"", "A", false},
        {"\xe9T", "\xc9t", true},   // Windows-1252 accented letters
    };
    for (const auto &c : cases)
        EXPECT_EQ(identsMatch(c.recordIdent, c.beaconIdent), c.match) << c.recordIdent << " / " << c.beaconIdent;
}

TEST(LogEntryMatch, NeedsIdentWithoutItsSuffixAndFrequency)
{
    const struct { const char *entryIdent, *ident, *frequency; bool match; } cases[] = {
        {"abc", "ABC", "338", true},    {"abc", "ABC ", "338 ", true},
        {"abc", "ABC", "338.0", false}, // texts compared, not numbers
        {"abc", "ABC", "339", false},   {"abc", "ABD", "338", false},
        // Quick Log writes a duplicate's entry without the suffix, the dialog with it.
        {"abc", "ABC;2", "338", true},  {"ABC;2", "ABC;2", "338", true}, {"ABC;2", "ABC", "338", true},
        {"ABC;2", "ABC;2", "339", false},
        {"ABCD;", "ABCD;2", "338", true}, {"ABCD", "ABCD;2", "338", true}, // cut to 5 before the suffix goes
        {"ABCDE", "ABCDE;2", "338", true}, {"ABCD;", "ABCD;X", "338", true},
        {"AB;C", "AB;C", "338", true},  {"AB;C", "AB", "338", false}, // letters after ";" are the ident's
        {"abc", "AB", "C338", false}, // no pair runs into another
    };
    for (const auto &c : cases) {
        const LogRecord entry = LogRecord::make(c.entryIdent, " 338", "1200", "20240101", "");
        EXPECT_EQ(logEntryBelongsTo(entry, c.ident, c.frequency), c.match)
            << c.entryIdent << " / " << c.ident << " " << c.frequency;
        // The index key of an entry sees the very same.
        EXPECT_EQ(logEntryKey(entry.raw(LogField::Ident), entry.raw(LogField::Frequency))
                      == logEntryKey(c.ident, c.frequency),
                  c.match)
            << c.entryIdent << " / " << c.ident << " " << c.frequency;
    }
}

TEST(SessionRecordMatch, NeedsIdentFrequencyAndCountry)
{
    const CLERecord record = CLERecord::make("ABCDE", "nor", "338", "1200", "20240101", "", true);
    const struct { const char *ident, *frequency, *country; bool match; } cases[] = {
        {"ABCDE", "338", "NOR", true}, {" abcde ", " 338", "Nor ", true}, {"ABCDE;2", "338", "NOR", true},
        {"ABCDE", "338", "SWE", false}, {"ABCDE", "339", "NOR", false}, {"ABCDX", "338", "NOR", false},
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
        int length; // -1: no logbook
        qint64 writtenAs;
    } cases[] = {
        {-1, 1}, {0, 1}, {83, 2}, {830, 11},
        {830 + 41, 11}, // 10.49 records: the stray bytes are overwritten
        {830 + 42, 12}, // 10.51 records: the part record stays, the entry follows it
    };
    for (const auto &c : cases) {
        DataFolder t;
        const QByteArray before = QByteArray("x").repeated(std::max(c.length, 0));
        if (c.length >= 0)
            t.write("Logs/log4.dat", before);
        qint64 as = 0;
        ASSERT_FALSE(appendLogRecord(logbookPath(t.folder(), 4), entry, &as)) << c.length;
        EXPECT_EQ(as, c.writtenAs) << c.length;
        const QByteArray after = t.read("Logs/log4.dat");
        const qint64 offset = (c.writtenAs - 1) * 83;
        EXPECT_EQ(after.size(), offset + 83) << c.length;
        EXPECT_EQ(after.mid(offset), entry.bytes()) << c.length;
        EXPECT_EQ(after.left(std::min<qint64>(offset, before.size())), before.left(offset)) << c.length;
    }
}

TEST(LogWrites, MissingFolderIsAnErrorNotASuccess)
{
    TestFolder t;
    EXPECT_TRUE(appendLogRecord(logbookPath(t.folder(), 0), LogRecord(), nullptr).failed());
    EXPECT_TRUE(writeSessionRecord(sessionLogPath(t.folder()), CLERecord()).failed());
    EXPECT_FALSE(t.exists("Logs"));
}

TEST(WriteSessionRecord, OverwritesTheBeaconsFirstRecordElseAppends)
{
    QList<CLERecord> caseDiffering = tenOtherBeacons();
    caseDiffering[6] = CLERecord::fromBytes(QByteArray(" abc nor 338  ").leftJustified(87, ' '));
    const CLERecord newer = sessionRecord("ABC", "NOR", "2200", false);
    const CLERecord old = sessionRecord("ABC", "NOR", "0100");
    const CLERecord suffixed = sessionRecord("ABCDE;2", "NOR", "0100");
    const CLERecord suffixedNewer = sessionRecord("ABCDE;2", "NOR", "0200", false);
    QList<CLERecord> caseDifferingAfter = caseDiffering;
    caseDifferingAfter[6] = newer;
    const struct {
        const char *name;
        QByteArray before; // null: no session log
        CLERecord record;
        qint64 writtenAs;
        bool overwritten;
        QList<CLERecord> after;
    } cases[] = {
        {"missing session log", {}, newer, 1, false, {newer}}, {"empty session log", "", newer, 1, false, {newer}},
        {"no match among ten", bytesOf(tenOtherBeacons()), newer, 11, false, tenOtherBeacons() << newer},
        {"match differing in case and blanks", bytesOf(caseDiffering), newer, 7, true, caseDifferingAfter},
        {"only the first match", bytesOf({old, old}), newer, 1, true, {newer, old}},
        {"same ident, other country", old.bytes(), sessionRecord("ABC", "SWE"), 2, false,
         {old, sessionRecord("ABC", "SWE")}},
        {"suffixed five-letter ident", suffixed.bytes(), suffixedNewer, 1, true, {suffixedNewer}},
    };
    for (const auto &c : cases) {
        DataFolder t;
        if (!c.before.isNull())
            t.write("Logs/cle.dat", c.before);
        qint64 as = 0;
        bool overwritten = !c.overwritten;
        ASSERT_FALSE(writeSessionRecord(sessionLogPath(t.folder()), c.record, &as, &overwritten)) << c.name;
        EXPECT_EQ(as, c.writtenAs) << c.name;
        EXPECT_EQ(overwritten, c.overwritten) << c.name;
        EXPECT_EQ(t.sessionLog(), c.after) << c.name;
    }
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

TEST(FindLogEntries, KeepsTheBeaconsEntriesInFileOrder)
{
    DataFolder t;
    const LogRecord a1 = LogRecord::make("ABC", "338", "0100", "20240103", "first");
    const LogRecord other = LogRecord::make("ABC", "339", "0100", "20240101", "");
    const LogRecord a2 = LogRecord::make("abc", "338", "0200", "20240101", "second");
    const LogRecord b = LogRecord::make("XYZ", "338", "0300", "20240101", "");
    const LogRecord suffixed = LogRecord::make("ABCDE;2", "338", "0100", "20240101", "");
    t.writeLogbook(0, {a1, other, b, a2, suffixed});

    QList<LogRecord> entries{b};
    ASSERT_FALSE(findLogEntries(t.path("Logs/log0.dat"), "ABC", "338", &entries));
    EXPECT_EQ(entries, (QList<LogRecord>{a1, a2}));
    ASSERT_FALSE(findLogEntries(t.path("Logs/log0.dat"), "ABCDE;2", "338", &entries));
    EXPECT_EQ(entries, QList<LogRecord>{suffixed});
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
    DataFolder t;
    const LogRecord later = LogRecord::make("ABC", "338", "0100", "20241231", "later date");
    const LogRecord nearEnd = LogRecord::make("ABC", "338", "0100", "20240101", "nearest the end");
    const LogRecord otherFrequency = LogRecord::make("ABC", "339", "0100", "20240101", "");
    t.writeLogbook(0, {later, nearEnd, otherFrequency});
    const QString path = t.path("Logs/log0.dat");

    std::optional<LogRecord> last;
    ASSERT_FALSE(findLastLogEntry(path, "abc", "338", &last));
    EXPECT_EQ(last, nearEnd);
    ASSERT_FALSE(findLastLogEntry(path, "ABC", "404", &last));
    EXPECT_FALSE(last.has_value());
    // The frequency compared trimmed and without regard to case, as the ident is.
    ASSERT_FALSE(findLastLogEntry(path, "ABC", " 339 ", &last));
    EXPECT_EQ(last, otherFrequency);
    const LogRecord lettered = LogRecord::make("ABC", "33a", "0100", "20240101", "");
    t.writeLogbook(1, {lettered});
    ASSERT_FALSE(findLastLogEntry(t.path("Logs/log1.dat"), "ABC", "33A", &last));
    EXPECT_EQ(last, lettered);
    // Matched on the ident alone, the frequency no longer counts.
    ASSERT_FALSE(findLastLogEntryForIdent(path, "ABC", &last));
    EXPECT_EQ(last, otherFrequency);
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
    EXPECT_EQ(last, target);
}

TEST(LogWalks, VisitRecordsInOrderAndMissingFileIsAnError)
{
    DataFolder t;
    const LogRecord a = LogRecord::make("A", "1", "", "", "");
    const LogRecord b = LogRecord::make("B", "2", "", "", "");
    t.writeLogbook(0, {a, b});
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
