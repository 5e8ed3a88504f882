#pragma once
// What the library needs of the file system: read a whole file, and replace
// it safely. One implementation per system (file_io_posix.cpp,
// file_io_windows.cpp); the rest of the library is portable.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace exif::io {

enum class Result { ok, openFailed, readOnly, writeFailed };

// Enough to tell whether the file changed on disk since it was read.
struct Identity {
    uint64_t size = 0;
    int64_t modified = 0;
    bool operator==(const Identity&) const = default;
};

struct Snapshot {
    std::vector<uint8_t> bytes;  // the whole file, or its start
    Identity identity;
    bool readOnly = false;  // the file or its folder cannot be written
    bool whole() const { return bytes.size() == identity.size; }
};

// Files larger than this are not photos we handle.
constexpr uint64_t kMaxFileSize = 512ull * 1024 * 1024;

// Reads the start of a file in chunks of this size, as far as wanted.
constexpr std::size_t kReadChunk = 64 * 1024;
// Told the bytes read so far and the file's size, answers whether to read on.
using ReadMore = std::function<bool(const std::vector<uint8_t>& bytes, uint64_t fileSize)>;

// Reads a file from its start, chunk by chunk while `more` says so (all of
// it when `more` is empty), with one open.
// path: ANSI code page text on Windows, UTF-8 elsewhere.
Result readFile(const std::string& path, Snapshot& out, const ReadMore& more = {});

// Writes `bytes` to a new file with a unique name in the file's folder,
// flushes it to disk and swaps it in for the file in one step. Refuses a
// read-only file or folder before creating anything, and a file that changed
// since `expected` was taken. On failure the temporary file is removed and
// the original is untouched.
Result replaceFile(const std::string& path, const Identity& expected, const std::vector<uint8_t>& bytes);

}  // namespace exif::io
