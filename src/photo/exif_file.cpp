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
    if (ansi && !ansi->empty()) {
        openStatus_ = ExifFileOpen(ansi->c_str(), &handle_);
    } else {
#ifdef _WIN32
        // A folder named "José" or "한국" on a Japanese PC: the library's
        // wide open takes what the ANSI code page cannot hold.
        openStatus_ = ExifFileOpenW(path.c_str(), &handle_);
#else
        return;  // every path converts here
#endif
    }
    open_ = openStatus_ == EXIF_OK;
}

ExifFile::~ExifFile()
{
    close();
}

ExifFile::ExifFile(ExifFile&& other) noexcept
    : handle_(other.handle_), open_(other.open_), openStatus_(other.openStatus_)
{
    other.open_ = false;
}

bool ExifFile::hasSupportedVersion() const
{
    char version[4] = {};
    return open_ && ExifGetExifVersion(handle_, version) == 0 && isSupportedExifVersion(version);
}

std::int16_t ExifFile::close()
{
    if (!open_)
        return EXIF_OK;
    open_ = false;
    return ExifFileClose(handle_);
}

}  // namespace vantora
