#include <QDir>

#include <gtest/gtest.h>

#include "Fixtures.h"
#include "ReceptionWrite.h"

using namespace qern;
using namespace qern::test;

namespace {

BeaconRecord norwegian(const QByteArray &ident, const QByteArray &frequency, quint32 mask = 0)
{
    return beacon({.ident = ident, .country = "NOR", .frequency = frequency, .mask = mask});
}

// A Norwegian beacon as a window shows it at record number.
ShownBeacon at(qint64 number, const QByteArray &ident, const QByteArray &frequency)
{
    return shownBeaconOf(number, norwegian(ident, frequency));
}

ReceptionInput dialog(const QByteArray &ident, const QByteArray &frequency, const QByteArray &time,
                      const QByteArray &date, const QByteArray &receptionComments = "",
                      const QByteArray &sessionComments = "")
{
    return {ident, frequency, time, date, receptionComments, sessionComments};
}

ClockTexts utcClock(const QByteArray &time, const QByteArray &date)
{
    ClockTexts clock;
    clock.UTCTimeText = time;
    clock.UTCDateText = date;
    return clock;
}

// A folder as start-up leaves it: Logs and AutoBackups, the given beacons, no logs.
class Reception : public ::testing::Test {
protected:
    ReceptionResult write(qint64 record, int location, const ReceptionInput &input)
    {
        ReceptionResult result = writeReception(t.folder(), t.shownAt(record), location, input);
        EXPECT_FALSE(result.error.failed()) << result.error.messageText().toStdString();
        return result;
    }

    DataFolder t;
};

} // namespace

TEST_F(Reception, FirstReceptionAtLocation3SetsMask8TheMarkAndNewFlag)
{
    t.writeDatabase({norwegian("XYZ", "300"), norwegian("ABC", "338.5")});
    const QByteArray before = t.beaconAt(2).bytes();

    const ReceptionResult r = write(2, 3, dialog("ABC", "338.5", "1405", "20060408", "Loud", "CLE 12"));

    EXPECT_TRUE(r.firstAtLocation);
    EXPECT_EQ(r.loggedMask, 8u);
    EXPECT_EQ(r.logRecordNumber, 1);
    EXPECT_EQ(r.sessionRecordNumber, 1);
    EXPECT_FALSE(r.sessionRecordOverwritten);
    const BeaconRecord after = t.beaconAt(2);
    EXPECT_EQ(after.raw(BeaconField::LoggedMask), "8    ");
    EXPECT_EQ(after.raw(BeaconField::CLEMark), "z");
    // Only the mask and the mark change.
    EXPECT_EQ(after.bytes().first(206), before.first(206));
    EXPECT_EQ(after.raw(BeaconField::Spare), "s");
    EXPECT_EQ(t.logbook(3), QList<LogRecord>{LogRecord::make("ABC", "338.5", "1405", "20060408", "Loud")});
    EXPECT_EQ(t.sessionLog(),
              QList<CLERecord>{CLERecord::make("ABC", "NOR", "338.5", "1405", "20060408", "CLE 12", true)});
}

TEST_F(Reception, SecondReceptionKeepsTheMaskAppendsAndOverwritesTheSessionRecord)
{
    t.writeDatabase({norwegian("ABC", "338")});
    write(1, 3, dialog("ABC", "338", "1405", "20060408", "first", "one"));

    const ReceptionResult r = write(1, 3, dialog("ABC", "338", "2210", "20060409", "second", "two"));

    EXPECT_FALSE(r.firstAtLocation);
    EXPECT_EQ(t.beaconAt(1).raw(BeaconField::LoggedMask), "8    ");
    EXPECT_EQ(r.logRecordNumber, 2);
    ASSERT_EQ(t.logbook(3).size(), 2);
    EXPECT_EQ(t.logbook(3)[1], LogRecord::make("ABC", "338", "2210", "20060409", "second"));
    EXPECT_TRUE(r.sessionRecordOverwritten);
    EXPECT_EQ(r.sessionRecordNumber, 1);
    EXPECT_EQ(t.sessionLog(), QList<CLERecord>{CLERecord::make("ABC", "NOR", "338", "2210", "20060409", "two", false)});
}

TEST_F(Reception, LaterReceptionAtAnotherLocationAddsItsBitAndIsNewThere)
{
    t.writeDatabase({norwegian("ABC", "338")});
    write(1, 3, dialog("ABC", "338", "1405", "20060408"));

    const ReceptionResult r = write(1, 5, dialog("ABC", "338", "1500", "20060408"));

    EXPECT_TRUE(r.firstAtLocation);
    EXPECT_EQ(t.beaconAt(1).raw(BeaconField::LoggedMask), "40   ");
    ASSERT_EQ(t.sessionLog().size(), 1);
    EXPECT_EQ(t.sessionLog()[0].newFlag(), "1");
    EXPECT_EQ(t.logbook(5).size(), 1);
}

