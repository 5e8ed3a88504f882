#pragma once
// The one entry point that reads a track file into a LogFileRecord, whatever
// its format: an NMEA log (the logger's, a receiver's, a phone's or a
// dashcam's) or a GPX file. The format is told from the content, not from
// the name, so nothing above this knows which one a log came from.

#include <filesystem>

#include "tracklog/log_file_record.h"

namespace vantora {

// Why a file gave no point.
enum class TrackProblem {
    none,                    // at least one point was read
    cannotOpen,              // missing, unreadable, a folder, or its path too long
    notATrack,               // neither NMEA sentences nor a GPX document
    noValidFix,              // NMEA sentences, but no valid fix among them
    noTimedTrackPoint,       // a GPX file whose tracks hold no point with a time
    onlyWaypointsAndRoutes,  // a GPX file with waypoints or routes but no track
    damagedXml,              // a GPX file damaged before its first point (`line`)
    dtdRefused,              // a GPX file that declares a DTD, which is never read
    notEnoughMemory,         // the file could not be held in memory
};

struct TrackReadResult {
    TrackProblem problem = TrackProblem::none;
    long line = 0;  // where the XML is damaged, from 1

    bool read() const { return problem == TrackProblem::none; }
};

enum class TrackFormat { nmea, gpx };

// What the first bytes say: GPX when, after a byte-order mark and blanks,
// the text opens with '<' (in UTF-8, UTF-16 or a single-byte code); NMEA
// otherwise, which also takes receivers' lines with a prefix before '$'.
TrackFormat trackFormatOf(const char* bytes, std::size_t size);

// Sets record.path and appends the file's points. The record holds points
// exactly when the result is read().
TrackReadResult readTrackLog(const std::filesystem::path& path, LogFileRecord& record);

}  // namespace vantora
