/*
 * Exif.dll: opens a JPEG photo and reads or writes single Exif tags; reads
 * those of raw and HEIF photos too, and never writes them (ExifPhotoOpen).
 *
 * Plain C functions, usable from C and C++. Every function returns a signed
 * 16-bit status: EXIF_OK (0) on success, one of the negative EXIF_ERR_ codes
 * below otherwise. A handle is an opaque 32-bit value from ExifFileOpen; it
 * stays valid until ExifFileClose. Handles may be used from several threads.
 *
 * Paths are NUL-terminated narrow text: in the ANSI code page on Windows,
 * UTF-8 bytes elsewhere; on Windows ExifFileOpenW takes any path in UTF-16.
 *
 * ExifFileOpen reads the photo up to its image data (read-only photos can be
 * read); the first set reads the rest - of a photo with more than a megabyte
 * of image data that ends with its end marker, only the file's last bytes:
 * its image data is then copied from the old file when it is written. The
 * set functions change that copy only; ExifFileClose writes the changed
 * photo back, and only when something changed: a new file is written beside
 * the photo, flushed, and then renamed over it in one step, so that the
 * photo's name holds at every instant the whole old or the whole new file
 * (many photos at once: see the batches below). When that fails, ExifFileClose says why
 * (below) and the photo on disk is exactly as it was. A photo changed on disk
 * by someone else since it was opened is not overwritten (EXIF_ERR_CHANGED).
 * The handle is released either way.
 *
 * Read-only, the same rule on every system: a photo marked read-only (the
 * read-only attribute on Windows, no write permission bit elsewhere) is not
 * written (EXIF_ERR_READ_ONLY). A folder's read-only attribute does not
 * protect its files on Windows and is not looked at; a folder where the
 * system refuses a new file is (EXIF_ERR_FOLDER_READ_ONLY).
 *
 * The new file has a short hidden name of fixed length made from the
 * photo's name ("~vg-" or ".vg-", sixteen hexadecimal digits, ".tmp"); one
 * that a killed write left behind is removed by the next write of the same
 * photo.
 *
 * A get that fails leaves its output zero-filled. Text outputs are
 * NUL-terminated except the four ExifVersion characters.
 *
 * No function lets an exception out to its caller. One that runs out of
 * memory returns EXIF_ERR_OPEN (ExifFileOpen, ExifFileOpenW and the gets)
 * or EXIF_ERR_WRITE (the sets and ExifFileClose), and changes nothing: the
 * photo's copy is as before the call, and nothing is written.
 *
 * How a photo is written: the existing Exif (TIFF) block keeps its bytes in
 * place, so maker notes, thumbnails and private offsets stay valid. Values
 * that fit are rewritten in place; a directory that gains a tag is copied to
 * the end of the block and pointed to. The one thing laid out anew is the
 * very end of the block as far as it holds only IFD0/Exif/GPS tables and
 * values of the tags written here, shared with nothing else - which is what
 * an earlier write appended - so repeated writes do not grow the photo.
 * Only the first Exif segment changes; every other byte of the file is
 * copied as it was, except the absolute offsets of AFCP trailers after the
 * image (wherever they stand in the chain of trailers), of a Samsung
 * trailer's QDIO block and of a maker note's preview stored after the
 * image, which move with the data they point to; where one cannot be moved
 * with certainty (damaged, already stale, or a maker-note value past the
 * block of a kind not known) the write is refused with EXIF_ERR_TRAILER.
 * Multi-picture images and other trailers use relative offsets and come
 * through byte-identical.
 *
 * What is refused: a change that would not fit in one JPEG segment
 * (EXIF_ERR_TOO_LARGE), or a block whose directories share bytes with
 * other data, so that a write would damage it (EXIF_ERR_OVERLAP) - then
 * every later set and ExifFileClose give that status too and nothing is
 * written, so a photo never gets half a position; a photo without an Exif
 * segment gets none (sets fail with EXIF_ERR_FORMAT); a photo whose image
 * data has no end marker is not written (EXIF_ERR_NO_IMAGE_END).
 */
