// What writing must never do to a photo: the cases of a full disk, a killed
// writer, leftovers, read-only files and folders, odd but valid JPEG layouts,
// a full Exif block, maker notes and other offsets, repeated writes.
#include "exif_test_support.h"
#include "support/temp_dir.h"
#include "tiff.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <thread>

#include "file_io.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vantora::test::exif {
namespace {

namespace fs = std::filesystem;

// AFCP trailers, built and read here from their layout: a header (signature,
// version, entry count, 4 bytes), 12-byte entries (id, size, absolute offset
// of the data), the data, and a 12-byte footer (signature, absolute offset of
// the header, 4 bytes). "AXS!": big-endian numbers, "AXS*": little-endian.
struct AfcpBlock {
    const char* id;
    Bytes data;
};
const AfcpBlock afcpTestBlocks[] = {
    {"IPTC", {0x1C, 0x02, 0x00, 0x00, 0x02, 0x00, 0x04,  // record version 4, then a caption
              0x1C, 0x02, 0x78, 0x00, 0x07, 'C', 'a', 'p', 't', 'i', 'o', 'n'}},
    {"TEXT", {'S', 'o', 'm', 'e', ' ', 't', 'e', 'x', 't', '.', '\n'}},
};

// The trailer for a file whose trailer starts at `at`.
Bytes afcpTrailer(std::size_t at, bool little)
{
    const char* signature = little ? "AXS*" : "AXS!";
    const std::size_t count = std::size(afcpTestBlocks);
    Bytes t;
    Patcher p{t, little};
    p.text(0, signature, 4);
    p.u16(4, 1);
    p.u16(6, uint16_t(count));
    p.u32(8, 0);
    std::size_t data = 12 + 12 * count;
    for (std::size_t i = 0; i < count; ++i) {
        const Bytes& d = afcpTestBlocks[i].data;
        p.text(12 + 12 * i, afcpTestBlocks[i].id, 4);
        p.u32(16 + 12 * i, uint32_t(d.size()));
        p.u32(20 + 12 * i, uint32_t(at + data));
        p.text(data, reinterpret_cast<const char*>(d.data()), d.size());
        data += d.size();
    }
    p.text(data, signature, 4);
    p.u32(data + 4, uint32_t(at));
    p.u32(data + 8, 0);
    return t;
}

Bytes withAfcpTrailer(Bytes jpeg, bool little)
{
    const Bytes t = afcpTrailer(jpeg.size(), little);
    jpeg.insert(jpeg.end(), t.begin(), t.end());
    return jpeg;
}

struct AfcpEntry {
    std::string id;
    uint32_t size = 0, offset = 0;
    std::size_t offsetAt = 0;  // where the offset is stored
};
struct Afcp {
    std::size_t footer = 0;
    std::vector<AfcpEntry> entries;
};

bool readNumber(const Bytes& b, uint64_t pos, int n, bool little, uint32_t& out)
{
    out = 0;
    if (pos > b.size() || b.size() - pos < uint64_t(n)) return false;
    for (int i = 0; i < n; ++i) out |= uint32_t(b[pos + i]) << (little ? 8 * i : 8 * (n - 1 - i));
    return true;
}

// The last AFCP trailer of `file` (at its end, or under another trailer),
// read as exiftool reads it: the last footer whose header is where it says.
std::optional<Afcp> readAfcp(const Bytes& file)
{
    std::size_t footer = 0;
    uint32_t header = 0, count = 0;
    bool little = false;
    for (std::size_t end = file.size();; --end) {  // the footer is the 12 bytes before `end`
        if (end < 12) return std::nullopt;
        footer = end - 12;
        little = file[footer + 3] == '*';
        if (std::memcmp(&file[footer], little ? "AXS*" : "AXS!", 4) == 0 &&
            readNumber(file, footer + 4, 4, little, header) && readNumber(file, uint64_t(header) + 6, 2, little, count) &&
            header < footer && std::memcmp(&file[header], &file[footer], 4) == 0)
            break;
    }
    Afcp a{footer, {}};
    for (uint32_t i = 0; i < count; ++i) {
        AfcpEntry e;
        const uint64_t at = uint64_t(header) + 12 + 12 * uint64_t(i);
        if (!readNumber(file, at + 4, 4, little, e.size) || !readNumber(file, at + 8, 4, little, e.offset))
            return std::nullopt;
        e.id.assign(file.begin() + static_cast<std::ptrdiff_t>(at), file.begin() + static_cast<std::ptrdiff_t>(at + 4));
        e.offsetAt = at + 8;
        a.entries.push_back(e);
    }
    return a;
}

// The absolute offsets of a Samsung trailer's QDIO block (the audio's start
// and end, little-endian), when the file ends in one: where they are stored.
std::optional<std::size_t> qdioOffsets(const Bytes& file)
{
    if (file.size() < 30 || std::memcmp(&file[file.size() - 6], "QDIOBS", 6) != 0 ||
        std::memcmp(&file[file.size() - 30], "QDIO", 4) != 0)
        return std::nullopt;
    return file.size() - 18;
}

// A maker note's preview start after the Exif block: where it is stored in
// the file, and the preview's place (from the TIFF header, or absolute).
struct MakerNotePreview {
    std::size_t field = 0;
    uint64_t start = 0, length = 0;
};
std::optional<MakerNotePreview> makerNotePreview(const Bytes& file)
{
    ::exif::TiffModel model;
    if (!::exif::parseTiff(tiffOf(file), model)) return std::nullopt;
    const std::size_t tiffStart = findExif(file).tiffStart;
    for (const auto& o : model.makerNoteOffsets) {
        if (o.kind == ::exif::MakerNoteOffset::Kind::preview)
            return MakerNotePreview{tiffStart + o.field, tiffStart + o.start, o.length};
        if (o.kind == ::exif::MakerNoteOffset::Kind::absolutePreview)
            return MakerNotePreview{tiffStart + o.field, o.start, o.length};
    }
    return std::nullopt;
}

Bytes bytesAt(const Bytes& file, uint64_t start, uint64_t size, const std::string& what,
              std::vector<std::pair<std::string, Bytes>>& blocks)
{
    if (start > file.size() || file.size() - start < size) blocks.push_back({what + " outside the file", {}});
    else blocks.push_back({what, Bytes(file.begin() + start, file.begin() + start + size)});
    return blocks.back().second;
}

// What the absolute offsets after the Exif segment point at: the AFCP
// trailer's entries by id, a QDIO block's audio, a maker note's preview.
std::vector<std::pair<std::string, Bytes>> pointedAtBlocks(const Bytes& file)
{
    std::vector<std::pair<std::string, Bytes>> blocks;
    if (const auto a = readAfcp(file))
        for (const AfcpEntry& e : a->entries) bytesAt(file, e.offset, e.size, e.id, blocks);
    uint32_t start = 0, end = 0;
    if (const auto q = qdioOffsets(file); q && readNumber(file, *q, 4, true, start) &&
                                          readNumber(file, *q + 4, 4, true, end) && start <= end)
        bytesAt(file, start, end - start, "QDIO audio", blocks);
    if (const auto m = makerNotePreview(file)) bytesAt(file, m->start, m->length, "maker-note preview", blocks);
    return blocks;
}

// The file with those offsets zeroed: the bytes that must stay as they were.
Bytes withoutAbsoluteOffsets(Bytes file)
{
    if (const auto a = readAfcp(file)) {
        Patcher p{file, false};
        p.u32(a->footer + 4, 0);
        for (const AfcpEntry& e : a->entries) p.u32(e.offsetAt, 0);
    }
    if (const auto q = qdioOffsets(file)) {
        Patcher p{file, true};
        p.u32(*q, 0);
        p.u32(*q + 4, 0);
    }
    return file;
}

// Everything of the file outside its Exif segment.
struct OutsideExif {
    Bytes before, after;
};
OutsideExif outsideExif(const Bytes& jpeg)
{
    const ExifSegment s = findExif(jpeg);
    return {Bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(s.start)),
            Bytes(jpeg.begin() + static_cast<std::ptrdiff_t>(s.end), jpeg.end())};
}

