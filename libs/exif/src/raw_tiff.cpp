// Raw photos that are TIFF files: CR2, NEF, NRW, ARW, SR2, SRF, DNG, PEF,
// SRW, ERF, 3FR, IIQ and the like with TIFF's own header, Olympus ORF (its
// magic "IIRO", "MMOR" or "IIRS") and Panasonic RW2 ("IIU"). The file is
// the TIFF block: IFD0 names the camera and points at the Exif and GPS
// directories as in a JPEG's Exif segment. Only the file's first bytes are
// read, as far as those directories and their values reach.
#include "container.h"

namespace exif {
namespace {

// The first bytes looked at; four times as many each time the directories
// reach further, up to the whole file.
constexpr uint64_t kFirstHead = 256 * 1024;
constexpr uint16_t kOlympusMagic = 0x4F52, kOlympusOtherMagic = 0x5352, kPanasonicMagic = 0x0055;
// SubIFDs of IFD0 looked at for a preview (NEF and DNG have two or three).
constexpr uint32_t kMaxSubIfds = 8;

namespace rawtag {
constexpr uint16_t subIfds = 0x014A, compression = 0x0103, photometric = 0x0106;
constexpr uint16_t panasonicJpgFromRaw = 0x002E;
}  // namespace rawtag

// Compression 6 and 7 are JPEG; a colour-filter or linear raw image with it
// is lossless-JPEG sensor data, not a picture to show.
constexpr uint64_t kJpegOld = 6, kJpeg = 7, kPhotometricCfa = 32803, kPhotometricLinearRaw = 34892;

ByteOrder orderOf(const std::vector<uint8_t>& head)
{
    return head[0] == 'I' ? ByteOrder::little : ByteOrder::big;
}

// A SHORT or LONG entry of count 1, as a number.
bool single(const std::vector<Entry>& entries, const ByteReader& reader, uint16_t t, uint64_t& value)
{
    for (const Entry& e : entries) {
        if (e.tag != t || e.count != 1) continue;
        if (e.type == tShort) {
            uint16_t v = 0;
            if (!reader.u16(e.position + 8, v)) return false;
            value = v;
            return true;
        }
        if (e.type == tLong) {
            value = e.field;
            return true;
        }
    }
    return false;
}

// The previews one directory points at: a JPEGInterchangeFormat pair, or a
// single JPEG strip that is not sensor data.
void offerPreviewsOf(FileSource& file, const std::vector<Entry>& entries, const ByteReader& reader, FileRange& best)
{
    uint64_t start = 0, length = 0, compression = 0, photometric = 0;
    if (single(entries, reader, tag::thumbnailOffset, start) && single(entries, reader, tag::thumbnailLength, length))
        offerPreview(file, {start, length}, best);
    if (!single(entries, reader, tag::stripOffsets, start) || !single(entries, reader, tag::stripByteCounts, length) ||
        !single(entries, reader, rawtag::compression, compression) || (compression != kJpegOld && compression != kJpeg))
        return;
    single(entries, reader, rawtag::photometric, photometric);
    if (photometric != kPhotometricCfa && photometric != kPhotometricLinearRaw) offerPreview(file, {start, length}, best);
}

// A directory anywhere in the file (a SubIFD): its table, read from the
// file, and its entries, positioned in that table. False when it does not
// lie in the file or has too many entries.
bool readDirectory(FileSource& file, ByteOrder order, uint64_t offset, std::vector<uint8_t>& table,
                   std::vector<Entry>& entries)
{
    entries.clear();
    uint16_t count = 0;
    if (!file.read(offset, 2, table) || !ByteReader(table.data(), table.size(), order).u16(0, count) ||
        count > kMaxEntries || !file.read(offset, 2 + 12 * uint64_t(count), table))
        return false;
    const ByteReader reader(table.data(), table.size(), order);
    for (uint16_t i = 0; i < count; ++i) {
        Entry e;
        e.position = 2 + 12 * uint64_t(i);
        reader.u16(e.position, e.tag);
        reader.u16(e.position + 2, e.type);
        reader.u32(e.position + 4, e.count);
        reader.u32(e.position + 8, e.field);
        entries.push_back(e);
    }
    return true;
}

void offerSubIfdPreviews(FileSource& file, const TiffModel& model, FileRange& best)
{
    const Entry* e = model.find(IfdKind::ifd0, rawtag::subIfds);
    if (e == nullptr || (e->type != tLong && e->type != tIfd) || e->count == 0 || e->count > kMaxSubIfds) return;
    const std::vector<uint8_t>& head = file.head();  // holds the block: the value was checked in it
    const ByteReader block(head.data(), head.size(), model.order);
    std::vector<uint8_t> table;
    std::vector<Entry> entries;
    for (uint32_t i = 0; i < e->count; ++i) {
        uint32_t offset = 0;
        block.u32(e->valuePosition() + 4 * uint64_t(i), offset);
        if (!readDirectory(file, model.order, offset, table, entries)) continue;  // no preview there
        offerPreviewsOf(file, entries, ByteReader(table.data(), table.size(), model.order), best);
    }
}

// The largest JPEG that IFD0, IFD1, the SubIFDs or (RW2) the JpgFromRaw tag
// point at.
FileRange findPreview(FileSource& file, const TiffModel& model, uint16_t magic)
{
    FileRange best;
    const std::vector<uint8_t>& head = file.head();
    const ByteReader block(head.data(), head.size(), model.order);
    for (IfdKind kind : {IfdKind::ifd0, IfdKind::ifd1})
        if (model.ifd(kind).present) offerPreviewsOf(file, model.ifd(kind).entries, block, best);
    offerSubIfdPreviews(file, model, best);
    const Entry* jpg = model.find(IfdKind::ifd0, rawtag::panasonicJpgFromRaw);
    if (magic == kPanasonicMagic && jpg != nullptr && jpg->type == tUndefined && !jpg->isInline())
        offerPreview(file, {jpg->field, jpg->valueSize}, best);
    return best;
}

}  // namespace

Refusal readTiffRaw(FileSource& file, ContainerContents& out)
{
    if (file.size() < 8) return "the TIFF header is cut off";
    if (!file.extendHead(8)) return "the file cannot be read";
    const std::vector<uint8_t>& head = file.head();
    const ByteOrder order = orderOf(head);
    uint16_t magic = 0;
    ByteReader(head.data(), head.size(), order).u16(2, magic);
    if ((head[0] != 'I' || head[1] != 'I') && (head[0] != 'M' || head[1] != 'M')) return "not a TIFF header";
    if (magic != kTiffMagic && magic != kOlympusMagic && magic != kOlympusOtherMagic && magic != kPanasonicMagic)
        return "not a TIFF header";
    TiffBlock block;
    for (uint64_t wanted = kFirstHead;; wanted = 4 * file.head().size()) {
        if (!file.extendHead(wanted)) return "the file cannot be read";
        if (parseTiff(file.head(), block.model, magic)) break;
        if (file.head().size() >= file.size())
            return "the TIFF directories are damaged: an offset, count or size runs out of the file, or they loop";
    }
    out.preview = findPreview(file, block.model, magic);
    block.bytes = file.takeHead();
    out.addBlock(std::move(block));
    return kRead;
}

}  // namespace exif
