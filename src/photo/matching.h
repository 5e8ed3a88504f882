#pragma once
// Matching each photo to the track: the position of the GPS track at the
// moment the photo was taken, copied from a fix or computed between two.

#include "photo/photo_record.h"
#include "tracklog/time_values.h"

namespace vantora {

// Gives every photo that has no match yet the track position at its
// shooting time, from the list's logs, and stores the offset as the list's
// own. With no logs at all nothing changes, not even the stored offset.
//
// For a photo at instant P on the camera's clock (fixes are shifted onto it
// by the offset):
// - before the first fix of the whole track: a copy of that fix, doubtful;
//   after the last fix: a copy of the last, doubtful;
// - at a fix's second: a copy of the first such fix in its log;
// - between two fixes of a log, or between the last fix of one log and the
//   first of the next: a position interpolated at P, written into a copy of
//   the nearer fix (the earlier on a tie) with the photo's local time and
//   its UTC time of day; doubtful when the fixes are ten minutes or more
//   apart. Longitude is interpolated the short way round the globe and kept
//   within -180°..180°. Fixes ten hours or more apart give no position: the
//   photo gets a copy of the nearer fix, doubtful.
// Every match says which UTC instant it stands for (TrackMatch::utc): a
// copied fix its own, an interpolated position the photo's moment.
// A photo whose shooting time cannot be converted stays without a match.
//
// Every photo it looks at gets a reason (PhotoRecord::reason): the kind of
// result above and its figures, or that the photo has no shooting time, or
// one that cannot be read. A camera listed in the list's cameraClocks is
// matched with its own clock's shift; every other with the offset given.
//
// The result is that of scanning the logs and their fixes in order, but
// found by binary search wherever the logs and a log's fixes are in time
// order, from each fix's instant computed when the log was read.
void matchAll(PhotoList& list, const UtcOffset& offset);

}  // namespace vantora
