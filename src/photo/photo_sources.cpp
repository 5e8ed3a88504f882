#include "photo/photo_sources.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "photo/photo_list.h"
#include "tracklog/path_text.h"

namespace vantora {

namespace {

bool hasExtension(const std::filesystem::path& file, const char* extension)
{
    return equalPathsIgnoringCase(file.extension(), std::filesystem::path(extension));
}

}  // namespace

std::vector<std::filesystem::path> folderPhotoBatch(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file(error))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());

    std::vector<std::filesystem::path> batch;
    for (const char* extension : {".jpg", ".jpeg", ".jpe"})
        for (const auto& file : files)
            if (hasExtension(file, extension))
                batch.push_back(file);
    for (const FileKind kind : {FileKind::rawPhoto, FileKind::heifPhoto})
        for (const auto& file : files)
            if (fileKindOf(file) == kind)
                batch.push_back(file);
    return batch;
}

}  // namespace vantora
