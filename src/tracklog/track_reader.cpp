#include "tracklog/track_reader.h"

#include <array>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "tracklog/gpx_reader.h"
#include "tracklog/nmea_reader.h"

namespace vantora {

namespace {

// Enough to pass a byte-order mark and the blank lines some exporters put
// before the XML declaration.
constexpr std::size_t kSniffBytes = 512;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

TrackProblem problemOf(GpxProblem problem)
{
    switch (problem) {
    case GpxProblem::none: return TrackProblem::none;
    case GpxProblem::cannotOpen: return TrackProblem::cannotOpen;
    case GpxProblem::notGpx: return TrackProblem::notATrack;
    case GpxProblem::noTimedTrackPoint: return TrackProblem::noTimedTrackPoint;
    case GpxProblem::onlyWaypointsAndRoutes: return TrackProblem::onlyWaypointsAndRoutes;
    case GpxProblem::damaged: return TrackProblem::damagedXml;
    case GpxProblem::dtdRefused: return TrackProblem::dtdRefused;
    case GpxProblem::notEnoughMemory: return TrackProblem::notEnoughMemory;
    }
    return TrackProblem::notATrack;
}

// The first bytes of the file; empty when it cannot be opened as a file.
std::optional<std::string> firstBytesOf(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::string bytes(kSniffBytes, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return bytes;
}

}  // namespace

TrackFormat trackFormatOf(const char* bytes, std::size_t size)
{
    std::string_view text(bytes, size);
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    else if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"))
        return TrackFormat::gpx;  // UTF-16: an NMEA log is ASCII
    // UTF-16 without a mark: every other byte of the ASCII start is a NUL.
    for (char c : text) {
        if (c == '\0' || isBlank(c))
            continue;
        return c == '<' ? TrackFormat::gpx : TrackFormat::nmea;
    }
    return TrackFormat::nmea;
}

TrackReadResult readTrackLog(const std::filesystem::path& path, LogFileRecord& record)
{
    record.path = path;
    if (utf16Length(path) > kMaxPathLength)
        return {TrackProblem::cannotOpen};
    const auto start = firstBytesOf(path);
    if (!start)
        return {TrackProblem::cannotOpen};
    if (trackFormatOf(start->data(), start->size()) == TrackFormat::gpx) {
        const GpxReadResult gpx = readGpxLog(path, record);
        const bool maybeNmea = gpx.problem == GpxProblem::notGpx || gpx.problem == GpxProblem::damaged;
        if (!maybeNmea)
            return {problemOf(gpx.problem), gpx.line};
        // A log whose first bytes are garbage that happens to open with
        // '<' is still read as the NMEA log it may be.
        record.clearPoints();
        if (readNmeaLog(path, record))
            return {};
        record.clearPoints();
        return {problemOf(gpx.problem), gpx.line};
    }
    bool sawSentence = false;
    if (readNmeaLog(path, record, &sawSentence))
        return {};
    record.clearPoints();
    return {sawSentence ? TrackProblem::noValidFix : TrackProblem::notATrack};
}

}  // namespace vantora
