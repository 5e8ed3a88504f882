#include "photo/clock_finder.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>

#include "photo/matching.h"
#include "photo/photo_list.h"

namespace vantora {

namespace {

constexpr TimeValue kTenMinutes = 10 * 60;
constexpr TimeValue kQuarterHour = 15 * 60;
constexpr TimeValue kWestmostZone = -12 * 3600;
constexpr TimeValue kEastmostZone = 14 * 3600;

// The stretches of time where matching gives a good match: runs of fixes
// each less than ten minutes after the one before, across the ends of logs
// too. A lone fix is a stretch of one second.
class TrackCoverage {
public:
    // Only the stretches that can reach into [from, to] are needed: the
    // fixes of logs that end more than ten minutes before it or start more
    // than ten minutes after it cannot join a stretch inside it, so those
    // logs are not read.
    TrackCoverage(const LogList& logs, TimeValue from, TimeValue to)
    {
        for (const auto& log : logs)
            if (!log->empty() && log->lastTime() > from - kTenMinutes && log->firstTime() < to + kTenMinutes)
                logs_.push_back(log.get());
        if (!addInTimeOrder()) {
            spans_.clear();
            addSorted();
        }
    }

    bool covers(TimeValue utc) const
    {
        const auto after = std::upper_bound(spans_.begin(), spans_.end(), utc,
                                            [](TimeValue t, const Span& span) { return t < span.first; });
        return after != spans_.begin() && utc <= std::prev(after)->last;
    }

private:
    struct Span {
        TimeValue first;
        TimeValue last;
    };

    void add(TimeValue t)
    {
        if (!spans_.empty() && t - spans_.back().last < kTenMinutes)
            spans_.back().last = t;
        else
            spans_.push_back({t, t});
    }

    // False as soon as a fix comes before the one before it.
    bool addInTimeOrder()
    {
        TimeValue previous = std::numeric_limits<TimeValue>::min();
        for (const LogFileRecord* log : logs_) {
            const PointsInUse inUse(*log);
            for (const TimeValue t : inUse.points().times()) {
                if (t < previous)
                    return false;
                add(t);
                previous = t;
            }
        }
        return true;
    }

    void addSorted()
    {
        std::vector<TimeValue> times;
        for (const LogFileRecord* log : logs_) {
            const PointsInUse inUse(*log);
            times.insert(times.end(), inUse.points().times().begin(), inUse.points().times().end());
        }
        std::sort(times.begin(), times.end());
        for (const TimeValue t : times)
            add(t);
    }