// An AFCP trailer's absolute offsets aside: they move with the bytes after
// the segment and must point at the same blocks.
void expectOnlyTheExifSegmentChanged(const Bytes& before, const Bytes& after)
{
    EXPECT_EQ(pointedAtBlocks(after), pointedAtBlocks(before)) << "the AFCP trailer does not find its blocks again";
    const OutsideExif a = outsideExif(withoutAbsoluteOffsets(before)), b = outsideExif(withoutAbsoluteOffsets(after));
    EXPECT_EQ(a.before, b.before) << "bytes before the Exif segment changed";
    EXPECT_EQ(a.after, b.after) << "bytes after the Exif segment changed (other segments, image data, trailer)";
}

// The bytes of the old TIFF block that a write may change: the IFD0 offset
// in the header, the directories' tables (entries rewritten in place) and
// the value slots of the tags the library writes. Every other byte - maker
// notes, thumbnails, other values, unknown tags - must stay at its offset.
void expectOldTiffBytesInPlace(const Bytes& oldTiff, const Bytes& newTiff)
{
    ::exif::TiffModel model;
    ASSERT_TRUE(::exif::parseTiff(oldTiff, model));
    std::vector<bool> mayChange(oldTiff.size(), false);
    auto allow = [&](uint64_t start, uint64_t end) {
        for (uint64_t i = start; i < end && i < mayChange.size(); ++i) mayChange[i] = true;
    };
    allow(4, 8);
    for (const auto& o : model.makerNoteOffsets)  // a preview's start after the block follows the preview
        if (o.kind != ::exif::MakerNoteOffset::Kind::value) allow(o.field, o.field + 4);
    const std::set<uint16_t> ours = {0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0007, 0x0009, 0x0012, 0x001D};
    for (const auto& r : model.used) {
        if (r.what == ::exif::UsedRange::What::table &&
            (r.ifd == ::exif::IfdKind::ifd0 || r.ifd == ::exif::IfdKind::exif || r.ifd == ::exif::IfdKind::gps))
            allow(r.start, r.end);
        if (r.what == ::exif::UsedRange::What::value &&
            ((r.ifd == ::exif::IfdKind::gps && ours.count(r.tag)) ||
             (r.ifd == ::exif::IfdKind::exif && r.tag == 0x9003)))
            allow(r.start, r.end + (r.end & 1));  // with the pad byte of an odd length
    }
    ASSERT_GE(newTiff.size(), oldTiff.size());
    std::size_t moved = 0;
    for (std::size_t i = 0; i < oldTiff.size(); ++i)
        if (!mayChange[i] && oldTiff[i] != newTiff[i]) ++moved;
    EXPECT_EQ(moved, 0u) << "bytes of the old block changed outside what may change";
    // Appended things start at even offsets.
    ::exif::TiffModel after;
    ASSERT_TRUE(::exif::parseTiff(newTiff, after));
    for (const auto& ifd : after.ifds) {
        if (ifd.present) {
            EXPECT_EQ(ifd.offset % 2, 0u);
        }
    }
    for (const auto& r : after.used) {
        if (r.start >= oldTiff.size()) {
            EXPECT_EQ(r.start % 2, 0u);
        }
    }
}

class AWrittenFixture : public ::testing::TestWithParam<const char*> {};

