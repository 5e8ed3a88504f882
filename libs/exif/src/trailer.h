#pragma once
// Offsets into the bytes a write moves.
//
// A write changes the size of the Exif segment, so every byte after it -
// other segments, the image data and whatever follows the end marker - moves
// by the same amount. That data is copied as it was; what locates it must
// still find it. What camera and phone JPEGs carry there, and how each part
// is found (as exiftool's readers and public write-ups describe them):
//
//   multi-picture images (MPF: large previews, stereo pairs, gain maps):
//       the APP2 "MPF" segment gives each image's offset relative to its MP
//       header (the byte-order mark after "MPF\0"). That segment follows the
//       Exif segment, so header and images move together and the offsets
//       stay right. (An MPF segment before the Exif segment would not move
//       while its images do; no writer is known to put it there.)
//   Google motion photos: the appended video is located by the XMP
//       MicroVideoOffset, counted back from the end of the file (older
//       files), or by the item lengths of the XMP Container directory -
//       lengths, not positions. Nothing to move.
//   Trailers after the end marker, found from the end of the file one after
//   the other, each ending where the next begins (a chain, as exiftool reads
//   it):
//     AFCP (appended by some news and asset-management programs): a 12-byte
//       footer "AXS!" (big-endian numbers) or "AXS*" (little-endian), the
//       ABSOLUTE file offset of its header, 4 more bytes; the header: the
//       same signature, a version, an entry count, 4 more bytes; then per
//       entry a 4-character id, a size and the ABSOLUTE offset of its data.
//       Every offset is moved.
//     Samsung's trailer (little-endian; ends in "\0\0SEFT", or in "QDIOBS"
//       for the "Sound & Shot" audio): blocks read backwards, each ending in
//       its length and a 4-letter type. The SEFT block holds the SEFH
//       directory: per data block (an embedded image, the audio, a depth
//       map...) its type, its distance back from the directory and its size
//       - relative, nothing to move. A QDIO block (20 bytes) holds the
//       ABSOLUTE offsets of the first audio block's data and its end: moved,
//       after checking they point there.
//     PhotoMechanic ("cbipcbbl" after its size): relative. Nothing to move.
//   Other trailers (FotoStation, CanonVRD, MIE, Nikon's "NIKON APP",
//       Insta360) need nothing moved; they end the chain, and below them an
//       AFCP trailer is still looked for by its footer.
//   Maker-note previews after the end marker (Sony, Konica Minolta: a known
//       start/length pair of the maker-note IFD counted from the TIFF header;
//       Samsung's STMN note: absolute): moved when they point wholly into the
//       moved bytes at a JPEG start. Any other maker-note value that points
//       past the Exif block cannot be moved with certainty: such a write is
//       refused.
//
// Not handled: maker notes of other layouts (they keep their bytes, and
// what they point at past the block, if anything, is not known), the
// maker note of the Leica S2, S (Typ 006) and M (Typ 240), kept as a
// trailer with absolute offsets.

#include <cstdint>
#include <vector>

namespace exif {

enum class TrailerFix {
    none,     // nothing moved, or nothing that points into the moved bytes
    fixed,    // every known offset into the moved bytes was moved with them
    refused,  // bytes moved, but something points into them that cannot be
              // moved safely (damaged, its offsets already stale, a maker-note
              // value past the block): the file must not be written
};

// `file` is the photo as it will be written. The bytes that stood at
// `movedFrom` and after in the old file (the end of its Exif segment) now
// stand `shift` bytes further on. Moves, after checking all of them, every
// offset of the trailers after the image and of the maker note that points
// into those bytes (see above); each must point at or after `movedFrom`
// (else whether its data moved is unknown), at what its structure says
// lies there. With `shift` 0 the file is left as it is, whatever it holds.
TrailerFix fixMovedOffsets(std::vector<uint8_t>& file, uint64_t movedFrom, int64_t shift);
// The same for a segment after the Exif segment that changed size: the Exif
// block, which ends at `exifEnd` (before `movedFrom`), stayed where it was.
// A segment before the Exif block moves the block itself: refused.
TrailerFix fixMovedOffsets(std::vector<uint8_t>& file, uint64_t movedFrom, int64_t shift, uint64_t exifEnd);

}  // namespace exif
