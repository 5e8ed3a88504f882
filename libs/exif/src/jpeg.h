#pragma once
// Finds the first Exif APP1 segment of a JPEG file and puts a new TIFF block
// in its place, copying every other byte of the file unchanged.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace exif {

struct JpegLayout {
    bool hasExif = false;
    std::size_t segmentStart = 0;  // the 0xFF of the Exif APP1 marker
    std::size_t tiffStart = 0;     // after "Exif\0\0"
    std::size_t segmentEnd = 0;    // the first byte after the segment
    bool imageComplete = false;    // an end-of-image marker follows the scan
};

enum class ScanResult { ok, damaged, needMore };

// Walks the segments up to the start of the scan. `complete` tells whether
// `file` is the whole file or only its start: then running out of bytes
// gives needMore, and whether the image data ends is left unknown (false).
// damaged: not a JPEG, or segments that run past the end, a missing marker.
ScanResult scanJpeg(const std::vector<uint8_t>& file, bool complete, JpegLayout& out);

// The file with its first Exif APP1 segment carrying `tiff` instead.
std::vector<uint8_t> replaceExif(const std::vector<uint8_t>& file, const JpegLayout& layout,
                                 const std::vector<uint8_t>& tiff);

}  // namespace exif
