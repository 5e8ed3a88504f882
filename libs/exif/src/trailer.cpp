#include "trailer.h"

#include "byte_io.h"
#include "jpeg.h"
#include "tiff.h"

#include <algorithm>
#include <cstring>

namespace exif {
namespace {

constexpr uint64_t kAfcpFooterSize = 12, kAfcpHeaderSize = 12, kAfcpEntrySize = 12;
// No stored offset (a uint32) can move further than this; a larger shift is
// no write of one segment.
constexpr int64_t kMaxShift = int64_t(1) << 32;
// More trailers in one chain, or blocks in one Samsung trailer, than any
// writer makes: the walk stops there.
constexpr int kMaxTrailers = 16, kMaxSamsungBlocks = 64;
constexpr uint16_t kSamsungAudio = 0x0100;

// What a write did to the file: the bytes at `from` and after (in the old
// file) now stand `shift` bytes further on.
struct Move {
    uint64_t from;
    int64_t shift;
};

struct OffsetWrite {
    uint64_t at;
    uint32_t value;
    ByteOrder order;
};
using Writes = std::vector<OffsetWrite>;

// What reading one structure found.
enum class Found {
    none,     // not this kind of structure: look on
    ok,       // read, and its offsets into the moved bytes planned
    refused,  // this kind, with offsets that cannot be moved safely
};

// Where a stored offset into the moved bytes points now. False when it
// points before them (whether its data moved is unknown) or the new place
// is no uint32.
bool movedOffset(uint64_t stored, const Move& move, uint64_t& out)
{
    if (stored < move.from) return false;
    const int64_t moved = int64_t(stored) + move.shift;  // |shift| <= kMaxShift: no overflow
    if (moved < 0 || moved > int64_t(UINT32_MAX)) return false;
    out = uint64_t(moved);
    return true;
}

bool equalsAt(const std::vector<uint8_t>& file, uint64_t at, const char* text, std::size_t n)
{
    return at <= file.size() && file.size() - at >= n && std::memcmp(file.data() + at, text, n) == 0;
}

// ---- AFCP ----------------------------------------------------------------

// The AFCP trailer whose footer ends at `end`, found after the main image
// (from `imageEnd`): its header, entries and their data lie between, where
// its moved offsets say; `start` is its header's place.
Found planAfcp(const std::vector<uint8_t>& file, uint64_t imageEnd, uint64_t end, const Move& move,
               Writes& writes, uint64_t& start)
{
    if (end < imageEnd + kAfcpFooterSize || end > file.size()) return Found::none;
    const uint64_t footer = end - kAfcpFooterSize;
    if (!equalsAt(file, footer, "AXS!", 4) && !equalsAt(file, footer, "AXS*", 4)) return Found::none;
    if (footer < imageEnd + kAfcpHeaderSize) return Found::refused;  // no room for its header
    const ByteOrder order = file[footer + 3] == '!' ? ByteOrder::big : ByteOrder::little;
    const ByteReader r(file.data(), file.size(), order);
    uint32_t stored = 0;
    uint64_t header = 0;
    r.u32(footer + 4, stored);
    // Rewritten in place, so they must lie in the trailer, never in the
    // image's own bytes; not the footer's signature where the footer says:
    // the offsets were already stale before this write.
    if (!movedOffset(stored, move, header) || header < imageEnd || header + kAfcpHeaderSize > footer ||
        std::memcmp(file.data() + header, file.data() + footer, 4) != 0)
        return Found::refused;
    Writes planned{{footer + 4, static_cast<uint32_t>(header), order}};
    uint16_t count = 0;
    r.u16(header + 6, count);
    const uint64_t entries = header + kAfcpHeaderSize, data = entries + count * kAfcpEntrySize;
    if (data > footer) return Found::refused;  // the entries reach into the footer
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t entry = entries + i * kAfcpEntrySize;
        uint32_t size = 0, offset = 0;
        uint64_t at = 0;
        r.u32(entry + 4, size);
        r.u32(entry + 8, offset);
        if (!movedOffset(offset, move, at) || at < data || at > footer || size > footer - at) return Found::refused;
        planned.push_back({entry + 8, static_cast<uint32_t>(at), order});
    }
    writes.insert(writes.end(), planned.begin(), planned.end());
    start = header;
    return Found::ok;
}

// ---- Samsung -------------------------------------------------------------

struct SamsungBlock {
    uint64_t content = 0;  // its first byte; it ends with its length and type
    uint64_t length = 0;
    char type[4] = {};
};

bool isWordChar(uint8_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// The block ending at `blockEnd`, not reaching below `floor`.
bool readSamsungBlock(const std::vector<uint8_t>& file, uint64_t floor, uint64_t blockEnd, SamsungBlock& out)
{
    const ByteReader r(file.data(), file.size(), ByteOrder::little);
    if (blockEnd < floor + 8 || blockEnd > file.size()) return false;
    uint32_t length = 0;
    r.u32(blockEnd - 8, length);
    std::memcpy(out.type, file.data() + blockEnd - 4, 4);
    if (!std::all_of(out.type, out.type + 4, [](char c) { return isWordChar(static_cast<uint8_t>(c)); }))
        return false;
    if (length < 4 || length >= 0x10000 || length > blockEnd - 8 - floor) return false;
    out.length = length;
    out.content = blockEnd - 8 - length;
    return true;
}

struct SamsungDirectory {
    uint64_t start = 0;                    // the trailer's first byte: the farthest block back
    uint64_t audio = 0, audioEnd = 0;      // the first audio block's data; 0 when none
};

// The SEFH directory in `dir`: every entry's block between `floor` and the
// directory. False when it does not read so.
bool readSamsungDirectory(const std::vector<uint8_t>& file, uint64_t floor, const SamsungBlock& dir,
                          SamsungDirectory& out)
{
    const ByteReader r(file.data(), file.size(), ByteOrder::little);
    uint32_t count = 0;
    r.u32(dir.content + 8, count);
    if (dir.length < 12 || !equalsAt(file, dir.content, "SEFH", 4) || 12 + 12 * uint64_t(count) > dir.length)
        return false;
    uint64_t farthest = 0;
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t entry = dir.content + 12 + 12 * i;
        uint16_t type = 0;
        uint32_t back = 0, size = 0;
        r.u16(entry + 2, type);
        r.u32(entry + 4, back);
        r.u32(entry + 8, size);
        if (back > dir.content - floor || size > back || size < 8) return false;
        farthest = std::max<uint64_t>(farthest, back);
        if (type != kSamsungAudio || out.audio != 0) continue;
        const uint64_t block = dir.content - back;
        uint32_t nameLength = 0;
        r.u32(block + 4, nameLength);
        if (uint64_t(nameLength) + 8 > size) return false;
        out.audio = block + 8 + nameLength;
        out.audioEnd = block + size;
    }
    out.start = dir.content - farthest;
    return true;
}

// The QDIO block's offsets of the audio, checked to point at the audio the
// directory gives, then planned to follow it.
bool planQdio(const std::vector<uint8_t>& file, const SamsungBlock& qdio, const SamsungDirectory& dir,
              const Move& move, Writes& writes)
{
    const ByteReader r(file.data(), file.size(), ByteOrder::little);
    uint32_t storedStart = 0, storedEnd = 0;
    uint64_t start = 0, end = 0;
    r.u32(qdio.content + 12, storedStart);
    r.u32(qdio.content + 16, storedEnd);
    if (qdio.length != 20 || !equalsAt(file, qdio.content, "QDIO", 4) || dir.audio == 0) return false;
    if (!movedOffset(storedStart, move, start) || !movedOffset(storedEnd, move, end) || start != dir.audio ||
        end != dir.audioEnd)
        return false;
    writes.push_back({qdio.content + 12, static_cast<uint32_t>(start), ByteOrder::little});
    writes.push_back({qdio.content + 16, static_cast<uint32_t>(end), ByteOrder::little});
    return true;
}

// Samsung's trailer ending at `end`, read backwards block by block as far
// as its directory. Its QDIO block holds absolute offsets: a trailer with
// one ("QDIOBS") that does not read whole is refused.
Found planSamsung(const std::vector<uint8_t>& file, uint64_t imageEnd, uint64_t end, const Move& move,
                  Writes& writes, uint64_t& start)
{
    if (end < imageEnd + 6 || end > file.size()) return Found::none;
    const bool withAudioOffsets = equalsAt(file, end - 6, "QDIOBS", 6);
    if (!withAudioOffsets && !equalsAt(file, end - 6, "\0\0SEFT", 6)) return Found::none;
    const Found broken = withAudioOffsets ? Found::refused : Found::none;
    uint64_t blockEnd = withAudioOffsets ? end - 2 : end;
    SamsungBlock qdio;
    bool hasQdio = false;
    for (int i = 0; i < kMaxSamsungBlocks; ++i) {
        SamsungBlock block;
        if (!readSamsungBlock(file, imageEnd, blockEnd, block)) return broken;
        blockEnd = block.content;
        if (std::memcmp(block.type, "QDIO", 4) == 0) {
            qdio = block;
            hasQdio = true;
        }
        if (std::memcmp(block.type, "SEFT", 4) != 0) continue;
        SamsungDirectory dir;
        if (!readSamsungDirectory(file, imageEnd, block, dir)) return broken;
        if (hasQdio && !planQdio(file, qdio, dir, move, writes)) return Found::refused;
        start = dir.start;
        return Found::ok;
    }
    return broken;
}

// ---- PhotoMechanic -------------------------------------------------------

Found findPhotoMechanic(const std::vector<uint8_t>& file, uint64_t imageEnd, uint64_t end, uint64_t& start)
{
    if (end < imageEnd + 12 || end > file.size() || !equalsAt(file, end - 8, "cbipcbbl", 8)) return Found::none;
    uint32_t size = 0;
    ByteReader(file.data(), file.size(), ByteOrder::big).u32(end - 12, size);
    if (size > end - 12 - imageEnd) return Found::none;
    start = end - 12 - size;
    return Found::ok;
}

// ---- The chain -----------------------------------------------------------

// The trailers from the end of the file back, each ending where the next
// begins; `chainStart` is where the first of them begins (the file's end
// when there is none).
Found planTrailerChain(const std::vector<uint8_t>& file, uint64_t imageEnd, const Move& move, Writes& writes,
                       uint64_t& chainStart)
{
    uint64_t end = file.size();
    for (int i = 0; i < kMaxTrailers && end > imageEnd; ++i) {
        uint64_t start = end;
        Found found = planAfcp(file, imageEnd, end, move, writes, start);
        if (found == Found::none) found = planSamsung(file, imageEnd, end, move, writes, start);
        if (found == Found::none) found = findPhotoMechanic(file, imageEnd, end, start);
        if (found == Found::refused) return Found::refused;
        if (found == Found::none || start >= end) break;
        end = start;
    }
    chainStart = end;
    return Found::ok;
}

// An AFCP trailer below data that ends no chain (a trailer of another kind,
// an appended video): looked for by its footer. The signature alone may
// occur by chance in such data, so only a footer whose whole trailer reads
// right is taken; any other is left as data.
void planAfcpBelowTheChain(const std::vector<uint8_t>& file, uint64_t imageEnd, uint64_t chainStart,
                           const Move& move, Writes& writes)
{
    const uint8_t* p = file.data() + imageEnd;
    const uint8_t* const last = file.data() + chainStart;
    while (last - p >= int64_t(kAfcpFooterSize)) {
        const void* found = std::memchr(p, 'A', static_cast<std::size_t>(last - p) - kAfcpFooterSize + 1);
        if (found == nullptr) return;
        const uint64_t at = static_cast<uint64_t>(static_cast<const uint8_t*>(found) - file.data());
        uint64_t start = 0;
        Writes planned;
        if (planAfcp(file, imageEnd, at + kAfcpFooterSize, move, planned, start) == Found::ok)
            writes.insert(writes.end(), planned.begin(), planned.end());
        p = file.data() + at + 1;
    }
}

// ---- Maker-note offsets --------------------------------------------------

// A maker-note preview: where its start is stored in the file, and where
// the preview stood in the old file.
struct Preview {
    uint64_t field = 0;
    uint64_t oldPlace = 0, length = 0;
    uint64_t base = 0;  // what the stored start counts from: the TIFF header, or the file's start
};

// Plans a preview's start to follow it when it lies wholly in the moved
// bytes and a JPEG starts there; left when it lies wholly before them.
bool planPreview(const std::vector<uint8_t>& file, const Preview& preview, const Move& move, ByteOrder order,
                 Writes& writes)
{
    if (preview.oldPlace + preview.length <= move.from) return true;  // before the moved bytes: stays
    uint64_t now = 0;
    if (!movedOffset(preview.oldPlace, move, now) || preview.length > file.size() ||
        now > file.size() - preview.length || !equalsAt(file, now, "\xFF\xD8", 2))
        return false;
    if (now < preview.base || now - preview.base > UINT32_MAX) return false;
    writes.push_back({preview.field, static_cast<uint32_t>(now - preview.base), order});
    return true;
}

// The maker note's known offsets past the old Exif block, planned to follow
// the moved bytes; false when one cannot be.
bool planMakerNoteOffsets(const std::vector<uint8_t>& file, const JpegLayout& layout, const Move& move,
                          uint64_t exifEnd, Writes& writes)
{
    if (!layout.hasExif) return true;  // no maker note
    if (exifEnd < layout.tiffStart || move.from < exifEnd) return false;
    const std::vector<uint8_t> block(file.begin() + static_cast<std::ptrdiff_t>(layout.tiffStart),
                                     file.begin() + static_cast<std::ptrdiff_t>(layout.segmentEnd));
    TiffModel model;
    if (!parseTiff(block, model)) return false;
    const uint64_t oldBlockSize = exifEnd - layout.tiffStart;
    for (const MakerNoteOffset& o : model.makerNoteOffsets) {
        const uint64_t fieldInFile = layout.tiffStart + o.field;
        switch (o.kind) {
        case MakerNoteOffset::Kind::value:
            if (o.start + o.length > oldBlockSize) return false;  // past the block: what it is, is not known
            break;
        case MakerNoteOffset::Kind::preview:
            if (o.start + o.length <= oldBlockSize) break;  // in the block: stays
            if (o.start < oldBlockSize) return false;       // half in, half out
            if (!planPreview(file, {fieldInFile, layout.tiffStart + o.start, o.length, layout.tiffStart}, move,
                             model.order, writes))
                return false;
            break;
        case MakerNoteOffset::Kind::absolutePreview:
            if (o.start < move.from && o.start + o.length > move.from) return false;
            if (!planPreview(file, {fieldInFile, o.start, o.length, 0}, move, model.order, writes)) return false;
            break;
        }
    }
    return true;
}

}  // namespace