    std::vector<const LogFileRecord*> logs_;
    std::vector<Span> spans_;
};

// The photos of one camera that can be placed in time, on its clock, and
// the zones they name.
struct CameraPhotos {
    CameraId camera;
    std::vector<TimeValue> locals;
    std::vector<TimeValue> zones;  // each once, in the order first named
};

std::vector<CameraPhotos> photosByCamera(const PhotoList& list)
{
    std::vector<CameraPhotos> cameras;
    for (const PhotoRecord& record : list.records) {
        const auto local = toTimeValue(record.exif.shootingTime);
        if (!local)
            continue;
        auto group = std::find_if(cameras.begin(), cameras.end(),
                                  [&](const CameraPhotos& c) { return c.camera == record.exif.camera; });
        if (group == cameras.end())
            group = cameras.insert(cameras.end(), CameraPhotos{record.exif.camera, {}, {}});
        group->locals.push_back(*local);
        const auto zone = shiftOfPhotoZone(record.exif.offsetTimeOriginal);
        if (zone && std::find(group->zones.begin(), group->zones.end(), *zone) == group->zones.end())
            group->zones.push_back(*zone);
    }
    return cameras;
}

int insideCount(const TrackCoverage& track, const std::vector<TimeValue>& locals, TimeValue shift)
{
    return static_cast<int>(std::count_if(locals.begin(), locals.end(),
                                          [&](TimeValue local) { return track.covers(local - shift); }));
}

struct Candidate {
    TimeValue shift;
    bool fromPhotoZone;
};

// The photos' own zones first, then the world's, west to east.
std::vector<Candidate> candidatesFor(const CameraPhotos& camera)
{
    std::vector<Candidate> candidates;
    for (const TimeValue zone : camera.zones)
        candidates.push_back({zone, true});
    for (TimeValue shift = kWestmostZone; shift <= kEastmostZone; shift += kQuarterHour)
        candidates.push_back({shift, false});
    return candidates;
}

// The best candidate for one camera, when it is clearly better than now.
std::optional<ClockProposal> proposalFor(const TrackCoverage& track, const CameraPhotos& camera,
                                         TimeValue currentShift)
{
    ClockProposal proposal;
    proposal.camera = camera.camera;
    proposal.photos = static_cast<int>(camera.locals.size());
    proposal.currentShift = currentShift;
    proposal.insideNow = insideCount(track, camera.locals, currentShift);
    const int outside = proposal.photos - proposal.insideNow;
    if (outside == 0 || 4 * outside < proposal.photos)
        return std::nullopt;  // three quarters or more inside: nothing to find

    proposal.insideProposed = -1;
    for (const Candidate& candidate : candidatesFor(camera)) {
        const int inside = insideCount(track, camera.locals, candidate.shift);
        const bool better = inside > proposal.insideProposed ||
                            (inside == proposal.insideProposed &&
                             std::llabs(candidate.shift - currentShift) <
                                 std::llabs(proposal.proposedShift - currentShift));
        if (better) {
            proposal.insideProposed = inside;
            proposal.proposedShift = candidate.shift;
            proposal.fromPhotoZone = candidate.fromPhotoZone;
        }
    }
    const bool clearlyBetter = 5 * proposal.insideProposed >= 4 * proposal.photos &&
                               proposal.insideProposed >= 2 * proposal.insideNow &&
                               proposal.proposedShift != currentShift;
    if (!clearlyBetter)
        return std::nullopt;
    return proposal;
}

// The UTC instants any candidate clock can put a photo at: every zone of
// the world and each camera's present clock.
struct Window {
    TimeValue from = std::numeric_limits<TimeValue>::max();
    TimeValue to = std::numeric_limits<TimeValue>::min();
};

Window instantsAsked(const std::vector<CameraPhotos>& cameras, const PhotoList& list, TimeValue listShift)
{
    constexpr TimeValue kWidestZone = 15 * 3600;
    Window window;
    for (const CameraPhotos& camera : cameras) {
        if (camera.locals.empty())
            continue;
        const TimeValue now = utcShiftFor(camera.camera, list.cameraClocks, listShift);
        const auto [earliest, latest] = std::minmax_element(camera.locals.begin(), camera.locals.end());
        window.from = std::min(window.from, *earliest - std::max(kWidestZone, now));
        window.to = std::max(window.to, *latest - std::min(-kWidestZone, now));
    }
    return window;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<TimeValue> shiftOfPhotoZone(const char* text)
{
    if ((text[0] != '+' && text[0] != '-') || !isDigit(text[1]) || !isDigit(text[2]) || text[3] != ':' ||
        !isDigit(text[4]) || !isDigit(text[5]) || text[6] != '\0')
        return std::nullopt;
    const int hours = (text[1] - '0') * 10 + (text[2] - '0');
    const int minutes = (text[4] - '0') * 10 + (text[5] - '0');
    if (hours > 14 || minutes > 59)
        return std::nullopt;
    const TimeValue shift = (hours * 60 + minutes) * 60;
    return text[0] == '-' ? -shift : shift;
}

std::vector<ClockProposal> findCameraClocks(const PhotoList& list)
{
    std::vector<ClockProposal> proposals;
    if (list.logs.empty())
        return proposals;
    try {
        const TimeValue listShift = utcShiftOf(list.offset);
        const std::vector<CameraPhotos> cameras = photosByCamera(list);
        const Window window = instantsAsked(cameras, list, listShift);
        const TrackCoverage track(list.logs, window.from, window.to);
        for (const CameraPhotos& camera : cameras) {
            const TimeValue now = utcShiftFor(camera.camera, list.cameraClocks, listShift);
            if (auto proposal = proposalFor(track, camera, now))
                proposals.push_back(std::move(*proposal));
        }
    } catch (const std::bad_alloc&) {
        proposals.clear();  // out of memory: no proposal rather than a half-considered one
    }
    return proposals;
}

void setCameraClock(PhotoList& list, const CameraId& camera, TimeValue utcShift)
{
    for (CameraClock& clock : list.cameraClocks)
        if (clock.camera == camera) {
            clock.utcShift = utcShift;
            return;
        }
    list.cameraClocks.push_back({camera, utcShift});
}

void applyClockProposals(PhotoList& list, const std::vector<ClockProposal>& proposals,
                         const UtcOffset& offset)
{
    for (const ClockProposal& proposal : proposals)
        setCameraClock(list, proposal.camera, proposal.proposedShift);
    clearMatches(list);
    matchAll(list, offset);
}

}  // namespace vantora
