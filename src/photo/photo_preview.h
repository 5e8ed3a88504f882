#pragma once
// The JPEG picture of a photo: a JPEG file is its own; a raw photo carries
// a preview JPEG inside it (the Exif library finds where), which is what the
// detail window and the KML placemarks show of it.

#include <filesystem>
#include <optional>
#include <string>

namespace vantora {

// The bytes of the photo's embedded preview JPEG; none when it has none
// (HEIF photos, some raw files), when it is implausibly large, or when the
// file no longer holds a JPEG there.
std::optional<std::string> embeddedPreviewBytes(const std::filesystem::path& photo);

}  // namespace vantora
