#pragma once
// Reads a GPX 1.0 or 1.1 file into the same LogFileRecord the NMEA reader
// makes, so that nothing above knows which format a log came from. The
// track is every <trkpt> with a usable <time> of every <trk> and <trkseg>;
// route points and waypoints never count as a track.

#include <filesystem>
#include <string_view>

#include "tracklog/log_file_record.h"

namespace vantora {

enum class GpxProblem {
    none,                    // at least one point appended
    cannotOpen,              // missing, unreadable, a folder, or the path too long (kMaxPathLength)
    notGpx,                  // XML whose root element is not gpx
    noTimedTrackPoint,       // a GPX whose tracks hold no point with a usable time (or no track point at all, and no waypoint/route either)
    onlyWaypointsAndRoutes,  // a GPX with waypoints or route points but no usable track point
    damaged,                 // the XML is damaged before any point could be kept; `line` says where
    dtdRefused,              // the file declares a DTD, which is never read
    notEnoughMemory,         // an allocation failed before any point could be kept
};

struct GpxReadResult {
    GpxProblem problem = GpxProblem::none;
    long line = 0;  // 1-based line of the damage, for `damaged`
};

// Sets record.path, appends the track's points in time order; problem none
// exactly when at least one point was appended. A file cut off or damaged
// after some points keeps the points before the damage (problem none).
//
// Left out: points without a usable time or with coordinates out of range,
// points marked <fix>none</fix>, repeats of an instant (the first in the
// file stays), and a few stray points far from the rest (see gpx_track.h).
// The file is read in chunks, never whole.
GpxReadResult readGpxLog(const std::filesystem::path& path, LogFileRecord& record);

// The same reading over the bytes of a file already in memory.
GpxReadResult readGpxText(std::string_view bytes, LogFileRecord& record);

}  // namespace vantora
