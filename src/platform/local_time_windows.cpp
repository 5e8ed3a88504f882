#include "platform/local_time.h"

#include <ctime>
#include <time.h>

namespace vantora::platform {

std::optional<std::int64_t> makeLocalTime(const CalendarFields& fields)
{
    std::tm tm{};
    tm.tm_year = fields.year - 1900;
    tm.tm_mon = fields.month - 1;
    tm.tm_mday = fields.day;
    tm.tm_hour = fields.hour;
    tm.tm_min = fields.minute;
    tm.tm_sec = fields.second;
    tm.tm_isdst = -1;
    const __time64_t value = _mktime64(&tm);
    if (value == -1)
        return std::nullopt;
    return static_cast<std::int64_t>(value);
}

std::optional<CalendarFields> breakDownLocalTime(std::int64_t value)
{
    const __time64_t t = static_cast<__time64_t>(value);
    std::tm tm{};
    if (_localtime64_s(&tm, &t) != 0)
        return std::nullopt;
    return CalendarFields{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                          tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

void pinLocalTimeZone()
{
}

}  // namespace vantora::platform
