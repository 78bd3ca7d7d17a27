#include <QDir>

#include <gtest/gtest.h>

#include "BeaconDatabase.h"
#include "LogRecords.h"
#include "ReceptionWrite.h"
#include "TestFolder.h"

using namespace qern;
using qern::test::TestFolder;

namespace {

BeaconRecord beacon(const QByteArray &ident, const QByteArray &frequency, const QByteArray &country = "NOR",
                    quint32 mask = 0)
{
    BeaconRecord r;
    EXPECT_TRUE(r.setShifted(BeaconField::Ident, ident));
    EXPECT_TRUE(r.setShifted(BeaconField::CountryCode, country));
    EXPECT_TRUE(r.setShifted(BeaconField::Location, "Port Eden"));
    EXPECT_TRUE(r.setShifted(BeaconField::Frequency, frequency));
    EXPECT_TRUE(r.setShifted(BeaconField::Comments, "Strong at dusk"));
    r.setLoggedMask(mask);
    r.setRaw(BeaconField::Spare, "s");
    return r;
}

// A folder as start-up leaves it: Logs and AutoBackups, the given beacons, no logs.
class Reception : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.mkdir("Logs");
        t.mkdir("AutoBackups");
    }

    void writeDatabase(const QList<BeaconRecord> &records)
    {
        QByteArray bytes;
        for (const BeaconRecord &r : records)
            bytes += r.bytes();
        t.write("ndb.dat", bytes);
    }

    BeaconRecord beaconAt(qint64 number)
    {
        BeaconRecord r;
        EXPECT_FALSE(readBeacon(t.folder(), number, &r).failed());
        return r;
    }

    QList<LogRecord> logbook(int location)
    {
        const QByteArray bytes = t.read(QStringLiteral("Logs/log%1.dat").arg(location));
        QList<LogRecord> records;
        for (qsizetype at = 0; at + LogRecord::Length <= bytes.size(); at += LogRecord::Length)
            records.append(LogRecord::fromBytes(bytes.mid(at, LogRecord::Length)));
        return records;
    }

    QList<CLERecord> sessionLog()
    {
        const QByteArray bytes = t.read("Logs/cle.dat");
        QList<CLERecord> records;
        for (qsizetype at = 0; at + CLERecord::Length <= bytes.size(); at += CLERecord::Length)
            records.append(CLERecord::fromBytes(bytes.mid(at, CLERecord::Length)));
        return records;
    }

    static ReceptionInput dialog(const QByteArray &ident, const QByteArray &frequency, const QByteArray &time,
                                 const QByteArray &date, const QByteArray &receptionComments = "",
                                 const QByteArray &sessionComments = "")
    {
        return {ident, frequency, time, date, receptionComments, sessionComments};
    }

    ReceptionResult write(qint64 record, int location, const ReceptionInput &input)
    {
        ReceptionResult result = writeReception(t.folder(), record, location, input);
        EXPECT_FALSE(result.error.failed()) << result.error.messageText().toStdString();
        return result;
    }

    TestFolder t;
};

} // namespace

TEST_F(Reception, FirstReceptionAtLocation3SetsMask8TheMarkAndNewFlag)
{
    writeDatabase({beacon("XYZ", "300"), beacon("ABC", "338.5")});
    const QByteArray before = beaconAt(2).bytes();

    const ReceptionResult r = write(2, 3, dialog("ABC", "338.5", "1405", "20060408", "Loud", "CLE 12"));

    EXPECT_TRUE(r.firstAtLocation);
    EXPECT_EQ(r.loggedMask, 8u);
    EXPECT_EQ(r.logRecordNumber, 1);
    EXPECT_EQ(r.sessionRecordNumber, 1);
    EXPECT_FALSE(r.sessionRecordOverwritten);
    const BeaconRecord after = beaconAt(2);
    EXPECT_EQ(after.raw(BeaconField::LoggedMask), "8    ");
    EXPECT_EQ(after.raw(BeaconField::CLEMark), "z");
    // Only the mask and the mark change.
    EXPECT_EQ(after.bytes().first(206), before.first(206));
    EXPECT_EQ(after.raw(BeaconField::Spare), "s");
    EXPECT_EQ(logbook(3), QList<LogRecord>{LogRecord::make("ABC", "338.5", "1405", "20060408", "Loud")});
    EXPECT_EQ(sessionLog(), QList<CLERecord>{CLERecord::make("ABC", "NOR", "338.5", "1405", "20060408", "CLE 12", true)});
}

