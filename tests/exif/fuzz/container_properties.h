#pragma once
// The properties every reader of raw and HEIF photos must have, on any
// input: used by the fuzz targets (one per reader) and, for the inputs they
// once broke (container_regressions/), by the portable test suite. The
// input is the whole file, in memory, held in a buffer of its exact size
// (so that AddressSanitizer sees any read past its end). When the reader
// takes it:
//   - every directory kind is placed in a block that holds that directory,
//     and every value of every entry there lies inside its block;
//   - the preview lies inside the file and starts as a JPEG;
//   - reading it again gives the same.
// Refused or read, no read inside the file may fail.
#include "container.h"

#include <string>

namespace exif::properties {

inline std::string checkRead(const ContainerContents& c, const uint8_t* data, std::size_t size)
{
    for (int k = 0; k < kIfdKinds; ++k) {
        const DirectoryPlace& p = c.places[k];
        if (p.block < 0) continue;
        if (static_cast<std::size_t>(p.block) >= c.blocks.size()) return "a directory placed in no block";
        const TiffBlock& block = c.blocks[static_cast<std::size_t>(p.block)];
        const Ifd& ifd = block.model.ifd(p.inBlock);
        if (!ifd.present) return "a directory placed where its block has none";
        for (const Entry& e : ifd.entries)
            if (e.valuePosition() > block.bytes.size() || e.valueSize > block.bytes.size() - e.valuePosition())
                return "a value past its block's end, tag " + std::to_string(e.tag);
    }
    const FileRange& preview = c.preview;
    if (preview.length != 0) {
        if (preview.offset > size || preview.length > size - preview.offset) return "a preview past the file's end";
        if (data[preview.offset] != 0xFF || data[preview.offset + 1] != 0xD8) return "a preview that is no JPEG";
    }
    return {};
}

// Empty when every property holds for the reader of `kind`, else the first
// that does not.
inline std::string checkReader(PhotoKind kind, const uint8_t* data, std::size_t size)
{
    FileSource file(std::vector<uint8_t>(data, data + size));
    ContainerContents contents;
    const Refusal refusal = readContainer(kind, file, contents);
    if (file.failed()) return "a read inside the file failed";
    if (refusal != kRead) return {};
    if (const std::string failure = checkRead(contents, data, size); !failure.empty()) return failure;
    FileSource again(std::vector<uint8_t>(data, data + size));
    ContainerContents second;
    if (readContainer(kind, again, second) != kRead || second.blocks.size() != contents.blocks.size() ||
        second.preview.offset != contents.preview.offset || second.preview.length != contents.preview.length)
        return "reading the same bytes again gave something else";
    return {};
}

// Every reader, for an input of unknown kind (the regressions).
inline std::string checkEveryReader(const uint8_t* data, std::size_t size)
{
    for (PhotoKind kind : {PhotoKind::tiffRaw, PhotoKind::cr3, PhotoKind::raf, PhotoKind::heif, PhotoKind::avif})
        if (std::string failure = checkReader(kind, data, size); !failure.empty()) return failure;
    return {};
}

}  // namespace exif::properties
