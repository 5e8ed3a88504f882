#include "photo/exif_file.h"

#include "exif/Exif.h"
#include "photo/photo_reading.h"
#include "platform/code_page.h"
#include "tracklog/log_file_record.h"

namespace vantora {

ExifFile::ExifFile(const std::filesystem::path& path)
{
    if (utf16Length(path) > kMaxPathLength)
        return;
    const auto ansi = platform::toAnsiPath(path);
    if (!ansi || ansi->empty())
        return;
    open_ = ExifFileOpen(ansi->c_str(), &handle_) == 0;
}

ExifFile::~ExifFile()
{
    close();
}

ExifFile::ExifFile(ExifFile&& other) noexcept : handle_(other.handle_), open_(other.open_)
{
    other.open_ = false;
}

bool ExifFile::hasSupportedVersion() const
{
    char version[4] = {};
    return open_ && ExifGetExifVersion(handle_, version) == 0 && isSupportedExifVersion(version);
}

bool ExifFile::close()
{
    if (!open_)
        return true;
    open_ = false;
    return ExifFileClose(handle_) == 0;
}

}  // namespace vantora
