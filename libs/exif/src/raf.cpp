// Fujifilm RAF: a 16-byte signature ("FUJIFILMCCD-RAW "), version and camera
// fields, then at byte 84 the offset and at byte 88 the length (big-endian)
// of a JPEG the camera made of the photo. That JPEG carries the photo's Exif
// and is its preview; the raw data after it is never read.
#include "container.h"
#include "jpeg.h"

#include <algorithm>

namespace exif {
namespace {

constexpr uint64_t kJpegOffsetAt = 84, kHeaderSize = 92;
// The JPEG's first bytes read; four times as many while its segments go on.
constexpr uint64_t kFirstRead = 64 * 1024;

// The JPEG's bytes as far as its image data, scanned.
Refusal scanEmbeddedJpeg(FileSource& file, FileRange jpeg, std::vector<uint8_t>& bytes, JpegLayout& layout)
{
    JpegScanner scanner;
    ScanResult result = ScanResult::needMore;
    for (uint64_t wanted = kFirstRead; result == ScanResult::needMore; wanted *= 4) {
        const uint64_t count = std::min(wanted, jpeg.length);
        if (!file.read(jpeg.offset, count, bytes)) return "the RAF file's JPEG cannot be read";
        result = scanner.resume(bytes, count == jpeg.length);
    }
    if (result != ScanResult::ok) return "the RAF file's JPEG is damaged";
    layout = scanner.layout();
    return kRead;
}

}  // namespace

Refusal readRaf(FileSource& file, ContainerContents& out)
{
    if (file.size() < kHeaderSize || !file.extendHead(kHeaderSize)) return "the RAF header is cut off";
    const std::vector<uint8_t>& head = file.head();
    const ByteReader header(head.data(), head.size(), ByteOrder::big);
    uint32_t offset = 0, length = 0;
    header.u32(kJpegOffsetAt, offset);
    header.u32(kJpegOffsetAt + 4, length);
    if (!file.contains(offset, length)) return "the JPEG the RAF header points at runs past the end of the file";
    if (!startsAJpeg(file, offset, length)) return "the RAF header does not point at a JPEG";
    std::vector<uint8_t> jpeg;
    JpegLayout layout;
    if (const Refusal r = scanEmbeddedJpeg(file, {offset, length}, jpeg, layout); r != kRead) return r;
    out.preview = {offset, length};
    if (!layout.hasExif) return kRead;
    TiffBlock block;
    block.bytes.assign(jpeg.begin() + static_cast<std::ptrdiff_t>(layout.tiffStart),
                       jpeg.begin() + static_cast<std::ptrdiff_t>(layout.segmentEnd));
    if (!parseTiff(block.bytes, block.model)) return "the Exif block of the RAF file's JPEG is damaged";
    out.addBlock(std::move(block));
    return kRead;
}

}  // namespace exif
