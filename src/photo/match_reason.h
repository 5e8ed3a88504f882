#pragma once
// Why a photo got the match it got: what matching found at the photo's
// moment, with the figures a user needs to judge it. Matching records one
// for every photo; the windows and the command-line tool only word it
// (reason_wording.h).

#include <cstddef>
#include <filesystem>
#include <optional>

#include "tracklog/time_values.h"

namespace vantora {

struct PhotoList;

enum class MatchKind {
    notMatched,           // not matched yet, or no log to match against
    atFix,                // a fix was taken in the photo's second (OK)
    betweenFixes,         // between two fixes less than ten minutes apart (OK)
    beforeTrack,          // before the first fix of the whole track (doubtful)
    afterTrack,           // after the last fix of the whole track (doubtful)
    inGap,                // between two fixes ten minutes to ten hours apart (doubtful)
    noPositionInGap,      // between fixes ten hours or more apart: no position computed (doubtful)
    noShootingTime,       // the photo carries no shooting time (never matched)
    unreadableShootingTime,  // its shooting time is not a date and time (never matched)
    logUnreadable,        // inside a log whose file no longer gives its fixes (`logBefore`; never matched)
};

struct MatchReason {
    MatchKind kind = MatchKind::notMatched;
    // beforeTrack, afterTrack: seconds from the photo to the end of the track.
    TimeValue distance = 0;
    // betweenFixes, inGap, noPositionInGap: seconds between the two fixes.
    TimeValue gap = 0;
    // A gap between two logs: the log before and the log after it (both
    // empty for a gap inside one log).
    std::filesystem::path logBefore;
    std::filesystem::path logAfter;
    // inGap, noPositionInGap: the fixes on both sides are within 50 m, so the
    // logger was most likely standing still and the position can be trusted.
    bool samePlace = false;
    // beforeTrack, afterTrack, noPositionInGap: the fix whose position was
    // copied, as a UTC instant and on the camera's clock.
    TimeValue copiedFixUtc = 0;
    TimeValue copiedFixOnCameraClock = 0;

    bool betweenLogs() const { return !logBefore.empty(); }
};

// The groups the windows count before writing doubtful photos.
enum class DoubtfulKind {
    outsideTrack,  // before or after the whole track
    inGap,         // in a gap of ten minutes or more
    noPosition,    // between fixes ten hours or more apart
};
constexpr std::size_t kDoubtfulKinds = 3;

// The group of a doubtful kind of reason; empty for the others.
std::optional<DoubtfulKind> doubtfulKindOf(MatchKind kind);

// How many matched doubtful photos of a list fall in each group.
struct DoubtfulCounts {
    int outsideTrack = 0;
    int inGap = 0;
    int noPosition = 0;

    int total() const { return outsideTrack + inGap + noPosition; }
};
DoubtfulCounts countDoubtfulByKind(const PhotoList& list);
// Counts one doubtful photo of that kind in its group; nothing for a kind
// that is not doubtful.
void addDoubtful(DoubtfulCounts& counts, MatchKind kind);

}  // namespace vantora
