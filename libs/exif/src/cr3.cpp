// Canon CR3: an ISO base media file (brand "crx ") whose movie box holds
// Canon's metadata box (a uuid box), where the photo's Exif lies as separate
// TIFF blocks: CMT1 (IFD0: Make, Model), CMT2 (the Exif directory), CMT4
// (the GPS directory; cameras without GPS write none), CMT3 (the maker
// note, not read), and THMB, a small JPEG thumbnail. A uuid box after the
// movie box holds PRVW, a larger JPEG preview.
#include "isobmff.h"

#include <utility>

namespace exif {
namespace {

using bmff::Box;

constexpr uint8_t kCanonMetadataUuid[16] = {0x85, 0xc0, 0xb6, 0x87, 0x82, 0x0f, 0x11, 0xe0,
                                            0x81, 0x11, 0xf4, 0xce, 0x46, 0x2b, 0x6a, 0x48};
constexpr uint8_t kCanonPreviewUuid[16] = {0xea, 0xf4, 0x2b, 0x5e, 0x1c, 0x98, 0x4b, 0x88,
                                           0xb9, 0xfb, 0xb7, 0xdc, 0x40, 0x6e, 0x4d, 0x16};
// Where THMB and PRVW keep their JPEG's length and its first byte, counted
// from the box's start; the preview's uuid box has 8 bytes before PRVW.
constexpr uint64_t kThumbnailLengthAt = 16, kThumbnailAt = 24;
constexpr uint64_t kPreviewLengthAt = 20, kPreviewAt = 24, kPreviewBoxSkip = 8;

// A CMT box's TIFF block: its IFD0 (and IFD1, if any). Pointers to Exif or
// GPS directories are not followed: those are CMT2 and CMT4, and an offset
// to them means nothing inside another box's block.
Refusal readTiffBox(FileSource& file, const Box& box, TiffBlock& block)
{
    if (const Refusal r = bmff::readPayload(file, box, block.bytes); r != kRead) return r;
    if (!parseTiff(block.bytes, block.model, kTiffMagic, false))
        return "a CMT box of the CR3 file holds no readable TIFF block";
    return kRead;
}

// The JPEG a THMB or PRVW box holds; none when its length runs out of the box.
FileRange jpegInBox(FileSource& file, const Box& box, uint64_t lengthAt, uint64_t dataAt)
{
    std::vector<uint8_t> field;
    uint32_t length = 0;
    if (box.end - box.start < dataAt || !file.read(box.start + lengthAt, 4, field)) return {};
    ByteReader(field.data(), field.size(), ByteOrder::big).u32(0, length);
    if (length > box.end - box.start - dataAt) return {};
    return {box.start + dataAt, length};
}

// The Exif blocks: CMT1's IFD0 (and IFD1, if any), CMT2's IFD0 as the
// Exif directory, CMT4's as the GPS directory.
Refusal readMetadataBlocks(FileSource& file, const std::vector<Box>& boxes, ContainerContents& out)
{
    const std::pair<const char*, IfdKind> dedicated[] = {{"CMT2", IfdKind::exif}, {"CMT4", IfdKind::gps}};
    for (const auto& [type, kind] : dedicated) {
        const Box* box = bmff::findBox(boxes, type);
        if (box == nullptr) continue;
        TiffBlock block;
        if (const Refusal r = readTiffBox(file, *box, block); r != kRead) return r;
        out.addBlockAs(std::move(block), kind);
    }
    if (const Box* ifd0 = bmff::findBox(boxes, "CMT1")) {
        TiffBlock block;
        if (const Refusal r = readTiffBox(file, *ifd0, block); r != kRead) return r;
        out.addBlock(std::move(block));
    }
    return kRead;
}

Refusal findPreview(FileSource& file, const std::vector<Box>& top, const std::vector<Box>& metadata,
                    FileRange& best)
{
    if (const Box* thumbnail = bmff::findBox(metadata, "THMB"))
        offerPreview(file, jpegInBox(file, *thumbnail, kThumbnailLengthAt, kThumbnailAt), best);
    const Box* holder = bmff::findBox(top, "uuid", kCanonPreviewUuid);
    if (holder == nullptr) return kRead;
    std::vector<Box> inside;
    if (const Refusal r = bmff::readChildren(file, *holder, kPreviewBoxSkip, 2, inside); r != kRead) return r;
    if (const Box* preview = bmff::findBox(inside, "PRVW"))
        offerPreview(file, jpegInBox(file, *preview, kPreviewLengthAt, kPreviewAt), best);
    return kRead;
}

}  // namespace

Refusal readCr3(FileSource& file, ContainerContents& out)
{
    std::vector<Box> top, movie, metadata;
    if (const Refusal r = bmff::readBoxes(file, 0, file.size(), 1, top); r != kRead) return r;
    const Box* moov = bmff::findBox(top, "moov");
    if (moov == nullptr) return "a CR3 file without its movie box";
    if (const Refusal r = bmff::readChildren(file, *moov, 0, 2, movie); r != kRead) return r;
    const Box* canon = bmff::findBox(movie, "uuid", kCanonMetadataUuid);
    if (canon == nullptr) return "a CR3 movie box without Canon's metadata box";
    if (const Refusal r = bmff::readChildren(file, *canon, 0, 3, metadata); r != kRead) return r;
    if (const Refusal r = readMetadataBlocks(file, metadata, out); r != kRead) return r;
    return findPreview(file, top, metadata, out.preview);
}

}  // namespace exif
