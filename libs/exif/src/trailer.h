#pragma once
// Data after the main image's end-of-image marker, when a write moves it.
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
//   Samsung's trailer (ends in "\0\0SEFT"; motion-photo video, depth maps
//       and the like): its SEFH directory gives each block as a distance back
//       from the directory itself. Nothing to move - except that the variant
//       ending in "QDIOBS" (the Galaxy Tab S's "Sound & Shot" audio) carries
//       a QDIO block with the absolute offsets of its audio; those are not
//       rewritten here and go stale when the segment changes size.
//   PhotoMechanic ("cbipcbbl"), FotoStation (records ending in A1 B2 C3 D4),
//   CanonVRD ("CANON OPTIONAL DATA"), MIE, Nikon's "NIKON APP" and Insta360
//       trailers: each is found from the end of the file by the size in its
//       footer, its parts by their lengths. Nothing to move. (Nikon Capture's
//       edit data is no trailer: it lives in the maker note.)
//   AFCP (appended by some news and asset-management programs): a 12-byte
//       footer "AXS!" (big-endian numbers) or "AXS*" (little-endian), the
//       ABSOLUTE file offset of its header, 4 more bytes; the header: the
//       same signature, a version, an entry count, 4 more bytes; then per
//       entry a 4-character id, a size and the ABSOLUTE offset of its data.
//       These are what fixAfcpTrailer moves.
//
// Not handled, and not trailer structures: pointers from inside the Exif
// block into the trailer - maker-note previews stored after the end marker
// (Sony, Konica Minolta, Olympus E-20, Samsung's STMN note, going by
// exiftool's reader), measured from the TIFF header or (Samsung) absolute,
// and the maker note of the Leica S2, S (Typ 006) and M (Typ 240), kept as
// a trailer with absolute offsets. They go stale when the Exif segment
// changes size.

#include <cstdint>
#include <vector>

namespace exif {

enum class TrailerFix {
    none,     // no AFCP trailer at the end of the file, or nothing moved
    fixed,    // every offset into the moved bytes was moved with them
    refused,  // bytes moved, but the trailer cannot be read safely (damaged,
              // or its offsets already stale): the file must not be written
};

// `file` is the photo as it will be written. The bytes that stood at
// `movedFrom` and after in the old file (the end of its Exif segment) now
// stand `shift` bytes further on. Moves the AFCP footer's header offset and
// every entry offset by `shift`, after checking all of them: each points at
// or after `movedFrom` (else whether its block moved is unknown), the header
// and its entries lie after the main image's data and before the footer,
// the header carries the footer's signature where the footer says, every
// entry's data lies inside the file. With `shift` 0 the file is left as it
// is, whatever the trailer holds.
TrailerFix fixAfcpTrailer(std::vector<uint8_t>& file, uint64_t movedFrom, int64_t shift);

}  // namespace exif
