#pragma once
// Instants and the user's time zone. Track logs hold UTC, photos hold the
// camera's local time; both are compared only as 64-bit second counts of
// plain calendar arithmetic (seconds since 1970-01-01 00:00:00 of the same
// calendar, never the PC's zone or its daylight saving), and the UtcOffset
// alone joins the two.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vantora {

// A calendar date-time: six numbers that every comparison and shift uses,
// and a display text that is only shown.
struct ExifDateTime {
    char dateTimeText[20] = {};
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::int32_t second = 0;
};

// The time zone the camera's clock runs in.
struct UtcOffset {
    std::int32_t east = 1;  // nonzero: local = UTC + offset; zero: local = UTC - offset
    std::int32_t hours = 9;  // 0-13
    std::int32_t minutes = 0;
};

using TimeValue = std::int64_t;

// True when every field lies in its range (year from 1900, no leap second).
// Day 31 of a 30-day month passes: the calendar conversion rolls it over.
bool hasValidFields(const ExifDateTime& dateTime);

// The six fields as a second count. Empty when the fields fail the range
// test or the year is past 9999; instants are only ever compared when both
// conversions succeeded.
std::optional<TimeValue> toTimeValue(const ExifDateTime& dateTime);

// The inverse breakdown (empty outside the years 1900 to 9999); the text is
// written in the track form "2008/05/01 03:04:05".
std::optional<ExifDateTime> fromTimeValue(TimeValue value);

std::int64_t seconds(const UtcOffset& offset);

// The instant of a UTC date-time on the camera's clock.
std::optional<TimeValue> toLocalTimeValue(const ExifDateTime& utc, const UtcOffset& offset);

// "2009/01/01 08:30:00": a UTC date-time as the camera's clock shows it.
// Empty when the instant cannot be converted.
std::wstring formatLocalDateTime(const ExifDateTime& utc, const UtcOffset& offset);

// "%d/%02d/%02d %02d:%02d:%02d" of the six fields, with the given date
// separator ('/' for display, ':' for the Exif DateTimeOriginal text),
// bounded by the buffer's size.
void writeDateTimeText(char* text, std::size_t size, const ExifDateTime& dateTime,
                       char dateSeparator);

// Writes the track form "2008/05/01 03:04:05" of the six fields into the
// date-time's own text.
void writeTrackDateTimeText(ExifDateTime& dateTime);

}  // namespace vantora
