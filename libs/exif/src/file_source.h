#pragma once
// The bytes of a photo file that is not a JPEG, read where its structure
// points: the file's first bytes are kept in memory, anything else is read
// from the file when a reader asks for it. Every range asked for is checked
// against the file's size first, so that no reader reads past the end; in
// memory (the fuzz targets) the bytes are the whole file.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace exif {

class FileSource {
public:
    // Reads `count` bytes at `offset` (inside the file: checked before) into
    // `out`; false when the file cannot be read or changed since it was opened.
    using ReadAt = std::function<bool(uint64_t offset, std::size_t count, std::vector<uint8_t>& out)>;

    // The most one read may ask for, so that no length read from a file
    // makes a huge allocation. The head may grow larger (extendHead).
    static constexpr uint64_t kMaxRead = 64 * 1024 * 1024;

    // The whole file, in memory.
    explicit FileSource(std::vector<uint8_t> whole);
    // A file of `size` bytes whose first bytes are `head`; the rest is read
    // through `readAt`.
    FileSource(std::vector<uint8_t> head, uint64_t size, ReadAt readAt);

    uint64_t size() const { return size_; }
    const std::vector<uint8_t>& head() const { return head_; }
    // Makes head() hold at least the first `length` bytes (all of the file
    // where it is shorter); false when they cannot be read.
    bool extendHead(uint64_t length);
    // Hands the head's bytes over; the source holds none after.
    std::vector<uint8_t> takeHead();

    bool contains(uint64_t offset, uint64_t count) const { return offset <= size_ && count <= size_ - offset; }
    // [offset, offset + count) of the file; false when not all of it lies in
    // the file, when it is more than kMaxRead, or when it cannot be read.
    bool read(uint64_t offset, uint64_t count, std::vector<uint8_t>& out);
    // Whether a read inside the file failed: the file could not be read or
    // changed meanwhile. A reader's refusal then says nothing of the file.
    bool failed() const { return failed_; }

private:
    std::vector<uint8_t> head_;
    uint64_t size_ = 0;
    ReadAt readAt_;
    bool failed_ = false;
};

}  // namespace exif
