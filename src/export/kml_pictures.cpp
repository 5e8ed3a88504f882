#include "export/kml_pictures.h"

#include <fstream>
#include <optional>
#include <string>
#include <system_error>

#include "photo/photo_preview.h"

namespace vantora {

namespace {

std::string placeText(std::size_t index)
{
    std::string text = std::to_string(index + 1);
    return std::string(text.size() < 4 ? 4 - text.size() : 0, '0') + text;
}

std::filesystem::path writePreview(const std::filesystem::path& folder, std::size_t index,
                                   const std::filesystem::path& photo)
{
    const auto bytes = embeddedPreviewBytes(photo);
    if (!bytes)
        return {};
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::filesystem::path target = folder / std::filesystem::path(placeText(index) + "_");
    target += photo.filename();
    target += ".jpg";
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
    out.close();
    if (!out) {
        std::filesystem::remove(target, error);
        return {};
    }
    return target;
}

}  // namespace

std::filesystem::path previewFolderOf(const std::filesystem::path& kmlFile)
{
    std::filesystem::path folder = kmlFile.parent_path() / kmlFile.stem();
    folder += "_previews";
    return folder;
}

std::vector<std::filesystem::path> placemarkPictures(const std::filesystem::path& kmlFile,
                                                     const std::vector<PhotoRecord>& photos)
{
    std::vector<std::filesystem::path> pictures(photos.size());
    try {
        for (std::size_t i = 0; i < photos.size(); ++i) {
            const PhotoExifData& exif = photos[i].exif;
            pictures[i] = exif.kind == PhotoKind::jpeg ? exif.path
                                                        : writePreview(previewFolderOf(kmlFile), i, exif.path);
        }
    } catch (const std::exception&) {
        // Out of memory or a path that cannot be made: the rest have no picture.
    }
    return pictures;
}

}  // namespace vantora
