// Damaged and hostile Exif blocks, built in memory: each is refused quickly
// with an error status, and the file stays byte-identical.
#include "exif_test_support.h"
#include "fuzz/container_properties.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

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

// Raw and HEIF fixtures damaged where their structure points: each is
// refused by the reading open with a reason, stays byte-identical, and no
// reader reads past its end (checked in memory, under AddressSanitizer in
// the sanitizer build).
namespace raw {

uint32_t u32(const Bytes& b, std::size_t at, bool little)
{
    return little ? uint32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24)
                  : uint32_t(uint32_t(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3]);
}

// Where the first box of the type has its size field.
std::size_t box(const Bytes& b, const char* type)
{
    const auto at = std::search(b.begin(), b.end(), type, type + 4);
    EXPECT_NE(at, b.end()) << type;
    return static_cast<std::size_t>(at - b.begin()) - 4;
}

void putBigEndian(Bytes& b, std::size_t at, uint32_t v)
{
    Patcher{b, false}.u32(at, v);
}

// A TIFF-based raw file's IFD0, and the entry of a tag in a directory.
struct Tiff {
    Bytes& b;
    bool little() const { return b[0] == 'I'; }
    std::size_t ifd0() const { return u32(b, 4, little()); }
    uint16_t count(std::size_t ifd) const { return uint16_t(little() ? b[ifd] | b[ifd + 1] << 8 : b[ifd] << 8 | b[ifd + 1]); }
    std::size_t nextLink(std::size_t ifd) const { return ifd + 2 + 12 * std::size_t(count(ifd)); }
    std::size_t entry(std::size_t ifd, uint16_t tag) const
    {
        for (std::size_t e = ifd + 2; e < nextLink(ifd); e += 12)
            if ((little() ? b[e] | b[e + 1] << 8 : b[e] << 8 | b[e + 1]) == tag) return e;
        ADD_FAILURE() << "no tag " << tag;
        return 0;
    }
    void set(std::size_t at, uint32_t v) { Patcher{b, little()}.u32(at, v); }
    void setShort(std::size_t at, uint16_t v) { Patcher{b, little()}.u16(at, v); }
    std::size_t exifIfd() const { return u32(b, entry(ifd0(), 0x8769) + 8, little()); }
};

struct HostileFile {
    const char* name;
    const char* fixture;
    void (*damage)(Bytes& b);
    const char* reason;  // a part of the refusal's text
};