TEST_P(AWrittenFixture, keepsEveryOldTiffByteAndEveryByteOutsideTheExifSegment)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), GetParam());
    const Bytes before = readBytes(path);
    ASSERT_EQ(writeGpsFile(path), EXIF_OK);
    uint32_t h = 0;
    ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
    ASSERT_EQ(ExifSetDateTimeOriginal(h, "2001:02:03 04:05:06"), EXIF_OK);
    ASSERT_EQ(ExifFileClose(h), EXIF_OK);
    const Bytes after = readBytes(path);
    expectOnlyTheExifSegmentChanged(before, after);
    expectOldTiffBytesInPlace(tiffOf(before), tiffOf(after));
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"photo.jpg"});
}

TEST_P(AWrittenFixture, doesNotGrowWhenTheSameValuesAreWrittenAgainAndAgain)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), GetParam());
    ASSERT_EQ(writeGpsFile(path), EXIF_OK);
    const Bytes first = readBytes(path);
    for (int i = 0; i < 10; ++i) ASSERT_EQ(writeGpsFile(path), EXIF_OK);
    EXPECT_EQ(readBytes(path), first);
}

TEST_P(AWrittenFixture, staysBoundedWhenValuesOfOtherSizesAlternate)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), GetParam());
    GpsValues longer;
    longer.mapDatum = "TOKYO DATUM OF 1918, A LONG NAME";
    longer.status = "LONGER STATUS";
    ASSERT_EQ(writeGpsFile(path), EXIF_OK);
    ASSERT_EQ(writeGpsFile(path, longer), EXIF_OK);
    const auto size = readBytes(path).size();
    const auto blocks = pointedAtBlocks(readBytes(fixture(GetParam())));
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(writeGpsFile(path), EXIF_OK);
        ASSERT_EQ(writeGpsFile(path, longer), EXIF_OK);
        ASSERT_EQ(pointedAtBlocks(readBytes(path)), blocks) << "after write " << i;  // the segment shrank and grew
    }
    EXPECT_LE(readBytes(path).size(), size + 64);
    uint32_t h = 0;
    ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
    char datum[64];
    EXPECT_EQ(ExifGetGPSMapDatum(h, sizeof datum, datum), EXIF_OK);
    EXPECT_STREQ(datum, longer.mapDatum);
    ExifFileClose(h);
}

INSTANTIATE_TEST_SUITE_P(EveryFixtureWithExif, AWrittenFixture,
                         ::testing::Values("ii_jfif_thumbnail.jpg", "mm_plain.jpg", "mm_gps_xmp.jpg",
                                           "ii_canon_makernote.jpg", "mm_afcp_trailer.jpg", "ii_phone_gps.jpg",
                                           "mm_multi_picture.jpg", "ii_gps_pointer_slong.jpg",
                                           "ii_afcp_samsung_trailers.jpg", "ii_makernote_preview.jpg"),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

TEST(AnExistingGpsDirectory, keepsItsAltitudeDateStampAndUnknownTags)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "mm_gps_xmp.jpg");
    const Bytes oldTiff = tiffOf(readBytes(path));
    ASSERT_EQ(writeGpsFile(path), EXIF_OK);
    const Bytes newTiff = tiffOf(readBytes(path));
    ::exif::TiffModel before, after;
    ASSERT_TRUE(::exif::parseTiff(oldTiff, before));
    ASSERT_TRUE(::exif::parseTiff(newTiff, after));
    for (uint16_t tag : {0x0005, 0x0006, 0x001D, 0xD000}) {
        SCOPED_TRACE(tag);
        const auto* a = before.find(::exif::IfdKind::gps, tag);
        const auto* b = after.find(::exif::IfdKind::gps, tag);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(a->type, b->type);
        EXPECT_EQ(a->count, b->count);
        EXPECT_EQ(Bytes(oldTiff.begin() + a->valuePosition(), oldTiff.begin() + a->valuePosition() + a->valueSize),
                  Bytes(newTiff.begin() + b->valuePosition(), newTiff.begin() + b->valuePosition() + b->valueSize));
    }
    EXPECT_EQ(after.ifd(::exif::IfdKind::gps).entries.size(), before.ifd(::exif::IfdKind::gps).entries.size());
}

TEST(APhotoWithAThumbnail, keepsItsIfd1LinkAndThumbnailBytes)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "ii_jfif_thumbnail.jpg");
    const Bytes oldTiff = tiffOf(readBytes(path));
    ASSERT_EQ(writeGpsFile(path), EXIF_OK);
    const Bytes newTiff = tiffOf(readBytes(path));
    ::exif::TiffModel before, after;
    ASSERT_TRUE(::exif::parseTiff(oldTiff, before));
    ASSERT_TRUE(::exif::parseTiff(newTiff, after));
    ASSERT_TRUE(before.ifd(::exif::IfdKind::ifd1).present);
    EXPECT_EQ(after.ifd(::exif::IfdKind::ifd1).offset, before.ifd(::exif::IfdKind::ifd1).offset);
    EXPECT_NE(after.ifd0Offset, before.ifd0Offset);  // IFD0 grew a GPS pointer and moved to the end
}

TEST(AnExifBlockNearTheSegmentLimit, refusesTheGpsTagsWholeAndStaysByteIdentical)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "mm_near_limit.jpg");
    const Bytes before = readBytes(path);
    uint32_t h = 0;
    ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
    EXPECT_EQ(setGps(h), EXIF_ERR_TOO_LARGE);
    EXPECT_EQ(ExifSetGPSMapDatum(h, "WGS-84"), EXIF_ERR_TOO_LARGE);  // once refused, always refused
    EXPECT_EQ(ExifFileClose(h), EXIF_ERR_TOO_LARGE);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"photo.jpg"});
}

