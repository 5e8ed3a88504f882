#pragma once
// The photos the photo window works on: what was read from each file, and
// the track position matched to it.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "photo/camera.h"
#include "photo/match_reason.h"
#include "tracklog/log_list.h"
#include "tracklog/time_values.h"
#include "tracklog/track_point.h"

namespace vantora {

constexpr std::size_t kMaxPhotos = 2000;

// The kind of a photo, told by its content (the Exif library's EXIF_KIND_
// codes). JPEGs take their positions in their own Exif block; the others are
// never written: their positions go into XMP sidecars beside them.
enum class PhotoKind : std::int32_t { jpeg = 1, tiffRaw = 2, cr3 = 3, raf = 4, heif = 5, avif = 6 };

inline bool writesSidecar(PhotoKind kind)
{
    return kind != PhotoKind::jpeg;
}

// What was read from a photo's Exif block (and, for a raw or HEIF photo,
// from its sidecar, which wins); updated when the program writes.
struct PhotoExifData {
    std::filesystem::path path;   // the key of the list
    PhotoKind kind = PhotoKind::jpeg;
    ExifDateTime shootingTime;    // DateTimeOriginal, text "2008/05/12 10:20:30"
    std::int32_t hasGpsTags = 0;  // latitude, longitude and map datum all read, or written by us
    std::array<std::uint8_t, 4> gpsVersion{};
    // These six have the layout of the same-named TrackPoint fields, so a
    // matched position is copied over them whole (copyPosition).
    char latitudeText[32] = {};   // code page 932, "北緯 35度39分7.4秒"
    char latitudeRef[2] = {};
    Rational latitude[3] = {};
    char longitudeText[32] = {};
    char longitudeRef[2] = {};
    Rational longitude[3] = {};
    char gpsTimeText[9] = {};     // "%02d:%02d:%02d" of GPSTimeStamp
    char gpsStatus[2] = {};
    char gpsMapDatum[16] = {};
    // OffsetTimeOriginal, the zone the camera says its clock runs in
    // ("+09:00"); empty when absent. Never applied by itself: the clock
    // finder tries it first.
    char offsetTimeOriginal[8] = {};
    CameraId camera;  // Make, Model and BodySerialNumber as read
};

// A photo's place on the track: a copy of one fix of a log, whose position
// is replaced by the one computed at the photo's moment when the photo falls
// between two fixes.
struct TrackMatch {
    // point.time is the copied fix's UTC time, except in an interpolated
    // match, where it is the photo's own local shooting time (as the photo
    // window's rules have it); point.timeText is always the UTC time of day
    // of `utc`.
    TrackPoint point;
    // The instant the match stands for, in UTC seconds (the scale of the
    // logs' fix times): the copied fix's own instant, or the photo's moment
    // when the position is interpolated. GPSTimeStamp and GPSDateStamp are
    // written from it, so the two always name one instant.
    TimeValue utc = 0;

    // The UTC date and time of `utc` (empty only outside the years the
    // calendar conversion covers).
    std::optional<ExifDateTime> utcDateTime() const { return fromTimeValue(utc); }
};

struct PhotoRecord {
    PhotoExifData exif;
    std::optional<TrackMatch> match;       // none: not matched
    std::int32_t doubtful = 0;             // 1 when the match is doubtful
    std::filesystem::path matchedLogPath;  // empty without a match
    MatchReason reason;                    // why matching gave what it gave
};

// The photo window's photos, ascending by shooting time; photos whose
// shooting time cannot be placed on the time scale come last and are never
// matched or written.
struct PhotoList {
    explicit PhotoList(const LogList& pcLogs, UtcOffset utcOffset = {})
        : logs(pcLogs), offset(utcOffset)
    {
    }

    const LogList& logs;  // the import window's PC logs; not owned, never changed here
    UtcOffset offset;     // the offset of the last matching run
    // Cameras whose clock runs in another zone than `offset` (the clock
    // finder's proposals the user took, or set by hand); every other camera
    // is matched with `offset`.
    std::vector<CameraClock> cameraClocks;
    std::vector<PhotoRecord> records;
};

// Copies a track position (texts, letters and rationals of both axes) over
// the photo's GPS position fields.
void copyPosition(const TrackPoint& from, PhotoExifData& to);

}  // namespace vantora
