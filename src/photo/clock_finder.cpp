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
    explicit TrackCoverage(const LogList& logs)
    {
        if (!addInTimeOrder(logs)) {
            spans_.clear();
            addSorted(logs);
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
    bool addInTimeOrder(const LogList& logs)
    {
        TimeValue previous = std::numeric_limits<TimeValue>::min();
        for (const auto& log : logs)
            for (const TimeValue t : log->pointTimes()) {
                if (t < previous)
                    return false;
                add(t);
                previous = t;
            }
        return true;
    }

    void addSorted(const LogList& logs)
    {
        std::vector<TimeValue> times;
        for (const auto& log : logs)
            times.insert(times.end(), log->pointTimes().begin(), log->pointTimes().end());
        std::sort(times.begin(), times.end());
        for (const TimeValue t : times)
            add(t);
    }

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
        const TrackCoverage track(list.logs);
        const TimeValue listShift = utcShiftOf(list.offset);
        for (const CameraPhotos& camera : photosByCamera(list)) {
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
