// Photos of real size: opening reads only up to the image data; the first
// write reads the rest and makes sure the file did not change meanwhile.
#include "exif_test_support.h"
#include "file_io.h"
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

TEST(ALargePhoto, isReadAndWrittenWithEveryOtherByteKept)
{
    for (bool exifFirst : {true, false}) {
        SCOPED_TRACE(exifFirst ? "Exif first" : "Exif after 5 APP2 segments");
        TempDir dir;
        const auto path = dir.path() / "large.jpg";
        writeBytes(path, largeJpeg(5, exifFirst, 3 * 1024 * 1024));
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
    TempDir dir;
    const auto path = dir.path() / "cut.jpg";
    writeBytes(path, largeJpeg(2, true, 1024 * 1024, false));
    const Bytes before = readBytes(path);
    uint32_t h = 0;
    ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
    char date[20];
    EXPECT_EQ(ExifGetDateTimeOriginal(h, date), EXIF_OK);
    EXPECT_EQ(setGps(h), EXIF_ERR_FORMAT);
    EXPECT_EQ(ExifFileClose(h), EXIF_OK);
    EXPECT_EQ(readBytes(path), before);
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
    EXPECT_EQ(ExifSetDateTimeOriginal(h, "2001:01:01 01:01:01"), EXIF_ERR_OPEN);
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

TEST(ReadingAFile, stopsAtTheChunkWhereItIsToldToStop)
{
    TempDir dir;
    const auto path = dir.path() / "large.jpg";
    writeBytes(path, largeJpeg(1, true, 1024 * 1024));
    ::exif::io::Snapshot head, whole;
    int calls = 0;
    ASSERT_EQ(::exif::io::readFile(narrow(path), head,
                                   [&](const Bytes&, uint64_t) { return ++calls < 2; }),
              ::exif::io::Result::ok);
    EXPECT_EQ(head.bytes.size(), 2 * ::exif::io::kReadChunk);
    EXPECT_FALSE(head.whole());
    ASSERT_EQ(::exif::io::readFile(narrow(path), whole), ::exif::io::Result::ok);
    EXPECT_TRUE(whole.whole());
    EXPECT_EQ(whole.bytes, readBytes(path));
    EXPECT_TRUE(std::equal(head.bytes.begin(), head.bytes.end(), whole.bytes.begin()));
}

}  // namespace
}  // namespace vantora::test::exif
