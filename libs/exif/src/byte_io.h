#pragma once
// The one bounds-checked reader and writer of TIFF data, for both byte
// orders; the host's byte order is never consulted. Every position is a
// 64-bit number, so "offset + size" read from a file cannot wrap.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace exif {

enum class ByteOrder { little, big };

// Reads numbers out of a byte range. A read out of range gives false and
// leaves the value 0.
class ByteReader {
public:
    ByteReader(const uint8_t* data, std::size_t size, ByteOrder order)
        : data_(data), size_(size), order_(order) {}

    std::size_t size() const { return size_; }
    ByteOrder order() const { return order_; }
    const uint8_t* data() const { return data_; }

    bool contains(uint64_t pos, uint64_t length) const
    {
        return pos <= size_ && length <= size_ - pos;
    }
    bool u8(uint64_t pos, uint8_t& out) const
    {
        out = 0;
        if (!contains(pos, 1)) return false;
        out = data_[pos];
        return true;
    }
    bool u16(uint64_t pos, uint16_t& out) const
    {
        out = 0;
        if (!contains(pos, 2)) return false;
        const uint8_t* p = data_ + pos;
        out = order_ == ByteOrder::little ? static_cast<uint16_t>(p[0] | (p[1] << 8))
                                          : static_cast<uint16_t>((p[0] << 8) | p[1]);
        return true;
    }
    bool u32(uint64_t pos, uint32_t& out) const
    {
        out = 0;
        if (!contains(pos, 4)) return false;
        const uint8_t* p = data_ + pos;
        if (order_ == ByteOrder::little)
            out = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
        else
            out = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
        return true;
    }
    bool u64(uint64_t pos, uint64_t& out) const
    {
        out = 0;
        uint32_t first = 0, second = 0;
        if (!contains(pos, 8)) return false;
        u32(pos, first);
        u32(pos + 4, second);
        out = order_ == ByteOrder::little ? (uint64_t(second) << 32) | first : (uint64_t(first) << 32) | second;
        return true;
    }

private:
    const uint8_t* data_;
    std::size_t size_;
    ByteOrder order_;
};

// Writes numbers into a byte vector at a position, growing it when the
// position is its end or beyond (the gap is zero-filled).
class ByteWriter {
public:
    ByteWriter(std::vector<uint8_t>& bytes, ByteOrder order) : bytes_(bytes), order_(order) {}

    void u8(std::size_t pos, uint8_t v) { ensure(pos, 1); bytes_[pos] = v; }
    void u16(std::size_t pos, uint16_t v)
    {
        ensure(pos, 2);
        if (order_ == ByteOrder::little) {
            bytes_[pos] = uint8_t(v);
            bytes_[pos + 1] = uint8_t(v >> 8);
        } else {
            bytes_[pos] = uint8_t(v >> 8);
            bytes_[pos + 1] = uint8_t(v);
        }
    }
    void u32(std::size_t pos, uint32_t v)
    {
        ensure(pos, 4);
        for (int i = 0; i < 4; ++i) {
            const int shift = order_ == ByteOrder::little ? 8 * i : 8 * (3 - i);
            bytes_[pos + i] = uint8_t(v >> shift);
        }
    }
    void raw(std::size_t pos, const uint8_t* data, std::size_t n)
    {
        ensure(pos, n);
        for (std::size_t i = 0; i < n; ++i) bytes_[pos + i] = data[i];
    }

private:
    void ensure(std::size_t pos, std::size_t n)
    {
        if (bytes_.size() < pos + n) bytes_.resize(pos + n, 0);
    }
    std::vector<uint8_t>& bytes_;
    ByteOrder order_;
};

}  // namespace exif
