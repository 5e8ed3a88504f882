// Photos of real size: opening reads only up to the image data; the first
// write reads the rest and makes sure the file did not change meanwhile.
#include "exif_test_support.h"
#include "file_io.h"
#include "jpeg.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace vantora::test::exif {
namespace {

// A JPEG of `segments` APP2 segments of 60,000 bytes, then the Exif segment
// (or the other way round), then `imageBytes` bytes of scan data.
Bytes largeJpeg(std::size_t segments, bool exifFirst, std::size_t imageBytes, bool withEnd = true)
{
    const Bytes small = tinyJpeg(tinyTiff(false, true));
    const ExifSegment s = findExif(small);
    const Bytes exifSegment(small.begin() + static_cast<std::ptrdiff_t>(s.start),
                            small.begin() + static_cast<std::ptrdiff_t>(s.end));
    Bytes j = {0xFF, 0xD8};
    if (exifFirst) j.insert(j.end(), exifSegment.begin(), exifSegment.end());
    for (std::size_t i = 0; i < segments; ++i) {
        const std::size_t length = 60000;
        j.insert(j.end(), {0xFF, 0xE2, uint8_t(length >> 8), uint8_t(length)});
        for (std::size_t k = 2; k < length; ++k) j.push_back(uint8_t((k * 7 + i) % 251));
    }
    if (!exifFirst) j.insert(j.end(), exifSegment.begin(), exifSegment.end());
    j.insert(j.end(), {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00});
    for (std::size_t k = 0; k < imageBytes; ++k) j.push_back(uint8_t(k % 255));  // never 0xFF
    if (withEnd) j.insert(j.end(), {0xFF, 0xD9});
    return j;
}

// With data after the image or without, the image data is copied as it
// was: unread when the file ends with its end marker, read whole otherwise.
TEST(ALargePhoto, isReadAndWrittenWithEveryOtherByteKept)
{
    const struct {
        bool exifFirst;
        std::size_t trailer;  // bytes after the end marker
    } cases[] = {{true, 0}, {false, 0}, {true, 100000}, {false, 100000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exifFirst ? "Exif first" : "Exif after 5 APP2 segments");
        SCOPED_TRACE(c.trailer == 0 ? "ending with its end marker" : "with a trailer");
        TempDir dir;
        const auto path = dir.path() / "large.jpg";
        Bytes jpeg = largeJpeg(5, c.exifFirst, 3 * 1024 * 1024);
        jpeg.insert(jpeg.end(), c.trailer, 0x5A);
        writeBytes(path, jpeg);
        const Bytes before = readBytes(path);
        uint32_t h = 0;
        ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
        char date[20];
        EXPECT_EQ(ExifGetDateTimeOriginal(h, date), EXIF_OK);
        EXPECT_STREQ(date, "2008:05:12 10:20:30");
        EXPECT_EQ(setGps(h), EXIF_OK);
        EXPECT_EQ(ExifFileClose(h), EXIF_OK);
        const Bytes after = readBytes(path);
        const ExifSegment a = findExif(before), b = findExif(after);
        ASSERT_TRUE(b.found);
        EXPECT_TRUE(std::equal(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(a.start), after.begin()));
        EXPECT_EQ(before.size() - a.end, after.size() - b.end);
        EXPECT_TRUE(std::equal(before.begin() + static_cast<std::ptrdiff_t>(a.end), before.end(),
                               after.begin() + static_cast<std::ptrdiff_t>(b.end)));
        ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
        char datum[16];
        EXPECT_EQ(ExifGetGPSMapDatum(h, sizeof datum, datum), EXIF_OK);
        EXPECT_STREQ(datum, "WGS-84");
        EXPECT_EQ(ExifFileClose(h), EXIF_OK);
    }
}

TEST(ALargePhotoWithoutAnEndMarker, isReadButNotWritten)
{
    for (std::size_t imageBytes : {std::size_t(1) << 20, std::size_t(3) << 20}) {
        TempDir dir;
        const auto path = dir.path() / "cut.jpg";
        writeBytes(path, largeJpeg(2, true, imageBytes, false));
        const Bytes before = readBytes(path);
        uint32_t h = 0;
        ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
        char date[20];
        EXPECT_EQ(ExifGetDateTimeOriginal(h, date), EXIF_OK);
        EXPECT_EQ(setGps(h), EXIF_ERR_NO_IMAGE_END);
        EXPECT_EQ(ExifFileClose(h), EXIF_OK);
        EXPECT_EQ(readBytes(path), before);
    }
}

TEST(ALargePhotoChangedAfterOpening, isNotWritten)
{
    TempDir dir;
    const auto path = dir.path() / "large.jpg";
    writeBytes(path, largeJpeg(1, true, 1024 * 1024));
    uint32_t h = 0;
    ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
    Bytes other = largeJpeg(1, true, 1024 * 1024 + 10);
    writeBytes(path, other);
    EXPECT_EQ(ExifSetDateTimeOriginal(h, "2001:01:01 01:01:01"), EXIF_ERR_CHANGED);
    EXPECT_EQ(ExifFileClose(h), EXIF_OK);
    EXPECT_EQ(readBytes(path), other);
}

TEST(ASegmentRunningPastTheEndOfALargeFile, isRefusedAtOpen)
{
    TempDir dir;
    const auto path = dir.path() / "bad.jpg";
    Bytes j = largeJpeg(3, false, 0, false);
    j.resize(130000);  // cuts the third APP2 segment
    writeBytes(path, j);
    uint32_t h = 0;
    EXPECT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_ERR_FORMAT);
}

