#pragma once
// The local calendar conversion of the operating system. Track and photo
// instants are both taken through it, so that shifting by a time-zone offset
// is plain calendar arithmetic wherever the platform has no daylight saving.

#include <cstdint>
#include <optional>

namespace vantora::platform {

struct CalendarFields {
    int year = 0;   // full year, e.g. 2008
    int month = 0;  // 1-12
    int day = 0;    // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The fields as local time, daylight saving decided by the platform (the
// 64-bit mktime with the daylight flag -1). Empty when the platform cannot
// represent the instant or reports -1.
std::optional<std::int64_t> makeLocalTime(const CalendarFields& fields);

// The inverse: the platform's 64-bit local-time breakdown.
std::optional<CalendarFields> breakDownLocalTime(std::int64_t value);

// Called once at the start of a program: settles which zone "local" means
// for the whole run. On Linux, without TZ the C library looks at
// /etc/localtime again on every conversion, which makes a day's log many
// times slower to read; naming that same file once keeps the zone and drops
// the repeated look-ups. Nothing to do on Windows.
void pinLocalTimeZone();

}  // namespace vantora::platform
