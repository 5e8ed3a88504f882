#pragma once
// Which camera took a photo, as its Exif block names it: the photos of one
// body share one clock, so clock offsets are found and applied per camera.

#include <string>
#include <vector>

#include "tracklog/time_values.h"

namespace vantora {

// Make and Model as written by the camera, and the body's serial number
// where the photo carries one (empty otherwise). Photos that name no
// camera at all share the empty id.
struct CameraId {
    std::string make;
    std::string model;
    std::string serial;

    bool operator==(const CameraId&) const = default;
};

// How a person names the camera: "NIKON D70" for Make "NIKON CORPORATION"
// and Model "NIKON D70" (the model alone when it begins with the make's
// first word), "Canon EOS 5D" when the model lacks the make, then
// " #SERIAL" when there is one; "unknown camera" when the photo names none.
std::string cameraName(const CameraId& camera);

// True when the text names the camera: its name with or without the
// serial, or its make and model joined by a blank, ignoring the case of
// ASCII letters.
bool textNamesCamera(const std::string& text, const CameraId& camera);

// One camera's clock: local = UTC + utcShift seconds on that camera, to
// the second (a clock set by hand is rarely off by whole minutes).
struct CameraClock {
    CameraId camera;
    TimeValue utcShift = 0;
};

// The shift the list offset stands for: local = UTC + shift.
TimeValue utcShiftOf(const UtcOffset& offset);

// The camera's shift in the clocks given, or the fallback.
TimeValue utcShiftFor(const CameraId& camera, const std::vector<CameraClock>& clocks,
                      TimeValue fallback);

// "+09:00", "-03:30", "+05:45:12" (seconds only when there are any).
std::string formatUtcShift(TimeValue shift);

// The UtcOffset of a shift, when it has one: whole minutes, at most 13
// hours 59 minutes either way (the time-zone dialog's range).
std::optional<UtcOffset> utcOffsetOf(TimeValue shift);

}  // namespace vantora
