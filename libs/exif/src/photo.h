#pragma once
// One opened photo: its bytes as read, the Exif block as it stands after the
// changes asked for, and the commit that writes it back.

#include "container.h"
#include "exif/Exif.h"
#include "file_io.h"
#include "jpeg.h"
#include "tiff.h"

#include <string>

namespace exif {

// The status a file-system result stands for.
ExifStatus statusOf(io::Result result);

class Photo {
public:
    // A JPEG, for reading and writing.
    ExifStatus open(const io::NativePath& path);
    // Any kind of photo this library reads, told from its first bytes, for
    // reading only: every set is refused (EXIF_ERR_READ_ONLY_KIND) and the
    // close writes nothing. `refusal` says why a file was refused with
    // EXIF_ERR_FORMAT.
    ExifStatus openForReading(const io::NativePath& path, Refusal& refusal);
    PhotoKind kind() const { return kind_; }
    bool readsOnly() const { return readsOnly_; }
    // Where the photo's JPEG picture lies in the file: a JPEG is its own, a
    // raw file's is its largest embedded preview; not found without one.
    ExifStatus getPreview(uint64_t& offset, uint64_t& length) const;

    // Reading: the tag's value as stored, after checking type and count.
    ExifStatus getBytes(IfdKind kind, uint16_t t, std::initializer_list<uint16_t> types, uint32_t count,
                        uint8_t* out) const;
    ExifStatus getText(IfdKind kind, uint16_t t, char* out, std::size_t outSize) const;
    ExifStatus getRationals(IfdKind kind, uint16_t t, uint32_t out[6]) const;
    ExifStatus getDateTimeOriginal(char out[20]) const;
    // "+HH:MM" or "-HH:MM" and a NUL; blank (unknown): not found.
    ExifStatus getOffsetTimeOriginal(char out[8]) const;
    // The digits of SubSecTimeOriginal, trailing blanks left out; blank:
    // not found; anything but digits: a format error.
    ExifStatus getSubSecTimeOriginal(char* out, std::size_t outSize) const;
    // BodySerialNumber; a TIFF-based raw file without one may name its body
    // in IFD0 as DNG does (CameraSerialNumber).
    ExifStatus getBodySerialNumber(char* out, std::size_t outSize) const;
    // Four characters, stored as UNDEFINED[4]; also taken from BYTE/ASCII and
    // from an ASCII "0220" with its NUL (count 5), as some writers store it.
    ExifStatus getExifVersion(char out[4]) const;

    // Writing: checked against the whole block at once; refused changes
    // leave everything as it was.
    ExifStatus setBytes(IfdKind kind, uint16_t t, uint16_t type, const uint8_t* bytes, uint32_t count);
    ExifStatus setText(IfdKind kind, uint16_t t, const std::string& text);
    ExifStatus setRationals(IfdKind kind, uint16_t t, const uint32_t in[6]);
    // GPSVersionID: never lower than the version already there, nor than the
    // tags of the GPS directory need (2.2.0.0 for a date stamp, processing
    // method, area information or differential; 2.3.0.0 for a positioning
    // error), so that the directory agrees with itself.
    ExifStatus setGpsVersion(const uint8_t in[4]);
    // GPSDateStamp, only where the GPS directory has one already.
    ExifStatus updateGpsDateStamp(const std::string& text);

    bool changed() const { return tiff_ != originalTiff_; }
    // Writes the changed photo back; nothing when nothing changed, and
    // nothing when some change was refused (see refused_).
    ExifStatus commit();
    // The same as far as the new file beside the photo, which `out` then
    // holds for a batch's commit (io::commitStaged); `out` stays empty when
    // there is nothing to write.
    ExifStatus stage(io::StagedFile& out);

private:
    // A tag as read: its entry, and the block its value lies in.
    struct FoundTag {
        const Entry* entry = nullptr;
        const std::vector<uint8_t>* block = nullptr;
        ByteOrder order = ByteOrder::little;
        const uint8_t* value() const { return block->data() + entry->valuePosition(); }
    };
    FoundTag find(IfdKind kind, uint16_t t) const;
    // The rest of an open once the JPEG's segments were scanned.
    ExifStatus takeJpeg(JpegScanner& scanner);
    ExifStatus set(IfdKind kind, uint16_t t, TagValue value);
    // Opening reads the file only up to its image data; the first write
    // reads the rest, and checks the file did not change meanwhile. The
    // image data of a camera file is not read at all when the file ends
    // with its end marker: only its last bytes are (end_), and a write
    // copies the image data from the old file.
    ExifStatus readRest();
    ExifStatus readWhole();
    // The new file up to the end of its Exif segment.
    std::vector<uint8_t> newHead() const;
    // With the image data unread: whether the data after the segment needs
    // no look when it moves by `shift` bytes (only when it does not move).
    bool endStaysAsItIs(int64_t shift) const;
    ExifStatus stageWhole(const std::vector<uint8_t>& head, io::StagedFile& out);

    io::NativePath path_;
    io::Snapshot file_;
    std::vector<uint8_t> end_;  // the file's last bytes, when its image data was not read
    JpegLayout layout_;
    std::vector<uint8_t> originalTiff_;
    TiffModel originalModel_;
    std::vector<uint8_t> tiff_;
    TiffModel model_;
    WantedTags wanted_;
    // Set once a change did not fit (EXIF_ERR_TOO_LARGE) or could not be
    // made without touching bytes of something else (EXIF_ERR_OVERLAP): from
    // then on every set and the close give that status and nothing is
    // written, so no half-written position (a reference without its
    // latitude) ever reaches the file.
    ExifStatus refused_ = EXIF_OK;
    bool writeAsked_ = false;  // a set was taken, whether it changed anything or not
    PhotoKind kind_ = PhotoKind::jpeg;
    bool readsOnly_ = false;       // opened by openForReading
    ContainerContents contents_;  // what was read of a photo that is not a JPEG
};

}  // namespace exif