TEST(AnExifBlockNearTheSegmentLimit, stillTakesAShootingTimeInPlace)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "mm_near_limit.jpg");
    const Bytes before = readBytes(path);
    uint32_t h = 0;
    ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
    EXPECT_EQ(ExifSetDateTimeOriginal(h, "2001:01:01 01:01:01"), EXIF_OK);
    EXPECT_EQ(ExifFileClose(h), EXIF_OK);
    EXPECT_EQ(readBytes(path).size(), before.size());
}

TEST(AnExifBlockAtTheSegmentLimit, neverGetsASecondSegment)
{
    TempDir dir;
    // A block whose free room is used up by a long map datum, byte by byte.
    Bytes tiff = tinyTiff(true);
    tiff.resize(::exif::kMaxTiffSize - 100, 0);
    const auto path = dir.path() / "p.jpg";
    writeBytes(path, tinyJpeg(tiff));
    const Bytes before = readBytes(path);
    EXPECT_EQ(writeGpsFile(path), EXIF_ERR_TOO_LARGE);
    EXPECT_EQ(readBytes(path), before);
}

// Layouts that are valid JPEG: every byte outside the Exif segment stays
// (an AFCP trailer's offsets move with it).
struct Layout {
    const char* name;
    Bytes (*make)();
};

Bytes withSegmentMoved(const Bytes& jpeg, std::size_t segmentStart, std::size_t segmentEnd, std::size_t to)
{
    Bytes segment(jpeg.begin() + static_cast<std::ptrdiff_t>(segmentStart), jpeg.begin() + static_cast<std::ptrdiff_t>(segmentEnd));
    Bytes rest = jpeg;
    rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(segmentStart), rest.begin() + static_cast<std::ptrdiff_t>(segmentEnd));
    rest.insert(rest.begin() + static_cast<std::ptrdiff_t>(to), segment.begin(), segment.end());
    return rest;
}

std::size_t segmentAfter(const Bytes& j, std::size_t pos)
{
    return pos + 2 + ((std::size_t(j[pos + 2]) << 8) | j[pos + 3]);
}

// A file of the fixtures with its last `n` bytes cut off, or `tail` added.
Bytes fixtureCut(const char* name, std::size_t n)
{
    Bytes j = readBytes(fixture(name));
    j.resize(j.size() - n);
    return j;
}
Bytes fixtureWith(const char* name, const std::string& tail)
{
    Bytes j = readBytes(fixture(name));
    j.insert(j.end(), tail.begin(), tail.end());
    return j;
}

// ii_makernote_preview.jpg with its 42-byte maker note (an IFD: MLT0 at +2,
// the preview's start at +14, its length at +26) changed by `change`, given
// the note's place in the file, the TIFF header's and the block's size.
Bytes withPreviewNote(void (*change)(Patcher&, std::size_t note, std::size_t tiff, std::size_t blockSize))
{
    Bytes j = readBytes(fixture("ii_makernote_preview.jpg"));
    ::exif::TiffModel model;
    EXPECT_TRUE(::exif::parseTiff(tiffOf(j), model));
    const auto* note = model.find(::exif::IfdKind::exif, 0x927C);
    EXPECT_TRUE(note != nullptr && note->valueSize == 42);
    const ExifSegment s = findExif(j);
    Patcher p{j, true};
    change(p, s.tiffStart + (note ? note->field : 0), s.tiffStart, s.end - s.tiffStart);
    return j;
}

// The stacked fixture's AFCP footer and Samsung directory.
std::size_t lastOf(const Bytes& j, const char* text)
{
    const std::string bytes(j.begin(), j.end());
    return bytes.rfind(text);
}

const Layout layouts[] = {
    {"JfifBeforeExif", [] { return readBytes(fixture("ii_jfif_thumbnail.jpg")); }},
    {"XmpBeforeExif",
     [] {
         Bytes j = readBytes(fixture("mm_gps_xmp.jpg"));
         const ExifSegment s = findExif(j);
         const std::size_t xmpEnd = segmentAfter(j, s.end);  // exiftool writes XMP right after Exif
         EXPECT_EQ(j[s.end + 1], 0xE1);
         return withSegmentMoved(j, s.end, xmpEnd, s.start);
     }},
    {"FillBytesBetweenMarkers",
     [] {
         Bytes j = readBytes(fixture("mm_plain.jpg"));
         const ExifSegment s = findExif(j);
         j.insert(j.begin() + static_cast<std::ptrdiff_t>(s.end), {0xFF, 0xFF, 0xFF});
         j.insert(j.begin() + static_cast<std::ptrdiff_t>(s.start), {0xFF, 0xFF});
         return j;
     }},
    {"DataAfterTheEnd",
     [] {
         Bytes j = readBytes(fixture("ii_canon_makernote.jpg"));
         const Bytes second = readBytes(fixture("no_exif.jpg"));
         j.insert(j.end(), second.begin(), second.end());
         return j;
     }},
    {"AfcpTrailerAfterASecondPicture",
     [] {
         Bytes j = readBytes(fixture("ii_canon_makernote.jpg"));
         const Bytes second = readBytes(fixture("no_exif.jpg"));
         j.insert(j.end(), second.begin(), second.end());
         return withAfcpTrailer(j, true);
     }},
    // Trailers with absolute offsets under others: found as a chain from the
    // end (PhotoMechanic, Samsung's without audio offsets) or, under data
    // that ends no chain, by the AFCP footer.
    {"AfcpUnderPhotoMechanic",
     [] { return fixtureWith("mm_afcp_trailer.jpg", std::string("notes") + '\0' + '\0' + '\0' + '\5' + "cbipcbbl"); }},
    {"AfcpUnderSamsungWithoutAudioOffsets", [] { return fixtureCut("ii_afcp_samsung_trailers.jpg", 30); }},
    {"AfcpUnderUnknownData", [] { return fixtureWith("mm_afcp_trailer.jpg", "data of an unknown trailer"); }},
    // Maker-note previews after the image in the other layouts known.
    {"PreviewOfASonyMakerNote",
     [] {
         return withPreviewNote([](Patcher& p, std::size_t note, std::size_t tiff, std::size_t) {
             uint32_t start = 0, length = 0;
             readNumber(p.bytes, note + 22, 4, true, start);
             readNumber(p.bytes, note + 34, 4, true, length);
             p.text(note, "SONY DSC \0\0\0", 12);
             p.u16(note + 12, 2);
             p.entry(note + 14, 0x0088, 4, 1, start);
             p.entry(note + 26, 0x0089, 4, 1, length);
             p.u32(note + 38, 0);
             (void)tiff;
         });
     }},
    {"PreviewOfASamsungStmnMakerNote",  // its start is a position in the file
     [] {
         return withPreviewNote([](Patcher& p, std::size_t note, std::size_t tiff, std::size_t) {
             uint32_t start = 0, length = 0;
             readNumber(p.bytes, note + 22, 4, true, start);
             readNumber(p.bytes, note + 34, 4, true, length);
             p.text(note, std::string(42, '\0').c_str(), 42);
             p.text(note, "STMN100\0", 8);
             p.u32(note + 8, uint32_t(tiff + start));
             p.u32(note + 12, length);
         });
     }},
    {"TwoExifSegments",
     [] {
         Bytes j = readBytes(fixture("ii_jfif_thumbnail.jpg"));
         const ExifSegment s = findExif(j);
         Bytes copy(j.begin() + static_cast<std::ptrdiff_t>(s.start), j.begin() + static_cast<std::ptrdiff_t>(s.end));
         j.insert(j.begin() + static_cast<std::ptrdiff_t>(s.end), copy.begin(), copy.end());
         return j;
     }},
};

