#pragma once
// "Now" for the whole program, replaceable so that tests fix the moment and the zone.

#include <QDateTime>

#include <functional>

namespace qern {

class Clock {
public:
    // The present local date and time, carrying the zone's offset from UTC.
    static QDateTime now();

    // Tests install a fixed or scripted source; an empty function restores the system clock.
    static void setSource(std::function<QDateTime()> source);
};

// Installs a clock source for one scope and restores the system clock after it.
class ScopedClock {
public:
    explicit ScopedClock(QDateTime fixed) { Clock::setSource([fixed] { return fixed; }); }
    explicit ScopedClock(std::function<QDateTime()> source) { Clock::setSource(std::move(source)); }
    ~ScopedClock() { Clock::setSource({}); }
    ScopedClock(const ScopedClock &) = delete;
    ScopedClock &operator=(const ScopedClock &) = delete;
};

} // namespace qern
