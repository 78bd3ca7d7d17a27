#include <gtest/gtest.h>

#include <QTimeZone>

#include <ctime>

#include "Clock.h"
#include "ClockTexts.h"

using namespace qern;

namespace {

struct ClockCase {
    QDateTime now;
    double offsetHours;
    const char *offsetText, *utcTime, *utcDate, *localTime, *localDate;
};

// Sets TZ for the process and restores it afterwards.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char *zone) : m_had(qEnvironmentVariableIsSet("TZ")), m_old(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    bool m_had;
    QByteArray m_old;
};

} // namespace

TEST(GetUTCOffset, TextsFollowTheOffsetOfTheMoment)
{
    const QTimeZone kolkata("Asia/Kolkata");
    const QTimeZone newYork("America/New_York");
    const QTimeZone minusFive(-5 * 3600);
    ASSERT_TRUE(kolkata.isValid());
    ASSERT_TRUE(newYork.isValid());
    const ClockCase cases[] = {
        // Half an hour east of Greenwich.
        {QDateTime(QDate(2024, 3, 10), QTime(15, 45), kolkata), -5.5, "5.5", "10:15", "2024-03-10", "03:45 PM",
         "2024-03-10"},
        {QDateTime(QDate(2024, 3, 10), QTime(2, 0), kolkata), -5.5, "5.5", "20:30", "2024-03-09", "02:00 AM",
         "2024-03-10"},
        // Five hours west.
        {QDateTime(QDate(2024, 1, 1), QTime(0, 5), minusFive), 5, "-5", "05:05", "2024-01-01", "12:05 AM",
         "2024-01-01"},
        {QDateTime(QDate(2023, 12, 31), QTime(21, 30), minusFive), 5, "-5", "02:30", "2024-01-01", "09:30 PM",
         "2023-12-31"},
        {QDateTime(QDate(2024, 2, 29), QTime(12, 0), minusFive), 5, "-5", "17:00", "2024-02-29", "12:00 PM",
         "2024-02-29"},
        // UTC itself, and daylight time.
        {QDateTime(QDate(2024, 6, 1), QTime(23, 59), Qt::UTC), 0, "0", "23:59", "2024-06-01", "11:59 PM",
         "2024-06-01"},
        {QDateTime(QDate(2024, 7, 4), QTime(13, 0), newYork), 4, "-4", "17:00", "2024-07-04", "01:00 PM",
         "2024-07-04"},
        {QDateTime(QDate(2024, 1, 4), QTime(13, 0), newYork), 5, "-5", "18:00", "2024-01-04", "01:00 PM",
         "2024-01-04"},
    };
    for (const ClockCase &c : cases) {
        SCOPED_TRACE(c.now.toString(Qt::ISODate).toStdString());
        const ClockTexts texts = GetUTCOffset(c.now);
        EXPECT_DOUBLE_EQ(texts.offsetHours, c.offsetHours);
        EXPECT_EQ(texts.UTCOffsetText, c.offsetText);
        EXPECT_EQ(texts.UTCTimeText, c.utcTime);
        EXPECT_EQ(texts.UTCDateText, c.utcDate);
        EXPECT_EQ(texts.LocalTimeText, c.localTime);
        EXPECT_EQ(texts.LocalDateText, c.localDate);
    }
}

TEST(GetUTCOffset, FollowsTheTZEnvironmentThroughTheClock)
{
    // UTC+5:30, and UTC-5 without daylight time.
    const struct { const char *zone; double offsetHours; const char *offsetText; } cases[] = {
        {"Asia/Kolkata", -5.5, "5.5"}, {"EST5", 5, "-5"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.zone);
        const ScopedTimeZone zone(c.zone);
        const ClockTexts texts = GetUTCOffset(Clock::now());
        EXPECT_DOUBLE_EQ(texts.offsetHours, c.offsetHours);
        EXPECT_EQ(texts.UTCOffsetText, c.offsetText);
        const QDateTime utcNow = QDateTime::currentDateTimeUtc();
        // The minute may turn between the two readings.
        const QByteArray now = utcNow.toString(QStringLiteral("HH:mm")).toLatin1();
        const QByteArray before = utcNow.addSecs(-60).toString(QStringLiteral("HH:mm")).toLatin1();
        EXPECT_TRUE(texts.UTCTimeText == now || texts.UTCTimeText == before) << texts.UTCTimeText.constData();
    }
}

TEST(CheckDate, CountsTheRulesADateBreaks)
{
    const struct { const char *date; int errors; } cases[] = {
        {"20061231", 0}, {"20060229", 1}, // not a leap year
        {"20040229", 0}, {"20040230", 1}, {"20000229", 0}, // divisible by 400
        {"21000229", 1},                                     // divisible by 100 only
        {"20061131", 1}, {"20060431", 1}, {"20060430", 0}, {"19491231", 1}, // the year
        {"19500101", 0}, {"2006131", 2},                                     // the length and the month
        {"20061301", 1}, {"20060001", 1}, {"200601", 1}, // the length; the day is read from the month's digits
        {"20060100", 1},                                 // no day 00
        {"", 4},                                         // length, year, month and day
        {"2006-1-1", 3}, // a character that is no digit, the month and the day
        {"2006 101", 1}, {"abcdefgh", 4}, {"200601011", 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CheckDate(c.date), c.errors) << '"' << c.date << '"';
}

TEST(MakeLogFileName, NamesTheLogbookOfALocation)
{
    EXPECT_EQ(MakeLogFileName(12), QStringLiteral("Logs/log12.dat"));
    EXPECT_EQ(MakeLogFileName(0), QStringLiteral("Logs/log0.dat"));
    EXPECT_EQ(MakeLogFileName(15), QStringLiteral("Logs/log15.dat"));
}

TEST(StripSemicolonSuffix, RemovesTheDuplicateMarker)
{
    const struct { const char *ident, *stripped; } cases[] = {
        {"NDB;2", "NDB"}, {"AB;12", "AB"}, {";", ""}, {"AB;", "AB"}, {"ABC", "ABC"},
        {"", ""}, {"A;B;3", "A;B"}, {"AB;X", "AB;X"}, {"AB;1X", "AB;1X"}, {"A;2;B", "A;2;B"}, {"12", "12"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(StripSemicolonSuffix(c.ident), QByteArray(c.stripped)) << c.ident;
}
