#pragma once
// Finding a camera's clock: when many of a camera's photos fall outside the
// track, which time zone would put them inside it. Photos are grouped by
// camera (Make, Model, body serial), so that a second camera whose clock
// is off is found even when the first is right.

#include <vector>

#include "photo/photo_record.h"

namespace vantora {

struct ClockProposal {
    CameraId camera;
    int photos = 0;          // the camera's photos with a shooting time
    int insideNow = 0;       // of them, inside the track by the clock they are matched with now
    int insideProposed = 0;  // inside by the proposed clock
    TimeValue currentShift = 0;   // local = UTC + shift, now
    TimeValue proposedShift = 0;  // and proposed
    bool fromPhotoZone = false;   // the zone the photos name (OffsetTimeOriginal)
};

// A photo is inside the track when matching would give it a good match:
// at a fix, or between two fixes (of one log or of two) less than ten
// minutes apart. A camera is looked at when a quarter or more of its photos
// with a shooting time are not inside by its current clock (the list's
// cameraClocks, else the list's offset). The candidates are the zones its
// photos name (OffsetTimeOriginal), then every zone from -12:00 to +14:00 in
// steps of 15 minutes; a candidate scores the photos it puts inside. The
// best is proposed only when it is clearly better: 80% of the photos inside
// or more, and at least twice as many as now. Equal scores go to the
// candidate nearest the current clock, then to the earlier candidate.
// Cameras come in the order of their first photo in the list; no logs, no
// proposal. Logs whose fixes are not in time order are taken in time order.
std::vector<ClockProposal> findCameraClocks(const PhotoList& list);

// Gives the camera a clock of its own (replacing one it had).
void setCameraClock(PhotoList& list, const CameraId& camera, TimeValue utcShift);

// Gives each proposal's camera its proposed clock and matches the whole
// list again with them (every other camera by `offset`).
void applyClockProposals(PhotoList& list, const std::vector<ClockProposal>& proposals,
                         const UtcOffset& offset);

// The shift of an OffsetTimeOriginal text "+HH:MM" or "-HH:MM" (hours up to
// 14, minutes up to 59); empty for any other text.
std::optional<TimeValue> shiftOfPhotoZone(const char* text);

}  // namespace vantora
