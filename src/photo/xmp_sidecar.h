#pragma once
// The XMP sidecars beside a raw or HEIC photo: "NAME.xmp" (the form of
// Adobe-style tools) and "NAME.EXT.xmp" (darktable and digiKam). Positions
// and shooting times of such photos go into their sidecars, never into the
// photo itself; a sidecar's other contents stay as they were.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "photo/photo_writing.h"
#include "photo/xmp_text.h"
#include "photo/xmp_values.h"

namespace vantora {

// A larger sidecar is not read: no photo program writes one.
constexpr std::uintmax_t kMaxSidecarBytes = 16u * 1024 * 1024;

struct SidecarPaths {
    std::filesystem::path stemName;  // NAME.xmp, as it exists (any letter case) or to be created
    std::filesystem::path fullName;  // NAME.EXT.xmp, as it exists or would be named
    std::vector<std::filesystem::path> existing;  // of the two, those that exist: NAME.xmp first
    // The one to show, or to create when none exists.
    const std::filesystem::path& primary() const { return existing.empty() ? stemName : existing.front(); }
};

// The regular files of one folder by name, letter case aside: listed once
// for all the photos of a folder instead of once per photo.
class FolderListing {
public:
    explicit FolderListing(const std::filesystem::path& folder);
    // The file of that name, in the letter case it has (the exact name wins).
    std::optional<std::filesystem::path> find(const std::filesystem::path& name) const;

private:
    std::filesystem::path folder_;
    std::map<std::string, std::vector<std::filesystem::path>> byFoldedName_;
};

// The sidecars of the photo "IMG_1.CR2": "IMG_1.xmp" and "IMG_1.CR2.xmp";
// a file of another letter case ("IMG_1.XMP") counts, under its own name.
// Without a listing, the photo's folder is listed for this call.
SidecarPaths sidecarPathsOf(const std::filesystem::path& photo, const FolderListing* listing = nullptr);

struct SidecarSkipped {
    std::filesystem::path path;
    std::string why;
};

struct SidecarReading {
    XmpPhotoValues values;                        // of NAME.xmp, then what NAME.EXT.xmp adds
    std::vector<std::filesystem::path> read;      // the sidecars that gave values
    std::vector<SidecarSkipped> skipped;          // unreadable, damaged or too large
};

// The values of the photo's existing sidecars; none when it has none.
SidecarReading readSidecar(const std::filesystem::path& photo, const FolderListing* listing = nullptr);

enum class SidecarOutcome { written, created, failed };

struct SidecarWriteResult {
    std::filesystem::path path;
    SidecarOutcome outcome = SidecarOutcome::failed;
    WriteProblem problem = WriteProblem::writeError;  // when failed: cannotOpen,
        // readOnly, folderReadOnly, diskFull, changed, damaged or writeError
    std::string why;                                  // for damaged: what the edit refused
};

// Called between the temporary file's writing and its check against the
// sidecar, with the sidecar's path: where a test changes the sidecar the way
// another program would.
using BeforeSidecarReplace = std::function<void(const std::filesystem::path&)>;

// Sets the properties in every existing sidecar of the photo, or creates
// NAME.xmp with them. Each sidecar is edited in memory, written to a
// temporary file beside it and flushed, and swapped in only when it still
// holds the bytes it was read with (or, for a new one, still does not
// exist); the temporary file never stays behind.
std::vector<SidecarWriteResult> writeSidecars(const std::filesystem::path& photo,
                                              std::span<const XmpProperty> props,
                                              const BeforeSidecarReplace& beforeReplace = {});

}  // namespace vantora