TrailerFix fixMovedOffsets(std::vector<uint8_t>& file, uint64_t movedFrom, int64_t shift)
{
    return fixMovedOffsets(file, movedFrom, shift, movedFrom);
}

TrailerFix fixMovedOffsets(std::vector<uint8_t>& file, uint64_t movedFrom, int64_t shift, uint64_t exifEnd)
{
    if (shift == 0) return TrailerFix::none;  // nothing moved, nothing can have gone stale
    if (shift > kMaxShift || shift < -kMaxShift) return TrailerFix::refused;
    // The file as it will be written must read as the old one did: whole,
    // with its image's end (else where the trailers begin is not known).
    JpegLayout layout;
    if (scanJpeg(file, true, layout) != ScanResult::ok || layout.imageEnd == 0) return TrailerFix::refused;
    const Move move{movedFrom, shift};
    Writes writes;
    if (!planMakerNoteOffsets(file, layout, move, exifEnd, writes)) return TrailerFix::refused;
    uint64_t chainStart = file.size();
    if (planTrailerChain(file, layout.imageEnd, move, writes, chainStart) == Found::refused)
        return TrailerFix::refused;
    planAfcpBelowTheChain(file, layout.imageEnd, chainStart, move, writes);
    if (writes.empty()) return TrailerFix::none;
    for (const OffsetWrite& w : writes)  // each checked to lie in the file above
        ByteWriter(file, w.order).u32(static_cast<std::size_t>(w.at), w.value);
    return TrailerFix::fixed;
}

}  // namespace exif
