#pragma once
// What the photo commands share: reading their arguments, and loading the
// logs and adding the photos through the procedures the windows use, with
// every refused file named on standard error.

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "camera_clocks.h"
#include "commands.h"
#include "photo/photo_record.h"
#include "tracklog/log_list.h"

namespace vantora::cli {

struct PhotoJobOptions {
    UtcOffset offset;  // +09 unless --utc-offset says otherwise
    std::vector<std::filesystem::path> logSources;
    std::vector<std::filesystem::path> photoSources;
    bool dryRun = false;
    bool help = false;
    bool findClocks = false;  // --utc-offset auto: take the clock finder's proposals
    std::vector<CameraOffsetOption> cameraOffsets;
    std::vector<SyncOption> syncs;
};

// Reads "+HH", "-HH" or "+HH:MM" (hours 0-13, minutes 0-59).
std::optional<UtcOffset> parseUtcOffset(const std::string& text);

constexpr const char* kUtcOffsetUsage = "--utc-offset takes +HH, -HH or +HH:MM (hours up to 13)";

// The value after --utc-offset at args[i]: moves i onto it and sets the
// offset; false when it is missing or malformed.
bool takeUtcOffset(const std::vector<Argument>& args, std::size_t& i, UtcOffset& offset);

// Reads "HH:MM:SS" (two digits each).
bool parseClockAmount(const std::string& text, int& hours, int& minutes, int& seconds);

// Options of match and write; `allowDryRun` for write. An error message on
// failure.
std::optional<std::string> parsePhotoJob(const std::vector<Argument>& args, bool allowDryRun,
                                         PhotoJobOptions& options);

// How the logs are first read: whole, or a large NMEA log by its two ends
// (scanTrackSpan), its fixes read only when a photo needs them.
enum class LogReading { whole, endsFirst };

// Loads the logs (files, or folders searched for .log and .gpx files);
// false when some were refused.
bool loadLogSources(LogList& logs, const std::vector<std::filesystem::path>& sources,
                    std::ostream& err, LogReading reading = LogReading::whole);

// A log first known by its ends proved, once read, to start or end elsewhere.
bool someSpanGuessWrong(const LogList& logs);

// Adds the photos (JPEG files, or folders loaded as the photo window loads
// them); false when some were refused.
bool addPhotoSources(PhotoList& photos, const std::vector<std::filesystem::path>& sources,
                     std::ostream& err);

}  // namespace vantora::cli
