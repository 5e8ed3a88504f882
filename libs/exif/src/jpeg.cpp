#include "jpeg.h"

#include <algorithm>
#include <cstring>

namespace exif {

ScanResult scanJpeg(const std::vector<uint8_t>& file, bool complete, JpegLayout& out)
{
    out = JpegLayout{};
    const std::size_t size = file.size();
    const ScanResult shortOfBytes = complete ? ScanResult::damaged : ScanResult::needMore;
    if (size < 4) return shortOfBytes;
    if (file[0] != 0xFF || file[1] != 0xD8) return ScanResult::damaged;
    std::size_t pos = 2;
    for (;;) {
        if (pos >= size) return shortOfBytes;
        if (file[pos] != 0xFF) return ScanResult::damaged;
        while (pos < size && file[pos] == 0xFF) ++pos;  // fill bytes
        if (pos >= size) return shortOfBytes;
        const std::size_t markerStart = pos - 1;
        const uint8_t marker = file[pos++];
        if (marker == 0x00 || marker == 0xD8 || marker == 0xD9) return ScanResult::damaged;  // no image before the end
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
        if (size - pos < 2) return shortOfBytes;
        const std::size_t length = (std::size_t(file[pos]) << 8) | file[pos + 1];
        if (length < 2) return ScanResult::damaged;
        if (length > size - pos) return shortOfBytes;
        const std::size_t payload = pos + 2;
        const std::size_t end = pos + length;
        if (marker == 0xE1 && !out.hasExif && length - 2 >= 6 &&
            std::memcmp(&file[payload], "Exif\0\0", 6) == 0) {
            out.hasExif = true;
            out.segmentStart = markerStart;
            out.tiffStart = payload + 6;
            out.segmentEnd = end;
        }
        pos = end;
        if (marker == 0xDA) break;
    }
    // The image data must end with an end-of-image marker; what follows it
    // (another picture of a multi-picture file) is no concern here.
    static const uint8_t eoi[2] = {0xFF, 0xD9};
    out.imageComplete = complete && std::search(file.begin() + static_cast<std::ptrdiff_t>(pos), file.end(),
                                                eoi, eoi + 2) != file.end();
    return ScanResult::ok;
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

}  // namespace exif
