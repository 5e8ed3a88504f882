#include "tracklog/time_values.h"

#include "tracklog/text_writer.h"

namespace vantora {

namespace {

// The proleptic Gregorian calendar as plain arithmetic: days since
// 1970-01-01 of a date, and back (the well-known civil-from-days method,
// eras of 400 years). No time zone and no daylight saving enter: the
// camera's UTC offset alone joins photo and track, so a PC in Berlin or New
// York gives what a PC in Japan gives. Day 31 of a short month counts on
// into the next, as a calendar conversion would.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

struct CivilDate {
    std::int64_t year;
    int month;
    int day;
};

CivilDate civilFromDays(std::int64_t days)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2), month, day};
}

// The years an instant may fall in: from the first the fields allow to the
// last a four-digit Exif text can hold.
constexpr int kFirstYear = 1900;
constexpr int kLastYear = 9999;

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

bool hasValidFields(const ExifDateTime& t)
{
    return t.year >= 1900 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 &&
           t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute < 60 && t.second >= 0 &&
           t.second < 60;
}

std::optional<TimeValue> toTimeValue(const ExifDateTime& t)
{
    if (!hasValidFields(t) || t.year > kLastYear)
        return std::nullopt;
    const std::int64_t days = daysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day));
    return days * 86400 + (static_cast<std::int64_t>(t.hour) * 60 + t.minute) * 60 + t.second;
}

std::optional<ExifDateTime> fromTimeValue(TimeValue value)
{
    const std::int64_t days = floorDiv(value, 86400);
    const std::int64_t secondOfDay = value - days * 86400;
    const CivilDate date = civilFromDays(days);
    if (date.year < kFirstYear || date.year > kLastYear)
        return std::nullopt;
    ExifDateTime t;
    t.year = static_cast<int>(date.year);
    t.month = date.month;
    t.day = date.day;
    t.hour = static_cast<int>(secondOfDay / 3600);
    t.minute = static_cast<int>(secondOfDay / 60 % 60);
    t.second = static_cast<int>(secondOfDay % 60);
    writeTrackDateTimeText(t);
    return t;
}

std::int64_t seconds(const UtcOffset& offset)
{
    return (static_cast<std::int64_t>(offset.hours) * 60 + offset.minutes) * 60;
}

std::optional<TimeValue> toLocalTimeValue(const ExifDateTime& utc, const UtcOffset& offset)
{
    const auto value = toTimeValue(utc);
    if (!value)
        return std::nullopt;
    return offset.east ? *value + seconds(offset) : *value - seconds(offset);
}

std::wstring formatLocalDateTime(const ExifDateTime& utc, const UtcOffset& offset)
{
    const auto local = toLocalTimeValue(utc, offset);
    const auto t = local ? fromTimeValue(*local) : std::nullopt;
    if (!t)
        return {};
    char text[64];
    TextWriter(text)
        .number(t->year, 2).text("/")
        .number(t->month, 2).text("/")
        .number(t->day, 2).text(" ")
        .number(t->hour, 2).text(":")
        .number(t->minute, 2).text(":")
        .number(t->second, 2);
    return widenAscii(text);
}

void writeDateTimeText(char* text, std::size_t size, const ExifDateTime& t, char dateSeparator)
{
    const std::string_view separator(&dateSeparator, 1);
    TextWriter(text, size)
        .number(t.year).text(separator)
        .number(t.month, 2).text(separator)
        .number(t.day, 2).text(" ")
        .number(t.hour, 2).text(":")
        .number(t.minute, 2).text(":")
        .number(t.second, 2);
}

void writeTrackDateTimeText(ExifDateTime& t)
{
    writeDateTimeText(t.dateTimeText, sizeof t.dateTimeText, t, '/');
}

}  // namespace vantora
