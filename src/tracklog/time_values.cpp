#include "tracklog/time_values.h"

#include "platform/local_time.h"
#include "tracklog/text_writer.h"

namespace vantora {

bool hasValidFields(const ExifDateTime& t)
{
    return t.year >= 1900 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 &&
           t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute < 60 && t.second >= 0 &&
           t.second < 60;
}

std::optional<TimeValue> toTimeValue(const ExifDateTime& t)
{
    if (!hasValidFields(t))
        return std::nullopt;
    return platform::makeLocalTime({t.year, t.month, t.day, t.hour, t.minute, t.second});
}

std::optional<ExifDateTime> fromTimeValue(TimeValue value)
{
    const auto fields = platform::breakDownLocalTime(value);
    if (!fields)
        return std::nullopt;
    ExifDateTime t;
    t.year = fields->year;
    t.month = fields->month;
    t.day = fields->day;
    t.hour = fields->hour;
    t.minute = fields->minute;
    t.second = fields->second;
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
