#pragma once
// The plain operations on the photo list: what kind of file a path names,
// finding, removing and copying records, and ordering them by shooting time.
// Reading photos from disk lives with the Exif access, not here.

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "photo/photo_record.h"

namespace vantora {

// The media kind of a file, by its name's extension. The high half is the
// media class (1 picture, 2 video, 4 sound); jpeg, raw and HEIF photos admit
// a file to the photo list (admitsToPhotoList).
enum class FileKind : std::uint32_t {
    other = 0,
    bitmap = 0x10001,
    jpeg = 0x10002,
    avi = 0x20003,
    mpeg = 0x20004,
    wave = 0x40005,
    mp3 = 0x40006,
    rawPhoto = 0x10007,   // a camera's raw file: CR2, CR3, NEF, ARW, DNG, ORF, RW2, RAF...
    heifPhoto = 0x10008,  // HEIC, HEIF, AVIF
};

// The kinds the photo list takes: the Exif library reads all three, and
// writes JPEGs only (raw and HEIF photos get their positions in sidecars).
bool admitsToPhotoList(FileKind kind);

// Looks at the text after the last dot of the whole path (a path without a
// dot is taken whole), with ASCII letters folded to one case.
FileKind fileKindOf(const std::filesystem::path& path);

// The photo list's rule for "the same file": the paths are equal compared
// whole, with only the ASCII letters A-Z and a-z folded.
bool samePhotoPath(const std::filesystem::path& a, const std::filesystem::path& b);

// The path with its ASCII letters folded: two paths are the same photo by
// samePhotoPath exactly when their keys are equal, so a set of keys finds a
// photo among thousands at once.
std::filesystem::path::string_type photoPathKey(const std::filesystem::path& path);

// True when some photo's path is the path by samePhotoPath.
bool containsPath(const PhotoList& list, const std::filesystem::path& path);

// Removes the record at the index; the later ones move up. Out of range: no
// change.
void removeAt(PhotoList& list, std::size_t index);
void removeAll(PhotoList& list);

// Every photo loses its match: no position, not doubtful, no log path, no
// reason. The cameras' own clocks stay.
void clearMatches(PhotoList& list);

std::size_t countDoubtful(const PhotoList& list);

// An independent copy of the record, for editing in the detail window.
PhotoRecord copyRecord(const PhotoRecord& record);

// Orders the photos by shooting time, earliest first; photos with equal
// times keep their order. Photos whose shooting time cannot be converted
// (missing, year before 1900, zero month or day...) go after all others, in
// the order they had.
void sortByShootingTime(PhotoList& list);

}  // namespace vantora
