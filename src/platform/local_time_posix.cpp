#include "platform/local_time.h"

#include <cstdlib>
#include <ctime>

namespace vantora::platform {

static_assert(sizeof(std::time_t) == 8, "instants need a 64-bit time_t");

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
    const std::time_t value = std::mktime(&tm);
    if (value == static_cast<std::time_t>(-1))
        return std::nullopt;
    return static_cast<std::int64_t>(value);
}

std::optional<CalendarFields> breakDownLocalTime(std::int64_t value)
{
    const std::time_t t = static_cast<std::time_t>(value);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr)
        return std::nullopt;
    return CalendarFields{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                          tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

void pinLocalTimeZone()
{
    if (std::getenv("TZ") == nullptr) {
        setenv("TZ", ":/etc/localtime", 0);
        tzset();
    }
}

}  // namespace vantora::platform
