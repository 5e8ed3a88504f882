#include "tracklog/log_file_record.h"

#include <cstring>
#include <new>
#include <system_error>
#include <type_traits>

#include "tracklog/track_reader.h"

namespace vantora {

namespace {

// A guess stands when the whole file gives the same first and last fix.
bool sameEnds(const LogSpan& a, const LogSpan& b)
{
    LogSpan counted = b;
    counted.pointCount = a.pointCount;
    return a == counted;
}

}  // namespace

std::size_t utf16Length(const std::filesystem::path& path)
{
    const auto& native = path.native();
    if constexpr (std::is_same_v<std::filesystem::path::value_type, wchar_t> &&
                  sizeof(wchar_t) == 2) {
        return native.size();
    } else {
        // UTF-8: one unit per sequence, two for a sequence of four bytes.
        // Counted by hand because converting a malformed name would throw.
        std::size_t units = 0;
        for (unsigned char c : native) {
            if ((c & 0xC0) != 0x80)
                ++units;
            if (c >= 0xF0)
                ++units;
        }
        return units;
    }
}

std::optional<FileStamp> stampOf(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) || error)
        return std::nullopt;
    const auto size = std::filesystem::file_size(path, error);
    if (error)
        return std::nullopt;
    const auto modified = std::filesystem::last_write_time(path, error);
    if (error)
        return std::nullopt;
    return FileStamp{size, static_cast<std::int64_t>(modified.time_since_epoch().count())};
}

bool LogSpan::operator==(const LogSpan& other) const
{
    const auto sameFix = [](const StoredFix& a, const StoredFix& b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    };
    return pointCount == other.pointCount && firstTime == other.firstTime &&
           lastTime == other.lastTime && sameFix(firstFix, other.firstFix) &&
           sameFix(lastFix, other.lastFix);
}

LogFileRecord LogFileRecord::fromSpan(std::filesystem::path path, FileStamp stamp, const LogSpan& span)
{
    LogFileRecord record;
    record.path = std::move(path);
    record.stamp = stamp;
    record.span_ = span;
    record.fromFile_ = true;
    record.loaded_ = false;
    return record;
}

LogFileRecord LogFileRecord::fromGuessedSpan(std::filesystem::path path, FileStamp stamp,
                                             const LogSpan& span)
{
    LogFileRecord record = fromSpan(std::move(path), stamp, span);
    record.guessed_ = true;
    return record;
}

void LogFileRecord::loadPoints() const
{
    loaded_ = true;
    try {
        LogFileRecord fresh;
        const bool read = readTrackLog(path, fresh).read();
        if (read && guessed_) {
            guessWrong_ = !sameEnds(fresh.span_, span_);
            guessed_ = false;
            span_ = fresh.span_;
        }
        if (read && fresh.span_ == span_) {
            points_ = std::move(fresh.points_);
            unavailable_ = false;
            return;
        }
    } catch (const std::bad_alloc&) {
        // Not enough memory for the fixes: as unavailable as a removed file.
    }
    points_.clear();
    unavailable_ = true;
}

std::size_t LogFileRecord::pointCount() const
{
    if (guessed_)
        points();
    return span_.pointCount;
}

const LogPoints& LogFileRecord::points() const
{
    if (!loaded_)
        loadPoints();
    return points_;
}

void LogFileRecord::releasePoints() const
{
    if (!fromFile_ || !loaded_)
        return;
    points_ = LogPoints{};
    loaded_ = false;
}

TrackPoint LogFileRecord::firstPoint() const
{
    if (guessed_)
        points();
    if (firstWhole_)
        return *firstWhole_;
    return restoreFix(span_.firstFix, span_.firstTime).value_or(TrackPoint{});
}

TrackPoint LogFileRecord::lastPoint() const
{
    if (guessed_)
        points();
    if (lastWhole_)
        return *lastWhole_;
    return restoreFix(span_.lastFix, span_.lastTime).value_or(TrackPoint{});
}

void LogFileRecord::appendPoint(const TrackPoint& point, TimeValue instant)
{
    const auto stored = points_.append(point, instant);
    std::optional<TrackPoint> whole;
    if (!stored)
        whole = point;
    if (span_.pointCount == 0) {
        span_.firstTime = instant;
        span_.firstFix = stored.value_or(StoredFix{});
        firstWhole_ = whole;
    }
    span_.lastTime = instant;
    span_.lastFix = stored.value_or(StoredFix{});
    lastWhole_ = whole;
    ++span_.pointCount;
}

void LogFileRecord::clearPoints()
{
    points_.clear();
    span_ = LogSpan{};
    firstWhole_.reset();
    lastWhole_.reset();
    loaded_ = true;
    unavailable_ = false;
}

}  // namespace vantora
