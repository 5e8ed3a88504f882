#include "tracklog/track_span_scan.h"

#include <fstream>
#include <new>
#include <string>

#include "tracklog/nmea_reader.h"
#include "tracklog/track_reader.h"

namespace vantora {

namespace {

std::optional<std::string> bytesAt(std::ifstream& file, std::uint64_t offset, std::size_t size)
{
    std::string bytes(size, '\0');
    file.seekg(static_cast<std::streamoff>(offset));
    if (!file.read(bytes.data(), static_cast<std::streamsize>(size)))
        return std::nullopt;
    return bytes;
}

// The fixes of whole lines only: the cut line at either end is dropped.
LogFileRecord fixesOfLines(std::string_view bytes, bool dropFirstLine, bool dropLastLine)
{
    if (dropFirstLine) {
        const std::size_t firstEnd = bytes.find('\n');
        bytes.remove_prefix(firstEnd == std::string_view::npos ? bytes.size() : firstEnd + 1);
    }
    if (dropLastLine) {
        const std::size_t lastEnd = bytes.rfind('\n');
        bytes = bytes.substr(0, lastEnd == std::string_view::npos ? 0 : lastEnd + 1);
    }
    LogFileRecord record;
    readNmeaText(bytes, record);
    return record;
}

}  // namespace

std::optional<ScannedSpan> scanTrackSpan(const std::filesystem::path& path)
{
    try {
        const auto stamp = stampOf(path);
        if (!stamp || stamp->size < 4 * kSpanScanBytes || utf16Length(path) > kMaxPathLength)
            return std::nullopt;
        std::ifstream file(path, std::ios::binary);
        const auto head = file ? bytesAt(file, 0, kSpanScanBytes) : std::nullopt;
        const auto tail = head ? bytesAt(file, stamp->size - kSpanScanBytes, kSpanScanBytes) : std::nullopt;
        if (!tail || trackFormatOf(head->data(), head->size()) != TrackFormat::nmea)
            return std::nullopt;
        const LogFileRecord first = fixesOfLines(*head, false, true);
        const LogFileRecord last = fixesOfLines(*tail, true, false);
        if (first.empty() || last.empty())
            return std::nullopt;
        LogSpan span;
        span.pointCount = first.pointCount() + last.pointCount();  // at least; the true count comes with the fixes
        span.firstTime = first.firstTime();
        span.firstFix = first.span().firstFix;
        span.lastTime = last.lastTime();
        span.lastFix = last.span().lastFix;
        if (!storeFix(first.firstPoint(), span.firstTime) || !storeFix(last.lastPoint(), span.lastTime))
            return std::nullopt;
        return ScannedSpan{*stamp, span};
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace vantora
