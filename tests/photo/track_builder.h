#pragma once
// Builds logs, log lists and photos for the matching tests and benchmark
// directly from instants and positions, as the log reader would leave them:
// each fix's instant is toTimeValue of its own date-time fields.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "photo/photo_record.h"
#include "photo/position_fields.h"
#include "tracklog/log_list.h"
#include "tracklog/text_writer.h"
#include "tracklog/time_values.h"

namespace vantora::test {

// Degrees, minutes and tenths of seconds as tenths of an arc second;
// negate the result for south or west.
constexpr std::int64_t dms(std::int64_t degrees, std::int64_t minutes, std::int64_t tenths)
{
    return degrees * 36000 + minutes * 600 + tenths;
}

inline ExifDateTime dateTime(int year, int month, int day, int hour, int minute, int second)
{
    ExifDateTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    writeTrackDateTimeText(t);
    return t;
}

// A fix at the given UTC date-time, as the reader makes it.
inline TrackPoint trackPoint(const ExifDateTime& utc, std::int64_t latitude,
                             std::int64_t longitude, const char* status = "A")
{
    TrackPoint point;
    point.time = utc;
    setPositionTenths(point, Axis::latitude, latitude);
    setPositionTenths(point, Axis::longitude, longitude);
    TextWriter(point.timeText)
        .number(utc.hour, 2).text(":")
        .number(utc.minute, 2).text(":")
        .number(utc.second, 2);
    TextWriter(point.status).text(status);
    return point;
}

// A photo's match copied from such a fix: it stands for the fix's instant.
inline TrackMatch fixMatch(const ExifDateTime& utc, std::int64_t latitude, std::int64_t longitude,
                           const char* status = "A")
{
    return {trackPoint(utc, latitude, longitude, status), toTimeValue(utc).value()};
}

class LogBuilder {
public:
    explicit LogBuilder(std::filesystem::path path) : record_(std::make_unique<LogFileRecord>())
    {
        record_->path = std::move(path);
    }

    LogBuilder& fix(const ExifDateTime& utc, std::int64_t latitude, std::int64_t longitude,
                    const char* status = "A")
    {
        record_->appendPoint(trackPoint(utc, latitude, longitude, status),
                             toTimeValue(utc).value());
        return *this;
    }

    // A fix at an instant of the local calendar (the test's time zone).
    LogBuilder& fixAt(TimeValue instant, std::int64_t latitude, std::int64_t longitude,
                      const char* status = "A")
    {
        return fix(fromTimeValue(instant).value(), latitude, longitude, status);
    }

    std::unique_ptr<LogFileRecord> build() { return std::move(record_); }

private:
    std::unique_ptr<LogFileRecord> record_;
};

inline PhotoRecord photoTakenAt(const ExifDateTime& local,
                                std::filesystem::path name = "photo.jpg")
{
    PhotoRecord record;
    record.exif.path = std::move(name);
    record.exif.shootingTime = local;
    return record;
}

inline PhotoRecord photoTakenAt(TimeValue localInstant, std::filesystem::path name = "photo.jpg")
{
    return photoTakenAt(fromTimeValue(localInstant).value(), std::move(name));
}

// Local instant of a photo whose moment is the given UTC instant.
inline TimeValue onCameraClock(TimeValue utcInstant, const UtcOffset& offset)
{
    return offset.east ? utcInstant + seconds(offset) : utcInstant - seconds(offset);
}

}  // namespace vantora::test