TEST(AnOddButValidLayout, isWrittenWithEveryOtherSegmentByteIdentical)
{
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.name);
        TempDir dir;
        const auto path = photoFile(dir.path(), layout.make());
        const Bytes before = readBytes(path);
        ASSERT_EQ(writeGpsFile(path), EXIF_OK);
        const Bytes after = readBytes(path);
        expectOnlyTheExifSegmentChanged(before, after);
        uint32_t h = 0;
        ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
        char datum[16];
        EXPECT_EQ(ExifGetGPSMapDatum(h, sizeof datum, datum), EXIF_OK);
        EXPECT_STREQ(datum, "WGS-84");
        ExifFileClose(h);
    }
}

// Files that must be refused, and stay byte-identical.
struct Refused {
    const char* name;
    Bytes (*make)();
    int openStatus;  // EXIF_OK when only the write is refused
    int writeStatus = EXIF_ERR_FORMAT;
    int closeStatus = EXIF_OK;
};

// mm_plain.jpg with an AFCP trailer after its end, damaged by `damage`
// (given the file, big-endian, and where the trailer starts).
Bytes withDamagedAfcp(void (*damage)(Patcher&, std::size_t))
{
    Bytes j = readBytes(fixture("mm_plain.jpg"));
    const std::size_t at = j.size();
    j = withAfcpTrailer(j, false);
    Patcher p{j, false};
    damage(p, at);
    return j;
}

