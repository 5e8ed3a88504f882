#pragma once
// The photo commands' camera clocks: --camera-offset "MAKE MODEL=+HH:MM[:SS]"
// sets one camera's clock by hand, --sync PHOTO=HH:MM:SS takes a camera's
// clock from a photo of a clock, and the clock finder's proposals are
// printed (and, with --utc-offset auto, taken).

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "photo/photo_record.h"

namespace vantora::cli {

struct CameraOffsetOption {
    std::string camera;  // as the user named it
    TimeValue utcShift = 0;
};

// A photo whose true moment is known: the time a clock showed in it.
struct SyncOption {
    std::filesystem::path photo;
    TimeValue timeOfDay = 0;  // seconds since midnight
    bool utc = false;         // "Z": the time is UTC, not in the zone of --utc-offset
};

// "NAME=+HH:MM" or "NAME=-HH:MM:SS" (up to 23:59:59 either way).
std::optional<CameraOffsetOption> parseCameraOffset(const std::string& text);
// "PHOTO=HH:MM:SS" or "PHOTO=HH:MM:SSZ".
std::optional<SyncOption> parseSync(const std::filesystem::path& word);

// The value after --camera-offset or --sync at args[i]: moves i onto it
// and keeps it; the usage message when it is missing or malformed.
std::optional<std::string> takeClockOption(const std::vector<Argument>& args, std::size_t& i,
                                           std::vector<CameraOffsetOption>& offsets,
                                           std::vector<SyncOption>& syncs);

constexpr const char* kCameraOffsetUsage = "--camera-offset takes \"MAKE MODEL=+HH:MM\" or \"MAKE MODEL=+HH:MM:SS\"";
constexpr const char* kSyncUsage = "--sync takes PHOTO=HH:MM:SS (the time the photo shows; Z after it for UTC)";

// How far the photo's shooting time is from the time it shows, in the
// zone of `zoneShift` (local = UTC + zoneShift): the amount, within half a
// day either way, to add to the camera's clock. Empty when the photo is not
// in the list or has no usable shooting time.
std::optional<TimeValue> syncCorrection(const PhotoList& list, const SyncOption& sync, TimeValue cameraShift,
                                        TimeValue zoneShift, const PhotoRecord** photo = nullptr);

// Gives the cameras the clocks asked for by hand and from synced photos;
// false (each named on `err`) when a camera or photo is not in the list.
bool setCameraClocksAsked(PhotoList& list, const std::vector<CameraOffsetOption>& offsets,
                          const std::vector<SyncOption>& syncs, std::ostream& err);

// Prints each of the finder's proposals on `err`; with `take`, takes those
// of the cameras whose clock was not set by hand, and matches again.
void proposeCameraClocks(PhotoList& list, bool take, const UtcOffset& offset, std::size_t setByHand,
                         std::ostream& err);

}  // namespace vantora::cli
