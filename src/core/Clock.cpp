#include "Clock.h"

#include <QTimeZone>

namespace qern {

namespace {
std::function<QDateTime()> &source()
{
    static std::function<QDateTime()> s;
    return s;
}
} // namespace

QDateTime Clock::now()
{
    if (source())
        return source()();
    // The system zone at this moment (honours TZ, daylight time included).
    return QDateTime::currentDateTime().toTimeZone(QTimeZone::systemTimeZone());
}

void Clock::setSource(std::function<QDateTime()> s)
{
    source() = std::move(s);
}

} // namespace qern
