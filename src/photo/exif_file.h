#pragma once
// One open photo in the Exif library, closed (and its changes committed)
// when the object goes. Paths go to the library in the ANSI code page, and
// on Windows, where a path does not convert exactly, in UTF-16 through the
// library's wide open (never under a best-fit name); a path of 260
// characters or more is not opened at all.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantora {

class ExifFile {
public:
    // A JPEG for reading and writing (the library's ExifFileOpen), or any
    // kind of photo the library reads - raw and HEIF photos too - for
    // reading only (ExifPhotoOpen: every set is refused, nothing written).
    enum class Access { jpegReadWrite, anyKindReadOnly };

    explicit ExifFile(const std::filesystem::path& path, Access access = Access::jpegReadWrite);
    ~ExifFile();
    ExifFile(ExifFile&& other) noexcept;
    ExifFile& operator=(ExifFile&&) = delete;
    ExifFile(const ExifFile&) = delete;
    ExifFile& operator=(const ExifFile&) = delete;

    bool isOpen() const { return open_; }
    // The library's status of the open: 0 when open.
    std::int16_t openStatus() const { return openStatus_; }
    std::uint32_t handle() const { return handle_; }

    // Exif 2.1 and later; false when the version cannot be read.
    bool hasSupportedVersion() const;

    // The library's EXIF_KIND_ code of the photo (JPEG, TIFF-based raw,
    // CR3, RAF, HEIF, AVIF); 0 when it is not open.
    std::int32_t photoKind() const;
    // Where the photo's JPEG picture lies in its file: a JPEG's whole file,
    // a raw file's largest embedded preview; none without one.
    struct ByteRange {
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
    };
    std::optional<ByteRange> preview() const;

    // The packet of a JPEG's XMP segment (as it will be written); none
    // without one.
    std::optional<std::string> xmpPacket() const;
    // Puts a new packet there at the close; the library's status (0 when
    // taken).
    int setXmpPacket(std::string_view packet);

    // Commits the changes; the library's status: 0 when they are in the
    // file (or there were none). The file is closed either way.
    std::int16_t close();

private:
    std::uint32_t handle_ = 0;
    bool open_ = false;
    std::int16_t openStatus_ = -1;
};

// A batch of the Exif library (see its header): the photos closed into it
// are written together at its commit, at about the cost of copying them.
// Ended when the object goes; photos still waiting then are not written.
class ExifBatch {
public:
    ExifBatch();
    ~ExifBatch();
    ExifBatch(const ExifBatch&) = delete;
    ExifBatch& operator=(const ExifBatch&) = delete;

    // False when the library could not make one (out of memory): photos are
    // then written one at a time, each at its close.
    bool isOpen() const { return open_; }
    // The file's close stages into the batch; false when it cannot.
    bool add(const ExifFile& file);
    // Whether the photos waiting take enough room on the disk to be
    // committed now.
    bool full() const;
    void commit();
    // The library's status for the photo of a handle closed into the batch,
    // once its fate is known (after the commit that put it in its place).
    std::optional<std::int16_t> resultOf(std::uint32_t handle) const;

private:
    std::uint32_t handle_ = 0;
    bool open_ = false;
};

}  // namespace vantora
