#include "camera_clocks.h"

#include <algorithm>
#include <ostream>
#include <system_error>
#include <type_traits>

#include "commands.h"
#include "photo/clock_finder.h"
#include "photo_job.h"

namespace vantora::cli {

namespace {

constexpr TimeValue kDay = 86400;

// "HH:MM" or "HH:MM:SS" as seconds, hours up to 23.
std::optional<TimeValue> parseClock(const std::string& text)
{
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    const bool read = text.size() == 5 ? parseClockAmount(text + ":00", hours, minutes, seconds)
                                       : parseClockAmount(text, hours, minutes, seconds);
    if (!read || hours > 23 || minutes > 59 || seconds > 59)
        return std::nullopt;
    return (hours * 60 + minutes) * 60 + seconds;
}

TimeValue floorMod(TimeValue value, TimeValue by)
{
    const TimeValue r = value % by;
    return r < 0 ? r + by : r;
}

// The photo of the list that is the same file as the path.
const PhotoRecord* findPhoto(const PhotoList& list, const std::filesystem::path& path)
{
    for (const PhotoRecord& record : list.records) {
        std::error_code error;
        if (std::filesystem::equivalent(record.exif.path, path, error))
            return &record;
    }
    return nullptr;
}

bool setOffsetByName(PhotoList& list, const CameraOffsetOption& option, std::ostream& err)
{
    bool found = false;
    for (const PhotoRecord& record : list.records)
        if (textNamesCamera(option.camera, record.exif.camera)) {
            setCameraClock(list, record.exif.camera, option.utcShift);
            found = true;
        }
    if (!found)
        err << "vantora-gps: --camera-offset: no photo of a camera named " << option.camera << "\n";
    return found;
}

bool setOffsetBySync(PhotoList& list, const SyncOption& sync, std::ostream& err)
{
    const TimeValue listShift = utcShiftOf(list.offset);
    const PhotoRecord* photo = findPhoto(list, sync.photo);
    if (photo == nullptr || !toTimeValue(photo->exif.shootingTime)) {
        err << "vantora-gps: --sync: " << displayName(sync.photo)
            << (photo ? " has no usable shooting time\n" : " is not one of the photos given\n");
        return false;
    }
    const CameraId camera = photo->exif.camera;
    const TimeValue now = utcShiftFor(camera, list.cameraClocks, listShift);
    const TimeValue correction = *syncCorrection(list, sync, now, listShift);
    setCameraClock(list, camera, now - correction);
    err << "vantora-gps: the clock of " << cameraName(camera) << " runs at " << formatUtcShift(now - correction)
        << " (from " << displayName(sync.photo.filename()) << ")\n";
    return true;
}

// "--utc-offset +10:00" where the list's offset can say it, else the
// camera's own option.
std::string optionFor(const ClockProposal& proposal)
{
    const std::string shift = formatUtcShift(proposal.proposedShift);
    if (utcOffsetOf(proposal.proposedShift))
        return "--utc-offset " + shift;
    return "--camera-offset \"" + cameraName(proposal.camera) + "=" + shift + "\"";
}

}  // namespace

std::optional<CameraOffsetOption> parseCameraOffset(const std::string& text)
{
    const std::size_t equals = text.rfind('=');
    if (equals == std::string::npos || equals == 0 || equals + 2 > text.size())
        return std::nullopt;
    const char sign = text[equals + 1];
    const auto clock = parseClock(text.substr(equals + 2));
    if ((sign != '+' && sign != '-') || !clock)
        return std::nullopt;
    return CameraOffsetOption{text.substr(0, equals), sign == '-' ? -*clock : *clock};
}

std::optional<SyncOption> parseSync(const std::filesystem::path& word)
{
    const auto& native = word.native();
    const std::size_t equals = native.rfind('=');
    if (equals == std::string::npos || equals == 0)
        return std::nullopt;
    std::string clockText;
    for (std::size_t i = equals + 1; i < native.size(); ++i) {
        using Unit = std::make_unsigned_t<std::filesystem::path::value_type>;
        const auto unit = static_cast<Unit>(native[i]);
        if (unit == 0 || unit >= 0x80)
            return std::nullopt;
        clockText += static_cast<char>(native[i]);
    }
    SyncOption sync;
    sync.photo = native.substr(0, equals);
    if (!clockText.empty() && clockText.back() == 'Z') {
        sync.utc = true;
        clockText.pop_back();
    }
    const auto clock = clockText.size() == 8 ? parseClock(clockText) : std::nullopt;
    if (!clock)
        return std::nullopt;
    sync.timeOfDay = *clock;
    return sync;
}

std::optional<std::string> takeClockOption(const std::vector<Argument>& args, std::size_t& i,
                                           std::vector<CameraOffsetOption>& offsets,
                                           std::vector<SyncOption>& syncs)
{
    const bool isSync = args[i].text == "--sync";
    const char* usage = isSync ? kSyncUsage : kCameraOffsetUsage;
    if (i + 1 >= args.size())
        return usage;
    const Argument& value = args[++i];
    if (isSync) {
        const auto sync = parseSync(value.path);
        if (!sync)
            return usage;
        syncs.push_back(*sync);
    } else {
        const auto offset = parseCameraOffset(value.text);
        if (!offset)
            return usage;
        offsets.push_back(*offset);
    }
    return std::nullopt;
}

std::optional<TimeValue> syncCorrection(const PhotoList& list, const SyncOption& sync, TimeValue cameraShift,
                                        TimeValue zoneShift, const PhotoRecord** photo)
{
    const PhotoRecord* record = findPhoto(list, sync.photo);
    if (photo != nullptr)
        *photo = record;
    const auto local = record ? toTimeValue(record->exif.shootingTime) : std::nullopt;
    if (!local)
        return std::nullopt;
    // The photo's moment in the zone the time was read in, by the clock as it is now.
    const TimeValue shown = *local - cameraShift + (sync.utc ? 0 : zoneShift);
    TimeValue correction = floorMod(sync.timeOfDay - shown, kDay);
    if (correction > kDay / 2)
        correction -= kDay;
    return correction;
}

bool setCameraClocksAsked(PhotoList& list, const std::vector<CameraOffsetOption>& offsets,
                          const std::vector<SyncOption>& syncs, std::ostream& err)
{
    bool allSet = true;
    for (const CameraOffsetOption& option : offsets)
        allSet = setOffsetByName(list, option, err) && allSet;
    for (const SyncOption& sync : syncs)
        allSet = setOffsetBySync(list, sync, err) && allSet;
    return allSet;
}

void proposeCameraClocks(PhotoList& list, bool take, const UtcOffset& offset, std::size_t setByHand,
                         std::ostream& err)
{
    std::vector<ClockProposal> proposals;
    for (ClockProposal& proposal : findCameraClocks(list)) {
        err << "vantora-gps: the photos of " << cameraName(proposal.camera) << " (" << proposal.photos
            << ") look taken with " << optionFor(proposal) << ": " << proposal.insideProposed << " of "
            << proposal.photos << " inside the track, now " << proposal.insideNow << "\n";
        // The clocks set by hand come first: they were the only ones then.
        const auto handSet = list.cameraClocks.begin() +
                             static_cast<std::ptrdiff_t>(std::min(setByHand, list.cameraClocks.size()));
        const bool byHand = std::any_of(list.cameraClocks.begin(), handSet,
                                        [&](const CameraClock& c) { return c.camera == proposal.camera; });
        if (take && !byHand)
            proposals.push_back(std::move(proposal));
    }
    if (proposals.empty())
        return;
    applyClockProposals(list, proposals, offset);
    for (const ClockProposal& proposal : proposals)
        err << "vantora-gps: matched the photos of " << cameraName(proposal.camera) << " with "
            << formatUtcShift(proposal.proposedShift) << "\n";
}

}  // namespace vantora::cli
