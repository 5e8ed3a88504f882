// Damaged and hostile Exif blocks, built in memory: each is refused quickly
// with an error status, and the file stays byte-identical.
#include "exif_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace vantora::test::exif {
namespace {

struct Hostile {
    const char* name;
    void (*damage)(Bytes& tiff, bool little);
    bool thumbnail = false;
};

const Hostile hostileBlocks[] = {
    {"Ifd0LinksToItself", [](Bytes& t, bool l) { Patcher{t, l}.u32(TinyTiff::ifd0Next, TinyTiff::ifd0); }},
    {"ExifPointerBackToIfd0", [](Bytes& t, bool l) { Patcher{t, l}.u32(TinyTiff::exifPointerEntry + 8, TinyTiff::ifd0); }},
    {"GpsPointerToTheExifIfd", [](Bytes& t, bool l) { Patcher{t, l}.u32(TinyTiff::gpsPointerEntry + 8, TinyTiff::exifIfd); }},
    {"Ifd1LinkBackToTheGpsIfd", [](Bytes& t, bool l) { Patcher{t, l}.u32(TinyTiff::ifd0Next, TinyTiff::gpsIfd); }},
    {"GpsPointerOutsideTheBlock", [](Bytes& t, bool l) { Patcher{t, l}.u32(TinyTiff::gpsPointerEntry + 8, 0x10000); }},
    {"GpsPointerAtTheLastByte", [](Bytes& t, bool l) { Patcher{t, l}.u32(TinyTiff::gpsPointerEntry + 8, uint32_t(t.size() - 1)); }},
    {"GpsPointerFarOutside", [](Bytes& t, bool l) { Patcher{t, l}.u32(TinyTiff::gpsPointerEntry + 8, 0xFFFFFFF0u); }},
    {"GpsPointerOfTypeAscii", [](Bytes& t, bool l) { Patcher{t, l}.u16(TinyTiff::gpsPointerEntry + 2, 2); }},
    {"GpsPointerOfTypeShort", [](Bytes& t, bool l) { Patcher{t, l}.u16(TinyTiff::gpsPointerEntry + 2, 3); }},
    {"GpsPointerOfCountTwo", [](Bytes& t, bool l) { Patcher{t, l}.u32(TinyTiff::gpsPointerEntry + 4, 2); }},
    {"NegativeSlongGpsPointer",
     [](Bytes& t, bool l) {
         Patcher{t, l}.u16(TinyTiff::gpsPointerEntry + 2, 9);
         Patcher{t, l}.u32(TinyTiff::gpsPointerEntry + 8, 0xFFFFFFD0u);
     }},
    {"EntryCount0xFFFF", [](Bytes& t, bool l) { Patcher{t, l}.u16(TinyTiff::ifd0, 0xFFFF); }},
    {"GpsEntryCount0xFFFF", [](Bytes& t, bool l) { Patcher{t, l}.u16(TinyTiff::gpsIfd, 0xFFFF); }},
    {"CountTimesSizeOverflows32Bits",
     [](Bytes& t, bool l) {
         Patcher p{t, l};
         p.u16(TinyTiff::dateEntry + 2, 5);            // rational: 8 bytes each
         p.u32(TinyTiff::dateEntry + 4, 0x20000001u);  // x 8 = 2^32 + 8
     }},
    {"HugeCount", [](Bytes& t, bool l) { Patcher{t, l}.u32(TinyTiff::dateEntry + 4, 0xFFFFFFFFu); }},
    {"ValueOffsetPastTheEnd", [](Bytes& t, bool l) { Patcher{t, l}.u32(TinyTiff::dateEntry + 8, 0xFFFFFFF0u); }},
    {"ValueRunningPastTheEnd", [](Bytes& t, bool l) { Patcher{t, l}.u32(TinyTiff::dateEntry + 8, uint32_t(t.size() - 10)); }},
    // The 20-byte date one byte short of fitting (ATinyBlock opens it ending
    // exactly at the end).
    {"ValueRunningOneBytePastTheEnd", [](Bytes& t, bool l) { Patcher{t, l}.u32(TinyTiff::dateEntry + 8, uint32_t(t.size() - 19)); }},
    {"BadTiffMagic", [](Bytes& t, bool l) { Patcher{t, l}.u16(2, 43); }},
    {"BadByteOrderMark", [](Bytes& t, bool) { t[0] = 'X'; t[1] = 'X'; }},
    {"Ifd0OffsetPastTheEnd", [](Bytes& t, bool l) { Patcher{t, l}.u32(4, 0x7FFFFFFF); }},
    {"Ifd0OffsetIntoTheHeader", [](Bytes& t, bool l) { Patcher{t, l}.u32(4, 2); }},
    {"NothingAfterExifHeader", [](Bytes& t, bool) { t.clear(); }},
    {"HeaderOnly", [](Bytes& t, bool) { t.resize(8); }},
    {"Ifd0CutShort", [](Bytes& t, bool) { t.resize(TinyTiff::ifd0 + 10); }},
    {"ThumbnailRunningPastTheEnd", [](Bytes& t, bool l) { Patcher{t, l}.u32(TinyTiff::thumbnailLengthEntry + 8, 0x7FFFFFFF); }, true},
    {"ThumbnailOffsetPastTheEnd", [](Bytes& t, bool l) { Patcher{t, l}.u32(TinyTiff::thumbnailOffsetEntry + 8, 0xFFFFFFFFu); }, true},
};

TEST(AHostileExifBlock, isRefusedAndTheFileStaysByteIdentical)
{
    for (bool little : {true, false}) {
        for (const Hostile& h : hostileBlocks) {
            SCOPED_TRACE(std::string(h.name) + (little ? " II" : " MM"));
            TempDir dir;
            Bytes tiff = tinyTiff(little, h.thumbnail);
            h.damage(tiff, little);
            const auto path = photoFile(dir.path(), tinyJpeg(tiff));
            const Bytes before = readBytes(path);
            uint32_t handle = 0;
            const int open = ExifFileOpen(narrow(path).c_str(), &handle);
            EXPECT_EQ(open, EXIF_ERR_FORMAT);
            if (open == EXIF_OK) {
                setGps(handle);
                ExifFileClose(handle);
            }
            EXPECT_EQ(readBytes(path), before);
        }
    }
}

TEST(ATinyBlock, isAcceptedUndamaged)
{
    // The control of the test above: the same blocks without damage open,
    // also with the date value moved to end exactly at the block's last byte.
    for (bool little : {true, false}) {
        for (bool thumbnail : {false, true}) {
            for (bool dateAtTheEnd : {false, true}) {
                SCOPED_TRACE(std::string(little ? "II" : "MM") + (thumbnail ? " thumbnail" : "") +
                             (dateAtTheEnd ? " date at the end" : ""));
                TempDir dir;
                const auto path = dir.path() / "photo.jpg";
                Bytes tiff = tinyTiff(little, thumbnail);
                const char* expected = "2008:05:12 10:20:30";
                if (dateAtTheEnd) {
                    expected = "2011:11:11 11:11:11";
                    const std::size_t end = tiff.size();
                    Patcher p{tiff, little};
                    p.text(end, expected, 20);  // with its NUL: the block ends with it
                    p.u32(TinyTiff::dateEntry + 8, uint32_t(end));
                    ASSERT_EQ(tiff.size(), end + 20);
                }
                writeBytes(path, tinyJpeg(tiff));
                uint32_t h = 0;
                ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
                char date[20];
                EXPECT_EQ(ExifGetDateTimeOriginal(h, date), EXIF_OK);
                EXPECT_STREQ(date, expected);
                EXPECT_EQ(ExifFileClose(h), EXIF_OK);
            }
        }
    }
}

struct BrokenJpeg {
    const char* name;
    Bytes (*make)();
};

const BrokenJpeg brokenJpegs[] = {
    {"OnlyAStartMarker", [] { return Bytes{0xFF, 0xD8}; }},
    {"StartMarkerThenGarbage", [] { return Bytes{0xFF, 0xD8, 0x00, 0x01, 0x02, 0x03}; }},
    {"ExifSegmentLengthPastTheEnd",
     [] {
         Bytes j = tinyJpeg(tinyTiff(true));
         j[4] = 0xFF;
         j[5] = 0xFF;
         return j;
     }},
    {"ExifSegmentLengthBelowTwo",
     [] {
         Bytes j = tinyJpeg(tinyTiff(true));
         j[4] = 0;
         j[5] = 1;
         return j;
     }},
    {"TruncatedInsideTheExifSegment",
     [] {
         Bytes j = tinyJpeg(tinyTiff(true));
         j.resize(30);
         return j;
     }},
    {"EndMarkerBeforeAnyImage", [] { return Bytes{0xFF, 0xD8, 0xFF, 0xD9}; }},
    {"OnlyFillBytes", [] { return Bytes(1000, 0xFF); }},
    {"ExifWithNothingAfterItsHeader",
     [] {
         Bytes j = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x08, 'E', 'x', 'i', 'f', 0, 0};
         const Bytes rest = tinyJpeg({}, false);
         j.insert(j.end(), rest.begin() + 2, rest.end());
         return j;
     }},
};

