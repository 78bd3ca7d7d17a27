#pragma once
// The clock texts shown and stored with receptions, the typed-date check and the
// small name helpers.

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

namespace qern {

struct SharedState;

struct ClockTexts {
    double offsetHours = 0;   // hours to add to local time to get UTC (5 for UTC-5)
    QByteArray UTCOffsetText; // local minus UTC in hours: "-5", "5.5", "0"
    QByteArray UTCTimeText;   // "hh:mm", 24-hour
    QByteArray UTCDateText;   // "yyyy-MM-dd"
    QByteArray LocalTimeText; // "hh:mm AM" / "hh:mm PM", 12-hour
    QByteArray LocalDateText; // "yyyy-MM-dd"
};

// Callers pass Clock::now(); the zone's offset at that moment, daylight time included.
ClockTexts GetUTCOffset(const QDateTime &now);
// GetUTCOffset at Clock::now(), its texts kept in the shared clock texts
// (UTCOffsetText to LocalDateText).
ClockTexts RefreshClockTexts(SharedState &state);

// Number of rules a typed "yyyymmdd" date breaks; 0 = valid.
int CheckDate(QByteArrayView date);

// A time a reception may store: four digits "hhmm", hours 00 to 23, minutes 00 to 59.
bool isStorableTime(QByteArrayView time);

// "Logs/log12.dat", relative to the program folder.
QString MakeLogFileName(int locationIndex);

// Removes the duplicate marker: the last ";" and the digits after it ("ABC;2" -> "ABC").
QByteArray StripSemicolonSuffix(QByteArrayView ident);
// The same as a view into ident.
QByteArrayView withoutSemicolonSuffix(QByteArrayView ident);

} // namespace qern
