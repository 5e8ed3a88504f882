#pragma once
// A registered track log: its path, its span (first and last fix, how many
// fixes) and its fixes. The lists and the refusals need only the span; the
// fixes are read from the file when something first asks for them, and a
// record can let them go again while its file can give them back.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "tracklog/log_points.h"
#include "tracklog/time_values.h"
#include "tracklog/track_point.h"

namespace vantora {

// Paths are limited to 259 characters (UTF-16 code units), as the log
// store and the Windows APIs of the program expect.
constexpr std::size_t kMaxPathLength = 259;

// The length of a path in UTF-16 code units, on every platform.
std::size_t utf16Length(const std::filesystem::path& path);

// What tells a file from its changed self: its size and modification time.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // the file system's own clock ticks
    bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> stampOf(const std::filesystem::path& path);

// What a log is without its fixes: how many, and the first and the last in
// file order with their instants.
struct LogSpan {
    std::size_t pointCount = 0;
    TimeValue firstTime = 0;
    TimeValue lastTime = 0;
    StoredFix firstFix;
    StoredFix lastFix;
    bool operator==(const LogSpan& other) const;
};

class LogFileRecord {
public:
    std::filesystem::path path;
    std::int32_t inRoute = 1;  // only logs with a nonzero flag draw the route line
    // The file's stamp when its span was taken (none for a log made in memory).
    std::optional<FileStamp> stamp;

    // A record known by its span alone; its fixes are read from `path` when
    // first asked for. The span's end fixes must restore (see storeFix).
    static LogFileRecord fromSpan(std::filesystem::path path, FileStamp stamp, const LogSpan& span);
    // The same from a span guessed from the file's ends (scanTrackSpan):
    // the first read of the fixes puts the true span in its place, and says
    // whether the guess was wrong. Its end fixes are read before use.
    static LogFileRecord fromGuessedSpan(std::filesystem::path path, FileStamp stamp, const LogSpan& span);
    bool spanGuessed() const { return guessed_; }
    // The fixes, once read, did not give the guessed first and last fix.
    bool spanGuessWrong() const { return guessWrong_; }

    // The accepted fixes in file order, read now if they are not in memory.
    // Empty when the file no longer gives the fixes its span was taken from
    // (removed or changed since); see pointsUnavailable().
    const LogPoints& points() const;
    // pointTimes()[i] is toTimeValue(points()[i].time).
    const std::vector<TimeValue>& pointTimes() const { return points().times(); }
    bool pointsInMemory() const { return loaded_; }
    // The file was asked for the fixes and no longer gave them.
    bool pointsUnavailable() const { return unavailable_; }
    // Lets the fixes go when the file can give them again; a log made in
    // memory keeps them.
    void releasePoints() const;

    // Never empty for a record in a list.
    bool empty() const { return span_.pointCount == 0; }
    std::size_t pointCount() const;
    const LogSpan& span() const { return span_; }  // guessed: see fromGuessedSpan
    // The span of the log, first and last fix in file order. Only for a
    // record with points.
    TimeValue firstTime() const { return span_.firstTime; }
    TimeValue lastTime() const { return span_.lastTime; }
    TrackPoint firstPoint() const;
    TrackPoint lastPoint() const;

    // The readers' side: a point appended in file order.
    void appendPoint(const TrackPoint& point, TimeValue instant);
    void clearPoints();
    // From now on the fixes can be read again from `path` (set once its
    // span and stamp are those of the file).
    void markReadableAgain() { fromFile_ = true; }

private:
    void loadPoints() const;

    mutable LogSpan span_;
    // The end fixes when they do not restore from their stored form.
    std::optional<TrackPoint> firstWhole_;
    std::optional<TrackPoint> lastWhole_;
    bool fromFile_ = false;
    mutable bool guessed_ = false;
    mutable bool guessWrong_ = false;
    mutable LogPoints points_;
    mutable bool loaded_ = true;
    mutable bool unavailable_ = false;
};

// Keeps a log's fixes in memory while it lives, and lets them go again at
// its end when they were not in memory before it.
class PointsInUse {
public:
    explicit PointsInUse(const LogFileRecord& log) : log_(log), wasInMemory_(log.pointsInMemory()) {}
    ~PointsInUse()
    {
        if (!wasInMemory_)
            log_.releasePoints();
    }
    PointsInUse(const PointsInUse&) = delete;
    PointsInUse& operator=(const PointsInUse&) = delete;
    const LogPoints& points() const { return log_.points(); }

private:
    const LogFileRecord& log_;
    bool wasInMemory_;
};

}  // namespace vantora
