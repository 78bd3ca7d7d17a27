#include "ClockTexts.h"

#include <algorithm>
#include <cmath>

#include "Clock.h"
#include "NumberText.h"
#include "SharedState.h"
#include "Text.h"

namespace qern {

namespace {

QByteArray twoDigits(int value)
{
    return QByteArray::number(value).rightJustified(2, '0');
}

QByteArray dateText(const QDate &date)
{
    return QByteArray::number(date.year()).rightJustified(4, '0') + '-' + twoDigits(date.month())
           + '-' + twoDigits(date.day());
}

QByteArray time24Text(const QTime &time)
{
    return twoDigits(time.hour()) + ':' + twoDigits(time.minute());
}

QByteArray time12Text(const QTime &time)
{
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return twoDigits(hour12) + ':' + twoDigits(time.minute()) + (time.hour() < 12 ? " AM" : " PM");
}

bool isLeapYear(double year)
{
    return std::fmod(year, 4) == 0 && (std::fmod(year, 100) != 0 || std::fmod(year, 400) == 0);
}

// 0 for a month that is not 1 to 12: such a date already counts its month error.
int daysInMonth(double month, double year)
{
    if (month != std::floor(month))
        return 0;
    switch (static_cast<int>(std::clamp(month, -1.0, 13.0))) {
    case 1: case 3: case 5: case 7: case 8: case 10: case 12:
        return 31;
    case 4: case 6: case 9: case 11:
        return 30;
    case 2:
        return isLeapYear(year) ? 29 : 28;
    default:
        return 0;
    }
}

} // namespace

ClockTexts GetUTCOffset(const QDateTime &now)
{
    ClockTexts texts;
    // The zone's bias in whole minutes, as the system reports it: UTC = local + bias.
    const int biasMinutes = -static_cast<int>(std::lround(now.offsetFromUtc() / 60.0));
    const float hours = static_cast<float>(biasMinutes) / 60.0f;
    texts.offsetHours = hours;
    texts.UTCOffsetText = decimalText(-static_cast<double>(hours));

    const QDateTime localWallClock(now.date(), now.time(), Qt::UTC);
    const QDateTime utc = localWallClock.addSecs(static_cast<qint64>(biasMinutes) * 60);
    texts.UTCTimeText = time24Text(utc.time());
    texts.UTCDateText = dateText(utc.date());
    texts.LocalDateText = dateText(now.date());
    texts.LocalTimeText = time12Text(now.time());
    return texts;
}

ClockTexts RefreshClockTexts(SharedState &state)
{
    const ClockTexts clock = GetUTCOffset(Clock::now());
    state.UTCOffsetText = clock.UTCOffsetText;
    state.UTCTimeText = clock.UTCTimeText;
    state.UTCDateText = clock.UTCDateText;
    state.LocalTimeText = clock.LocalTimeText;
    state.LocalDateText = clock.LocalDateText;
    return clock;
}

int CheckDate(QByteArrayView date)
{
    int errors = 0;
    if (date.size() != 8)
        ++errors;
    for (const char c : date) {
        if (c < '0' || c > '9') {
            ++errors;
            break;
        }
    }
    const double year = numericValue(characters(date, 1, 4));
    const double month = numericValue(characters(date, 5, 2));
    const double day = numericValue(date.size() >= 2 ? date.last(2) : date);
    if (year < 1950)
        ++errors;
    if (month <= 0)
        ++errors;
    if (month > 12)
        ++errors;
    const int monthLength = daysInMonth(month, year);
    if (monthLength > 0 && day > monthLength)
        ++errors;
    if (day < 1)
        ++errors;
    return errors;
}

bool isStorableTime(QByteArrayView time)
{
    if (time.size() != 4)
        return false;
    for (const char c : time) {
        if (c < '0' || c > '9')
            return false;
    }
    return numericValue(time.first(2)) <= 23 && numericValue(time.last(2)) <= 59;
}

QString MakeLogFileName(int locationIndex)
{
    return QStringLiteral("Logs/log") + QString::number(locationIndex) + QStringLiteral(".dat");
}

QByteArrayView withoutSemicolonSuffix(QByteArrayView ident)
{
    // From the end: digits, then the semicolon (idents are a few characters long).
    qsizetype at = ident.size();
    while (at > 0 && ident[at - 1] >= '0' && ident[at - 1] <= '9')
        --at;
    return at > 0 && ident[at - 1] == ';' ? ident.first(at - 1) : ident;
}

QByteArray StripSemicolonSuffix(QByteArrayView ident)
{
    return withoutSemicolonSuffix(ident).toByteArray();
}

} // namespace qern