// The segments before the image data may reach ::exif::kMaxBytesBeforeScan
// into the file; a file whose segments go on past it is refused as damaged,
// untouched.
TEST(APhotoWhoseSegmentsBeforeTheScanGoPastTheBound, isRefusedAndStaysByteIdentical)
{
    TempDir dir;
    const auto path = dir.path() / "huge-head.jpg";
    writeBytes(path, largeJpeg(::exif::kMaxBytesBeforeScan / 60000 + 1, false, 1000));
    const Bytes before = readBytes(path);
    uint32_t h = 0;
    EXPECT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_ERR_FORMAT);
    EXPECT_EQ(readBytes(path), before);
}

TEST(APhotoWithTwoMegabytesOfSegmentsBeforeItsExif, isRead)
{
    TempDir dir;
    const auto path = dir.path() / "big-head.jpg";
    writeBytes(path, largeJpeg(35, false, 1000));  // 2.1 MB of APP2 segments, as a long ICC profile
    uint32_t h = 0;
    ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
    char date[20];
    EXPECT_EQ(ExifGetDateTimeOriginal(h, date), EXIF_OK);
    EXPECT_STREQ(date, "2008:05:12 10:20:30");
    EXPECT_EQ(ExifFileClose(h), EXIF_OK);
}

// Fill bytes before the scan header count too: a header ending right at the
// bound is read, one byte more is refused as soon as the bytes up to the
// bound are there, without waiting for the rest of the file.
TEST(TheBoundBeforeTheScan, holdsToTheByteAndIsKnownWithoutReadingOn)
{
    const Bytes small = tinyJpeg(tinyTiff(false));
    const ExifSegment s = findExif(small);
    const Bytes tail(small.begin() + static_cast<std::ptrdiff_t>(s.end), small.end());  // table, scan, end
    const std::size_t scanHeaderEnd = s.end + 7 + 10;  // past the table and the scan header
    for (std::size_t extra : {0, 1}) {
        SCOPED_TRACE(extra);
        const std::size_t fill = ::exif::kMaxBytesBeforeScan - scanHeaderEnd + extra;
        Bytes j(small.begin(), small.begin() + static_cast<std::ptrdiff_t>(s.end));
        j.resize(j.size() + fill, 0xFF);
        j.insert(j.end(), tail.begin(), tail.end());
        ::exif::JpegLayout layout;
        EXPECT_EQ(::exif::scanJpeg(j, true, layout), extra == 0 ? ::exif::ScanResult::ok : ::exif::ScanResult::damaged);
        j.resize(::exif::kMaxBytesBeforeScan);
        EXPECT_EQ(::exif::scanJpeg(j, false, layout),
                  extra == 0 ? ::exif::ScanResult::ok : ::exif::ScanResult::damaged);
    }
}

// Walked as the bytes come in, a byte or a few at a time, a photo gives what
// one walk over all of it gives.
TEST(AJpegScannedInPieces, isFoundAsInOneGo)
{
    std::vector<Bytes> photos = {largeJpeg(2, false, 5000), largeJpeg(1, true, 100, false)};
    for (const char* name : {"mm_gps_xmp.jpg", "ii_canon_makernote.jpg", "no_exif.jpg", "png_named.jpg"})
        photos.push_back(readBytes(fixture(name)));
    for (const Bytes& photo : photos) {
        ::exif::JpegLayout whole;
        const ::exif::ScanResult expected = ::exif::scanJpeg(photo, true, whole);
        for (std::size_t piece : {1, 7, 4096}) {
            SCOPED_TRACE(piece);
            ::exif::JpegScanner scanner;
            Bytes read;
            ::exif::ScanResult result = ::exif::ScanResult::needMore;
            while (result == ::exif::ScanResult::needMore && read.size() < photo.size()) {
                const std::size_t n = std::min(piece, photo.size() - read.size());
                read.insert(read.end(), photo.begin() + static_cast<std::ptrdiff_t>(read.size()),
                            photo.begin() + static_cast<std::ptrdiff_t>(read.size() + n));
                result = scanner.resume(read, read.size() == photo.size());
            }
            result = scanner.resume(read, read.size() == photo.size());
            const bool allRead = read.size() == photo.size();
            EXPECT_EQ(result, expected);
            const ::exif::JpegLayout& found = scanner.layout();
            EXPECT_EQ(found.hasExif, whole.hasExif);
            EXPECT_EQ(found.segmentStart, whole.segmentStart);
            EXPECT_EQ(found.tiffStart, whole.tiffStart);
            EXPECT_EQ(found.segmentEnd, whole.segmentEnd);
            EXPECT_EQ(found.imageComplete, allRead && whole.imageComplete);
        }
    }
}

TEST(ReadingAFile, stopsAtTheChunkWhereItIsToldToStop)
{
    TempDir dir;
    const auto path = dir.path() / "large.jpg";
    writeBytes(path, largeJpeg(1, true, 1024 * 1024));
    ::exif::io::Snapshot head, whole;
    int calls = 0;
    ASSERT_EQ(::exif::io::readFile(path.native(), head,
                                   [&](const Bytes&, uint64_t) { return ++calls < 2; }),
              ::exif::io::Result::ok);
    EXPECT_EQ(head.bytes.size(), 2 * ::exif::io::kReadChunk);
    EXPECT_FALSE(head.whole());
    ASSERT_EQ(::exif::io::readFile(path.native(), whole), ::exif::io::Result::ok);
    EXPECT_TRUE(whole.whole());
    EXPECT_EQ(whole.bytes, readBytes(path));
    EXPECT_TRUE(std::equal(head.bytes.begin(), head.bytes.end(), whole.bytes.begin()));
}

}  // namespace
}  // namespace vantora::test::exif
