#pragma once
// A photo as the detail window sees it right after its position was
// written, for the tests of its table and of the window itself.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "photo/photo_record.h"
#include "photo/position_fields.h"
#include "platform/code_page.h"

namespace vantora::test {

inline std::string cp932(const char* utf8)
{
    return platform::cp932FromUtf8(utf8);
}

template <std::size_t N>
void setText(char (&field)[N], const char* utf8)
{
    std::memset(field, 0, N);
    std::strncpy(field, cp932(utf8).c_str(), N - 1);
}

// Stored texts equal the matched ones, but for the tag version and datum
// given.
inline PhotoRecord writtenPhoto(std::array<std::uint8_t, 4> version, const char* datum)
{
    PhotoRecord photo;
    photo.exif.path = std::filesystem::path(u8"C:\\写真\\day 1\\IMG_0001.JPG");
    std::strcpy(photo.exif.shootingTime.dateTimeText, "2008/05/12 10:20:30");
    photo.exif.hasGpsTags = 1;
    photo.exif.gpsVersion = version;
    TrackPoint point;
    setText(point.latitudeText, "北緯 35度39分7.4秒");
    setText(point.longitudeText, "東経 139度45分40.7秒");
    setText(point.timeText, "01:20:30");
    setText(point.status, "A");
    copyPosition(point, photo.exif);
    std::memcpy(photo.exif.gpsTimeText, point.timeText, sizeof point.timeText);
    std::memcpy(photo.exif.gpsStatus, point.status, sizeof point.status);
    setText(photo.exif.gpsMapDatum, datum);
    photo.match = TrackMatch{point, 0};
    photo.matchedLogPath = "C:/logs/20080512_012000.log";  // a separator on both systems
    return photo;
}

}  // namespace vantora::test