TEST_F(Reception, SecondReceptionKeepsTheMaskAppendsAndOverwritesTheSessionRecord)
{
    writeDatabase({beacon("ABC", "338")});
    write(1, 3, dialog("ABC", "338", "1405", "20060408", "first", "one"));

    const ReceptionResult r = write(1, 3, dialog("ABC", "338", "2210", "20060409", "second", "two"));

    EXPECT_FALSE(r.firstAtLocation);
    EXPECT_EQ(beaconAt(1).raw(BeaconField::LoggedMask), "8    ");
    EXPECT_EQ(r.logRecordNumber, 2);
    ASSERT_EQ(logbook(3).size(), 2);
    EXPECT_EQ(logbook(3)[1], LogRecord::make("ABC", "338", "2210", "20060409", "second"));
    EXPECT_TRUE(r.sessionRecordOverwritten);
    EXPECT_EQ(r.sessionRecordNumber, 1);
    EXPECT_EQ(sessionLog(), QList<CLERecord>{CLERecord::make("ABC", "NOR", "338", "2210", "20060409", "two", false)});
}

TEST_F(Reception, LaterReceptionAtAnotherLocationAddsItsBitAndIsNewThere)
{
    writeDatabase({beacon("ABC", "338")});
    write(1, 3, dialog("ABC", "338", "1405", "20060408"));

    const ReceptionResult r = write(1, 5, dialog("ABC", "338", "1500", "20060408"));

    EXPECT_TRUE(r.firstAtLocation);
    EXPECT_EQ(beaconAt(1).raw(BeaconField::LoggedMask), "40   ");
    ASSERT_EQ(sessionLog().size(), 1);
    EXPECT_EQ(sessionLog()[0].newFlag(), "1");
    EXPECT_EQ(logbook(5).size(), 1);
}

TEST_F(Reception, MaskTextKeepsEveryDigit)
{
    const struct {
        quint32 mask;
        int location;
        QByteArray stored;
        bool first;
    } cases[] = {
        {16383, 14, "32767", true},
        {0, 15, "32768", true},
        {32767, 15, "65535", true},
        {32768, 15, "32768", false},
        {5, 0, "5    ", false},
    };
    for (const auto &c : cases) {
        writeDatabase({beacon("ABC", "338", "NOR", c.mask)});
        const ReceptionResult r = write(1, c.location, dialog("ABC", "338", "1405", "20060408"));
        EXPECT_EQ(beaconAt(1).raw(BeaconField::LoggedMask), c.stored) << c.mask << " at " << c.location;
        EXPECT_EQ(r.firstAtLocation, c.first) << c.mask << " at " << c.location;
    }
}

TEST_F(Reception, LogbookRecordNumberFollowsTheFileLength)
{
    const struct {
        bool exists;
        qsizetype length;
        qint64 record;
    } cases[] = {
        {false, 0, 1},
        {true, 0, 1},
        {true, 830, 11},
    };
    for (const auto &c : cases) {
        QFile::remove(t.path("Logs/log0.dat"));
        if (c.exists)
            t.write("Logs/log0.dat", QByteArray(c.length, 'x'));
        writeDatabase({beacon("ABC", "338")});
        const ReceptionResult r = write(1, 0, dialog("ABC", "338", "1405", "20060408"));
        EXPECT_EQ(r.logRecordNumber, c.record) << c.length;
        EXPECT_EQ(t.read("Logs/log0.dat").size(), c.record * LogRecord::Length) << c.length;
    }
}

TEST_F(Reception, MissingOrEmptySessionLogReceivesRecord1)
{
    for (const bool exists : {false, true}) {
        QFile::remove(t.path("Logs/cle.dat"));
        if (exists)
            t.write("Logs/cle.dat", "");
        writeDatabase({beacon("ABC", "338")});
        const ReceptionResult r = write(1, 0, dialog("ABC", "338", "1405", "20060408"));
        EXPECT_EQ(r.sessionRecordNumber, 1) << exists;
        EXPECT_EQ(sessionLog().size(), 1) << exists;
    }
}

TEST_F(Reception, SessionLogWithoutTheBeaconGetsItAppended)
{
    QByteArray others;
    for (int i = 0; i < 10; ++i)
        others += CLERecord::make("X" + QByteArray::number(i), "NOR", "338", "1200", "20240101", "", true).bytes();
    t.write("Logs/cle.dat", others);
    writeDatabase({beacon("ABC", "338")});

    const ReceptionResult r = write(1, 0, dialog("ABC", "338", "1405", "20060408"));

    EXPECT_EQ(r.sessionRecordNumber, 11);
    EXPECT_EQ(t.read("Logs/cle.dat").first(others.size()), others);
    EXPECT_EQ(sessionLog()[10].ident(), "ABC");
}

