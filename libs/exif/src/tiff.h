#pragma once
// The parsed model of an Exif TIFF block, its reader (parseTiff) and its
// writer (buildTiff). Reading and writing are kept apart: parseTiff only
// checks and describes, buildTiff only lays out what the model and the wanted
// values say.

#include "byte_io.h"

#include <array>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace exif {

enum class IfdKind { ifd0 = 0, exif = 1, gps = 2, interop = 3, ifd1 = 4 };
constexpr int kIfdKinds = 5;

// The largest TIFF block one APP1 segment holds: 65,535 - 2 (length field)
// - 6 ("Exif\0\0").
constexpr std::size_t kMaxTiffSize = 65527;
// More entries than this in one directory is taken as damage.
constexpr uint16_t kMaxEntries = 1000;

enum TiffType : uint16_t {
    tByte = 1, tAscii = 2, tShort = 3, tLong = 4, tRational = 5, tSByte = 6, tUndefined = 7,
    tSShort = 8, tSLong = 9, tSRational = 10, tFloat = 11, tDouble = 12, tIfd = 13,
};
// Bytes per value of a type; 0 for a type TIFF does not define.
unsigned typeSize(uint16_t type);
// The types a directory pointer (Exif, GPS, Interop) is read from: LONG as
// the standard has it, IFD as TIFF allows, and SLONG as some cameras write
// it. A pointer is always written back as LONG.
constexpr bool isDirectoryPointerType(uint16_t type)
{
    return type == tLong || type == tSLong || type == tIfd;
}

namespace tag {
constexpr uint16_t exifIfd = 0x8769, gpsIfd = 0x8825, interopIfd = 0xA005;
constexpr uint16_t thumbnailOffset = 0x0201, thumbnailLength = 0x0202;
constexpr uint16_t stripOffsets = 0x0111, stripByteCounts = 0x0117;
constexpr uint16_t exifVersion = 0x9000, dateTimeOriginal = 0x9003, offsetTimeOriginal = 0x9011,
                   subSecTimeOriginal = 0x9291;
constexpr uint16_t make = 0x010F, model = 0x0110, bodySerialNumber = 0xA431, makerNote = 0x927C;
// DNG's serial of the camera body, in IFD0.
constexpr uint16_t cameraSerialNumber = 0xC62F;
// In a maker-note IFD (Minolta, Konica Minolta, Sony): a preview's start,
// counted from the TIFF header, and its length.
constexpr uint16_t makerNotePreviewStart = 0x0088, makerNotePreviewLength = 0x0089;
constexpr uint16_t gpsVersion = 0x0000, gpsLatitudeRef = 0x0001, gpsLatitude = 0x0002,
                   gpsLongitudeRef = 0x0003, gpsLongitude = 0x0004, gpsTimeStamp = 0x0007,
                   gpsStatus = 0x0009, gpsMapDatum = 0x0012, gpsProcessingMethod = 0x001B,
                   gpsAreaInformation = 0x001C, gpsDateStamp = 0x001D, gpsDifferential = 0x001E,
                   gpsHPositioningError = 0x001F;
}  // namespace tag

struct Entry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    uint32_t field = 0;      // the 4-byte value field, read as a number (an offset when not inline)
    uint64_t position = 0;   // where the 12-byte entry is in the block
    uint64_t valueSize = 0;  // count x type size; 0 for an unknown type
    bool isInline() const { return valueSize <= 4; }
    uint64_t valuePosition() const { return isInline() ? position + 8 : field; }
};

struct Ifd {
    bool present = false;
    uint32_t offset = 0;
    uint32_t next = 0;  // the link to the next directory (IFD0 -> IFD1)
    std::vector<Entry> entries;
    uint64_t tableSize() const { return 2 + 12 * uint64_t(entries.size()) + 4; }
    const Entry* find(uint16_t t) const
    {
        for (const auto& e : entries)
            if (e.tag == t) return &e;
        return nullptr;
    }
};

// A byte range of the block that something known uses.
struct UsedRange {
    uint64_t start = 0;
    uint64_t end = 0;
    enum class What { header, table, value, thumbnail } what = What::value;
    IfdKind ifd = IfdKind::ifd0;
    uint16_t tag = 0;
};

// An offset stored in the maker note, where its layout is known: the maker
// note keeps its bytes, but what it points at past the Exif block moves with
// the rest of the file when the block changes size. Read from a maker note
// that is an IFD (at its start, or after Sony's 12-byte header), with
// offsets counted from the TIFF header, or from Samsung's binary "STMN"
// note. Any other maker note is not described.
struct MakerNoteOffset {
    enum class Kind {
        value,            // an entry's value stored out of line
        preview,          // a preview image's start and length (a known pair of tags)
        absolutePreview,  // the same, as a position in the file (STMN)
    } kind = Kind::value;
    uint64_t field = 0;   // where in the block the start is stored (a 4-byte number)
    uint32_t start = 0;   // from the TIFF header, or the file's start (absolutePreview)
    uint64_t length = 0;
};

struct TiffModel {
    ByteOrder order = ByteOrder::little;
    uint32_t ifd0Offset = 0;
    std::array<Ifd, kIfdKinds> ifds;
    std::vector<UsedRange> used;
    // Only described, never checked: a maker note's inner layout does not
    // decide whether the block is readable.
    std::vector<MakerNoteOffset> makerNoteOffsets;
    const Ifd& ifd(IfdKind k) const { return ifds[static_cast<int>(k)]; }
    const Entry* find(IfdKind k, uint16_t t) const { return ifd(k).present ? ifd(k).find(t) : nullptr; }
};

// The number after the byte-order mark: 42 in TIFF and Exif; raw formats
// built on TIFF put their own there (Olympus "IIRO"/"MMOR" and "IIRS",
// Panasonic "IIU\0").
constexpr uint16_t kTiffMagic = 42;

// Checks and describes a TIFF block. Returns false for anything damaged or
// hostile: bad header (another magic number than `magic`), an offset, count
// or size out of the block, a loop, too many entries, a directory pointer of
// another type than LONG, SLONG or IFD, or of a count other than 1. Without
// `followPointers` the Exif, GPS and Interop pointers are left alone: IFD0
// and IFD1 only (a CR3's CMT1, whose Exif and GPS directories are blocks of
// their own).
bool parseTiff(const std::vector<uint8_t>& block, TiffModel& out, uint16_t magic = kTiffMagic,
               bool followPointers = true);

// A value the caller wants a tag to have, already in the block's byte order.
struct TagValue {
    uint16_t type = 0;
    uint32_t count = 0;
    std::vector<uint8_t> bytes;
    bool operator==(const TagValue&) const = default;
};
using WantedTags = std::map<std::pair<IfdKind, uint16_t>, TagValue>;

// tooLarge: the block would not fit one segment. overlap: a byte the write
// must change in place (an entry, the header) is also part of another tag's
// value, or a value or the thumbnail lies over a directory's table - as only
// a damaged or crafted block has it. damaged: a directory to copy holds a
// tag twice. unsupported: a tag of IFD0.
enum class BuildResult { ok, tooLarge, overlap, damaged, unsupported };

// Makes the block that carries every wanted tag, starting from the original
// block and its model. No byte of the original moves: values that fit are
// rewritten in place; grown directories and values are appended at the end,
// word-aligned, and pointed to. Appended things of an earlier write that sit
// at the end of the block and are left behind by this one are reused.
BuildResult buildTiff(const std::vector<uint8_t>& original, const TiffModel& model,
                      const WantedTags& wanted, std::vector<uint8_t>& out);

}  // namespace exif
