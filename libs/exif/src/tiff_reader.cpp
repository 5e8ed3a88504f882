// Reads the structure of a TIFF block: header, IFD0, Exif, GPS and Interop
// directories and IFD1. Distrusts every number: offsets and sizes are 64-bit
// and checked against the block, directories are visited once, entry counts
// are capped.
#include "tiff.h"

#include <algorithm>
#include <set>

namespace exif {

unsigned typeSize(uint16_t type)
{
    switch (type) {
    case tByte: case tAscii: case tSByte: case tUndefined: return 1;
    case tShort: case tSShort: return 2;
    case tLong: case tSLong: case tFloat: case tIfd: return 4;
    case tRational: case tSRational: case tDouble: return 8;
    default: return 0;
    }
}

namespace {

class Parser {
public:
    Parser(const std::vector<uint8_t>& block, TiffModel& model, uint16_t magic, bool followPointers)
        : block_(block), model_(model), reader_(block.data(), block.size(), ByteOrder::little), magic_(magic),
          followPointers_(followPointers) {}

    bool run()
    {
        if (block_.size() < 8) return false;
        if (block_[0] == 'I' && block_[1] == 'I') model_.order = ByteOrder::little;
        else if (block_[0] == 'M' && block_[1] == 'M') model_.order = ByteOrder::big;
        else return false;
        reader_ = ByteReader(block_.data(), block_.size(), model_.order);
        uint16_t magic = 0;
        reader_.u16(2, magic);
        if (magic != magic_) return false;
        reader_.u32(4, model_.ifd0Offset);
        model_.used.push_back({0, 8, UsedRange::What::header, IfdKind::ifd0, 0});

        if (!readIfd(model_.ifd0Offset, IfdKind::ifd0)) return false;
        if (followPointers_ && (!followPointer(IfdKind::ifd0, tag::exifIfd, IfdKind::exif) ||
                                !followPointer(IfdKind::ifd0, tag::gpsIfd, IfdKind::gps) ||
                                !followPointer(IfdKind::exif, tag::interopIfd, IfdKind::interop)))
            return false;
        const uint32_t ifd1 = model_.ifd(IfdKind::ifd0).next;
        if (ifd1 != 0 && !readIfd(ifd1, IfdKind::ifd1)) return false;
        if (!checkThumbnail()) return false;
        describeMakerNote();
        return true;
    }

private:
    bool readIfd(uint32_t offset, IfdKind kind)
    {
        if (offset < 8 || !visited_.insert(offset).second) return false;  // the header, or a loop
        uint16_t count = 0;
        if (!reader_.u16(offset, count)) return false;
        if (count > kMaxEntries) return false;
        const uint64_t entriesEnd = uint64_t(offset) + 2 + 12 * uint64_t(count);
        if (!reader_.contains(offset, entriesEnd - offset)) return false;
        Ifd& ifd = model_.ifds[static_cast<int>(kind)];
        ifd.present = true;
        ifd.offset = offset;
        ifd.entries.reserve(count);
        for (uint16_t i = 0; i < count; ++i) {
            Entry e;
            e.position = uint64_t(offset) + 2 + 12 * uint64_t(i);
            reader_.u16(e.position, e.tag);
            reader_.u16(e.position + 2, e.type);
            reader_.u32(e.position + 4, e.count);
            reader_.u32(e.position + 8, e.field);
            e.valueSize = uint64_t(e.count) * typeSize(e.type);  // at most 2^32 * 8: no overflow in 64 bits
            if (!e.isInline()) {
                if (!reader_.contains(e.field, e.valueSize)) return false;
                model_.used.push_back({e.field, e.field + e.valueSize, UsedRange::What::value, kind, e.tag});
            }
            ifd.entries.push_back(e);
        }
        // Some writers leave out the next-directory link of a sub-directory.
        uint64_t tableEnd = entriesEnd;
        if (reader_.u32(entriesEnd, ifd.next)) tableEnd += 4;
        else if (kind == IfdKind::ifd0) return false;
        model_.used.push_back({offset, tableEnd, UsedRange::What::table, kind, 0});
        return true;
    }

    bool followPointer(IfdKind parent, uint16_t pointerTag, IfdKind child)
    {
        const Entry* e = model_.find(parent, pointerTag);
        if (e == nullptr) return true;
        if (!isDirectoryPointerType(e->type) || e->count != 1) return false;
        return readIfd(e->field, child);  // a negative SLONG is past any block: refused there
    }

