// The C interface: a small thread-safe table of open photos behind opaque
// handles, the argument checks of every function, and the one guard that
// keeps every exception inside the library.
#include "exif/Exif.h"
#include "photo.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace {

using exif::IfdKind;
namespace tag = exif::tag;

struct OpenPhoto {
    std::mutex mutex;
    exif::Photo photo;
    uint32_t batch = 0;  // the batch its close stages into, if any
};

// Photos closed into a batch, waiting for its commit, and the fate of every
// photo closed into it so far.
struct Batch {
    std::mutex mutex;
    std::vector<exif::io::StagedFile> staged;
    std::vector<uint32_t> stagedHandles;  // the handle of each staged file
    uint64_t stagedBytes = 0;
    std::vector<std::pair<uint32_t, ExifStatus>> results;
};

// Opaque handles for shared objects, safe from several threads.
template <typename T>
class HandleTable {
public:
    explicit HandleTable(uint32_t first) : next_(first) {}
    uint32_t add(std::shared_ptr<T> p)
    {
        std::lock_guard lock(mutex_);
        // Handles are not reused soon after a close: a stale handle fails.
        do {
            ++next_;
        } while (next_ == 0 || objects_.count(next_));
        objects_[next_] = std::move(p);
        return next_;
    }
    std::shared_ptr<T> find(uint32_t h)
    {
        std::lock_guard lock(mutex_);
        auto it = objects_.find(h);
        return it == objects_.end() ? nullptr : it->second;
    }
    std::shared_ptr<T> remove(uint32_t h)
    {
        std::lock_guard lock(mutex_);
        auto it = objects_.find(h);
        if (it == objects_.end()) return nullptr;
        auto p = std::move(it->second);
        objects_.erase(it);
        return p;
    }

private:
    std::mutex mutex_;
    std::map<uint32_t, std::shared_ptr<T>> objects_;
    uint32_t next_;
};

HandleTable<OpenPhoto>& table()
{
    static HandleTable<OpenPhoto> t(0x45780000);  // any start; "Ex"
    return t;
}

HandleTable<Batch>& batches()
{
    static HandleTable<Batch> t(0x42610000);  // "Ba"
    return t;
}

template <typename F>
ExifStatus withPhoto(uint32_t h, F&& f)
{
    auto p = table().find(h);
    if (!p) return EXIF_ERR_HANDLE;
    std::lock_guard lock(p->mutex);
    return f(p->photo);
}

// The same for a set: a handle that only reads refuses it before its
// arguments are looked at, so that every set on it gives the same status.
template <typename F>
ExifStatus withWritablePhoto(uint32_t h, F&& f)
{
    return withPhoto(h, [&](exif::Photo& p) -> ExifStatus {
        if (p.readsOnly()) return EXIF_ERR_READ_ONLY_KIND;
        return f(p);
    });
}

// Why the last ExifPhotoOpen(W) of this thread refused its file (a fixed
// text), or null.
thread_local exif::Refusal lastRefusal = nullptr;

int32_t kindCode(exif::PhotoKind kind)
{
    switch (kind) {
    case exif::PhotoKind::jpeg: return EXIF_KIND_JPEG;
    case exif::PhotoKind::tiffRaw: return EXIF_KIND_TIFF_RAW;
    case exif::PhotoKind::cr3: return EXIF_KIND_CR3;
    case exif::PhotoKind::raf: return EXIF_KIND_RAF;
    case exif::PhotoKind::heif: return EXIF_KIND_HEIF;
    case exif::PhotoKind::avif: return EXIF_KIND_AVIF;
    case exif::PhotoKind::unknown: break;
    }
    return 0;
}

// Printable ASCII, from 1 to maxLength characters.
bool isPlainText(const char* text, std::size_t maxLength)
{
    if (text == nullptr) return false;
    std::size_t n = 0;
    for (; text[n] != 0; ++n)
        if (n >= maxLength || text[n] < 0x20 || text[n] > 0x7E) return false;
    return n > 0;
}

