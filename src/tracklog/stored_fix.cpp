#include "tracklog/stored_fix.h"

#include <cstring>
#include <initializer_list>

#include "tracklog/text_writer.h"

namespace vantora {

namespace {

struct AxisView {
    const char* text;
    std::size_t textSize;
    const char* ref;
    const Rational* values;
};

AxisView viewOf(const TrackPoint& p, Axis axis)
{
    if (axis == Axis::latitude)
        return {p.latitudeText, sizeof p.latitudeText, p.latitudeRef, p.latitude};
    return {p.longitudeText, sizeof p.longitudeText, p.longitudeRef, p.longitude};
}

bool sameBytes(const void* a, const void* b, std::size_t size)
{
    return std::memcmp(a, b, size) == 0;
}

char positiveLetter(Axis axis)
{
    return axis == Axis::latitude ? 'N' : 'E';
}

void restoreAxis(TrackPoint& point, Axis axis, const StoredAxis& stored)
{
    if (stored.letter == '\0')
        return;  // never logged: the point keeps its empty fields
    const bool positive = stored.letter == positiveLetter(axis);
    char* text = axis == Axis::latitude ? point.latitudeText : point.longitudeText;
    char* ref = axis == Axis::latitude ? point.latitudeRef : point.longitudeRef;
    Rational* values = axis == Axis::latitude ? point.latitude : point.longitude;
    values[0] = {stored.degrees, 1};
    values[1] = {stored.minutes, 1};
    values[2] = {stored.tenths, 10};
    writeAxisText(text, axis == Axis::latitude ? sizeof point.latitudeText : sizeof point.longitudeText,
                  axis, positive, stored.degrees, stored.minutes, stored.shownTenths / 10.0);
    ref[0] = stored.letter;
}

// The axis in its stored form, when its text and rationals come back exactly.
std::optional<StoredAxis> storeAxis(const TrackPoint& point, Axis axis)
{
    const AxisView view = viewOf(point, axis);
    StoredAxis stored;
    stored.letter = view.ref[0];
    if (stored.letter == '\0')
        return stored;
    const Rational* v = view.values;
    if (v[0].denominator != 1 || v[1].denominator != 1 || v[2].denominator != 10 ||
        v[0].numerator > 0xFFFF || v[1].numerator > 0xFF || v[2].numerator > 0xFFFF)
        return std::nullopt;
    stored.degrees = static_cast<std::uint16_t>(v[0].numerator);
    stored.minutes = static_cast<std::uint8_t>(v[1].numerator);
    stored.tenths = static_cast<std::uint16_t>(v[2].numerator);
    // The text rounds the seconds as logged; the rational rounds half-up.
    // They differ by a tenth at most.
    for (const int delta : {0, -1, 1}) {
        const int shown = stored.tenths + delta;
        if (shown < 0 || shown > 0xFFFF)
            continue;
        stored.shownTenths = static_cast<std::uint16_t>(shown);
        TrackPoint trial;
        restoreAxis(trial, axis, stored);
        const AxisView back = viewOf(trial, axis);
        if (sameBytes(back.text, view.text, view.textSize) && sameBytes(back.ref, view.ref, 2))
            return stored;
    }
    return std::nullopt;
}

int daysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool sameDateTime(const ExifDateTime& a, const ExifDateTime& b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second &&
           sameBytes(a.dateTimeText, b.dateTimeText, sizeof a.dateTimeText);
}

}  // namespace

bool samePoint(const TrackPoint& a, const TrackPoint& b)
{
    const auto sameAxis = [&](Axis axis) {
        const AxisView x = viewOf(a, axis);
        const AxisView y = viewOf(b, axis);
        return sameBytes(x.text, y.text, x.textSize) && sameBytes(x.ref, y.ref, 2) &&
               sameBytes(x.values, y.values, 3 * sizeof(Rational));
    };
    return sameDateTime(a.time, b.time) && sameAxis(Axis::latitude) && sameAxis(Axis::longitude) &&
           sameBytes(a.timeText, b.timeText, sizeof a.timeText) &&
           sameBytes(a.status, b.status, sizeof a.status);
}

std::optional<TrackPoint> restoreFix(const StoredFix& fix, TimeValue instant)
{
    auto time = fromTimeValue(instant);
    if (!time)
        return std::nullopt;
    TrackPoint point;
    point.time = *time;
    if (fix.dayPastMonthEnd && time->month > 1) {
        // Back to the day as logged: the month before, past its end.
        point.time.month = time->month - 1;
        point.time.day = daysInMonth(time->year, point.time.month) + time->day;
        writeTrackDateTimeText(point.time);
    }
    TextWriter(point.timeText)
        .number(point.time.hour, 2).text(":").number(point.time.minute, 2).text(":")
        .number(point.time.second, 2);
    restoreAxis(point, Axis::latitude, fix.latitude);
    restoreAxis(point, Axis::longitude, fix.longitude);
    point.status[0] = fix.status;
    return point;
}

std::optional<StoredFix> storeFix(const TrackPoint& point, TimeValue instant)
{
    const auto latitude = storeAxis(point, Axis::latitude);
    const auto longitude = storeAxis(point, Axis::longitude);
    if (!latitude || !longitude || point.status[1] != '\0')
        return std::nullopt;
    StoredFix fix{*latitude, *longitude, point.status[0], false};
    const auto counted = fromTimeValue(instant);
    fix.dayPastMonthEnd = counted && counted->day != point.time.day;
    const auto back = restoreFix(fix, instant);
    if (!back || !samePoint(*back, point))
        return std::nullopt;
    return fix;
}

}  // namespace vantora