    bool checkThumbnail()
    {
        const Ifd& ifd1 = model_.ifd(IfdKind::ifd1);
        if (!ifd1.present) return true;
        const Entry* offset = ifd1.find(tag::thumbnailOffset);
        const Entry* length = ifd1.find(tag::thumbnailLength);
        if (offset == nullptr || length == nullptr) return true;
        if (offset->count != 1 || length->count != 1) return false;
        const uint64_t start = readNumber(*offset);
        const uint64_t size = readNumber(*length);
        if (!reader_.contains(start, size)) return false;
        model_.used.push_back({start, start + size, UsedRange::What::thumbnail, IfdKind::ifd1, 0});
        return true;
    }

    // The offsets of the maker note whose layout is known (see
    // MakerNoteOffset). A maker note of another layout, or one that does not
    // read as its layout says, is left undescribed.
    void describeMakerNote()
    {
        const Entry* note = model_.find(IfdKind::exif, tag::makerNote);
        if (note == nullptr || note->isInline()) return;  // its bytes lie in the block: checked
        const uint64_t start = note->field, end = note->field + note->valueSize;
        const uint8_t* bytes = block_.data() + start;
        const auto startsWith = [&](const char* text, std::size_t n) {
            return note->valueSize >= n && std::equal(text, text + n, bytes);
        };
        const auto digit = [](uint8_t c) { return c >= '0' && c <= '9'; };
        if (startsWith("STMN", 4) && note->valueSize >= 16 && digit(bytes[4]) && digit(bytes[5]) && digit(bytes[6])) {
            uint32_t previewStart = 0, previewLength = 0;
            reader_.u32(start + 8, previewStart);
            reader_.u32(start + 12, previewLength);
            if (previewLength != 0)
                model_.makerNoteOffsets.push_back(
                    {MakerNoteOffset::Kind::absolutePreview, start + 8, previewStart, previewLength});
            return;
        }
        const bool sony = startsWith("SONY DSC \0\0\0", 12) || startsWith("SONY CAM \0\0\0", 12);
        describeMakerNoteIfd(sony ? start + 12 : start, end);
    }

    // A maker note read as an IFD in [at, end): its entry count must be
    // sane, its table must fit the note and every entry must have a TIFF
    // type, or it is taken for no IFD at all.
    void describeMakerNoteIfd(uint64_t at, uint64_t end)
    {
        uint16_t count = 0;
        if (!reader_.u16(at, count) || count == 0 || count > kMaxEntries) return;
        if (at + 2 + 12 * uint64_t(count) > end) return;
        std::vector<MakerNoteOffset> found;
        uint32_t previewLength = 0;
        const Entry* previewStart = nullptr;
        std::vector<Entry> entries(count);
        for (uint16_t i = 0; i < count; ++i) {
            Entry& e = entries[i];
            e.position = at + 2 + 12 * uint64_t(i);
            reader_.u16(e.position, e.tag);
            reader_.u16(e.position + 2, e.type);
            reader_.u32(e.position + 4, e.count);
            reader_.u32(e.position + 8, e.field);
            if (typeSize(e.type) == 0) return;
            e.valueSize = uint64_t(e.count) * typeSize(e.type);
            if (!e.isInline()) found.push_back({MakerNoteOffset::Kind::value, e.position + 8, e.field, e.valueSize});
            const bool oneLong = e.type == tLong && e.count == 1;
            if (oneLong && e.tag == tag::makerNotePreviewStart) previewStart = &e;
            if (oneLong && e.tag == tag::makerNotePreviewLength) previewLength = e.field;
        }
        if (previewStart != nullptr && previewLength != 0)
            found.push_back({MakerNoteOffset::Kind::preview, previewStart->position + 8, previewStart->field,
                             previewLength});
        model_.makerNoteOffsets = std::move(found);
    }

    uint64_t readNumber(const Entry& e) const
    {
        if (e.type == tShort) {
            uint16_t v = 0;
            reader_.u16(e.position + 8, v);
            return v;
        }
        return e.field;
    }

    const std::vector<uint8_t>& block_;
    TiffModel& model_;
    ByteReader reader_;
    uint16_t magic_;
    bool followPointers_;
    std::set<uint32_t> visited_;
};

}  // namespace

bool parseTiff(const std::vector<uint8_t>& block, TiffModel& out, uint16_t magic, bool followPointers)
{
    out = TiffModel{};
    Parser parser(block, out, magic, followPointers);
    if (parser.run()) return true;
    out = TiffModel{};
    return false;
}

}  // namespace exif