// Exactly the shape: a digit for each 'd', the other characters as they
// stand, then the NUL.
bool hasShape(const char* text, const char* shape)
{
    if (text == nullptr) return false;
    std::size_t i = 0;
    for (; shape[i] != 0; ++i) {
        const char c = text[i];
        const bool ok = shape[i] == 'd' ? (c >= '0' && c <= '9') : c == shape[i];
        if (!ok) return false;  // also stops at an early NUL
    }
    return text[i] == 0;
}

ExifStatus setRef(uint32_t h, const char* text, uint16_t t, char a, char b)
{
    if (text == nullptr || (text[0] != a && text[0] != b) || text[1] != 0) {
        return withWritablePhoto(h, [](exif::Photo&) -> ExifStatus { return EXIF_ERR_ARGUMENT; });
    }
    return withWritablePhoto(h, [&](exif::Photo& p) { return p.setText(IfdKind::gps, t, text); });
}

// What an export returns when its body throws (out of memory, in practice):
// the functions that open or read fail as a read does, those that set or
// close as a write does. Either way the photo's copy is as before the call.
constexpr ExifStatus kReadFailed = EXIF_ERR_OPEN;
constexpr ExifStatus kWriteFailed = EXIF_ERR_WRITE;

// The one guard at the export boundary, around the body of every export:
// no exception crosses into the caller; one that would becomes `failure`.
// Below it, every outcome travels as a status.
template <typename Body>
ExifStatus guarded(ExifStatus failure, Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

ExifStatus openPhoto(const exif::io::NativePath& path, uint32_t* handle)
{
    auto p = std::make_shared<OpenPhoto>();
    const ExifStatus status = p->photo.open(path);
    if (status != EXIF_OK) return status;
    *handle = table().add(std::move(p));
    return EXIF_OK;
}

ExifStatus openPhotoForReading(const exif::io::NativePath& path, uint32_t* handle)
{
    auto p = std::make_shared<OpenPhoto>();
    const ExifStatus status = p->photo.openForReading(path, lastRefusal);
    if (status != EXIF_OK) return status;
    *handle = table().add(std::move(p));
    return EXIF_OK;
}

// Grows the vector's room ahead of a push_back that then cannot fail.
template <typename T>
void makeRoomForOne(std::vector<T>& v)
{
    if (v.size() == v.capacity()) v.reserve(std::max<std::size_t>(16, 2 * v.size()));
}

// Puts the batch's staged photos in their places; their results are kept
// for ExifBatchGetResult. The caller holds the batch's lock.
void commitLocked(Batch& batch)
{
    // Room for every result before the first rename: none may get lost.
    batch.results.reserve(batch.results.size() + batch.staged.size());
    const std::vector<exif::io::Result> done = exif::io::commitStaged(batch.staged);
    for (std::size_t i = 0; i < done.size(); ++i)
        batch.results.emplace_back(batch.stagedHandles[i], exif::statusOf(done[i]));
    batch.stagedHandles.clear();
    batch.stagedBytes = 0;
}

// Stages the photo's new file in the batch; the photo's fate is known now
// when nothing is staged (nothing to write, or a failure), else at the
// batch's commit - which comes early when the batch holds as many open
// files as it may.
ExifStatus closeIntoBatch(uint32_t handle, exif::Photo& photo, Batch& batch)
{
    exif::io::StagedFile staged;
    const ExifStatus status = photo.stage(staged);
    std::lock_guard lock(batch.mutex);
    if (status != EXIF_OK || staged.empty()) {
        batch.results.emplace_back(handle, status);
        return status;
    }
    if (batch.staged.size() >= exif::io::stagedFilesAtMost()) commitLocked(batch);
    // Room first, so that the staged file and its handle go in together.
    makeRoomForOne(batch.staged);
    makeRoomForOne(batch.stagedHandles);
    batch.stagedBytes += staged.size();
    batch.staged.push_back(std::move(staged));
    batch.stagedHandles.push_back(handle);
    return EXIF_OK;
}

}  // namespace

