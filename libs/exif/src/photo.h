#pragma once
// One opened photo: its bytes as read, the Exif block as it stands after the
// changes asked for, and the commit that writes it back.

#include "container.h"
#include "exif/Exif.h"
#include "file_io.h"
#include "jpeg.h"
#include "tiff.h"

#include <optional>
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

    // The packet of the standard XMP segment, as it will be written; not
    // found without one (and for every kind but JPEG).
    ExifStatus getXmpPacket(std::vector<uint8_t>& out) const;
    // Replaces that packet at the commit; the library never adds the
    // segment, nor looks into the XML. Not UTF-8 or empty: an argument
    // error; more than one segment holds: EXIF_ERR_TOO_LARGE, and nothing
    // is written at the close, as with the Exif sets.
    ExifStatus setXmpPacket(std::vector<uint8_t> packet);

    bool changed() const { return tiff_ != originalTiff_ || xmpChanged(); }
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
    // What every set checks before it takes a change.
    ExifStatus checkWritable();
    bool xmpChanged() const;
    // How many bytes each segment grows by (negative: shrinks).
    int64_t exifShift() const;
    int64_t xmpShift() const;
    // The old file's bytes up to the end of the last segment that changes.
    std::size_t oldHeadEnd() const;
    // Puts the changed segments into `bytes` (the old file, or its start up
    // to oldHeadEnd() when nothing moves) and moves the offsets that point
    // past them; `moved` tells whether any such offset was moved.
    ExifStatus putNewSegments(std::vector<uint8_t>& bytes, bool& moved) const;
    ExifStatus putExif(std::vector<uint8_t>& bytes, bool& moved) const;
    ExifStatus putXmp(std::vector<uint8_t>& bytes, bool& moved) const;
    // With the image data unread: whether the data after the segments needs
    // no look (only when nothing moves).
    bool endStaysAsItIs() const;
    ExifStatus stageWhole(io::StagedFile& out);

    io::NativePath path_;
    io::Snapshot file_;
    std::vector<uint8_t> end_;  // the file's last bytes, when its image data was not read
    JpegLayout layout_;
    std::vector<uint8_t> originalTiff_;
    TiffModel originalModel_;
    std::vector<uint8_t> tiff_;
    TiffModel model_;
    std::optional<std::vector<uint8_t>> xmp_;  // the packet asked for, once set
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