#ifndef VANTORA_EXIF_H
#define VANTORA_EXIF_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Exif.dll exports these names through Exif.def; nothing to declare here. */
#define EXIF_API

/* Status codes. */
#define EXIF_OK              0   /* success */
#define EXIF_ERR_OPEN       (-1) /* the file cannot be opened or read (missing, not a regular file, too
                                    big); from a set: the rest of the file could not be read */
#define EXIF_ERR_HANDLE     (-2) /* the handle is not open (never opened, or already closed) */
#define EXIF_ERR_NOT_FOUND  (-3) /* the tag is absent (or, for DateTimeOriginal, blank/zero/of a wrong count) */
#define EXIF_ERR_FORMAT     (-4) /* not a JPEG, no Exif segment, or a damaged JPEG/Exif structure or tag */
#define EXIF_ERR_ARGUMENT   (-5) /* a null pointer, or a value of the wrong shape */
#define EXIF_ERR_TOO_LARGE  (-6) /* the change would not fit in one Exif segment (65,533 bytes); the
                                    photo is then left whole: later sets and ExifFileClose give this
                                    status too and nothing is written */
#define EXIF_ERR_WRITE      (-7) /* the changed photo could not be written for another reason; the
                                    original is whole */
#define EXIF_ERR_READ_ONLY  (-8) /* the photo is marked read-only; nothing was written */
#define EXIF_ERR_DISK_FULL  (-9) /* no room left on the disk (or for a file this big); nothing was written */
#define EXIF_ERR_IN_USE    (-10) /* another program has the photo open, or another write of it is
                                    running; nothing was written */
#define EXIF_ERR_CHANGED   (-11) /* the photo changed on disk since it was opened; it was not overwritten */
#define EXIF_ERR_NO_IMAGE_END (-12) /* the image data has no end-of-image marker: the photo is cut
                                    off, and is not written */
#define EXIF_ERR_OVERLAP   (-13) /* the write would change bytes that also belong to something else (a
                                    directory inside the thumbnail or the maker note, a value over
                                    a directory): the photo is left whole as with EXIF_ERR_TOO_LARGE */
#define EXIF_ERR_FOLDER_READ_ONLY (-14) /* the photo's folder does not take a new file (permissions, a
                                    read-only medium); nothing was written */
#define EXIF_ERR_TRAILER   (-15) /* the change moves the data after the image, and an absolute
                                    offset into it (an AFCP trailer, a QDIO block, a maker-note
                                    value) is damaged, stale or not known, so it could not be
                                    moved with it; nothing was written */
#define EXIF_ERR_READ_ONLY_KIND (-16) /* the handle only reads: it was opened by ExifPhotoOpen(W),
                                    the open of raw and HEIF photos, which this library never
                                    writes; nothing was written */

typedef int16_t ExifStatus;

EXIF_API ExifStatus ExifFileOpen(const char* path, uint32_t* handle);
#ifdef _WIN32
/* The same for a path in UTF-16, for the paths the ANSI code page cannot
   hold (a folder named "José" or "한국" on a Japanese PC). */
EXIF_API ExifStatus ExifFileOpenW(const wchar_t* path, uint32_t* handle);
#endif
EXIF_API ExifStatus ExifFileClose(uint32_t handle);

/* Four ASCII digits of the Exif IFD's ExifVersion, e.g. "0220"; no NUL. */
EXIF_API ExifStatus ExifGetExifVersion(uint32_t handle, char out[4]);
/* "YYYY:MM:DD HH:MM:SS" and a NUL. Missing, blank, all-zero or of a count
   other than 20: EXIF_ERR_NOT_FOUND. */
EXIF_API ExifStatus ExifGetDateTimeOriginal(uint32_t handle, char out[20]);
/* OffsetTimeOriginal (Exif 2.31): the zone the camera says its clock ran in
   when the photo was taken, "+HH:MM" or "-HH:MM" and a NUL. Missing or
   blank (unknown): EXIF_ERR_NOT_FOUND; of another shape: EXIF_ERR_FORMAT. */
