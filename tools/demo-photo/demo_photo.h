#pragma once
// Small JPEG photos with the Exif tags a camera writes (Exif 2.3,
// DateTimeOriginal and the image size) and no GPS tags: for the demo and for
// tests that need photos taken at known times.

#include <cstddef>
#include <string>
#include <vector>

namespace demo_photo {

// True for "YYYY:MM:DD HH:MM:SS" (digits and separators in place).
bool isExifDateTime(const std::string& text);

// A complete 64 x 48 JPEG file taken at the given DateTimeOriginal. With
// `fillBytes`, comment segments of that many bytes in all come before the
// image data, to give the file the size of a real photo.
std::vector<unsigned char> makeDemoJpeg(const std::string& dateTimeOriginal,
                                        std::size_t fillBytes = 0);

}  // namespace demo_photo