TEST(ABrokenJpeg, isRefusedAtOpen)
{
    for (const BrokenJpeg& b : brokenJpegs) {
        SCOPED_TRACE(b.name);
        TempDir dir;
        const auto path = photoFile(dir.path(), b.make());
        const Bytes before = readBytes(path);
        uint32_t h = 123;
        EXPECT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_ERR_FORMAT);
        EXPECT_EQ(h, 0u);
        EXPECT_EQ(readBytes(path), before);
    }
}

TEST(AnIfdWithManyEntries, isRefusedOverTheCapEvenWhenItFits)
{
    // 1001 entries of a harmless tag fit in the block but exceed the cap.
    Bytes tiff = tinyTiff(true);
    const std::size_t table = tiff.size() + (tiff.size() & 1);
    tiff.resize(table);
    Patcher p{tiff, true};
    p.u16(table, 1001);
    for (std::size_t i = 0; i < 1001; ++i) p.entry(table + 2 + 12 * i, uint16_t(0xC000 + i), 3, 1, 0);
    p.u32(table + 2 + 12 * 1001, 0);
    p.u32(TinyTiff::gpsPointerEntry + 8, uint32_t(table));
    TempDir dir;
    const auto path = photoFile(dir.path(), tinyJpeg(tiff));
    uint32_t h = 0;
    EXPECT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_ERR_FORMAT);
}