EXIF_API ExifStatus ExifGetOffsetTimeOriginal(uint32_t handle, char out[8]);
/* Make, Model (IFD0) and BodySerialNumber (Exif IFD) as the camera wrote
   them, trailing blanks included. size = the buffer size in bytes; the
   text is truncated to size - 1 characters and always NUL-terminated. */
EXIF_API ExifStatus ExifGetMake(uint32_t handle, int size, char* out);
EXIF_API ExifStatus ExifGetModel(uint32_t handle, int size, char* out);
EXIF_API ExifStatus ExifGetBodySerialNumber(uint32_t handle, int size, char* out);
/* (On a TIFF-based raw handle without a BodySerialNumber, the body serial
   DNG keeps in IFD0, CameraSerialNumber.) */
EXIF_API ExifStatus ExifGetGPSVersion(uint32_t handle, unsigned char out[4]);
/* Up to 3 characters and a NUL. */
EXIF_API ExifStatus ExifGetGPSLatitudeRef(uint32_t handle, char out[4]);
EXIF_API ExifStatus ExifGetGPSLongitudeRef(uint32_t handle, char out[4]);
/* Three rationals: numerator, denominator of degrees, minutes, seconds. */
EXIF_API ExifStatus ExifGetGPSLatitude(uint32_t handle, uint32_t out[6]);
EXIF_API ExifStatus ExifGetGPSLongitude(uint32_t handle, uint32_t out[6]);
/* Three rationals: hour, minute, second. */
EXIF_API ExifStatus ExifGetGPSTimeStamp(uint32_t handle, uint32_t out[6]);
/* Up to 3 characters and a NUL. */
EXIF_API ExifStatus ExifGetGPSStatus(uint32_t handle, char out[4]);
/* size = the buffer size in bytes; the text is truncated to size - 1
   characters and always NUL-terminated. */
EXIF_API ExifStatus ExifGetGPSMapDatum(uint32_t handle, int size, char* out);

/* The version written is never lower than the one already in the photo,
   nor than the tags of its GPS directory need (2.2.0.0 with GPSDateStamp,
   GPSProcessingMethod, GPSAreaInformation or GPSDifferential; 2.3.0.0 with
   GPSHPositioningError): read it back with ExifGetGPSVersion. */
EXIF_API ExifStatus ExifSetGPSVersion(uint32_t handle, const unsigned char in[4]);
/* "N" or "S". */
EXIF_API ExifStatus ExifSetGPSLatitudeRef(uint32_t handle, const char* text);
/* "E" or "W". */
EXIF_API ExifStatus ExifSetGPSLongitudeRef(uint32_t handle, const char* text);
EXIF_API ExifStatus ExifSetGPSLatitude(uint32_t handle, const uint32_t in[6]);
EXIF_API ExifStatus ExifSetGPSLongitude(uint32_t handle, const uint32_t in[6]);
/* 1 to 31 printable ASCII characters, e.g. "A". */
EXIF_API ExifStatus ExifSetGPSStatus(uint32_t handle, const char* text);
EXIF_API ExifStatus ExifSetGPSTimeStamp(uint32_t handle, const uint32_t in[6]);
/* 1 to 255 printable ASCII characters, e.g. "WGS-84". */
EXIF_API ExifStatus ExifSetGPSMapDatum(uint32_t handle, const char* text);
/* Exactly "YYYY:MM:DD HH:MM:SS" (digits where the letters are); written as
   20 bytes with the NUL. */
EXIF_API ExifStatus ExifSetDateTimeOriginal(uint32_t handle, const char* text);
/* Exactly "YYYY:MM:DD": rewrites the GPSDateStamp of a photo that has one,
   so that it agrees with a new GPSTimeStamp; a photo without one gets none
   (EXIF_ERR_NOT_FOUND, nothing changed). */
EXIF_API ExifStatus ExifUpdateGPSDateStamp(uint32_t handle, const char* text);

