// Telling a photo's kind from its first bytes, and what every container
// reader shares.
#include "container.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace exif {
namespace {

bool startsWith(const std::vector<uint8_t>& head, std::size_t at, const char* text, std::size_t n)
{
    return head.size() >= at + n && std::memcmp(head.data() + at, text, n) == 0;
}

// The kind an ISO base media file's brand stands for; unknown for others.
PhotoKind kindOfBrand(const uint8_t* brand)
{
    const auto is = [brand](const char* b) { return std::memcmp(brand, b, 4) == 0; };
    if (is("crx ")) return PhotoKind::cr3;
    if (is("avif") || is("avis")) return PhotoKind::avif;
    for (const char* b : {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1"})
        if (is(b)) return PhotoKind::heif;
    return PhotoKind::unknown;
}

// The major brand when it is one we read, else the first compatible brand
// that is, AVIF before the generic HEIF brands (an AVIF file lists mif1 too).
PhotoKind kindOfFileType(const std::vector<uint8_t>& head)
{
    const PhotoKind major = kindOfBrand(head.data() + 8);
    if (major != PhotoKind::unknown && major != PhotoKind::heif) return major;
    const uint64_t boxSize = (uint64_t(head[0]) << 24) | (uint64_t(head[1]) << 16) | (uint64_t(head[2]) << 8) | head[3];
    const uint64_t end = std::min<uint64_t>(boxSize, head.size());
    PhotoKind found = major;
    for (uint64_t at = 16; at + 4 <= end; at += 4) {
        const PhotoKind k = kindOfBrand(head.data() + at);
        if (k == PhotoKind::cr3 || k == PhotoKind::avif) return k;
        if (k == PhotoKind::heif) found = k;
    }
    return found;
}

void place(ContainerContents& c, int block, IfdKind kind, IfdKind inBlock)
{
    DirectoryPlace& p = c.places[static_cast<int>(kind)];
    if (p.block < 0) p = {block, inBlock};
}

}  // namespace

PhotoKind photoKindOf(const std::vector<uint8_t>& head)
{
    if (head.size() >= 2 && head[0] == 0xFF && head[1] == 0xD8) return PhotoKind::jpeg;
    if (startsWith(head, 0, "FUJIFILMCCD-RAW ", 16)) return PhotoKind::raf;
    if (startsWith(head, 4, "ftyp", 4) && head.size() >= 12) return kindOfFileType(head);
    for (const char* magic : {"II*\0", "MM\0*", "IIRO", "MMOR", "IIRS", "IIU\0"})
        if (startsWith(head, 0, magic, 4)) return PhotoKind::tiffRaw;
    return PhotoKind::unknown;
}

void ContainerContents::addBlock(TiffBlock block)
{
    const int index = static_cast<int>(blocks.size());
    for (int k = 0; k < kIfdKinds; ++k) {
        const auto kind = static_cast<IfdKind>(k);
        if (block.model.ifd(kind).present) place(*this, index, kind, kind);
    }
    blocks.push_back(std::move(block));
}

void ContainerContents::addBlockAs(TiffBlock block, IfdKind kind)
{
    place(*this, static_cast<int>(blocks.size()), kind, IfdKind::ifd0);
    blocks.push_back(std::move(block));
}

Refusal readContainer(PhotoKind kind, FileSource& file, ContainerContents& out)
{
    out = ContainerContents{};
    out.kind = kind;
    switch (kind) {
    case PhotoKind::tiffRaw: return readTiffRaw(file, out);
    case PhotoKind::cr3: return readCr3(file, out);
    case PhotoKind::raf: return readRaf(file, out);
    case PhotoKind::heif:
    case PhotoKind::avif: return readHeif(file, out);
    case PhotoKind::jpeg:
    case PhotoKind::unknown: break;
    }
    return "not a kind of photo this library reads";
}

bool startsAJpeg(FileSource& file, uint64_t offset, uint64_t length)
{
    std::vector<uint8_t> start;
    return length >= 4 && file.contains(offset, length) && file.read(offset, 3, start) && start[0] == 0xFF &&
           start[1] == 0xD8 && start[2] == 0xFF;
}

void offerPreview(FileSource& file, FileRange candidate, FileRange& best)
{
    if (candidate.length > best.length && startsAJpeg(file, candidate.offset, candidate.length)) best = candidate;
}

}  // namespace exif