// Found by the fuzz target and by crafted files: blocks that read well but
// cannot be written without changing bytes that belong to something else,
// or without leaving old bytes that readers would take for another thing.
TEST(ABlockThatReadsButCannotBeWrittenSafely, refusesTheWriteAndStaysByteIdentical)
{
    struct Case {
        const char* name;
        Bytes (*make)();
        int status = EXIF_ERR_OVERLAP;
    };
    const Case cases[] = {
        {"GpsDirectoryHoldingATagTwice",
         [] {
             Bytes t = tinyTiff(true);
             const std::size_t gps = t.size() + (t.size() & 1);
             Patcher p{t, true};
             p.u16(gps, 2);
             p.entry(gps + 2, 0x0000, 1, 4, 0x00000202);
             p.entry(gps + 14, 0x0000, 1, 4, 0x00000302);
             p.u32(gps + 26, 0);
             p.u32(TinyTiff::gpsPointerEntry + 8, uint32_t(gps));
             return tinyJpeg(t);
         },
         EXIF_ERR_FORMAT},
        {"MakerNoteOverTheIfd0Table",
         [] {
             // No GPS directory yet, so a write relocates IFD0 and leaves
             // its old table inside the maker note.
             Bytes t = tinyTiff(false);
             Patcher p{t, false};
             p.u16(TinyTiff::ifd0, 1);
             p.u32(TinyTiff::gpsPointerEntry, 0);
             p.entry(TinyTiff::dateEntry, 0x927C, 7, 30, TinyTiff::ifd0);
             return tinyJpeg(t);
         }},
        {"GpsDirectoryInsideTheThumbnail",
         [] {
             Bytes t = tinyTiff(true, true);
             Patcher p{t, true};
             p.u32(TinyTiff::thumbnailLengthEntry + 8, 24);
             p.u16(TinyTiff::thumbnail, 1);
             p.entry(TinyTiff::thumbnail + 2, 0x0000, 1, 4, 0x00000202);
             p.u32(TinyTiff::thumbnail + 14, 0);
             t.resize(TinyTiff::thumbnail + 24, 0);
             p.u32(TinyTiff::gpsPointerEntry + 8, TinyTiff::thumbnail);
             return tinyJpeg(t);
         }},
        {"ValueCoveringAGpsEntry",
         [] {
             Bytes t = tinyTiff(false);
             Patcher{t, false}.u32(TinyTiff::dateEntry + 8, TinyTiff::gpsIfd);
             return tinyJpeg(t);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto path = photoFile(dir.path(), c.make());
        const Bytes before = readBytes(path);
        uint32_t h = 0;
        ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
        char version[4];
        EXPECT_EQ(ExifGetExifVersion(h, version), EXIF_OK);
        EXPECT_EQ(setGps(h), c.status);
        EXPECT_EQ(ExifSetDateTimeOriginal(h, "2001:01:01 01:01:01"), c.status);  // no half write
        EXPECT_EQ(ExifFileClose(h), c.status);
        EXPECT_EQ(readBytes(path), before);
    }
}

}  // namespace
}  // namespace vantora::test::exif
