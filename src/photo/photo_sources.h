#pragma once
// Where batches of photo paths come from.

#include <filesystem>
#include <vector>

namespace vantora {

// The photos of a folder, as the photo window loads it at start: the files
// directly in it (not in subfolders) ending in .jpg, then those ending in
// .jpeg, then .jpe, then the raw photos and the HEIF photos (fileKindOf),
// letter case ignored; by name within each group. An unreadable folder gives
// an empty batch.
std::vector<std::filesystem::path> folderPhotoBatch(const std::filesystem::path& folder);

}  // namespace vantora
