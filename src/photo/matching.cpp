#include "photo/matching.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "photo/position_fields.h"
#include "tracklog/text_writer.h"

namespace vantora {

namespace {

constexpr TimeValue kTenMinutes = 10 * 60;
constexpr TimeValue kTenHours = 10 * 3600;
// Fixes this close on both sides of a gap: the logger most likely stood still.
constexpr double kSamePlaceMetres = 50.0;

// A photo's moment on the camera's clock and on the track's UTC scale.
// Fix instants stay on the UTC scale they were read in: comparing a fix
// with the photo's UTC instant is comparing the fix shifted by the offset
// with the photo's local instant, without shifting every fix.
struct PhotoInstant {
    TimeValue local;
    TimeValue utc;

    TimeValue onCameraClock(TimeValue utcInstant) const { return utcInstant + local - utc; }
};

// One fix of a log, with the instant the log reader computed for it. A
// log's first and last fix come from its span, so that a photo outside a
// log never needs the log's fixes read.
struct Fix {
    const LogFileRecord* log;
    std::size_t index;

    bool isFirst() const { return index == 0; }
    bool isLast() const { return index + 1 == log->pointCount(); }
    TrackPoint point() const
    {
        return isFirst() ? log->firstPoint() : isLast() ? log->lastPoint() : log->points()[index];
    }
    TimeValue time() const
    {
        return isFirst() ? log->firstTime() : isLast() ? log->lastTime() : log->pointTimes()[index];
    }
};

struct Match {
    TrackMatch result;
    std::int32_t doubtful = 0;
    const LogFileRecord* log = nullptr;
    MatchReason reason;
};

Fix firstFixOf(const LogFileRecord& log)
{
    return {&log, 0};
}

Fix lastFixOf(const LogFileRecord& log)
{
    return {&log, log.pointCount() - 1};
}

Match copyOf(const Fix& fix, std::int32_t doubtful, MatchKind kind)
{
    Match match{{fix.point(), fix.time()}, doubtful, fix.log, {}};
    match.reason.kind = kind;
    return match;
}

// A doubtful copy of a fix, which the reason names by its time.
Match doubtfulCopyOf(const Fix& fix, MatchReason reason, const PhotoInstant& photo)
{
    Match match = copyOf(fix, 1, reason.kind);
    reason.copiedFixUtc = fix.time();
    reason.copiedFixOnCameraClock = photo.onCameraClock(fix.time());
    match.reason = std::move(reason);
    return match;
}

// Before the first fix or after the last of the whole track.
Match endOfTrack(const Fix& end, MatchKind kind, const PhotoInstant& photo)
{
    MatchReason reason;
    reason.kind = kind;
    reason.distance = kind == MatchKind::beforeTrack ? end.time() - photo.utc : photo.utc - end.time();
    return doubtfulCopyOf(end, std::move(reason), photo);
}

// What lies between fix a and the later fix b: how far apart they are,
// the two logs when the gap is between logs, and for a doubtful gap whether
// the track is at the same place on both sides.
MatchReason gapBetween(const Fix& a, const Fix& b, TimeValue gap)
{
    MatchReason reason;
    reason.kind = gap >= kTenHours     ? MatchKind::noPositionInGap
                  : gap >= kTenMinutes ? MatchKind::inGap
                                       : MatchKind::betweenFixes;
    reason.gap = gap;
    if (a.log != b.log) {
        reason.logBefore = a.log->path;
        reason.logAfter = b.log->path;
    }
    if (reason.kind != MatchKind::betweenFixes)
        reason.samePlace = metresBetween(a.point(), b.point()) <= kSamePlaceMetres;
    return reason;
}

void writeTimeOfDay(char (&field)[9], const ExifDateTime& t)
{
    TextWriter(field).number(t.hour, 2).text(":").number(t.minute, 2).text(":").number(t.second, 2);
}

std::int64_t interpolateLatitude(std::int64_t a, std::int64_t b, TimeValue dt, TimeValue gap)
{
    return a + (b - a) * dt / gap;
}

// The short way round: from 179.99° E to 179.99° W passes 180°, not 0°.
std::int64_t interpolateLongitude(std::int64_t a, std::int64_t b, TimeValue dt, TimeValue gap)
{
    const std::int64_t shortestDifference = wrapLongitudeTenths(b - a);
    return wrapLongitudeTenths(a + shortestDifference * dt / gap);
}

// The position at the photo's moment between fix a and the later fix b.
// Empty only when the photo's instant cannot be broken down into a date.
std::optional<Match> interpolate(const Fix& a, const Fix& b, const PhotoInstant& photo)
{
    const TimeValue gap = b.time() - a.time();  // positive: a is before the photo, b after
    const TimeValue dt = photo.utc - a.time();
    MatchReason reason = gapBetween(a, b, gap);

    if (gap >= kTenHours) {
        // Too far apart to trust a line between them: the nearer fix as is.
        const bool aIsNearer = b.time() - photo.utc >= dt;
        return doubtfulCopyOf(aIsNearer ? a : b, std::move(reason), photo);
    }

    const auto localTime = fromTimeValue(photo.local);
    const auto utcTime = fromTimeValue(photo.utc);
    if (!localTime || !utcTime)
        return std::nullopt;

    const bool aIsNearer = 2 * dt <= gap;
    Match match = copyOf(aIsNearer ? a : b, gap >= kTenMinutes ? 1 : 0, reason.kind);
    match.reason = std::move(reason);
    TrackPoint& point = match.result.point;
    setPositionTenths(point, Axis::latitude,
                      interpolateLatitude(positionTenths(a.point(), Axis::latitude),
                                          positionTenths(b.point(), Axis::latitude), dt, gap));
    setPositionTenths(point, Axis::longitude,
                      interpolateLongitude(positionTenths(a.point(), Axis::longitude),
                                           positionTenths(b.point(), Axis::longitude), dt, gap));
    point.time = *localTime;
    writeTimeOfDay(point.timeText, *utcTime);
    match.result.utc = photo.utc;
    return match;
}

// What one log says about a photo: a result (which may be "no match"), or
// that the photo lies elsewhere and the next log is to be asked.
struct LogVerdict {
    bool decided = false;
    std::optional<Match> match;
    const LogFileRecord* unreadableLog = nullptr;  // the photo lies inside it
};

LogVerdict decided(std::optional<Match> match)
{
    return {true, std::move(match)};
}

// The logs of one matching run, with what is learnt about their order.
class Track {
public:
    explicit Track(const LogList& list)
    {
        for (const auto& log : list)
            if (!log->empty())  // a list never holds one; skip it rather than read past it
                logs_.push_back(log.get());
        fixOrder_.assign(logs_.size(), FixOrder::unknown);
        logsInOrder_ = logsFollowOneAnother();
        for (const LogFileRecord* log : logs_)
            wasInMemory_.push_back(log->pointsInMemory());
    }

