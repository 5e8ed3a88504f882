#include "photo/exif_file.h"

#include "exif/Exif.h"
#include "photo/photo_reading.h"
#include "platform/code_page.h"
#include "tracklog/log_file_record.h"

namespace vantora {

ExifFile::ExifFile(const std::filesystem::path& path, Access access)
{
    if (utf16Length(path) > kMaxPathLength)
        return;
    const bool reading = access == Access::anyKindReadOnly;
    const auto ansi = platform::toAnsiPath(path);
    if (ansi && !ansi->empty()) {
        openStatus_ = reading ? ExifPhotoOpen(ansi->c_str(), &handle_) : ExifFileOpen(ansi->c_str(), &handle_);
    } else {
#ifdef _WIN32
        // A folder named "José" or "한국" on a Japanese PC: the library's
        // wide open takes what the ANSI code page cannot hold.
        openStatus_ = reading ? ExifPhotoOpenW(path.c_str(), &handle_) : ExifFileOpenW(path.c_str(), &handle_);
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

std::int32_t ExifFile::photoKind() const
{
    std::int32_t kind = 0;
    return open_ && ExifGetPhotoKind(handle_, &kind) == EXIF_OK ? kind : 0;
}

std::optional<ExifFile::ByteRange> ExifFile::preview() const
{
    ByteRange range;
    if (!open_ || ExifGetPreview(handle_, &range.offset, &range.length) != EXIF_OK)
        return std::nullopt;
    return range;
}

std::optional<std::string> ExifFile::xmpPacket() const
{
    std::uint32_t length = 0;
    if (!open_ || ExifGetXmpPacket(handle_, 0, nullptr, &length) == EXIF_ERR_NOT_FOUND || length == 0)
        return std::nullopt;
    std::string packet(length, '\0');
    if (ExifGetXmpPacket(handle_, length, packet.data(), &length) != EXIF_OK || length != packet.size())
        return std::nullopt;
    return packet;
}

int ExifFile::setXmpPacket(std::string_view packet)
{
    if (!open_)
        return EXIF_ERR_HANDLE;
    if (packet.size() > UINT32_MAX)
        return EXIF_ERR_TOO_LARGE;
    return ExifSetXmpPacket(handle_, packet.data(), static_cast<std::uint32_t>(packet.size()));
}

std::int16_t ExifFile::close()
{
    if (!open_)
        return EXIF_OK;
    open_ = false;
    return ExifFileClose(handle_);
}

namespace {

// What a batch may hold before it is committed: the new files of a folder
// of large photos never take more than this beside the old ones. (How many
// files it may hold open, the library keeps to itself.)
constexpr std::uint64_t kBatchBytes = 128ull << 20;

}  // namespace

ExifBatch::ExifBatch()
{
    open_ = ExifBatchBegin(&handle_) == EXIF_OK;
}

ExifBatch::~ExifBatch()
{
    if (open_)
        ExifBatchEnd(handle_);
}

bool ExifBatch::add(const ExifFile& file)
{
    return open_ && file.isOpen() && ExifBatchAdd(handle_, file.handle()) == EXIF_OK;
}

bool ExifBatch::full() const
{
    std::uint32_t photos = 0;
    std::uint64_t bytes = 0;
    return open_ && ExifBatchGetStaged(handle_, &photos, &bytes) == EXIF_OK && bytes >= kBatchBytes;
}

void ExifBatch::commit()
{
    if (open_)
        ExifBatchCommit(handle_);
}

std::optional<std::int16_t> ExifBatch::resultOf(std::uint32_t handle) const
{
    ExifStatus status = EXIF_ERR_HANDLE;
    if (!open_ || ExifBatchGetResult(handle_, handle, &status) != EXIF_OK)
        return std::nullopt;
    return status;
}

}  // namespace vantora
