#pragma once
// A registered track log: its path and the fixes read from it, each with its
// instant computed once when it was read.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "tracklog/time_values.h"
#include "tracklog/track_point.h"

namespace vantora {

// Paths are limited to 259 characters (UTF-16 code units), as the log
// store and the Windows APIs of the program expect.
constexpr std::size_t kMaxPathLength = 259;

// The length of a path in UTF-16 code units, on every platform.
std::size_t utf16Length(const std::filesystem::path& path);

class LogFileRecord {
public:
    std::filesystem::path path;
    std::int32_t inRoute = 1;  // only logs with a nonzero flag draw the route line

    // The accepted fixes in file order. Never empty for a record in a list.
    const std::vector<TrackPoint>& points() const { return points_; }
    // pointTimes()[i] is toTimeValue(points()[i].time).
    const std::vector<TimeValue>& pointTimes() const { return times_; }

    bool empty() const { return points_.empty(); }
    // The span of the log, first and last fix in file order. Only for a
    // record with points.
    TimeValue firstTime() const { return times_.front(); }
    TimeValue lastTime() const { return times_.back(); }

    void appendPoint(const TrackPoint& point, TimeValue instant);
    void clearPoints();

private:
    std::vector<TrackPoint> points_;
    std::vector<TimeValue> times_;
};

}  // namespace vantora
