#include "file_source.h"

#include <algorithm>
#include <utility>

namespace exif {

FileSource::FileSource(std::vector<uint8_t> whole) : head_(std::move(whole)), size_(head_.size()) {}

FileSource::FileSource(std::vector<uint8_t> head, uint64_t size, ReadAt readAt)
    : head_(std::move(head)), size_(size), readAt_(std::move(readAt))
{
    if (head_.size() > size_) head_.resize(static_cast<std::size_t>(size_));
}

bool FileSource::extendHead(uint64_t length)
{
    length = std::min(length, size_);
    if (length <= head_.size()) return true;
    std::vector<uint8_t> more;
    const uint64_t from = head_.size();
    if (!readAt_ || !readAt_(from, static_cast<std::size_t>(length - from), more) || more.size() != length - from) {
        failed_ = true;
        return false;
    }
    head_.reserve(static_cast<std::size_t>(length));  // one allocation of the size wanted, not a doubling
    head_.insert(head_.end(), more.begin(), more.end());
    return true;
}

std::vector<uint8_t> FileSource::takeHead()
{
    return std::exchange(head_, {});
}

bool FileSource::read(uint64_t offset, uint64_t count, std::vector<uint8_t>& out)
{
    out.clear();
    if (!contains(offset, count) || count > kMaxRead) return false;
    if (offset + count <= head_.size()) {
        const auto first = head_.begin() + static_cast<std::ptrdiff_t>(offset);
        out.assign(first, first + static_cast<std::ptrdiff_t>(count));
        return true;
    }
    if (!readAt_ || !readAt_(offset, static_cast<std::size_t>(count), out) || out.size() != count) {
        out.clear();
        failed_ = true;
        return false;
    }
    return true;
}

}  // namespace exif
