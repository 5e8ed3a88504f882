#pragma once
// Bringing photos into the photo list: each file's shooting time and GPS
// tags, read once through the Exif library.

#include <filesystem>
#include <vector>

#include "photo/photo_record.h"
#include "tracklog/step_callback.h"

namespace vantora {

constexpr int kPhotoRead = 0;
constexpr int kPhotoCannotOpen = -1;       // missing, unreadable, not a JPEG, or a path the library cannot take
constexpr int kPhotoVersionRefused = -2;   // no Exif version, or Exif 1.x or 2.0

// Reads a photo's Exif data. `out` is reset first.
int readPhoto(const std::filesystem::path& path, PhotoExifData& out);

constexpr int kAllAdded = 0;
constexpr int kSomeNotAdded = 1;
constexpr int kAddingStopped = 2;

// Reads the paths in order and appends the photos that read, up to
// kMaxPhotos, then sorts the list by shooting time once. The callback, when
// given, sees (i, number of paths) after every path, i counting from 1; a
// nonzero answer stops the run after that photo, keeping what was added.
// Duplicates are the caller's to leave out.
int addPhotos(PhotoList& list, const std::vector<std::filesystem::path>& paths, int& added,
              bool& limitReached, const StepCallback& progress = {});

// The Exif version test: Exif 2.1 and later pass.
bool isSupportedExifVersion(const char version[4]);

}  // namespace vantora
