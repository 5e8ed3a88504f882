#include "jpeg.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace exif {

namespace {

// Just past the first end-of-image marker (FF D9) in file[from, end); 0 when
// there is none. One pass.
std::size_t endMarkerEnd(const std::vector<uint8_t>& file, std::size_t from)
{
    const uint8_t* p = file.data() + from;
    const uint8_t* const end = file.data() + file.size();
    while (end - p >= 2) {
        const void* ff = std::memchr(p, 0xFF, static_cast<std::size_t>(end - p - 1));
        if (ff == nullptr) return 0;
        p = static_cast<const uint8_t*>(ff);
        if (p[1] == 0xD9) return static_cast<std::size_t>(p + 2 - file.data());
        ++p;
    }
    return 0;
}

}  // namespace

ScanResult JpegScanner::resume(const std::vector<uint8_t>& file, bool complete)
{
    for (;;) {
        std::optional<ScanResult> result;
        switch (stage_) {
        case Stage::start: result = readStart(file, complete); break;
        case Stage::segment: result = readSegmentStart(file, complete); break;
        case Stage::fill: result = skipFill(file, complete); break;
        case Stage::marker: result = readMarker(file, complete); break;
        case Stage::scan: result = lookForImageEnd(file, complete); break;
        case Stage::done: return ScanResult::ok;
        case Stage::damaged: return ScanResult::damaged;
        }
        if (result) return *result;
    }
}

ScanResult JpegScanner::damaged()
{
    stage_ = Stage::damaged;
    return ScanResult::damaged;
}

// Out of bytes: wait for more, or the file ends too soon.
ScanResult JpegScanner::shortOfBytes(bool complete)
{
    return complete ? damaged() : ScanResult::needMore;
}

std::optional<ScanResult> JpegScanner::readStart(const std::vector<uint8_t>& file, bool complete)
{
    if (file.size() < 4) return shortOfBytes(complete);
    if (file[0] != 0xFF || file[1] != 0xD8) return damaged();
    pos_ = 2;
    stage_ = Stage::segment;
    return std::nullopt;
}

std::optional<ScanResult> JpegScanner::readSegmentStart(const std::vector<uint8_t>& file, bool complete)
{
    if (pos_ >= kMaxBytesBeforeScan) return damaged();  // no scan within the bound
    if (pos_ >= file.size()) return shortOfBytes(complete);
    if (file[pos_] != 0xFF) return damaged();
    ++pos_;
    stage_ = Stage::fill;
    return std::nullopt;
}

std::optional<ScanResult> JpegScanner::skipFill(const std::vector<uint8_t>& file, bool complete)
{
    const std::size_t size = file.size();
    const std::size_t limit = std::min(size, kMaxBytesBeforeScan);
    while (pos_ < limit && file[pos_] == 0xFF) ++pos_;
    if (pos_ >= kMaxBytesBeforeScan) return damaged();  // the marker would lie past the bound
    if (pos_ >= size) return shortOfBytes(complete);
    stage_ = Stage::marker;
    return std::nullopt;
}

// Taken up again from the marker byte when its length or its segment's
// bytes had not all come in yet.
std::optional<ScanResult> JpegScanner::readMarker(const std::vector<uint8_t>& file, bool complete)
{
    const std::size_t size = file.size();
    const std::size_t markerStart = pos_ - 1;
    const uint8_t marker = file[pos_];
    const std::size_t at = pos_ + 1;
    if (marker == 0x00 || marker == 0xD8 || marker == 0xD9) return damaged();  // no image before the end
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
        pos_ = at;
        stage_ = Stage::segment;
        return std::nullopt;
    }
    if (size - at < 2) return shortOfBytes(complete);
    const std::size_t length = (std::size_t(file[at]) << 8) | file[at + 1];
    if (length < 2) return damaged();
    const std::size_t end = at + length;
    if (end > kMaxBytesBeforeScan) return damaged();
    if (length > size - at) return shortOfBytes(complete);
    if (marker == 0xE1) noteExif(file, markerStart, at + 2, end);
    if (marker == 0xE1) noteXmp(file, markerStart, at + 2, end);
    if (marker == 0xE2) noteMpf(file, markerStart, at + 2, end);
    pos_ = end;
    stage_ = marker == 0xDA ? Stage::scan : Stage::segment;
    return std::nullopt;
}