const Refused refusedFiles[] = {
    {"PngNamedJpg", [] { return readBytes(fixture("png_named.jpg")); }, EXIF_ERR_FORMAT},
    {"EmptyFile", [] { return Bytes{}; }, EXIF_ERR_FORMAT},
    {"TruncatedInsideExif",
     [] {
         Bytes j = readBytes(fixture("mm_gps_xmp.jpg"));
         j.resize(findExif(j).tiffStart + 40);
         return j;
     },
     EXIF_ERR_FORMAT},
    {"TruncatedInsideImageData",
     [] {
         Bytes j = readBytes(fixture("ii_jfif_thumbnail.jpg"));
         j.resize(j.size() - 40);
         return j;
     },
     EXIF_OK, EXIF_ERR_NO_IMAGE_END},
    {"SegmentLengthPastTheEnd",
     [] {
         Bytes j = readBytes(fixture("mm_plain.jpg"));
         const ExifSegment s = findExif(j);
         j[s.end + 2] = 0xFF;  // the next segment claims 65 kB
         return j;
     },
     EXIF_ERR_FORMAT},
    // A trailer whose absolute offsets cannot be moved safely: the write that
    // would move it is refused.
    {"AfcpFooterPointingOutsideTheFile",
     [] { return withDamagedAfcp([](Patcher& p, std::size_t) { p.u32(p.bytes.size() - 8, 0x7FFFFFF0); }); },
     EXIF_OK, EXIF_OK, EXIF_ERR_TRAILER},
    {"AfcpOffsetsAlreadyStale",  // 16 bytes put before the trailer by a program that did not know it
     [] {
         Bytes j = readBytes(fixture("mm_plain.jpg"));
         const Bytes t = afcpTrailer(j.size(), false);
         j.insert(j.end(), 16, 0);
         j.insert(j.end(), t.begin(), t.end());
         return j;
     },
     EXIF_OK, EXIF_OK, EXIF_ERR_TRAILER},
    {"AfcpEntryPastTheEnd",
     [] { return withDamagedAfcp([](Patcher& p, std::size_t at) { p.u32(at + 16, 0xFFFFFFF0); }); },
     EXIF_OK, EXIF_OK, EXIF_ERR_TRAILER},
    {"AfcpEntriesReachingIntoTheFooter",
     [] { return withDamagedAfcp([](Patcher& p, std::size_t at) { p.u16(at + 6, 200); }); },
     EXIF_OK, EXIF_OK, EXIF_ERR_TRAILER},
    {"AfcpHeaderInsideTheImage",  // in a comment segment, where rewriting it would change the image's bytes
     [] {
         Bytes j = readBytes(fixture("mm_plain.jpg"));
         const std::size_t header = findExif(j).end + 4;
         const uint8_t comment[] = {0xFF, 0xFE, 0x00, 0x0E, 'A', 'X', 'S', '!', 0, 1, 0, 0, 0, 0, 0, 0};
         j.insert(j.begin() + static_cast<std::ptrdiff_t>(header - 4), std::begin(comment), std::end(comment));
         Patcher p{j, false};
         p.text(j.size(), "AXS!", 4);
         p.u32(j.size(), uint32_t(header));
         p.u32(j.size(), 0);
         return j;
     },
     EXIF_OK, EXIF_OK, EXIF_ERR_TRAILER},
    {"QdioOffsetsNotAtTheAudio",
     [] {
         Bytes j = readBytes(fixture("ii_afcp_samsung_trailers.jpg"));
         j[j.size() - 18] += 1;
         return j;
     },
     EXIF_OK, EXIF_OK, EXIF_ERR_TRAILER},
    {"SamsungDirectoryWithAudioOffsetsDamaged",
     [] {
         Bytes j = readBytes(fixture("ii_afcp_samsung_trailers.jpg"));
         j[lastOf(j, "SEFH") + 3] = 'X';
         return j;
     },
     EXIF_OK, EXIF_OK, EXIF_ERR_TRAILER},
    {"AfcpUnderSamsungAlreadyStale",
     [] {
         Bytes j = readBytes(fixture("ii_afcp_samsung_trailers.jpg"));
         j[lastOf(j, "AXS*") + 4] -= 4;
         return j;
     },
     EXIF_OK, EXIF_OK, EXIF_ERR_TRAILER},
    // Maker-note values past the Exif block that cannot be moved with
    // certainty.
    {"MakerNotePreviewNotAtAJpeg",
     [] { return withPreviewNote([](Patcher& p, std::size_t note, std::size_t, std::size_t) { p.bytes[note + 22] += 2; }); },
     EXIF_OK, EXIF_OK, EXIF_ERR_TRAILER},
    {"MakerNotePreviewHalfInTheBlock",
     [] {
         return withPreviewNote([](Patcher& p, std::size_t note, std::size_t, std::size_t size) {
             p.u32(note + 22, uint32_t(size - 8));
         });
     },
     EXIF_OK, EXIF_OK, EXIF_ERR_TRAILER},
    {"MakerNoteValuePastTheBlock",
     [] {
         return withPreviewNote([](Patcher& p, std::size_t note, std::size_t, std::size_t size) {
             p.entry(note + 2, 0x0000, 7, 8, uint32_t(size + 2));
         });
     },
     EXIF_OK, EXIF_OK, EXIF_ERR_TRAILER},
};

TEST(AFileThatIsNotAWholeJpeg, isRefusedAndStaysByteIdentical)
{
    for (const Refused& r : refusedFiles) {
        SCOPED_TRACE(r.name);
        TempDir dir;
        const auto path = photoFile(dir.path(), r.make());
        const Bytes before = readBytes(path);
        uint32_t h = 0;
        EXPECT_EQ(ExifFileOpen(narrow(path).c_str(), &h), r.openStatus);
        if (r.openStatus == EXIF_OK) {
            EXPECT_EQ(setGps(h), r.writeStatus);
            EXPECT_EQ(ExifFileClose(h), r.closeStatus);
        } else {
            EXPECT_EQ(h, 0u);
        }
        EXPECT_EQ(readBytes(path), before);
        EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"photo.jpg"});
    }
}

// Raw and HEIF photos are only read: the writing open refuses them as it
// refuses anything that is not a JPEG, and every set through the reading
// open is refused, whatever its argument; the file and its folder stay as
// they were. So does a JPEG opened for reading.
TEST(ARawOrHeifPhoto, isNeverWrittenThroughEitherOpen)
{
    std::vector<fs::path> photos = {fixture("ii_jfif_thumbnail.jpg")};
    for (const auto& e : fs::directory_iterator(rawFixture(""))) photos.push_back(e.path());
    ASSERT_GE(photos.size(), 13u);
    for (const fs::path& original : photos) {
        const std::string name = original.filename().string();
        SCOPED_TRACE(name);
        TempDir dir;
        const auto path = dir.path() / name;
        fs::copy_file(original, path);
        const Bytes before = readBytes(original);
        uint32_t h = 7;
        if (original.extension() != ".jpg") {
            EXPECT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_ERR_FORMAT);
            EXPECT_EQ(h, 0u);
        }
        ASSERT_EQ(ExifPhotoOpen(narrow(path).c_str(), &h), EXIF_OK);
        EXPECT_EQ(setGps(h), EXIF_ERR_READ_ONLY_KIND);
        EXPECT_EQ(ExifSetGPSLatitudeRef(h, "X"), EXIF_ERR_READ_ONLY_KIND);
        EXPECT_EQ(ExifSetDateTimeOriginal(h, "2001:02:03 04:05:06"), EXIF_ERR_READ_ONLY_KIND);
        EXPECT_EQ(ExifUpdateGPSDateStamp(h, "2001:02:03"), EXIF_ERR_READ_ONLY_KIND);
        EXPECT_EQ(ExifFileClose(h), EXIF_OK);
        EXPECT_EQ(readBytes(path), before);
        EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{name});
    }
}

// A write that moves nothing leaves such offsets as it found them.
TEST(AnOffsetThatCannotBeMoved, doesNotStopAShootingTimeWrittenInPlace)
{
    for (const Refused& r : refusedFiles) {
        if (r.closeStatus != EXIF_ERR_TRAILER) continue;
        SCOPED_TRACE(r.name);
        TempDir dir;
        const auto path = photoFile(dir.path(), r.make());
        const Bytes before = readBytes(path);
        uint32_t h = 0;
        ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
        EXPECT_EQ(ExifSetDateTimeOriginal(h, "2001:02:03 04:05:06"), EXIF_OK);
        EXPECT_EQ(ExifFileClose(h), EXIF_OK);
        const Bytes after = readBytes(path);
        EXPECT_NE(after, before);
        EXPECT_EQ(outsideExif(after).after, outsideExif(before).after);
    }
}