/* Raw and HEIF photos, read only. ExifPhotoOpen opens any photo of the
   kinds below for reading, telling the kind from the file's first bytes
   (never from its name): a JPEG (read exactly as ExifFileOpen reads it),
   a raw file that is a TIFF file (CR2, NEF, NRW, ARW, SR2, SRF, DNG, ORF,
   RW2, PEF, SRW, ERF, 3FR, IIQ and the like), a Canon CR3, a Fujifilm RAF,
   a HEIF/HEIC or an AVIF file. Every get above works on its handle - the
   tags of the Exif (TIFF) blocks the file holds: the TIFF-based raw file's
   own directories, CR3's CMT1 (IFD0), CMT2 (Exif) and CMT4 (GPS) boxes,
   the Exif of the JPEG a RAF file's header points at, the Exif item of a
   HEIF or AVIF file - and every set and ExifUpdateGPSDateStamp is refused
   with EXIF_ERR_READ_ONLY_KIND; ExifFileClose writes nothing. Only the
   parts of the file its structure points at are read; every offset and box
   size is checked against what holds it and the file's end, and a damaged
   file is refused with EXIF_ERR_FORMAT and a reason (ExifGetOpenRefusal).
   A photo without Exif opens, and its gets find nothing. ExifFileOpen(W)
   opens JPEG files only, as ever. */
EXIF_API ExifStatus ExifPhotoOpen(const char* path, uint32_t* handle);
#ifdef _WIN32
EXIF_API ExifStatus ExifPhotoOpenW(const wchar_t* path, uint32_t* handle);
#endif
/* Why the last ExifPhotoOpen(W) of the calling thread refused its file with
   EXIF_ERR_FORMAT (or EXIF_ERR_OPEN, when a read failed part way), in
   English ("a box runs past the end of what holds it"); EXIF_ERR_NOT_FOUND
   when that open refused nothing, or could not open the file at all.
   size = the buffer size; the text is truncated to size - 1 characters,
   NUL-terminated. */
EXIF_API ExifStatus ExifGetOpenRefusal(int size, char* out);

/* The kind of photo a handle is open on, told by its content. */
#define EXIF_KIND_JPEG      1
#define EXIF_KIND_TIFF_RAW  2 /* CR2, NEF, ARW, DNG, ORF, RW2, PEF and the like */
#define EXIF_KIND_CR3       3
#define EXIF_KIND_RAF       4
#define EXIF_KIND_HEIF      5 /* HEIF and HEIC */
#define EXIF_KIND_AVIF      6
EXIF_API ExifStatus ExifGetPhotoKind(uint32_t handle, int32_t* kind);

/* SubSecTimeOriginal (Exif IFD): the digits of the fraction of a second of
   DateTimeOriginal, e.g. "25" for .25 s, trailing blanks left out. Missing
   or blank: EXIF_ERR_NOT_FOUND; anything but digits: EXIF_ERR_FORMAT.
   size = the buffer size; truncated to size - 1 digits, NUL-terminated. */
EXIF_API ExifStatus ExifGetSubSecTimeOriginal(uint32_t handle, int size, char* out);

/* Where the photo's JPEG picture lies in its file, for a picture of it (the
   KML placemark): of a JPEG the whole file (offset 0); of a raw file the
   largest embedded JPEG preview found (IFD0, IFD1 and SubIFD previews and
   RW2's JpgFromRaw; CR3's PRVW or THMB; RAF's JPEG), each checked to lie in
   the file and start with a JPEG's start marker. EXIF_ERR_NOT_FOUND without
   one (HEIF and AVIF carry none). Offsets and lengths of 0 on failure. */
EXIF_API ExifStatus ExifGetPreview(uint32_t handle, uint64_t* offset, uint64_t* length);

/* The XMP packet of a JPEG's standard XMP segment (APP1 with the header
   "http://ns.adobe.com/xap/1.0/" and its NUL): the bytes after that header,
   as they will be written (after an ExifSetXmpPacket, the new packet). Not
   NUL-terminated. *length is the packet's length whenever there is one;
   with `size` smaller, EXIF_ERR_ARGUMENT and nothing copied. No such
   segment, or a photo that is not a JPEG: EXIF_ERR_NOT_FOUND, *length 0.
   Extended XMP segments are never read nor changed. */