TEST_F(Reception, MaskTextKeepsEveryDigit)
{
    // A mask beyond the 16 location bits (damaged or edited by hand) keeps its location
    // bits and is never cut to five digits of another number ("102768" -> "10276").
    const struct { QByteArray mask; int location; QByteArray stored; bool first; } cases[] = {
        {"16383", 14, "32767", true}, {"0", 15, "32768", true}, {"32767", 15, "65535", true},
        {"32768", 15, "32768", false}, {"5", 0, "5    ", false},
        {"70000", 15, "37232", true}, {"70000", 4, "70000", false},
    };
    for (const auto &c : cases) {
        BeaconRecord record = norwegian("ABC", "338");
        record.setRaw(BeaconField::LoggedMask, c.mask);
        t.writeDatabase({record});
        const ReceptionResult r = write(1, c.location, dialog("ABC", "338", "1405", "20060408"));
        EXPECT_EQ(t.beaconAt(1).raw(BeaconField::LoggedMask), c.stored) << c.mask.constData() << " at " << c.location;
        EXPECT_EQ(r.firstAtLocation, c.first) << c.mask.constData() << " at " << c.location;
    }
}

TEST_F(Reception, RecordsGoWhereTheLengthsAndTheSessionLogSay)
{
    QByteArray tenOthers;
    for (int i = 0; i < 10; ++i)
        tenOthers += CLERecord::make("X" + QByteArray::number(i), "NOR", "338.5", "1200", "20240101", "", true).bytes();
    const QByteArray mine = QByteArray(" abc nor338.5 ").leftJustified(CLERecord::Length, ' ');
    const struct {
        const char *name;
        QByteArray logbook, session; // null: no file
        qint64 logRecord, sessionRecord;
        bool overwritten;
    } cases[] = {
        {"no files", {}, {}, 1, 1, false}, {"empty files", "", "", 1, 1, false},
        {"ten records each", QByteArray(830, 'x'), tenOthers, 11, 11, false},
        {"own record differing in case and blanks", {}, tenOthers.left(87) + mine, 1, 2, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DataFolder f;
        f.writeDatabase({norwegian("ABC", "338.5")});
        if (!c.logbook.isNull())
            f.write("Logs/log0.dat", c.logbook);
        if (!c.session.isNull())
            f.write("Logs/cle.dat", c.session);

        const ReceptionResult r = writeReception(f.folder(), f.shownAt(1), 0, dialog("ABC", "338.5", "1405", "20060408"));

        ASSERT_FALSE(r.error.failed());
        EXPECT_EQ(r.logRecordNumber, c.logRecord);
        EXPECT_EQ(f.read("Logs/log0.dat").size(), c.logRecord * LogRecord::Length);
        EXPECT_EQ(r.sessionRecordNumber, c.sessionRecord);
        EXPECT_EQ(r.sessionRecordOverwritten, c.overwritten);
        const QList<CLERecord> session = f.sessionLog();
        ASSERT_EQ(session.size(), c.sessionRecord);
        const qsizetype before = 87 * (c.sessionRecord - 1); // the records ahead of the beacon's stay
        EXPECT_EQ(f.read("Logs/cle.dat").first(before), c.session.first(before));
        EXPECT_EQ(session.last().ident(), "ABC");
        EXPECT_EQ(session.last().time(), "1405");
    }
}

TEST_F(Reception, DuplicateBeaconKeepsItsSuffixInTheSessionRecordOnly)
{
    t.writeDatabase({norwegian("ABC", "338"), norwegian("ABC;2", "338")});

    // Quick Log: the beacon on display carries no suffix.
    write(2, 0, quickLogInput("ABC", "338", utcClock("14:05", "2006-04-08")));
    // The dialog: the decoded ident with its suffix.
    write(2, 0, dialog("ABC;2", "338", "1500", "20060408"));

    ASSERT_EQ(t.logbook(0).size(), 2);
    EXPECT_EQ(t.logbook(0)[0].ident(), "ABC");
    EXPECT_EQ(t.logbook(0)[1].ident(), "ABC;2");
    ASSERT_EQ(t.sessionLog().size(), 1);
    EXPECT_EQ(t.sessionLog()[0].ident(), "ABC;2");
    EXPECT_EQ(t.sessionLog()[0].time(), "1500");
}

TEST_F(Reception, FiveLetterIdentWithSuffixFindsItsOwnSessionRecord)
{
    t.writeDatabase({norwegian("ABCDE;2", "338")});
    write(1, 0, dialog("ABCDE;2", "338", "1405", "20060408"));

    const ReceptionResult r = write(1, 0, dialog("ABCDE;2", "338", "1500", "20060408"));

    EXPECT_TRUE(r.sessionRecordOverwritten);
    ASSERT_EQ(t.sessionLog().size(), 1);
    EXPECT_EQ(t.sessionLog()[0].ident(), "ABCDE");
    EXPECT_EQ(t.sessionLog()[0].time(), "1500");
}

TEST_F(Reception, LogbookTakesTheCommentsAsTheyStandAndTheSessionRecordTrimmed)
{
    t.writeDatabase({norwegian("ABC", "338")});

    write(1, 0, dialog("ABC", "338", "0930", "20060408", "  weak", "  faint QSB  "));

    EXPECT_EQ(t.logbook(0), QList<LogRecord>{LogRecord::make("ABC", "338", "0930", "20060408", "  weak")});
    EXPECT_EQ(t.sessionLog(), QList<CLERecord>{CLERecord::make("ABC", "NOR", "338", "0930", "20060408", "faint QSB", true)});
}

TEST(QuickLogInput, TakesTheClockTextsAndBlankComments)
{
    const ReceptionInput input = quickLogInput("NDB;3", "283.5", utcClock("09:07", "2024-02-29"));
    EXPECT_EQ(input.ident, "NDB");
    EXPECT_EQ(input.frequency, "283.5");
    EXPECT_EQ(input.time, "0907");
    EXPECT_EQ(input.date, "20240229");
    EXPECT_EQ(input.receptionComments, "");
    EXPECT_EQ(input.sessionComments, "");
}

TEST_F(Reception, QuickLogEntryAndSessionRecordCarryTheSameTimeAndDate)
{
    t.writeDatabase({norwegian("ABC", "338")});

    write(1, 2, quickLogInput("ABC", "338", utcClock("23:59", "2023-12-31")));

    EXPECT_EQ(t.logbook(2), QList<LogRecord>{LogRecord::make("ABC", "338", "2359", "20231231", "")});
    EXPECT_EQ(t.sessionLog(), QList<CLERecord>{CLERecord::make("ABC", "NOR", "338", "2359", "20231231", "", true)});
}

TEST_F(Reception, RefusedOrFailedReceptionWritesNothing)
{
    const struct {
        const char *name;
        ShownBeacon shown; // the beacon on display and where it was read
        int location;
        int number;        // 0: any error, -1: none, the beacon moved
        std::function<void(DataFolder &)> setUp;
        QByteArray time = "1405";
        QByteArray date = "20060408";
    } cases[] = {
        {"record past the end", at(3, "ABC", "338"), 0, -1, {}},
        {"record 0", at(0, "ABC", "338"), 0, -1, {}},
        {"record -1", at(-1, "ABC", "338"), 0, -1, {}},
        {"another beacon sorted into its place", at(1, "XYZ", "400"), 0, -1, {}},
        {"its frequency changed meanwhile", at(1, "ABC", "339"), 0, -1, {}},
        // Same ident and frequency, another country.
        {"its namesake in its place", shownBeaconOf(1, beacon({.ident = "ABC", .frequency = "338"})), 0, -1, {}},
        {"location 16", at(1, "ABC", "338"), 16, 0, {}},
        {"location -1", at(1, "ABC", "338"), -1, 0, {}},
        {"no database", at(1, "ABC", "338"), 0, 53, [](DataFolder &f) { QFile::remove(f.path("ndb.dat")); }},
        {"beacon that cannot be decoded", at(1, "ABC", "338"), 0, 0,
         [](DataFolder &f) {
             BeaconRecord damaged = norwegian("ABC", "338");
             damaged.setRaw(BeaconField::Ident, QByteArray("C\x01", 2));
             f.writeDatabase({damaged});
         }},
        {"logbook cannot be opened", at(1, "ABC", "338"), 0, 0, [](DataFolder &f) { f.mkdir("Logs/log0.dat"); }},
        {"read-only database", at(1, "ABC", "338"), 0, 70,
         [](DataFolder &f) { QFile::setPermissions(f.path("ndb.dat"), QFile::ReadOwner); }},
        {"session log cannot be opened", at(1, "ABC", "338"), 0, 0, [](DataFolder &f) { f.mkdir("Logs/cle.dat"); }},
        {"time with a letter", at(1, "ABC", "338"), 0, 5, {}, "12a5"},
        {"time with letters first", at(1, "ABC", "338"), 0, 5, {}, "ab12"},
        {"time of two digits", at(1, "ABC", "338"), 0, 5, {}, "12"},
        {"time with a blank", at(1, "ABC", "338"), 0, 5, {}, "930 "},
        {"minutes 75", at(1, "ABC", "338"), 0, 5, {}, "1275"},
        {"no valid date", at(1, "ABC", "338"), 0, 5, {}, "1405", "20060229"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DataFolder f;
        f.writeDatabase({norwegian("ABC", "338"), norwegian("XYZ", "400")});
        if (c.setUp)
            c.setUp(f);
        const bool hadDatabase = f.exists("ndb.dat");
        const QByteArray database = f.read("ndb.dat");

        const ReceptionResult r = writeReception(f.folder(), c.shown, c.location, dialog("ABC", "338", c.time, c.date));

        EXPECT_EQ(r.beaconMoved, c.number == -1);
        EXPECT_EQ(r.error.failed(), c.number != -1);
        if (c.number > 0) {
            EXPECT_EQ(r.error.number, c.number);
        }
        if (c.number != -1) {
            EXPECT_FALSE(r.error.messageText().isEmpty());
            EXPECT_TRUE(r.messageText().endsWith(QLatin1String(kReceptionNotWrittenText)));
        }
        EXPECT_EQ(f.exists("ndb.dat"), hadDatabase);
        EXPECT_EQ(f.read("ndb.dat"), database);
        EXPECT_FALSE(QFileInfo(f.path("Logs/log0.dat")).isFile());
        EXPECT_FALSE(QFileInfo(f.path("Logs/cle.dat")).isFile());
    }
}

TEST_F(Reception, FailedSessionWritePutsTheLogbookAndTheBeaconBack)
{
    // The session log is the largest file and the size limit its length: the beacon's
    // record appended to it fails, or, when the short last record is the beacon's,
    // the write over it runs past the limit half-way through.
    const QByteArray otherSession = CLERecord::make("XYZ", "NOR", "400", "1200", "20240101", "", true).bytes();
    const QByteArray shortSession = otherSession + otherSession +
                                    CLERecord::make("ABC", "NOR", "338", "0100", "20060101", "old", true).bytes().first(50);
    const struct {
        const char *name;
        QByteArray logbook; // null: no logbook before
        bool noRoomBeside = false; // no temporary file can be written beside the logbook
        QByteArray session = {}; // null: twelve records of another beacon
    } cases[] = {
        {"no logbook", {}}, {"whole records", LogRecord::make("XYZ", "400", "1200", "20240101", "").bytes()},
        // 830 + 30 bytes count 10 records: the append overwrites the short tail.
        {"short tail", QByteArray(830, 'a') + QByteArray(30, 'b')},
        // The entry is cut off in place, as on a full disk.
        {"whole records, no room beside", LogRecord::make("XYZ", "400", "1200", "20240101", "").bytes(), true},
        {"short tail, no room beside", QByteArray(830, 'a') + QByteArray(30, 'b'), true},
        {"session record overwritten half-way", {}, false, shortSession},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DataFolder f;
        const QByteArray database = f.writeDatabase({norwegian("ABC", "338")});
        if (!c.logbook.isNull())
            f.write("Logs/log0.dat", c.logbook);
        if (c.noRoomBeside)
            f.mkdir("Logs/log0.dat.tmp");
        const QByteArray session = c.session.isNull() ? otherSession.repeated(12) : c.session;
        f.write("Logs/cle.dat", session);

        ReceptionResult r;
        {
            const ScopedFileSizeLimit limit(rlim_t(session.size()));
            r = writeReception(f.folder(), f.shownAt(1), 0, dialog("ABC", "338", "1405", "20060408"));
        }

        EXPECT_TRUE(r.error.failed());
        EXPECT_TRUE(r.takenBack.confirmed());
        EXPECT_FALSE(r.messageText().contains(QLatin1String(kReceptionNotUndoneText)));
        EXPECT_EQ(f.read("ndb.dat"), database);
        EXPECT_EQ(f.exists("Logs/log0.dat"), !c.logbook.isNull());
        EXPECT_EQ(f.read("Logs/log0.dat"), c.logbook);
        EXPECT_EQ(f.read("Logs/cle.dat"), session);
    }
}

TEST(ReceptionResult, MessageSaysWhetherPartOfTheReceptionStaysWritten)
{
    ReceptionResult r;
    EXPECT_TRUE(r.messageText().isEmpty());
    r.error = FileError::ioError(QStringLiteral("Logs/cle.dat"));
    EXPECT_EQ(r.messageText(), r.error.messageText() + "\r\n" + QLatin1String(kReceptionNotWrittenText));
    r.takenBack.anyWrite = true;
    r.takenBack.putBack = false;
    EXPECT_TRUE(r.messageText().startsWith(r.error.messageText()));
    EXPECT_TRUE(r.messageText().endsWith(QLatin1String(kReceptionNotUndoneText)));
}