TEST_F(Reception, SessionRecordDifferingOnlyInCaseOrBlanksIsOverwritten)
{
    const QByteArray other = CLERecord::make("XYZ", "NOR", "338", "1200", "20240101", "", true).bytes();
    const QByteArray mine = QByteArray(" abc nor338.5 ") + QByteArray(87 - 14, ' ');
    t.write("Logs/cle.dat", other + mine);
    writeDatabase({beacon("ABC", "338.5")});

    const ReceptionResult r = write(1, 0, dialog("ABC", "338.5", "1405", "20060408"));

    EXPECT_TRUE(r.sessionRecordOverwritten);
    EXPECT_EQ(r.sessionRecordNumber, 2);
    ASSERT_EQ(sessionLog().size(), 2);
    EXPECT_EQ(sessionLog()[0].bytes(), other);
    EXPECT_EQ(sessionLog()[1].ident(), "ABC");
    EXPECT_EQ(sessionLog()[1].time(), "1405");
}

TEST_F(Reception, DuplicateBeaconKeepsItsSuffixInTheSessionRecordOnly)
{
    writeDatabase({beacon("ABC", "338"), beacon("ABC;2", "338")});
    ClockTexts clock;
    clock.UTCTimeText = "14:05";
    clock.UTCDateText = "2006-04-08";

    // Quick Log: the beacon on display carries no suffix.
    write(2, 0, quickLogInput("ABC", "338", clock));
    // The dialog: the decoded ident with its suffix.
    write(2, 0, dialog("ABC;2", "338", "1500", "20060408"));

    ASSERT_EQ(logbook(0).size(), 2);
    EXPECT_EQ(logbook(0)[0].ident(), "ABC");
    EXPECT_EQ(logbook(0)[1].ident(), "ABC;2");
    ASSERT_EQ(sessionLog().size(), 1);
    EXPECT_EQ(sessionLog()[0].ident(), "ABC;2");
    EXPECT_EQ(sessionLog()[0].time(), "1500");
}

TEST_F(Reception, FiveLetterIdentWithSuffixFindsItsOwnSessionRecord)
{
    writeDatabase({beacon("ABCDE;2", "338")});
    write(1, 0, dialog("ABCDE;2", "338", "1405", "20060408"));

    const ReceptionResult r = write(1, 0, dialog("ABCDE;2", "338", "1500", "20060408"));

    EXPECT_TRUE(r.sessionRecordOverwritten);
    ASSERT_EQ(sessionLog().size(), 1);
    EXPECT_EQ(sessionLog()[0].ident(), "ABCDE");
    EXPECT_EQ(sessionLog()[0].time(), "1500");
}

TEST_F(Reception, LogbookTakesTheBoxesAsTheyStandAndTheSessionRecordTrimmed)
{
    writeDatabase({beacon("ABC", "338")});

    write(1, 0, dialog("ABC", "338", "930 ", " 20060408", "  weak", "  faint QSB  "));

    ASSERT_EQ(logbook(0).size(), 1);
    EXPECT_EQ(logbook(0)[0].raw(LogField::Time), "930 ");
    EXPECT_EQ(logbook(0)[0].raw(LogField::Date), " 2006040");
    EXPECT_EQ(logbook(0)[0].raw(LogField::Comments).first(7), "  weak ");
    ASSERT_EQ(sessionLog().size(), 1);
    EXPECT_EQ(sessionLog()[0].raw(CLEField::Time), "930 ");
    EXPECT_EQ(sessionLog()[0].raw(CLEField::Date), "20060408");
    EXPECT_EQ(sessionLog()[0].raw(CLEField::Comments).first(10), "faint QSB ");
}

TEST(QuickLogInput, TakesTheClockTextsAndBlankComments)
{
    ClockTexts clock;
    clock.UTCTimeText = "09:07";
    clock.UTCDateText = "2024-02-29";
    const ReceptionInput input = quickLogInput("NDB;3", "283.5", clock);
    EXPECT_EQ(input.ident, "NDB");
    EXPECT_EQ(input.frequency, "283.5");
    EXPECT_EQ(input.time, "0907");
    EXPECT_EQ(input.date, "20240229");
    EXPECT_EQ(input.receptionComments, "");
    EXPECT_EQ(input.sessionComments, "");
}