extern "C" {

ExifStatus ExifFileOpen(const char* path, uint32_t* handle)
{
    return guarded(kReadFailed, [&]() -> ExifStatus {
        if (handle != nullptr) *handle = 0;
        if (path == nullptr || handle == nullptr || path[0] == 0) return EXIF_ERR_ARGUMENT;
        exif::io::NativePath native;
        if (!exif::io::toNativePath(path, native)) return EXIF_ERR_OPEN;
        return openPhoto(native, handle);
    });
}

#ifdef _WIN32
ExifStatus ExifFileOpenW(const wchar_t* path, uint32_t* handle)
{
    return guarded(kReadFailed, [&]() -> ExifStatus {
        if (handle != nullptr) *handle = 0;
        if (path == nullptr || handle == nullptr || path[0] == 0) return EXIF_ERR_ARGUMENT;
        return openPhoto(path, handle);
    });
}
#endif

ExifStatus ExifPhotoOpen(const char* path, uint32_t* handle)
{
    return guarded(kReadFailed, [&]() -> ExifStatus {
        lastRefusal = nullptr;
        if (handle != nullptr) *handle = 0;
        if (path == nullptr || handle == nullptr || path[0] == 0) return EXIF_ERR_ARGUMENT;
        exif::io::NativePath native;
        if (!exif::io::toNativePath(path, native)) return EXIF_ERR_OPEN;
        return openPhotoForReading(native, handle);
    });
}

#ifdef _WIN32
ExifStatus ExifPhotoOpenW(const wchar_t* path, uint32_t* handle)
{
    return guarded(kReadFailed, [&]() -> ExifStatus {
        lastRefusal = nullptr;
        if (handle != nullptr) *handle = 0;
        if (path == nullptr || handle == nullptr || path[0] == 0) return EXIF_ERR_ARGUMENT;
        return openPhotoForReading(path, handle);
    });
}
#endif

ExifStatus ExifGetOpenRefusal(int size, char* out)
{
    return guarded(kReadFailed, [&]() -> ExifStatus {
        if (out == nullptr || size <= 0) return EXIF_ERR_ARGUMENT;
        std::memset(out, 0, static_cast<std::size_t>(size));
        if (lastRefusal == nullptr) return EXIF_ERR_NOT_FOUND;
        std::strncpy(out, lastRefusal, static_cast<std::size_t>(size) - 1);
        return EXIF_OK;
    });
}

ExifStatus ExifGetPhotoKind(uint32_t h, int32_t* kind)
{
    return guarded(kReadFailed, [&]() -> ExifStatus {
        if (kind == nullptr) return EXIF_ERR_ARGUMENT;
        *kind = 0;
        return withPhoto(h, [&](exif::Photo& p) {
            *kind = kindCode(p.kind());
            return EXIF_OK;
        });
    });
}

ExifStatus ExifGetPreview(uint32_t h, uint64_t* offset, uint64_t* length)
{
    return guarded(kReadFailed, [&]() -> ExifStatus {
        if (offset == nullptr || length == nullptr) return EXIF_ERR_ARGUMENT;
        *offset = *length = 0;
        return withPhoto(h, [&](exif::Photo& p) { return p.getPreview(*offset, *length); });
    });
}

ExifStatus ExifGetXmpPacket(uint32_t h, uint32_t size, char* out, uint32_t* length)
{
    return guarded(kReadFailed, [&]() -> ExifStatus {
        if (length == nullptr || (out == nullptr && size > 0)) return EXIF_ERR_ARGUMENT;
        *length = 0;
        std::vector<uint8_t> packet;
        const ExifStatus s = withPhoto(h, [&](exif::Photo& p) { return p.getXmpPacket(packet); });
        if (s != EXIF_OK) return s;
        *length = static_cast<uint32_t>(packet.size());  // within one segment's bound
        if (packet.size() > size) return EXIF_ERR_ARGUMENT;
        std::copy(packet.begin(), packet.end(), out);
        return EXIF_OK;
    });
}

ExifStatus ExifSetXmpPacket(uint32_t h, const char* packet, uint32_t length)
{
    return guarded(kWriteFailed, [&]() -> ExifStatus {
        if (packet == nullptr) return EXIF_ERR_ARGUMENT;
        return withWritablePhoto(h, [&](exif::Photo& p) {
            return p.setXmpPacket(std::vector<uint8_t>(packet, packet + length));
        });
    });
}

ExifStatus ExifFileClose(uint32_t handle)
{
    return guarded(kWriteFailed, [&]() -> ExifStatus {
        auto p = table().remove(handle);
        if (!p) return EXIF_ERR_HANDLE;
        std::lock_guard lock(p->mutex);
        auto batch = p->batch != 0 ? batches().find(p->batch) : nullptr;
        if (!batch) return p->photo.commit();  // alone, or its batch has ended
        return closeIntoBatch(handle, p->photo, *batch);
    });
}

ExifStatus ExifBatchBegin(uint32_t* batch)
{
    return guarded(kWriteFailed, [&]() -> ExifStatus {
        if (batch == nullptr) return EXIF_ERR_ARGUMENT;
        *batch = 0;
        *batch = batches().add(std::make_shared<Batch>());
        return EXIF_OK;
    });
}

ExifStatus ExifBatchAdd(uint32_t batch, uint32_t handle)
{
    return guarded(kWriteFailed, [&]() -> ExifStatus {
        if (!batches().find(batch)) return EXIF_ERR_HANDLE;
        auto p = table().find(handle);
        if (!p) return EXIF_ERR_HANDLE;
        std::lock_guard lock(p->mutex);
        p->batch = batch;
        return EXIF_OK;
    });
}

ExifStatus ExifBatchGetStaged(uint32_t batch, uint32_t* photos, uint64_t* bytes)
{
    return guarded(kReadFailed, [&]() -> ExifStatus {
        if (photos == nullptr || bytes == nullptr) return EXIF_ERR_ARGUMENT;
        *photos = 0;
        *bytes = 0;
        auto b = batches().find(batch);
        if (!b) return EXIF_ERR_HANDLE;
        std::lock_guard lock(b->mutex);
        *photos = static_cast<uint32_t>(b->staged.size());
        *bytes = b->stagedBytes;
        return EXIF_OK;
    });
}

ExifStatus ExifBatchCommit(uint32_t batch)
{
    return guarded(kWriteFailed, [&]() -> ExifStatus {
        auto b = batches().find(batch);
        if (!b) return EXIF_ERR_HANDLE;
        std::lock_guard lock(b->mutex);
        commitLocked(*b);
        return EXIF_OK;
    });
}

ExifStatus ExifBatchGetResult(uint32_t batch, uint32_t handle, ExifStatus* status)
{
    return guarded(kReadFailed, [&]() -> ExifStatus {
        if (status == nullptr) return EXIF_ERR_ARGUMENT;
        *status = EXIF_ERR_HANDLE;
        auto b = batches().find(batch);
        if (!b) return EXIF_ERR_HANDLE;
        std::lock_guard lock(b->mutex);
        for (const auto& [h, s] : b->results)
            if (h == handle) {
                *status = s;
                return EXIF_OK;
            }
        return EXIF_ERR_HANDLE;  // not closed into this batch, or still waiting for its commit
    });
}

ExifStatus ExifBatchEnd(uint32_t batch)
{
    return guarded(kWriteFailed, [&]() -> ExifStatus {
        auto b = batches().remove(batch);
        if (!b) return EXIF_ERR_HANDLE;
        std::lock_guard lock(b->mutex);
        b->staged.clear();  // never committed: their new files go, the photos stay as they were
        return EXIF_OK;
    });
}

ExifStatus ExifGetExifVersion(uint32_t h, char out[4])
{
    return guarded(kReadFailed, [&]() -> ExifStatus {
        if (out == nullptr) return EXIF_ERR_ARGUMENT;
        std::memset(out, 0, 4);
        return withPhoto(h, [&](exif::Photo& p) { return p.getExifVersion(out); });
    });
}

ExifStatus ExifGetDateTimeOriginal(uint32_t h, char out[20])
{
    return guarded(kReadFailed, [&]() -> ExifStatus {
        if (out == nullptr) return EXIF_ERR_ARGUMENT;
        std::memset(out, 0, 20);
        return withPhoto(h, [&](exif::Photo& p) { return p.getDateTimeOriginal(out); });
    });
}

ExifStatus ExifGetOffsetTimeOriginal(uint32_t h, char out[8])
{
    return guarded(kReadFailed, [&]() -> ExifStatus {
        if (out == nullptr) return EXIF_ERR_ARGUMENT;
        std::memset(out, 0, 8);
        return withPhoto(h, [&](exif::Photo& p) { return p.getOffsetTimeOriginal(out); });
    });
}

// The camera's own texts, truncated to size - 1 characters.
#define EXIF_SIZED_TEXT_GETTER(name, ifd, tagName)                                                    \
    ExifStatus name(uint32_t h, int size, char* out)                                                  \
    {                                                                                                 \
        return guarded(kReadFailed, [&]() -> ExifStatus {                                             \
            if (out == nullptr || size <= 0) return EXIF_ERR_ARGUMENT;                                \
            std::memset(out, 0, static_cast<std::size_t>(size));                                      \
            return withPhoto(h, [&](exif::Photo& p) {                                                 \
                return p.getText(ifd, tagName, out, static_cast<std::size_t>(size));                  \
            });                                                                                       \
        });                                                                                           \
    }
EXIF_SIZED_TEXT_GETTER(ExifGetMake, IfdKind::ifd0, tag::make)
EXIF_SIZED_TEXT_GETTER(ExifGetModel, IfdKind::ifd0, tag::model)
#undef EXIF_SIZED_TEXT_GETTER

// A sized get of the photo's own making (not one tag as stored).
#define EXIF_SIZED_PHOTO_GETTER(name, member)                                                          \
    ExifStatus name(uint32_t h, int size, char* out)                                                  \
    {                                                                                                 \
        return guarded(kReadFailed, [&]() -> ExifStatus {                                             \
            if (out == nullptr || size <= 0) return EXIF_ERR_ARGUMENT;                                \
            std::memset(out, 0, static_cast<std::size_t>(size));                                      \
            return withPhoto(h, [&](exif::Photo& p) { return p.member(out, static_cast<std::size_t>(size)); }); \
        });                                                                                           \
    }
EXIF_SIZED_PHOTO_GETTER(ExifGetBodySerialNumber, getBodySerialNumber)
EXIF_SIZED_PHOTO_GETTER(ExifGetSubSecTimeOriginal, getSubSecTimeOriginal)
#undef EXIF_SIZED_PHOTO_GETTER

ExifStatus ExifGetGPSVersion(uint32_t h, unsigned char out[4])
{
    return guarded(kReadFailed, [&]() -> ExifStatus {
        if (out == nullptr) return EXIF_ERR_ARGUMENT;
        std::memset(out, 0, 4);
        return withPhoto(h, [&](exif::Photo& p) {
            return p.getBytes(IfdKind::gps, tag::gpsVersion, {exif::tByte}, 4, out);
        });
    });
}

#define EXIF_TEXT_GETTER(name, tagName)                                                              \
    ExifStatus name(uint32_t h, char out[4])                                                         \
    {                                                                                                \
        return guarded(kReadFailed, [&]() -> ExifStatus {                                            \
            if (out == nullptr) return EXIF_ERR_ARGUMENT;                                            \
            std::memset(out, 0, 4);                                                                  \
            return withPhoto(h, [&](exif::Photo& p) { return p.getText(IfdKind::gps, tagName, out, 4); }); \
        });                                                                                          \
    }
EXIF_TEXT_GETTER(ExifGetGPSLatitudeRef, tag::gpsLatitudeRef)
EXIF_TEXT_GETTER(ExifGetGPSLongitudeRef, tag::gpsLongitudeRef)
EXIF_TEXT_GETTER(ExifGetGPSStatus, tag::gpsStatus)
#undef EXIF_TEXT_GETTER

#define EXIF_RATIONAL_GETTER(name, tagName)                                                           \
    ExifStatus name(uint32_t h, uint32_t out[6])                                                      \
    {                                                                                                 \
        return guarded(kReadFailed, [&]() -> ExifStatus {                                             \
            if (out == nullptr) return EXIF_ERR_ARGUMENT;                                             \
            std::memset(out, 0, 6 * sizeof(uint32_t));                                                \
            return withPhoto(h, [&](exif::Photo& p) { return p.getRationals(IfdKind::gps, tagName, out); }); \
        });                                                                                           \
    }
EXIF_RATIONAL_GETTER(ExifGetGPSLatitude, tag::gpsLatitude)
EXIF_RATIONAL_GETTER(ExifGetGPSLongitude, tag::gpsLongitude)
EXIF_RATIONAL_GETTER(ExifGetGPSTimeStamp, tag::gpsTimeStamp)
#undef EXIF_RATIONAL_GETTER

ExifStatus ExifGetGPSMapDatum(uint32_t h, int size, char* out)
{
    return guarded(kReadFailed, [&]() -> ExifStatus {
        if (out == nullptr || size <= 0) return EXIF_ERR_ARGUMENT;
        std::memset(out, 0, static_cast<std::size_t>(size));
        return withPhoto(h, [&](exif::Photo& p) {
            return p.getText(IfdKind::gps, tag::gpsMapDatum, out, static_cast<std::size_t>(size));
        });
    });
}

ExifStatus ExifSetGPSVersion(uint32_t h, const unsigned char in[4])
{
    return guarded(kWriteFailed, [&] {
        return withWritablePhoto(h, [&](exif::Photo& p) -> ExifStatus {
            if (in == nullptr) return EXIF_ERR_ARGUMENT;
            return p.setGpsVersion(in);
        });
    });
}

ExifStatus ExifSetGPSLatitudeRef(uint32_t h, const char* text)
{
    return guarded(kWriteFailed, [&] { return setRef(h, text, tag::gpsLatitudeRef, 'N', 'S'); });
}

ExifStatus ExifSetGPSLongitudeRef(uint32_t h, const char* text)
{
    return guarded(kWriteFailed, [&] { return setRef(h, text, tag::gpsLongitudeRef, 'E', 'W'); });
}

#define EXIF_RATIONAL_SETTER(name, tagName)                                     \
    ExifStatus name(uint32_t h, const uint32_t in[6])                           \
    {                                                                           \
        return guarded(kWriteFailed, [&] {                                      \
            return withWritablePhoto(h, [&](exif::Photo& p) -> ExifStatus {             \
                if (in == nullptr) return EXIF_ERR_ARGUMENT;                    \
                return p.setRationals(IfdKind::gps, tagName, in);               \
            });                                                                 \
        });                                                                     \
    }
EXIF_RATIONAL_SETTER(ExifSetGPSLatitude, tag::gpsLatitude)
EXIF_RATIONAL_SETTER(ExifSetGPSLongitude, tag::gpsLongitude)
EXIF_RATIONAL_SETTER(ExifSetGPSTimeStamp, tag::gpsTimeStamp)
#undef EXIF_RATIONAL_SETTER

ExifStatus ExifSetGPSStatus(uint32_t h, const char* text)
{
    return guarded(kWriteFailed, [&] {
        return withWritablePhoto(h, [&](exif::Photo& p) -> ExifStatus {
            if (!isPlainText(text, 31)) return EXIF_ERR_ARGUMENT;
            return p.setText(IfdKind::gps, tag::gpsStatus, text);
        });
    });
}

ExifStatus ExifSetGPSMapDatum(uint32_t h, const char* text)
{
    return guarded(kWriteFailed, [&] {
        return withWritablePhoto(h, [&](exif::Photo& p) -> ExifStatus {
            if (!isPlainText(text, 255)) return EXIF_ERR_ARGUMENT;
            return p.setText(IfdKind::gps, tag::gpsMapDatum, text);
        });
    });
}

ExifStatus ExifUpdateGPSDateStamp(uint32_t h, const char* text)
{
    return guarded(kWriteFailed, [&] {
        return withWritablePhoto(h, [&](exif::Photo& p) -> ExifStatus {
            if (!hasShape(text, "dddd:dd:dd")) return EXIF_ERR_ARGUMENT;
            return p.updateGpsDateStamp(text);
        });
    });
}

ExifStatus ExifSetDateTimeOriginal(uint32_t h, const char* text)
{
    return guarded(kWriteFailed, [&] {
        return withWritablePhoto(h, [&](exif::Photo& p) -> ExifStatus {
            if (!hasShape(text, "dddd:dd:dd dd:dd:dd")) return EXIF_ERR_ARGUMENT;
            return p.setText(IfdKind::exif, tag::dateTimeOriginal, text);
        });
    });
}

}  // extern "C"