    // The fixes read for this run go again: the next run reads what it needs.
    ~Track()
    {
        for (std::size_t i = 0; i < logs_.size(); ++i)
            if (!wasInMemory_[i])
                logs_[i]->releasePoints();
    }
    Track(const Track&) = delete;
    Track& operator=(const Track&) = delete;

    bool empty() const { return logs_.empty(); }

    LogVerdict match(const PhotoInstant& photo)
    {
        for (std::size_t i = firstLogToAsk(photo.utc); i < logs_.size(); ++i) {
            LogVerdict verdict = ask(i, photo);
            if (verdict.decided)
                return verdict;
        }
        return {};
    }

private:
    enum class FixOrder : std::int8_t { unknown, inOrder, outOfOrder };

    TimeValue firstTime(std::size_t i) const { return logs_[i]->firstTime(); }
    TimeValue lastTime(std::size_t i) const { return logs_[i]->lastTime(); }

    // What the binary search over the logs needs: first fixes in order, and
    // each log's last fix before the next log's first, as every list the
    // loader fills has them. A log may then end before it starts (fixes out
    // of order): the search still passes over only logs that the scan would
    // pass over too.
    bool logsFollowOneAnother() const
    {
        for (std::size_t i = 1; i < logs_.size(); ++i) {
            if (firstTime(i - 1) > firstTime(i))
                return false;
            if (lastTime(i - 1) >= firstTime(i))
                return false;
        }
        return true;
    }

    // The first log that can decide the photo. Every log before it would
    // only pass the photo on: the photo is after its last fix and not
    // before its first. Without ordered spans each log is asked in turn.
    std::size_t firstLogToAsk(TimeValue photo) const
    {
        if (!logsInOrder_)
            return 0;
        // The first log starting after the photo; the one before it is the
        // last that starts at or before the photo.
        const auto after = std::upper_bound(
            logs_.begin(), logs_.end(), photo,
            [](TimeValue t, const LogFileRecord* log) { return t < log->firstTime(); });
        const auto k = static_cast<std::size_t>(after - logs_.begin());
        if (k == 0)
            return 0;  // before the whole track
        if (photo <= lastTime(k - 1) || k == logs_.size())
            return k - 1;  // inside log k - 1, or after the whole track
        return k;  // in the gap before log k
    }

