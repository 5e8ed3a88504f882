#pragma once
// What the library needs of the file system: read a whole file, and replace
// files safely, one or a batch at a time. One implementation per system (file_io_posix.cpp,
// file_io_windows.cpp); the rest of the library is portable.
//
// The rule for read-only photos, the same in both builds: a photo that is
// itself marked read-only (the read-only attribute on Windows, no write
// permission bit on Linux - for an administrator too) is never written. A
// folder is only asked whether it takes a new file: on Windows a folder's
// read-only attribute marks a customised folder and does not protect its
// files, so neither build looks at it; a folder where the system refuses to
// create a file (permissions, a read-only medium) refuses the write before
// the photo is touched.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace exif::io {

#ifdef _WIN32
using NativePath = std::wstring;  // UTF-16, as the wide Win32 functions take it
#else
using NativePath = std::string;  // the bytes of the name, UTF-8
#endif

// A narrow path as callers of ExifFileOpen give it (the ANSI code page on
// Windows, UTF-8 elsewhere) as a native one; false when it does not convert
// exactly.
bool toNativePath(const std::string& narrow, NativePath& out);

enum class Result {
    ok,
    openFailed,      // missing, not a regular file, too big, unreadable
    readOnly,        // the photo itself is marked read-only
    folderReadOnly,  // its folder does not take a new file
    diskFull,        // no room on the disk, or the process may write no bigger file
    inUse,           // another program holds the photo, or another write of it is running
    changed,         // the photo changed on disk since it was read
    writeFailed,     // any other failure of the write
};

// Enough to tell whether the file changed on disk since it was read: its
// size and time, and which file it is (a replaced file is another one).
struct Identity {
    uint64_t size = 0;
    int64_t modified = 0;
    uint64_t volume = 0;
    uint64_t fileId = 0;
    bool operator==(const Identity&) const = default;
};

struct Snapshot {
    std::vector<uint8_t> bytes;  // the whole file, or its start
    Identity identity;
    bool readOnly = false;        // the photo is marked read-only
    bool folderReadOnly = false;  // its folder is known not to take a new file
    bool whole() const { return bytes.size() == identity.size; }
};

// Files larger than this are not photos we handle.
constexpr uint64_t kMaxFileSize = 512ull * 1024 * 1024;

// Room a whole file's bytes are read with beyond its size: as much as one
// JPEG segment can grow.
constexpr std::size_t kSegmentGrowth = 64 * 1024;

// Reads the start of a file in chunks of this size, as far as wanted.
constexpr std::size_t kReadChunk = 64 * 1024;
// Told the bytes read so far and the file's size, answers whether to read on.
using ReadMore = std::function<bool(const std::vector<uint8_t>& bytes, uint64_t fileSize)>;

// Reads a file from its start, chunk by chunk while `more` says so (all of
// it when `more` is empty), with one open. Anything but a regular file (a
// folder, a pipe, a device) is refused without blocking.
Result readFile(const NativePath& path, Snapshot& out, const ReadMore& more = {});

// A photo's new content: `head`, then the old file's bytes from `oldFrom` to
// its end, unchanged (the image data after the Exif segment): `tailSize`
// bytes, which `tail` holds where they were read (else it is empty). Where
// the system can, the tail is copied from the old file inside the file
// system (where it shares blocks between files, not even read and written
// again); elsewhere it is written from `tail`, or copied in large blocks.
struct NewContent {
    std::span<const uint8_t> head;
    uint64_t oldFrom = 0;
    uint64_t tailSize = 0;
    std::span<const uint8_t> tail;
    uint64_t size() const { return head.size() + tailSize; }
};

// A photo's new file, written beside it under its temporary name and not yet
// flushed or renamed. One that goes without being committed takes its file
// with it: the photo stays as it was.
class StagedFile {
public:
    struct Impl;  // each system's own
    StagedFile();
    StagedFile(std::unique_ptr<Impl> impl, uint64_t size);
    StagedFile(StagedFile&&) noexcept;
    StagedFile& operator=(StagedFile&&) noexcept;
    ~StagedFile();
    bool empty() const { return !impl_; }
    uint64_t size() const { return size_; }  // of the new file
    Impl& impl() { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
    uint64_t size_ = 0;
};

// Checks the photo - unchanged since `expected` was taken, not marked
// read-only, its folder taking a new file - and writes `content` to its
// temporary file, which `out` then holds. The new file takes the photo's
// permissions (Linux) or attributes, creation time and explicit security
// (Windows). On failure nothing is left: no temporary file, the photo
// untouched.
//
// The temporary file has a short name of fixed length made from the photo's
// name, so that any photo name that fits the folder can be written, and so
// that a temporary file left by a killed write is found by the next write of
// the same photo and removed - only when no write holds it and it is older
// than any write that could still be starting.
Result stageFile(const NativePath& path, const Identity& expected, const NewContent& content, StagedFile& out);

// Puts staged files in their photos' places, so that each photo's name holds
// at every instant either the whole old or the whole new file: first every
// new file is made durable (Linux: together, one pass over all of them;
// Windows: each its own flush), then each photo is checked once more - a
// photo another program changed meanwhile keeps that change - and the new
// file renamed over it in one step, and last each folder's renames are made
// durable, once a folder. Returns the fate of each staged file, in order;
// `staged` is emptied (the new files not renamed are removed).
std::vector<Result> commitStaged(std::vector<StagedFile>& staged);

// How many staged files a batch may hold at once: each keeps its file open
// (half of what the process may have open on Linux, at most 1024).
std::size_t stagedFilesAtMost();

// Reads the last `count` bytes of a file (all of it when it is shorter),
// when it is still the file of `expected` (else `changed`).
Result readEnd(const NativePath& path, const Identity& expected, std::size_t count, std::vector<uint8_t>& out);

// Reads `count` bytes from `offset` of a file, when it is still the file of
// `expected` (else `changed`) and they lie inside it (else `openFailed`).
Result readAt(const NativePath& path, const Identity& expected, uint64_t offset, std::size_t count,
              std::vector<uint8_t>& out);

// Removes the temporary file a killed write of this photo left, if any (as
// stageFile does before it writes): for a write that found nothing to
// change.
void removeLeftoverFor(const NativePath& path);

// The fixed-length part of the temporary file's name for a photo whose file
// name has these bytes: "vg-", sixteen hexadecimal digits of a hash of the
// name, ".tmp". Each system puts its mark of a hidden file before it.
std::string temporaryNameStem(const void* name, std::size_t size);

// How old a temporary file without a write holding it must be before it is
// taken for a leftover: a write that is just starting has not locked its new
// file yet.
constexpr int kLeftoverAgeSeconds = 2;

}  // namespace exif::io