TEST(AReadOnlyPhoto, canBeReadButRefusesWritesBeforeTouchingAnything)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "ii_jfif_thumbnail.jpg");
    const Bytes before = readBytes(path);
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    uint32_t h = 0;
    ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
    char date[20];
    EXPECT_EQ(ExifGetDateTimeOriginal(h, date), EXIF_OK);
    EXPECT_EQ(ExifSetDateTimeOriginal(h, "2001:01:01 01:01:01"), EXIF_ERR_READ_ONLY);
    EXPECT_EQ(setGps(h), EXIF_ERR_READ_ONLY);
    EXPECT_EQ(ExifFileClose(h), EXIF_OK);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"photo.jpg"});
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

TEST(APhotoMadeReadOnlyWhileOpen, isNotWrittenAtClose)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "mm_plain.jpg");
    const Bytes before = readBytes(path);
    uint32_t h = 0;
    ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
    ASSERT_EQ(setGps(h), EXIF_OK);
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(ExifFileClose(h), EXIF_ERR_READ_ONLY);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"photo.jpg"});
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

TEST(APhotoChangedByAnotherProgramWhileOpen, isNotOverwritten)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "mm_plain.jpg");
    uint32_t h = 0;
    ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
    ASSERT_EQ(setGps(h), EXIF_OK);
    Bytes other = readBytes(fixture("ii_jfif_thumbnail.jpg"));
    writeBytes(path, other);
    EXPECT_EQ(ExifFileClose(h), EXIF_ERR_CHANGED);
    EXPECT_EQ(readBytes(path), other);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"photo.jpg"});
}

TEST(LeftoverTemporaryFiles, areNeitherReusedNorGrown)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "mm_plain.jpg");
    const Bytes junk = {'l', 'e', 'f', 't', 'o', 'v', 'e', 'r'};
    // Names like the library's own, and a few plain guesses.
    const std::vector<std::string> names = {".photo.jpg.exif-1-0-0.tmp", "~photo.jpg.exif-1-0-0.tmp",
                                            "photo.jpg.tmp", "photo.tmp"};
    for (const auto& n : names) writeBytes(dir.path() / n, junk);
    ASSERT_EQ(writeGpsFile(path), EXIF_OK);
    for (const auto& n : names) EXPECT_EQ(readBytes(dir.path() / n), junk) << n;
    EXPECT_EQ(filesIn(dir.path()).size(), names.size() + 1);
}

// The temporary file the library uses for a photo of this name.
fs::path ourTemporaryFile(const fs::path& photo)
{
#ifdef _WIN32
    const std::wstring name = photo.filename().wstring();
    const std::string stem = ::exif::io::temporaryNameStem(name.data(), name.size() * sizeof(wchar_t));
    return photo.parent_path() / ("~" + stem);
#else
    const std::string name = photo.filename().string();
    return photo.parent_path() / ("." + ::exif::io::temporaryNameStem(name.data(), name.size()));
#endif
}

// A temporary file of the photo's own name, as a write an hour ago left it.
fs::path plantOldTemporaryFile(const fs::path& photo, const Bytes& bytes)
{
    const auto temp = ourTemporaryFile(photo);
    writeBytes(temp, bytes);
    fs::last_write_time(temp, fs::file_time_type::clock::now() - std::chrono::hours(1));
    return temp;
}

TEST(OurOwnLeftoverTemporaryFile, isRemovedByTheNextWriteOfItsPhoto)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "mm_plain.jpg");
    plantOldTemporaryFile(path, Bytes(1000, 0xAB));
    ASSERT_EQ(writeGpsFile(path), EXIF_OK);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"photo.jpg"});
}

// A temporary file that a running write holds is not taken for a leftover:
// this write waits for another time, and both files stay as they are.
TEST(OurOwnTemporaryFileHeldByARunningWrite, isLeftAloneAndThePhotoSaysItIsInUse)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "mm_plain.jpg");
    const Bytes before = readBytes(path);
    const auto held = plantOldTemporaryFile(path, Bytes(10, 1));
#ifdef _WIN32
    HANDLE other = CreateFileW(held.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(writeGpsFile(path), EXIF_ERR_IN_USE);
    CloseHandle(other);
#else
    const int other = ::open(held.c_str(), O_RDWR);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX), 0);
    EXPECT_EQ(writeGpsFile(path), EXIF_ERR_IN_USE);
    ::close(other);
#endif
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(readBytes(held), Bytes(10, 1));
}

// The temporary name does not grow with the photo's: a name as long as the
// folder allows is written.
TEST(APhotoWithAVeryLongName, isWritten)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "mm_plain.jpg", std::string(240, 'a') + ".jpg");
    EXPECT_EQ(writeGpsFile(path), EXIF_OK);
    EXPECT_EQ(filesIn(dir.path()).size(), 1u);
}