EXIF_API ExifStatus ExifGetXmpPacket(uint32_t handle, uint32_t size, char* out, uint32_t* length);

/* Replaces the packet of the standard XMP segment at the close (or the
   batch's commit), in the same write as the Exif sets and with the same
   guarantees. A packet of the old length leaves every other byte where it
   was; another length rewrites the segment and moves what follows as a
   grown Exif segment does (EXIF_ERR_TRAILER where that cannot be done
   safely, and also when a multi-picture segment lies before the XMP
   segment, or the XMP segment before the Exif segment). The XML is not
   looked into. Empty or not UTF-8: EXIF_ERR_ARGUMENT. More than 65,504
   bytes (one segment): EXIF_ERR_TOO_LARGE, and, as for the Exif sets,
   nothing is written at the close. No XMP segment: EXIF_ERR_NOT_FOUND (one
   is never added). ExifPhotoOpen(W) handles: EXIF_ERR_READ_ONLY_KIND. */
EXIF_API ExifStatus ExifSetXmpPacket(uint32_t handle, const char* packet, uint32_t length);

/* Batches: many photos written at about the cost of copying them. A photo
   whose handle was added to a batch is not written at its ExifFileClose:
   the close checks the photo and writes its new file beside it as a close
   does (EXIF_OK, or the failure that leaves the photo untouched), and the
   new file waits there, under the photo's temporary name, for the batch's
   commit. ExifBatchCommit puts every waiting photo in its place with the
   guarantees of a single close: first all the new files are made durable
   (Linux: together, in one pass over them, rather than one flush of the
   file and its folder per photo; Windows: a flush of each), then each
   photo is checked once more (EXIF_ERR_CHANGED when another program
   changed it meanwhile) and its new file renamed over it in one step, and
   last each folder's renames are made durable, once a folder. A crash or a
   kill at any moment leaves every photo's name holding its whole old or
   whole new file; what waited is a temporary file that the next write of
   that photo removes.

   The image data after the Exif segment is copied from the old file inside
   the file system where it can (copy_file_range on Linux: shared, not
   copied, where the file system shares blocks between files).

   Each waiting photo keeps its new file open (and, on Windows, the photo
   itself, so that no other program writes it meanwhile); a batch that holds
   as many as it may (half the files a Linux process may open, at most 1024)
   is committed by the next close into it, whose results ExifBatchGetResult
   then tells. The new files take room on the disk beside the old ones until
   the commit: a caller commits every hundred megabytes or so. */

/* A new, empty batch. */
EXIF_API ExifStatus ExifBatchBegin(uint32_t* batch);
/* The photo's ExifFileClose stages into the batch (until the batch ends;
   a handle closed after that is written at its close as any). */
EXIF_API ExifStatus ExifBatchAdd(uint32_t batch, uint32_t handle);
/* How many photos, and how many bytes of new files, wait for the commit. */
EXIF_API ExifStatus ExifBatchGetStaged(uint32_t batch, uint32_t* photos, uint64_t* bytes);
/* Puts every waiting photo in its place (above); each photo's own status is
   then told by ExifBatchGetResult. The batch stays open, empty. */
EXIF_API ExifStatus ExifBatchCommit(uint32_t batch);
/* The fate of a photo closed into the batch: *status is EXIF_OK once its new
   file is in its place (or when it had nothing to write), else why it was
   not written and is as it was. EXIF_ERR_HANDLE when the handle was not
   closed into this batch or still waits for the commit. */
EXIF_API ExifStatus ExifBatchGetResult(uint32_t batch, uint32_t handle, ExifStatus* status);
/* Releases the batch. Photos still waiting are not written: their new files
   are removed and the photos stay as they were. */
EXIF_API ExifStatus ExifBatchEnd(uint32_t batch);

#ifdef __cplusplus
}
#endif

#endif
