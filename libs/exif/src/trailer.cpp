#include "trailer.h"

#include "byte_io.h"

#include <cstring>

namespace exif {
namespace {

constexpr uint64_t kFooterSize = 12, kHeaderSize = 12, kEntrySize = 12;
// No stored offset (a uint32) can move further than this; a larger shift is
// no write of one segment.
constexpr int64_t kMaxShift = int64_t(1) << 32;

struct OffsetWrite {
    uint64_t at;
    uint32_t value;
};

bool isAfcpSignature(const uint8_t* p)
{
    return std::memcmp(p, "AXS", 3) == 0 && (p[3] == '!' || p[3] == '*');
}

// Just past the main image's end-of-image marker: the segments walked up to
// the scan header, then the first FF D9, as the scanner judges a photo
// whole. 0 when there is none. Bounds-checked on its own: it only runs over
// a file the scanner accepted, but trusts nothing of it.
uint64_t endOfImage(const std::vector<uint8_t>& file)
{
    const std::size_t size = file.size();
    if (size < 4 || file[0] != 0xFF || file[1] != 0xD8) return 0;
    std::size_t pos = 2;
    for (;;) {
        if (pos >= size || file[pos] != 0xFF) return 0;
        while (pos < size && file[pos] == 0xFF) ++pos;  // the marker's 0xFF and fill bytes
        if (pos >= size) return 0;
        const uint8_t marker = file[pos++];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
        if (marker == 0x00 || marker == 0xD8 || marker == 0xD9 || size - pos < 2) return 0;
        const std::size_t length = (std::size_t(file[pos]) << 8) | file[pos + 1];
        if (length < 2 || length > size - pos) return 0;
        pos += length;
        if (marker == 0xDA) break;
    }
    const uint8_t* p = file.data() + pos;
    const uint8_t* const end = file.data() + size;
    while (end - p >= 2) {
        const void* ff = std::memchr(p, 0xFF, static_cast<std::size_t>(end - p - 1));
        if (ff == nullptr) return 0;
        p = static_cast<const uint8_t*>(ff);
        if (p[1] == 0xD9) return static_cast<uint64_t>(p + 2 - file.data());
        ++p;
    }
    return 0;
}

// Where a stored offset into the moved bytes points now. False when it
// points before them (whether its block moved is unknown) or the new place
// is no uint32.
bool movedOffset(uint32_t stored, uint64_t movedFrom, int64_t shift, uint64_t& out)
{
    if (stored < movedFrom) return false;
    const int64_t moved = int64_t(stored) + shift;  // |shift| <= kMaxShift: no overflow
    if (moved < 0 || moved > int64_t(UINT32_MAX)) return false;
    out = uint64_t(moved);
    return true;
}

// The header's place after the move, checked; false when it cannot be
// trusted. The header and its entries are ours to rewrite: they must lie in
// the trailer, never in the image's own bytes.
bool movedHeader(const std::vector<uint8_t>& file, const ByteReader& r, uint64_t footer, uint64_t movedFrom,
                 int64_t shift, uint64_t& header)
{
    uint32_t stored = 0;
    if (!r.u32(footer + 4, stored) || !movedOffset(stored, movedFrom, shift, header)) return false;
    const uint64_t imageEnd = endOfImage(file);
    if (imageEnd == 0 || header < imageEnd || header > footer || footer - header < kHeaderSize) return false;
    // Not the footer's signature where the footer says: the offsets were
    // already stale before this write.
    return std::memcmp(file.data() + header, file.data() + footer, 4) == 0;
}

// Checks the whole trailer and lists the offsets to write; false at the
// first number that does not hold.
bool planAfcpMove(const std::vector<uint8_t>& file, const ByteReader& r, uint64_t footer, uint64_t movedFrom,
                  int64_t shift, std::vector<OffsetWrite>& writes)
{
    uint64_t header = 0;
    if (shift > kMaxShift || shift < -kMaxShift || !movedHeader(file, r, footer, movedFrom, shift, header))
        return false;
    writes.push_back({footer + 4, static_cast<uint32_t>(header)});
    uint16_t count = 0;
    r.u16(header + 6, count);
    const uint64_t entries = header + kHeaderSize;
    if (uint64_t(count) * kEntrySize > footer - entries) return false;  // the entries reach into the footer
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t entry = entries + i * kEntrySize;
        uint32_t size = 0, offset = 0;
        uint64_t data = 0;
        r.u32(entry + 4, size);
        r.u32(entry + 8, offset);
        if (!movedOffset(offset, movedFrom, shift, data) || !r.contains(data, size)) return false;
        writes.push_back({entry + 8, static_cast<uint32_t>(data)});
    }
    return true;
}

}  // namespace

TrailerFix fixAfcpTrailer(std::vector<uint8_t>& file, uint64_t movedFrom, int64_t shift)
{
    if (file.size() < kFooterSize) return TrailerFix::none;
    const uint64_t footer = file.size() - kFooterSize;
    if (!isAfcpSignature(file.data() + footer)) return TrailerFix::none;
    if (shift == 0) return TrailerFix::none;  // nothing moved, nothing can have gone stale
    const ByteOrder order = file[footer + 3] == '!' ? ByteOrder::big : ByteOrder::little;
    std::vector<OffsetWrite> writes;
    if (!planAfcpMove(file, ByteReader(file.data(), file.size(), order), footer, movedFrom, shift, writes))
        return TrailerFix::refused;
    ByteWriter writer(file, order);
    for (const OffsetWrite& w : writes) writer.u32(static_cast<std::size_t>(w.at), w.value);  // each checked above
    return TrailerFix::fixed;
}

}  // namespace exif