// Another program's edit while the new file is written is never lost: it
// either waits (Windows keeps the photo from writers meanwhile) or the write
// is given up and the edit stays.
TEST(AnEditByAnotherProgramDuringTheWrite, isNeverLost)
{
    TempDir dir;
    const auto path = dir.path() / "photo.jpg";
    Bytes big = readBytes(fixture("mm_plain.jpg"));
    big.insert(big.end() - 2, 48u << 20, 0x55);  // image data: a long write
    writeBytes(path, big);
    const auto temp = ourTemporaryFile(path);
    uint32_t h = 0;
    ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
    ASSERT_EQ(setGps(h), EXIF_OK);
    const Bytes edit = readBytes(fixture("ii_jfif_thumbnail.jpg"));
    bool edited = false;
    std::thread editor([&] {
        // As soon as the new file exists, the check before the write is past.
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!fs::exists(temp) && std::chrono::steady_clock::now() < give_up) std::this_thread::yield();
        std::ofstream out(path, std::ios::binary | std::ios::in | std::ios::out);
        if (out) {
            out.write(reinterpret_cast<const char*>(edit.data()), static_cast<std::streamsize>(edit.size()));
            out.close();
            edited = !out.fail();
        }
    });
    const int close = ExifFileClose(h);
    editor.join();
    RecordProperty("edited", edited ? "yes" : "no");
    const Bytes now = readBytes(path);
    if (edited) {
        EXPECT_EQ(close, EXIF_ERR_CHANGED);
        EXPECT_TRUE(std::equal(edit.begin(), edit.end(), now.begin())) << "the other program's edit was lost";
    } else {
        EXPECT_EQ(close, EXIF_OK);
    }
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"photo.jpg"});
}

#ifdef _WIN32
// A folder's read-only attribute marks a customised folder on Windows and
// protects none of its files: the photo is written.
TEST(AFolderMarkedReadOnly, doesNotStopAWrite)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "mm_plain.jpg");
    ASSERT_TRUE(SetFileAttributesW(dir.path().c_str(), FILE_ATTRIBUTE_READONLY));
    const int status = writeGpsFile(path);
    SetFileAttributesW(dir.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(status, EXIF_OK);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"photo.jpg"});
}

// Another program that has the photo open for writing keeps it.
TEST(APhotoOpenInAnotherProgram, isNotWrittenAndSaysItIsInUse)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "mm_plain.jpg");
    const Bytes before = readBytes(path);
    uint32_t h = 0;
    ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
    ASSERT_EQ(setGps(h), EXIF_OK);
    HANDLE editor = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(editor, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ExifFileClose(h), EXIF_ERR_IN_USE);
    CloseHandle(editor);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"photo.jpg"});
}
#else
// A folder the system refuses new files in: for an unprivileged user, a
// folder without write permission (root may write there, as an
// administrator may on Windows).
TEST(AFolderThatTakesNoNewFile, refusesWritesBeforeTouchingAnything)
{
    TempDir dir;
    const auto folder = dir.path() / "album";
    fs::create_directory(folder);
    const auto path = folder / "photo.jpg";
    fs::copy_file(fixture("mm_plain.jpg"), path);
    const Bytes before = readBytes(path);
    fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
        uint32_t h = 0;
        if (ExifFileOpen(narrow(path).c_str(), &h) != EXIF_OK) _exit(101);
        const int set = setGps(h);
        const int close = ExifFileClose(h);
        _exit(set == EXIF_ERR_FOLDER_READ_ONLY && close == EXIF_OK ? 0 : 102);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{"photo.jpg"});
}

// A pipe named like a photo is refused at once instead of waiting for a
// writer that never comes.
TEST(APipeNamedLikeAPhoto, isRefusedWithoutBlocking)
{
    TempDir dir;
    const auto path = dir.path() / "photo.jpg";
    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
    uint32_t h = 0;
    EXPECT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_ERR_OPEN);
}

TEST(APhotoWrittenOnLinux, keepsItsPermissions)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "mm_plain.jpg");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(writeGpsFile(path), EXIF_OK);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// A full disk: the writer runs in a child process whose files may not grow
// past a few hundred bytes (SIGXFSZ ignored, so the write just fails).
TEST(AFullDisk, failsTheCloseAndLeavesTheOriginalWholeAndNoTemporaryFile)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "ii_jfif_thumbnail.jpg");
    const Bytes before = readBytes(path);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {};
        limit.rlim_cur = limit.rlim_max = 300;
        setrlimit(RLIMIT_FSIZE, &limit);
        uint32_t h = 0;
        if (ExifFileOpen(narrow(path).c_str(), &h) != EXIF_OK) _exit(100);
        if (setGps(h) != EXIF_OK) _exit(101);
        _exit(-ExifFileClose(h));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), -EXIF_ERR_DISK_FULL);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"photo.jpg"});
}

// A writer killed at any moment leaves the photo entirely old or entirely new.
TEST(AKilledWriter, leavesThePhotoEntirelyOldOrEntirelyNew)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "ii_canon_makernote.jpg");
    const Bytes original = readBytes(path);
    GpsValues a, b;
    b.mapDatum = "TOKYO DATUM OF 1918, A LONG NAME";
    // Every content a finished write of the child's sequence can give: the
    // same writes, done here on a copy.
    std::vector<Bytes> states = {original};
    {
        TempDir scratch;
        const auto copy = scratch.path() / "photo.jpg";
        writeBytes(copy, original);
        for (int i = 0; i < 8; ++i) {
            ASSERT_EQ(writeGpsFile(copy, i % 2 ? a : b), EXIF_OK);
            states.push_back(readBytes(copy));
        }
    }
    auto isAState = [&](const Bytes& bytes) { return std::find(states.begin(), states.end(), bytes) != states.end(); };

    for (int round = 0; round < 20; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) writeGpsFile(path, i % 2 ? a : b);
        }
        usleep(static_cast<useconds_t>(200 + 700 * round));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const Bytes now = readBytes(path);
        EXPECT_TRUE(isAState(now)) << "round " << round;
    }
    // The kills leave at most the one temporary file of the photo, and the
    // next write removes it.
    EXPECT_LE(filesIn(dir.path()).size(), 2u);
    ASSERT_EQ(writeGpsFile(path, a), EXIF_OK);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"photo.jpg"});
}
#endif

}  // namespace
}  // namespace vantora::test::exif
