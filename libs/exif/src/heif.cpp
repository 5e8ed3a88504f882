// HEIF (HEIC) and AVIF: ISO base media files whose meta box lists the items
// of the file. The Exif item is found by its type "Exif" in the item
// information box (iinf) - where there are several, the one an iref "cdsc"
// reference ties to the primary item (pitm) - and its bytes through the item
// location box (iloc): extents in the file, or in the meta box's item data
// box (idat). The item starts with the 32-bit offset of the TIFF header
// behind that field (past "Exif\0\0", usually). Such files carry no JPEG
// preview: their thumbnails are coded as the image is.
#include "isobmff.h"

#include <algorithm>
#include <limits>

namespace exif {
namespace {

using bmff::Box;

constexpr uint64_t kMaxExifItem = 8 * 1024 * 1024;

struct Extent {
    uint64_t offset = 0;
    uint64_t length = 0;  // 0: to the end of the file or of the idat box
};

struct ItemLocation {
    uint16_t method = 0;  // 0: in the file, 1: in idat, 2: made of other items
    uint16_t dataReference = 0;  // 0: this file
    uint64_t base = 0;
    std::vector<Extent> extents;
};

// A full box's version; false when it is cut off.
bool versionOf(const std::vector<uint8_t>& payload, uint8_t& version)
{
    return ByteReader(payload.data(), payload.size(), ByteOrder::big).u8(0, version) && payload.size() >= 4;
}

// An item id of 16 or 32 bits at `at`, which moves past it.
bool readId(const ByteReader& r, uint64_t& at, bool wide, uint32_t& id)
{
    uint16_t narrow = 0;
    const bool ok = wide ? r.u32(at, id) : r.u16(at, narrow);
    if (!wide) id = narrow;
    at += wide ? 4 : 2;
    return ok;
}

// A field of 0, 4 or 8 bytes at `at`, which moves past it.
bool readSized(const ByteReader& r, uint64_t& at, unsigned size, uint64_t& value)
{
    value = 0;
    uint32_t narrow = 0;
    const bool ok = size == 0 || (size == 4 ? r.u32(at, narrow) : r.u64(at, value));
    if (size == 4) value = narrow;
    at += size;
    return ok;
}

// The ids of the items of type "Exif" (item information entries of version
// 2 or 3; older ones carry no type).
Refusal findExifItems(FileSource& file, const Box& iinf, std::vector<uint32_t>& items)
{
    std::vector<uint8_t> head;
    uint8_t version = 0;
    if (!file.read(iinf.payload, std::min<uint64_t>(8, iinf.end - iinf.payload), head) || !versionOf(head, version))
        return "the item information box is cut off";
    std::vector<Box> entries;
    if (const Refusal r = bmff::readChildren(file, iinf, version == 0 ? 6 : 8, 3, entries); r != kRead) return r;
    std::vector<uint8_t> infe;
    for (const Box& entry : entries) {
        if (!entry.is("infe")) continue;
        if (const Refusal r = bmff::readPayload(file, entry, infe); r != kRead) return r;
        uint8_t v = 0;
        if (!versionOf(infe, v) || v < 2) continue;
        const ByteReader reader(infe.data(), infe.size(), ByteOrder::big);
        uint64_t at = 4;
        uint32_t id = 0, type = 0;
        if (!readId(reader, at, v >= 3, id) || !reader.u32(at + 2, type))
            return "an item information entry is cut off";
        if (type == 0x45786966) items.push_back(id);  // "Exif"
    }
    return kRead;
}

// The item that the iref box's "cdsc" references tie to `primary`, among
// `items`; `chosen` stays as it is when there is none.
Refusal itemDescribing(FileSource& file, const Box& iref, uint32_t primary, const std::vector<uint32_t>& items,
                       uint32_t& chosen)
{
    std::vector<uint8_t> head, reference;
    uint8_t version = 0;
    if (!file.read(iref.payload, std::min<uint64_t>(4, iref.end - iref.payload), head) || !versionOf(head, version))
        return "the item reference box is cut off";
    std::vector<Box> references;
    if (const Refusal r = bmff::readChildren(file, iref, 4, 3, references); r != kRead) return r;
    for (const Box& box : references) {
        if (!box.is("cdsc")) continue;
        if (const Refusal r = bmff::readPayload(file, box, reference); r != kRead) return r;
        const ByteReader reader(reference.data(), reference.size(), ByteOrder::big);
        uint64_t at = 0;
        uint32_t from = 0, to = 0;
        uint16_t count = 0;
        if (!readId(reader, at, version != 0, from) || !reader.u16(at, count)) return "an item reference is cut off";
        at += 2;
        for (uint16_t i = 0; i < count; ++i) {
            if (!readId(reader, at, version != 0, to)) return "an item reference is cut off";
            if (to == primary && std::find(items.begin(), items.end(), from) != items.end()) {
                chosen = from;
                return kRead;
            }
        }
    }
    return kRead;
}

// One item's entry of the iloc box, from `at`; `at` moves past it.
bool readLocation(const ByteReader& r, uint64_t& at, uint8_t version, const unsigned (&sizes)[4], uint32_t& id,
                  ItemLocation& out)
{
    out = ItemLocation{};
    uint16_t field = 0, extents = 0;
    if (!readId(r, at, version == 2, id)) return false;
    if (version >= 1) {
        if (!r.u16(at, field)) return false;
        out.method = field & 0x0F;
        at += 2;
    }
    if (!r.u16(at, out.dataReference)) return false;
    at += 2;
    if (!readSized(r, at, sizes[2], out.base) || !r.u16(at, extents)) return false;
    at += 2;
    for (uint16_t i = 0; i < extents; ++i) {
        Extent e;
        uint64_t index = 0;
        if ((version >= 1 && !readSized(r, at, sizes[3], index)) || !readSized(r, at, sizes[0], e.offset) ||
            !readSized(r, at, sizes[1], e.length))
            return false;
        out.extents.push_back(e);
    }
    return true;
}

Refusal findLocation(const std::vector<uint8_t>& iloc, uint32_t item, ItemLocation& out)
{
    const ByteReader r(iloc.data(), iloc.size(), ByteOrder::big);
    uint8_t version = 0, first = 0, second = 0;
    if (!r.u8(0, version) || !r.u8(4, first) || !r.u8(5, second)) return "the item location box is cut off";
    if (version > 2) return "an item location box of an unknown version";
    // offset, length, base offset and (versions 1 and 2) extent index sizes
    const unsigned sizes[4] = {unsigned(first >> 4), unsigned(first & 15), unsigned(second >> 4),
                               version >= 1 ? unsigned(second & 15) : 0u};
    for (unsigned s : sizes)
        if (s != 0 && s != 4 && s != 8) return "an item location box with a field size other than 0, 4 or 8";
    uint64_t at = 6;
    uint32_t count = 0, id = 0;
    if (!readId(r, at, version == 2, count)) return "the item location box is cut off";
    for (uint32_t i = 0; i < count; ++i) {
        if (!readLocation(r, at, version, sizes, id, out)) return "the item location box is cut off";
        if (id == item) return kRead;
    }
    return "the Exif item has no location";
}

// The item's bytes, its extents one after the other.
Refusal readItem(FileSource& file, const ItemLocation& location, const Box* idat, std::vector<uint8_t>& out)
{
    if (location.dataReference != 0) return "the Exif item lies in another file";
    if (location.method > 1) return "an Exif item made of other items";
    if (location.method == 1 && idat == nullptr) return "an Exif item in an item data box the file lacks";
    const uint64_t from = location.method == 1 ? idat->payload : 0;
    const uint64_t to = location.method == 1 ? idat->end : file.size();
    std::vector<uint8_t> piece;
    out.clear();
    for (const Extent& e : location.extents) {
        const uint64_t max = std::numeric_limits<uint64_t>::max();
        if (location.base > max - from || e.offset > max - from - location.base) return "an Exif extent out of range";
        const uint64_t start = from + location.base + e.offset;
        const uint64_t length = e.length != 0 || start > to ? e.length : to - start;
        if (start > to || length > to - start) return "an Exif extent runs past the end of what holds it";
        if (length > kMaxExifItem - out.size()) return "an Exif item too large";
        if (!file.read(start, length, piece)) return "the Exif item cannot be read";
        out.insert(out.end(), piece.begin(), piece.end());
    }
    return kRead;
}

// The TIFF block behind the item's header offset.
Refusal readExifBlock(const std::vector<uint8_t>& item, ContainerContents& out)
{
    uint32_t headerOffset = 0;
    if (!ByteReader(item.data(), item.size(), ByteOrder::big).u32(0, headerOffset)) return "the Exif item is cut off";
    if (headerOffset > item.size() - 4) return "the Exif item's header offset runs past its end";
    TiffBlock block;
    block.bytes.assign(item.begin() + 4 + static_cast<std::ptrdiff_t>(headerOffset), item.end());
    if (!parseTiff(block.bytes, block.model)) return "the Exif item holds no readable TIFF block";
    out.addBlock(std::move(block));
    return kRead;
}

// The primary item's id (pitm), or 0.
uint32_t primaryItem(FileSource& file, const std::vector<Box>& meta)
{
    const Box* pitm = bmff::findBox(meta, "pitm");
    std::vector<uint8_t> payload;
    uint8_t version = 0;
    uint32_t id = 0;
    uint64_t at = 4;
    if (pitm == nullptr || bmff::readPayload(file, *pitm, payload) != kRead || !versionOf(payload, version) ||
        !readId(ByteReader(payload.data(), payload.size(), ByteOrder::big), at, version != 0, id))
        return 0;
    return id;
}

// Which Exif item, and where its bytes lie.
Refusal locateExif(FileSource& file, const std::vector<Box>& meta, uint32_t& item, ItemLocation& location)
{
    const Box* iinf = bmff::findBox(meta, "iinf");
    std::vector<uint32_t> items;
    if (iinf != nullptr)
        if (const Refusal r = findExifItems(file, *iinf, items); r != kRead) return r;
    if (items.empty()) return kRead;
    item = items.front();
    if (const Box* iref = bmff::findBox(meta, "iref"))
        if (const Refusal r = itemDescribing(file, *iref, primaryItem(file, meta), items, item); r != kRead) return r;
    const Box* iloc = bmff::findBox(meta, "iloc");
    if (iloc == nullptr) return "an Exif item without an item location box";
    std::vector<uint8_t> table;
    if (const Refusal r = bmff::readPayload(file, *iloc, table); r != kRead) return r;
    return findLocation(table, item, location);
}

}  // namespace

Refusal readHeif(FileSource& file, ContainerContents& out)
{
    std::vector<Box> top, meta;
    if (const Refusal r = bmff::readBoxes(file, 0, file.size(), 1, top); r != kRead) return r;
    const Box* metaBox = bmff::findBox(top, "meta");
    if (metaBox == nullptr) return "a HEIF file without its meta box";
    if (const Refusal r = bmff::readChildren(file, *metaBox, 4, 2, meta); r != kRead) return r;
    uint32_t item = 0;
    ItemLocation location;
    if (const Refusal r = locateExif(file, meta, item, location); r != kRead) return r;
    if (location.extents.empty()) return kRead;  // no Exif item (or one of no bytes)
    std::vector<uint8_t> bytes;
    if (const Refusal r = readItem(file, location, bmff::findBox(meta, "idat"), bytes); r != kRead) return r;
    return readExifBlock(bytes, out);
}

}  // namespace exif
