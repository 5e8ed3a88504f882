#pragma once
// The pictures the KML placemarks show: a JPEG is its own picture; a raw
// photo's embedded preview JPEG is copied out beside the KML file, since
// Google Earth shows JPEG files only; a photo without one has no picture.

#include <filesystem>
#include <vector>

#include "photo/photo_record.h"

namespace vantora {

// The folder the previews of the KML file go into: "NAME_previews" beside it.
std::filesystem::path previewFolderOf(const std::filesystem::path& kmlFile);

// One picture path per photo, in order (empty: no picture). The previews of
// the raw photos are written into previewFolderOf(kmlFile), created when
// needed, as "0001_IMG_0001.CR2.jpg" (the place in the list keeps photos of
// the same name in different folders apart). A preview that cannot be read
// or written leaves its photo without a picture.
std::vector<std::filesystem::path> placemarkPictures(const std::filesystem::path& kmlFile,
                                                     const std::vector<PhotoRecord>& photos);

}  // namespace vantora
