#pragma once
// Finds the first Exif APP1 segment of a JPEG file and puts a new TIFF block
// in its place, copying every other byte of the file unchanged.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace exif {

struct JpegLayout {
    bool hasExif = false;
    std::size_t segmentStart = 0;  // the 0xFF of the Exif APP1 marker
    std::size_t tiffStart = 0;     // after "Exif\0\0"
    std::size_t segmentEnd = 0;    // the first byte after the segment
    bool imageComplete = false;    // an end-of-image marker follows the scan
    std::size_t imageEnd = 0;      // just past that marker (0 while not known)
    // The first APP1 segment carrying the standard XMP packet; extended XMP
    // segments are other segments, never looked into.
    bool hasXmp = false;
    std::size_t xmpStart = 0;   // the 0xFF of its marker
    std::size_t packetStart = 0;  // after the XMP header
    std::size_t xmpEnd = 0;     // the first byte after the segment
    // The first multi-picture (APP2 "MPF") segment's start, when there is one.
    bool hasMpf = false;
    std::size_t mpfStart = 0;
};

// What starts the payload of the standard XMP segment, its NUL included.
constexpr char kXmpHeader[] = "http://ns.adobe.com/xap/1.0/";
constexpr std::size_t kXmpHeaderSize = sizeof kXmpHeader;  // 29
// The largest packet one segment holds: its length field counts itself too.
constexpr std::size_t kMaxXmpPacket = 65535 - 2 - kXmpHeaderSize;

enum class ScanResult { ok, damaged, needMore };

// How far into the file the segments before the image data may reach: every
// byte up to the end of the scan header (SOS) must lie within this many.
// An Exif-bearing photo needs far less: a chained ICC profile of at most 255
// APP2 segments of 64 KiB (16.7 MB), the Exif segment, XMP with its
// extensions, MPF and Photoshop segments. A file whose segments (or fill
// bytes) go past it is damaged, which is known as soon as a segment's length
// or the fill bytes reach past it, without reading on.
constexpr std::size_t kMaxBytesBeforeScan = 24 * 1024 * 1024;

// Walks the segments up to the start of the scan as the file's bytes come
// in: each call goes on where the last one stopped, so that reading a file
// chunk by chunk costs time in proportion to its bytes, not to their square.
// `file` must hold the same bytes at every call (the file's start, read
// further); `complete` tells whether it is the whole file. Until it is,
// running out of bytes gives needMore, and whether the image data ends is
// left unknown (false); the first call with the whole file after the scan
// was found looks for the end-of-image marker. Once ok or damaged, the
// scanner stays so. damaged: not a JPEG, segments that run past the end or
// past kMaxBytesBeforeScan, a missing marker.
class JpegScanner {
public:
    ScanResult resume(const std::vector<uint8_t>& file, bool complete);
    // The layout as found so far (all of it once resume gave ok).
    const JpegLayout& layout() const { return layout_; }

private:
    enum class Stage {
        start,    // nothing read yet: the start-of-image marker
        segment,  // pos_ is where the next marker's 0xFF must be
        fill,     // pos_ is past 0xFF bytes, in the fill bytes before a marker
        marker,   // pos_ is the marker byte after its 0xFF
        scan,     // the scan header ended at pos_; the end marker not looked for yet
        done,     // ok, and nothing more to do
        damaged,
    };
    // One stage each: nullopt when the walk goes on to the next stage,
    // else what resume returns.
    std::optional<ScanResult> readStart(const std::vector<uint8_t>& file, bool complete);
    std::optional<ScanResult> readSegmentStart(const std::vector<uint8_t>& file, bool complete);
    std::optional<ScanResult> skipFill(const std::vector<uint8_t>& file, bool complete);
    std::optional<ScanResult> readMarker(const std::vector<uint8_t>& file, bool complete);
    std::optional<ScanResult> lookForImageEnd(const std::vector<uint8_t>& file, bool complete);
    void noteExif(const std::vector<uint8_t>& file, std::size_t markerStart, std::size_t payload,
                  std::size_t end);
    void noteXmp(const std::vector<uint8_t>& file, std::size_t markerStart, std::size_t payload, std::size_t end);
    void noteMpf(const std::vector<uint8_t>& file, std::size_t markerStart, std::size_t payload, std::size_t end);
    ScanResult damaged();  // and stays so
    ScanResult shortOfBytes(bool complete);

    JpegLayout layout_;
    Stage stage_ = Stage::start;
    std::size_t pos_ = 0;
};

// The one-shot form: the same walk over `file` at once.
ScanResult scanJpeg(const std::vector<uint8_t>& file, bool complete, JpegLayout& out);

// The file with its first Exif APP1 segment carrying `tiff` instead.
std::vector<uint8_t> replaceExif(const std::vector<uint8_t>& file, const JpegLayout& layout,
                                 const std::vector<uint8_t>& tiff);

// The Exif APP1 segment carrying `tiff` (the caller keeps it within 65,535).
std::vector<uint8_t> exifSegment(const std::vector<uint8_t>& tiff);

// The standard XMP segment carrying `packet` (at most kMaxXmpPacket bytes).
std::vector<uint8_t> xmpSegment(const std::vector<uint8_t>& packet);

}  // namespace exif
