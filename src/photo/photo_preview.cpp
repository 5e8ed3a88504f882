#include "photo/photo_preview.h"

#include <cstdint>
#include <fstream>

#include "photo/exif_file.h"

namespace vantora {

namespace {

// No camera's preview is larger; a bigger length is a damaged file.
constexpr std::uint64_t kMaxPreviewBytes = 64u * 1024 * 1024;

}  // namespace

std::optional<std::string> embeddedPreviewBytes(const std::filesystem::path& photo)
{
    std::optional<ExifFile::ByteRange> range;
    {
        const ExifFile file(photo, ExifFile::Access::anyKindReadOnly);
        range = file.preview();
    }
    if (!range || range->length < 2 || range->length > kMaxPreviewBytes)
        return std::nullopt;
    std::ifstream in(photo, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(range->offset));
    std::string bytes(static_cast<std::size_t>(range->length), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    // The library checked that a JPEG starts there; a file changed since
    // is not taken.
    if (!in || static_cast<unsigned char>(bytes[0]) != 0xFF || static_cast<unsigned char>(bytes[1]) != 0xD8)
        return std::nullopt;
    return bytes;
}

}  // namespace vantora
