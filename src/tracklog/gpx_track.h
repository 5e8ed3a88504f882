#pragma once
// Turns the usable points of a GPX file into the log's track: in time
// order, each instant once, without a few stray fixes far from the rest,
// each point filled exactly as the NMEA reader fills its own.

#include <vector>

#include "tracklog/gpx_handler.h"
#include "tracklog/log_file_record.h"

namespace vantora {

// A run of points at either end of the track that lies more than
// kStrayGapSeconds from the rest and holds fewer than kMaxStrayPoints and
// less than a tenth of the file's points is dropped (old cached fixes of a
// phone), repeated while one applies. Several real days stay one track.
constexpr TimeValue kStrayGapSeconds = 24 * 60 * 60;
constexpr std::size_t kMaxStrayPoints = 10;

// Sorts, drops repeats (the first in file order of an instant stays) and
// strays, and appends the rest to the record. Returns how many were appended.
std::size_t appendGpxTrack(std::vector<GpxFix> fixes, LogFileRecord& record);

// The TrackPoint of one fix, as the NMEA reader makes it: UTC date and time
// texts, degrees/minutes/tenths of seconds rounded half-up, status "A".
TrackPoint gpxTrackPoint(const GpxFix& fix);

}  // namespace vantora