TEST_F(Reception, QuickLogEntryAndSessionRecordCarryTheSameTimeAndDate)
{
    writeDatabase({beacon("ABC", "338")});
    ClockTexts clock;
    clock.UTCTimeText = "23:59";
    clock.UTCDateText = "2023-12-31";

    write(1, 2, quickLogInput("ABC", "338", clock));

    EXPECT_EQ(logbook(2), QList<LogRecord>{LogRecord::make("ABC", "338", "2359", "20231231", "")});
    ASSERT_EQ(sessionLog().size(), 1);
    EXPECT_EQ(sessionLog()[0].time(), "2359");
    EXPECT_EQ(sessionLog()[0].date(), "20231231");
    EXPECT_EQ(sessionLog()[0].comments(), "");
}

TEST_F(Reception, BadBeaconOrLocationWritesNothing)
{
    const struct {
        qint64 record;
        int location;
    } cases[] = {
        {3, 0},  // past the end
        {0, 0},
        {-1, 0},
        {1, 16},
        {1, -1},
    };
    writeDatabase({beacon("ABC", "338"), beacon("XYZ", "400")});
    const QByteArray database = t.read("ndb.dat");
    for (const auto &c : cases) {
        const ReceptionResult r = writeReception(t.folder(), c.record, c.location, dialog("ABC", "338", "1405", "20060408"));
        EXPECT_TRUE(r.error.failed()) << c.record << " at " << c.location;
        EXPECT_EQ(t.read("ndb.dat"), database);
        EXPECT_FALSE(t.exists("Logs/log0.dat"));
        EXPECT_FALSE(t.exists("Logs/cle.dat"));
    }
}

TEST_F(Reception, MissingDatabaseIsError53AndNothingIsCreated)
{
    const ReceptionResult r = writeReception(t.folder(), 1, 0, dialog("ABC", "338", "1405", "20060408"));
    EXPECT_EQ(r.error.number, 53);
    EXPECT_FALSE(t.exists("ndb.dat"));
    EXPECT_FALSE(t.exists("Logs/log0.dat"));
    EXPECT_FALSE(t.exists("Logs/cle.dat"));
}

TEST_F(Reception, BeaconThatCannotBeDecodedIsRefusedBeforeAnyWrite)
{
    BeaconRecord damaged = beacon("ABC", "338");
    damaged.setRaw(BeaconField::Ident, QByteArray("C\x01", 2));
    writeDatabase({damaged});
    const QByteArray database = t.read("ndb.dat");

    const ReceptionResult r = writeReception(t.folder(), 1, 0, dialog("ABC", "338", "1405", "20060408"));

    EXPECT_TRUE(r.error.failed());
    EXPECT_EQ(t.read("ndb.dat"), database);
    EXPECT_FALSE(t.exists("Logs/log0.dat"));
}

TEST_F(Reception, FailedLogbookAppendWritesNothingElse)
{
    writeDatabase({beacon("ABC", "338")});
    const QByteArray database = t.read("ndb.dat");
    t.mkdir("Logs/log0.dat"); // cannot be opened as a file

    const ReceptionResult r = writeReception(t.folder(), 1, 0, dialog("ABC", "338", "1405", "20060408"));

    EXPECT_TRUE(r.error.failed());
    EXPECT_FALSE(r.error.messageText().isEmpty());
    EXPECT_EQ(t.read("ndb.dat"), database);
    EXPECT_FALSE(t.exists("Logs/cle.dat"));
}

TEST_F(Reception, FailedSessionWritePutsTheLogbookAndTheBeaconBack)
{
    const struct {
        const char *name;
        QByteArray logbook; // "" = no logbook before
    } cases[] = {
        {"no logbook", {}},
        {"whole records", LogRecord::make("XYZ", "400", "1200", "20240101", "").bytes()},
        // 830 + 30 bytes count 10 records: the append overwrites the short tail.
        {"short tail", QByteArray(830, 'a') + QByteArray(30, 'b')},
    };
    for (const auto &c : cases) {
        TestFolder f;
        f.mkdir("Logs");
        f.write("ndb.dat", beacon("ABC", "338").bytes());
        if (!c.logbook.isNull())
            f.write("Logs/log0.dat", c.logbook);
        f.mkdir("Logs/cle.dat");
        const QByteArray database = f.read("ndb.dat");

        const ReceptionResult r = writeReception(f.folder(), 1, 0, dialog("ABC", "338", "1405", "20060408"));

        EXPECT_TRUE(r.error.failed()) << c.name;
        EXPECT_TRUE(r.undone) << c.name;
        EXPECT_EQ(f.read("ndb.dat"), database) << c.name;
        EXPECT_EQ(f.exists("Logs/log0.dat"), !c.logbook.isNull()) << c.name;
        EXPECT_EQ(f.read("Logs/log0.dat"), c.logbook) << c.name;
    }
}
