#include "tracklog/gpx_time.h"

#include <cstddef>

namespace vantora {

namespace {

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimXmlSpace(std::string_view text)
{
    while (!text.empty() && isXmlSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isXmlSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// Reads exactly `count` digits at the front of `text`, consuming them.
std::optional<int> takeDigits(std::string_view& text, std::size_t count)
{
    if (text.size() < count)
        return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    text.remove_prefix(count);
    return value;
}

bool takeChar(std::string_view& text, char expected)
{
    if (text.empty() || text.front() != expected)
        return false;
    text.remove_prefix(1);
    return true;
}

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// "YYYY-MM-DDThh:mm:ss" into the six fields, checked against the calendar.
std::optional<ExifDateTime> takeLocalFields(std::string_view& text)
{
    ExifDateTime t;
    const auto year = takeDigits(text, 4);
    if (!year || !takeChar(text, '-'))
        return std::nullopt;
    const auto month = takeDigits(text, 2);
    if (!month || !takeChar(text, '-'))
        return std::nullopt;
    const auto day = takeDigits(text, 2);
    if (!day || !takeChar(text, 'T'))
        return std::nullopt;
    const auto hour = takeDigits(text, 2);
    if (!hour || !takeChar(text, ':'))
        return std::nullopt;
    const auto minute = takeDigits(text, 2);
    if (!minute || !takeChar(text, ':'))
        return std::nullopt;
    const auto second = takeDigits(text, 2);
    if (!second)
        return std::nullopt;
    if (*month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month) ||
        *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    t.year = *year;
    t.month = *month;
    t.day = *day;
    t.hour = *hour;
    t.minute = *minute;
    t.second = *second;
    return t;
}

// ".ddd..." of any length; the digits are only checked, never kept.
bool skipFraction(std::string_view& text)
{
    if (!takeChar(text, '.'))
        return true;
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    text.remove_prefix(digits);
    return digits > 0;
}

// The zone's offset east of UTC in seconds: "Z", "+hh:mm", "-hh:mm" or none.
std::optional<long long> takeZoneSeconds(std::string_view& text)
{
    if (text.empty())
        return 0;
    if (takeChar(text, 'Z'))
        return 0;
    const char sign = text.front();
    if (sign != '+' && sign != '-')
        return std::nullopt;
    text.remove_prefix(1);
    const auto hours = takeDigits(text, 2);
    if (!hours || !takeChar(text, ':'))
        return std::nullopt;
    const auto minutes = takeDigits(text, 2);
    if (!minutes || *minutes > 59 || *hours * 60 + *minutes > 14 * 60)
        return std::nullopt;
    const long long offset = (*hours * 60LL + *minutes) * 60;
    return sign == '+' ? offset : -offset;
}

}  // namespace

std::optional<GpxInstant> parseGpxTime(std::string_view text)
{
    text = trimXmlSpace(text);
    const auto local = takeLocalFields(text);
    if (!local || !skipFraction(text))
        return std::nullopt;
    const auto zone = takeZoneSeconds(text);
    if (!zone || !text.empty())
        return std::nullopt;
    const auto localValue = toTimeValue(*local);
    if (!localValue)
        return std::nullopt;
    const TimeValue utcValue = *localValue - *zone;
    const auto utc = fromTimeValue(utcValue);
    if (!utc)
        return std::nullopt;
    return GpxInstant{*utc, utcValue};
}

}  // namespace vantora
