#pragma once
// What the readers of raw and HEIF photos find in a file that is not a JPEG:
// its TIFF (Exif) blocks, which directory of which block holds each kind of
// tags, and where its embedded JPEG preview lies. The readers only read:
// nothing here ever writes to a file.
//
//   raw_tiff.cpp  raw files that are TIFF files (CR2, NEF, ARW, DNG, ORF,
//                 RW2, PEF and the like): the file is the TIFF block
//   cr3.cpp       Canon CR3: the TIFF blocks of the CMT1, CMT2, CMT4 boxes
//   raf.cpp       Fujifilm RAF: the Exif of the JPEG its header points at
//   heif.cpp      HEIF/HEIC and AVIF: the Exif item of the meta box
//   isobmff.cpp   the box walker CR3 and HEIF share

#include "file_source.h"
#include "tiff.h"

#include <array>
#include <cstdint>
#include <vector>

namespace exif {

enum class PhotoKind { unknown, jpeg, tiffRaw, cr3, raf, heif, avif };

// The kind the file's first bytes tell (the first 16 at least, where the
// file has them); the file's name is never looked at.
PhotoKind photoKindOf(const std::vector<uint8_t>& head);

struct TiffBlock {
    std::vector<uint8_t> bytes;
    TiffModel model;
};

// Where the tags of one directory kind are read: directory `inBlock` of
// blocks[block]; block -1 when the photo has none of that kind.
struct DirectoryPlace {
    int block = -1;
    IfdKind inBlock = IfdKind::ifd0;
};

// A byte range of the file; length 0: none.
struct FileRange {
    uint64_t offset = 0;
    uint64_t length = 0;
};

struct ContainerContents {
    PhotoKind kind = PhotoKind::unknown;
    std::vector<TiffBlock> blocks;
    std::array<DirectoryPlace, kIfdKinds> places;
    FileRange preview;  // the largest embedded JPEG found, checked to start as one

    // Adds a block and gives every directory kind it holds its place, as the
    // same kind, unless a block added earlier holds it.
    void addBlock(TiffBlock block);
    // Adds a block whose IFD0 holds the tags of `kind` (CR3's CMT2 and CMT4).
    void addBlockAs(TiffBlock block, IfdKind kind);
};

// Why a file was refused, or null when it was read. The texts are fixed and
// in English (the command-line tool shows them).
using Refusal = const char*;
constexpr Refusal kRead = nullptr;

// Each reader fills `out` (whose kind the caller has set) or refuses.
Refusal readTiffRaw(FileSource& file, ContainerContents& out);
Refusal readCr3(FileSource& file, ContainerContents& out);
Refusal readRaf(FileSource& file, ContainerContents& out);
Refusal readHeif(FileSource& file, ContainerContents& out);  // HEIF and AVIF

// The reader of `kind` (not jpeg, not unknown), with out.kind set.
Refusal readContainer(PhotoKind kind, FileSource& file, ContainerContents& out);

// Whether [offset, offset + length) of the file holds a JPEG's start: the
// start-of-image marker and the next marker's 0xFF. Length 0: false.
bool startsAJpeg(FileSource& file, uint64_t offset, uint64_t length);

// The larger of two previews; a candidate that is not a JPEG inside the file
// is passed over.
void offerPreview(FileSource& file, FileRange candidate, FileRange& best);

}  // namespace exif