// The first APP1 segment whose payload starts with "Exif\0\0" is the Exif
// segment; later ones are no concern.
void JpegScanner::noteExif(const std::vector<uint8_t>& file, std::size_t markerStart, std::size_t payload,
                           std::size_t end)
{
    if (layout_.hasExif || end - payload < 6 || std::memcmp(&file[payload], "Exif\0\0", 6) != 0) return;
    layout_.hasExif = true;
    layout_.segmentStart = markerStart;
    layout_.tiffStart = payload + 6;
    layout_.segmentEnd = end;
}

// Only the first standard XMP segment counts, as readers take it.
void JpegScanner::noteXmp(const std::vector<uint8_t>& file, std::size_t markerStart, std::size_t payload,
                          std::size_t end)
{
    if (layout_.hasXmp || end - payload < kXmpHeaderSize ||
        std::memcmp(&file[payload], kXmpHeader, kXmpHeaderSize) != 0)
        return;
    layout_.hasXmp = true;
    layout_.xmpStart = markerStart;
    layout_.packetStart = payload + kXmpHeaderSize;
    layout_.xmpEnd = end;
}

// Its images' offsets count from its own header: a write that moves the
// bytes after it but not the segment itself must know where it lies.
void JpegScanner::noteMpf(const std::vector<uint8_t>& file, std::size_t markerStart, std::size_t payload,
                          std::size_t end)
{
    if (layout_.hasMpf || end - payload < 4 || std::memcmp(&file[payload], "MPF\0", 4) != 0) return;
    layout_.hasMpf = true;
    layout_.mpfStart = markerStart;
}

// The image data must end with an end-of-image marker; what follows it
// (another picture of a multi-picture file) is no concern here. Known only
// once the whole file is there.
std::optional<ScanResult> JpegScanner::lookForImageEnd(const std::vector<uint8_t>& file, bool complete)
{
    if (!complete) return ScanResult::ok;
    layout_.imageEnd = endMarkerEnd(file, pos_);
    layout_.imageComplete = layout_.imageEnd != 0;
    stage_ = Stage::done;
    return ScanResult::ok;
}

ScanResult scanJpeg(const std::vector<uint8_t>& file, bool complete, JpegLayout& out)
{
    JpegScanner scanner;
    const ScanResult result = scanner.resume(file, complete);
    out = scanner.layout();
    return result;
}

std::vector<uint8_t> replaceExif(const std::vector<uint8_t>& file, const JpegLayout& layout,
                                 const std::vector<uint8_t>& tiff)
{
    std::vector<uint8_t> result;
    result.reserve(file.size() + tiff.size());
    result.insert(result.end(), file.begin(), file.begin() + static_cast<std::ptrdiff_t>(layout.segmentStart));
    const std::size_t length = 2 + 6 + tiff.size();  // the caller keeps it within 65,535
    const uint8_t head[10] = {0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length), 'E', 'x', 'i', 'f', 0, 0};
    result.insert(result.end(), head, head + 10);
    result.insert(result.end(), tiff.begin(), tiff.end());
    result.insert(result.end(), file.begin() + static_cast<std::ptrdiff_t>(layout.segmentEnd), file.end());
    return result;
}

std::vector<uint8_t> exifSegment(const std::vector<uint8_t>& tiff)
{
    const std::size_t length = 2 + 6 + tiff.size();
    std::vector<uint8_t> segment = {0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length), 'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    return segment;
}

std::vector<uint8_t> xmpSegment(const std::vector<uint8_t>& packet)
{
    const std::size_t length = 2 + kXmpHeaderSize + packet.size();  // the caller keeps it within 65,535
    std::vector<uint8_t> segment = {0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length)};
    segment.reserve(2 + length);
    segment.insert(segment.end(), kXmpHeader, kXmpHeader + kXmpHeaderSize);
    segment.insert(segment.end(), packet.begin(), packet.end());
    return segment;
}

}  // namespace exif