    // The rules for one log, in order: before the whole track, after the
    // whole track, outside this log (perhaps in the gap before it), inside.
    LogVerdict ask(std::size_t i, const PhotoInstant& photo)
    {
        const TimeValue first = firstTime(i);
        const TimeValue last = lastTime(i);
        if (i == 0 && photo.utc < first)
            return decided(endOfTrack(firstFixOf(*logs_[0]), MatchKind::beforeTrack, photo));
        if (i + 1 == logs_.size() && photo.utc > last)
            return decided(endOfTrack(lastFixOf(*logs_[i]), MatchKind::afterTrack, photo));
        if (photo.utc < first || photo.utc > last) {
            if (i > 0 && lastTime(i - 1) < photo.utc && photo.utc < first)
                return decided(interpolate(lastFixOf(*logs_[i - 1]), firstFixOf(*logs_[i]), photo));
            return {};
        }
        if (logs_[i]->pointTimes().size() != logs_[i]->pointCount())
            return {true, std::nullopt, logs_[i]};
        const Fix found{logs_[i], firstFixNotBefore(i, photo.utc)};
        if (found.time() == photo.utc)
            return decided(copyOf(found, 0, MatchKind::atFix));
        // found is not the first fix: the first is at or before the photo.
        return decided(interpolate(Fix{logs_[i], found.index - 1}, found, photo));
    }

    // The first fix, in file order, whose instant is not before the photo;
    // the log's first fix is at or before the photo and its last at or
    // after it, so there always is one.
    std::size_t firstFixNotBefore(std::size_t i, TimeValue photo)
    {
        const auto& times = logs_[i]->pointTimes();
        if (fixesInOrder(i))
            return static_cast<std::size_t>(std::lower_bound(times.begin(), times.end(), photo) -
                                            times.begin());
        const auto found =
            std::find_if(times.begin(), times.end(), [photo](TimeValue t) { return t >= photo; });
        return static_cast<std::size_t>(found - times.begin());
    }

    bool fixesInOrder(std::size_t i)
    {
        if (fixOrder_[i] == FixOrder::unknown) {
            const auto& times = logs_[i]->pointTimes();
            fixOrder_[i] = std::is_sorted(times.begin(), times.end()) ? FixOrder::inOrder
                                                                      : FixOrder::outOfOrder;
        }
        return fixOrder_[i] == FixOrder::inOrder;
    }

    std::vector<const LogFileRecord*> logs_;
    std::vector<FixOrder> fixOrder_;  // learnt when a photo first falls inside the log
    std::vector<bool> wasInMemory_;
    bool logsInOrder_ = false;
};

void storeMatch(PhotoRecord& record, Match&& match)
{
    record.matchedLogPath = match.log->path;  // may throw; nothing is set before it
    record.doubtful = match.doubtful;
    record.match = match.result;
    record.reason = std::move(match.reason);
}

// Why a photo cannot be placed in time: the reader leaves the text empty
// when the photo has no shooting time (or a blank or all-zero one).
MatchKind unusableTimeKind(const ExifDateTime& shootingTime)
{
    return shootingTime.dateTimeText[0] == '\0' ? MatchKind::noShootingTime
                                                : MatchKind::unreadableShootingTime;
}

}  // namespace

void matchAll(PhotoList& list, const UtcOffset& offset)
{
    if (list.logs.empty())
        return;
    list.offset = offset;
    // local = UTC + shift, for every camera without a clock of its own
    const TimeValue listShift = utcShiftOf(offset);
    try {
        Track track(list.logs);
        if (track.empty())
            return;
        for (PhotoRecord& record : list.records) {
            if (record.match)
                continue;
            const auto local = toTimeValue(record.exif.shootingTime);
            if (!local) {
                // never matched
                record.reason = MatchReason{};
                record.reason.kind = unusableTimeKind(record.exif.shootingTime);
                continue;
            }
            const TimeValue shift = utcShiftFor(record.exif.camera, list.cameraClocks, listShift);
            LogVerdict verdict = track.match({*local, *local - shift});
            if (verdict.match) {
                storeMatch(record, std::move(*verdict.match));
            } else if (verdict.unreadableLog) {
                record.reason = MatchReason{};
                record.reason.kind = MatchKind::logUnreadable;
                record.reason.logBefore = verdict.unreadableLog->path;
            }
        }
    } catch (const std::bad_alloc&) {
        // Out of memory: the photos matched so far keep their matches, the
        // others stay without one.
    }
}

}  // namespace vantora