const HostileFile hostileFiles[] = {
    // TIFF-based raw files.
    {"Cr2CutAfterItsIfd0Table", "canon_ii.cr2", [](Bytes& b) { b.resize(Tiff{b}.nextLink(Tiff{b}.ifd0()) + 4); }, "TIFF directories are damaged"},
    {"NefIfd0LinkingToItself", "nikon_mm.nef", [](Bytes& b) { Tiff t{b}; t.set(t.nextLink(t.ifd0()), uint32_t(t.ifd0())); }, "TIFF directories are damaged"},
    {"RawExifPointerBackToIfd0", "panasonic_iiu.rw2",
     [](Bytes& b) { Tiff t{b}; t.set(t.entry(t.ifd0(), 0x8769) + 8, uint32_t(t.ifd0())); }, "TIFF directories are damaged"},
    {"OrfExifPointerPastTheEnd", "olympus_iiro.orf",
     [](Bytes& b) { Tiff t{b}; t.set(t.entry(t.ifd0(), 0x8769) + 8, 0x7FFFFFF0u); }, "TIFF directories are damaged"},
    {"OrfMotorolaGpsPointerAtTheLastByte", "olympus_mmor.orf",
     [](Bytes& b) { Tiff t{b}; t.setShort(t.entry(t.ifd0(), 0x8769), 0x8825); t.set(t.entry(t.ifd0(), 0x8825) + 8, uint32_t(b.size() - 1)); }, "TIFF directories are damaged"},
    {"ArwIfd0EntryCount0xFFFF", "sony_ii.arw", [](Bytes& b) { Tiff t{b}; t.setShort(t.ifd0(), 0xFFFF); }, "TIFF directories are damaged"},
    {"DngMakeValuePastTheEnd", "adobe_mm.dng", [](Bytes& b) { Tiff t{b}; t.set(t.entry(t.ifd0(), 0x010F) + 8, uint32_t(b.size() - 3)); }, "TIFF directories are damaged"},
    {"PefCountTimesSizeOverflowing32Bits", "pentax_mm.pef",
     [](Bytes& b) { Tiff t{b}; const std::size_t e = t.entry(t.ifd0(), 0x0110); t.setShort(e + 2, 5); t.set(e + 4, 0x20000001u); }, "TIFF directories are damaged"},
    {"DngSubSecondValuePastTheEnd", "adobe_ii.dng",
     [](Bytes& b) { Tiff t{b}; const std::size_t e = t.entry(t.exifIfd(), 0x9003); t.set(e + 4, 0x7FFFFFFFu); }, "TIFF directories are damaged"},
    {"TiffHeaderOnly", "canon_ii.cr2", [](Bytes& b) { b.resize(4); }, "TIFF header is cut off"},
    {"AMagicNoRawFormatUses", "olympus_iiro.orf", [](Bytes& b) { b[3] = 'X'; }, "not a kind of photo"},
    // CR3.
    {"Cr3CutInsideItsMediaData", "canon.cr3", [](Bytes& b) { b.resize(b.size() - 100); }, "runs past the end"},
    {"Cr3MovieBoxPastTheEnd", "canon.cr3", [](Bytes& b) { putBigEndian(b, box(b, "moov"), 0x7FFFFFFF); }, "runs past the end"},
    {"Cr3BoxSmallerThanItsHeader", "canon.cr3", [](Bytes& b) { putBigEndian(b, box(b, "CMT2"), 4); }, "smaller than its own header"},
    {"Cr3MetadataBoxPastItsMovieBox", "canon.cr3",
     [](Bytes& b) { putBigEndian(b, box(b, "CMT4"), u32(b, box(b, "CMT4"), false) + 2000); }, "runs past the end"},
    {"Cr3MediaDataOf64BitSizePastTheEnd", "canon.cr3",
     [](Bytes& b) { const std::size_t m = box(b, "mdat"); putBigEndian(b, m, 1); putBigEndian(b, m + 8, 1); }, "runs past the end"},
    {"Cr3ExifBoxWithoutATiffHeader", "canon.cr3", [](Bytes& b) { b[box(b, "CMT2") + 8] = 'X'; }, "no readable TIFF block"},
    {"Cr3Ifd0EntryCount0xFFFF", "canon.cr3", [](Bytes& b) { const std::size_t c = box(b, "CMT1") + 8; b[c + 8] = 0xFF; b[c + 9] = 0xFF; }, "no readable TIFF block"},
    {"Cr3HeaderCutOff", "canon.cr3", [](Bytes& b) { b.resize(box(b, "moov") + 6); }, "header is cut off"},
    // HEIF and AVIF.
    {"HeicCutInsideTheExifItem", "apple.heic", [](Bytes& b) { b.resize(b.size() - 20); }, "runs past the end"},
    {"HeicMetaBoxPastTheEnd", "apple.heic", [](Bytes& b) { putBigEndian(b, box(b, "meta"), uint32_t(b.size())); }, "runs past the end"},
    {"HeicExifExtentPastTheEnd", "apple.heic", [](Bytes& b) { putBigEndian(b, box(b, "iloc") + 40, 0x7FFFFFF0u); }, "extent runs past the end"},
    {"HeicExifExtentLengthPastTheEnd", "apple.heic", [](Bytes& b) { putBigEndian(b, box(b, "iloc") + 44, 0xFFFFFFFFu); }, "extent runs past the end"},
    {"HeicItemLocationCount0xFFFFWithoutTheExifItem", "apple.heic",
     [](Bytes& b) { const std::size_t l = box(b, "iloc"); b[l + 14] = 0xFF; b[l + 15] = 0xFF; b[l + 33] = 9; }, "item location box is cut off"},
    {"HeicItemLocationFieldOfThreeBytes", "apple.heic", [](Bytes& b) { b[box(b, "iloc") + 12] = 0x34; }, "other than 0, 4 or 8"},
    {"HeicExifHeaderOffsetPastTheItem", "apple.heic",
     [](Bytes& b) { const char item[] = "\0\0\0\x06" "Exif\0\0"; putBigEndian(b, std::size_t(std::search(b.begin(), b.end(), item, item + 10) - b.begin()), 0x10000); }, "header offset runs past"},
    {"HeicExifItemInAnItemDataBoxItLacks", "camera_idat.heic", [](Bytes& b) { std::copy_n("free", 4, b.begin() + long(box(b, "idat") + 4)); }, "item data box the file lacks"},
    {"AvifSecondExtentPastTheEnd", "phone.avif", [](Bytes& b) { const std::size_t l = box(b, "iloc"); putBigEndian(b, l + 44, 0x7FFFFFF0u); }, "extent runs past the end"},
    // RAF.
    {"RafJpegOffsetPastTheEnd", "fujifilm.raf", [](Bytes& b) { putBigEndian(b, 84, 0xFFFFFF00u); }, "runs past the end of the file"},
    {"RafJpegLengthPastTheEnd", "fujifilm.raf", [](Bytes& b) { putBigEndian(b, 88, uint32_t(b.size())); }, "runs past the end of the file"},
    {"RafHeaderPointingAtNoJpeg", "fujifilm.raf", [](Bytes& b) { putBigEndian(b, 84, 100); }, "does not point at a JPEG"},
    {"RafCutInsideItsJpeg", "fujifilm.raf", [](Bytes& b) { b.resize(300); }, "runs past the end of the file"},
    {"RafHeaderCutOff", "fujifilm.raf", [](Bytes& b) { b.resize(80); }, "header is cut off"},
};

}  // namespace raw

TEST(AHostileRawOrHeifFile, isRefusedWithAReasonAndNeverReadPastItsEnd)
{
    for (const raw::HostileFile& h : raw::hostileFiles) {
        SCOPED_TRACE(h.name);
        Bytes bytes = readBytes(rawFixture(h.fixture));
        h.damage(bytes);
        EXPECT_EQ(::exif::properties::checkEveryReader(bytes.data(), bytes.size()), "");
        TempDir dir;
        const auto path = dir.path() / h.fixture;
        writeBytes(path, bytes);
        uint32_t handle = 5;
        EXPECT_EQ(ExifPhotoOpen(narrow(path).c_str(), &handle), EXIF_ERR_FORMAT);
        EXPECT_EQ(handle, 0u);
        char why[96] = {};
        EXPECT_EQ(ExifGetOpenRefusal(sizeof why, why), EXIF_OK);
        EXPECT_NE(std::string(why).find(h.reason), std::string::npos) << why;
        EXPECT_EQ(readBytes(path), bytes);
    }
    // An open that refuses nothing leaves no reason behind.
    uint32_t handle = 0;
    ASSERT_EQ(ExifPhotoOpen(narrow(rawFixture("canon.cr3")).c_str(), &handle), EXIF_OK);
    char why[8];
    EXPECT_EQ(ExifGetOpenRefusal(sizeof why, why), EXIF_ERR_NOT_FOUND);
    EXPECT_EQ(ExifFileClose(handle), EXIF_OK);
}

}  // namespace
}  // namespace vantora::test::exif
