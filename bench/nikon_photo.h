#pragma once
// A photo laid out as an older Nikon SLR writes it: Motorola byte order,
// IFD0, the Exif directory with a maker note (its own TIFF header, offsets
// counted from it) and an interoperability directory, IFD1 with a JPEG
// thumbnail, then the image data; about 44 KB in all. The benchmarks use it
// beside the demo photo, whose layout (Intel order, no maker note, no
// thumbnail) is the simplest there is.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "demo_photo.h"

namespace bench {

namespace nikon_detail {

using Bytes = std::vector<unsigned char>;

enum : std::uint16_t { kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kUndefined = 7, kSRational = 10 };

inline void put16(Bytes& out, std::uint32_t v)
{
    out.push_back(static_cast<unsigned char>(v >> 8));
    out.push_back(static_cast<unsigned char>(v));
}
inline void put32(Bytes& out, std::uint32_t v)
{
    put16(out, v >> 16);
    put16(out, v & 0xFFFF);
}
inline void patch32(Bytes& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

struct Entry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    Bytes value;        // big-endian; a long pointer's value is patched
    int pointsTo = -1;  // the directory (index) or kThumbnail whose offset it holds
};
constexpr int kThumbnail = 1000;

inline Entry ascii(std::uint16_t tag, const std::string& text)
{
    Bytes value(text.begin(), text.end());
    value.push_back(0);
    return {tag, kAscii, static_cast<std::uint32_t>(value.size()), value};
}
inline Entry shorts(std::uint16_t tag, std::vector<std::uint16_t> values)
{
    Bytes value;
    for (auto v : values)
        put16(value, v);
    return {tag, kShort, static_cast<std::uint32_t>(values.size()), value};
}
inline Entry longValue(std::uint16_t tag, std::uint32_t v, int pointsTo = -1)
{
    Bytes value;
    put32(value, v);
    return {tag, kLong, 1, value, pointsTo};
}
inline Entry rational(std::uint16_t tag, std::uint32_t numerator, std::uint32_t denominator,
                      std::uint16_t type = kRational)
{
    Bytes value;
    put32(value, numerator);
    put32(value, denominator);
    return {tag, type, 1, value};
}
inline Entry undefined(std::uint16_t tag, const Bytes& value)
{
    return {tag, kUndefined, static_cast<std::uint32_t>(value.size()), value};
}

// Directories in file order, each followed by its values; `links[i]` is the
// directory that directory i's next-IFD field names (-1: none). Offsets
// count from the start of `out`, the TIFF header being at `base`.
inline void layOut(Bytes& out, std::size_t base, const std::vector<std::vector<Entry>>& ifds,
                   const std::vector<int>& links, const Bytes& thumbnail)
{
    std::vector<std::uint32_t> at(ifds.size());
    std::vector<std::vector<std::size_t>> pointerFields(ifds.size());
    std::vector<std::size_t> nextFields(ifds.size());
    for (std::size_t i = 0; i < ifds.size(); ++i) {
        at[i] = static_cast<std::uint32_t>(out.size() - base);
        const auto& entries = ifds[i];
        std::size_t values = out.size() + 2 + 12 * entries.size() + 4;
        Bytes outOfLine;
        put16(out, static_cast<std::uint32_t>(entries.size()));
        for (const Entry& entry : entries) {
            put16(out, entry.tag);
            put16(out, entry.type);
            put32(out, entry.count);
            pointerFields[i].push_back(out.size());
            if (entry.value.size() <= 4) {
                Bytes inline4 = entry.value;
                inline4.resize(4, 0);
                out.insert(out.end(), inline4.begin(), inline4.end());
            } else {
                put32(out, static_cast<std::uint32_t>(values + outOfLine.size() - base));
                outOfLine.insert(outOfLine.end(), entry.value.begin(), entry.value.end());
                if (outOfLine.size() % 2)
                    outOfLine.push_back(0);
            }
        }
        nextFields[i] = out.size();
        put32(out, 0);
        out.insert(out.end(), outOfLine.begin(), outOfLine.end());
    }
    const auto thumbnailAt = static_cast<std::uint32_t>(out.size() - base);
    out.insert(out.end(), thumbnail.begin(), thumbnail.end());
    for (std::size_t i = 0; i < ifds.size(); ++i) {
        if (links[i] >= 0)
            patch32(out, nextFields[i], at[static_cast<std::size_t>(links[i])]);
        for (std::size_t e = 0; e < ifds[i].size(); ++e) {
            const int target = ifds[i][e].pointsTo;
            if (target == kThumbnail)
                patch32(out, pointerFields[i][e], thumbnailAt);
            else if (target >= 0)
                patch32(out, pointerFields[i][e], at[static_cast<std::size_t>(target)]);
        }
    }
}

// The maker note: "Nikon", its version, then a TIFF of its own.
inline Bytes makerNote()
{
    Bytes note = {'N', 'i', 'k', 'o', 'n', 0, 0x02, 0x10, 0x00, 0x00, 'M', 'M', 0x00, 0x2A, 0, 0, 0, 8};
    const std::vector<Entry> entries = {
        undefined(0x0001, {'0', '2', '1', '0'}), shorts(0x0002, {0, 200}),
        ascii(0x0003, "COLOR"),                  ascii(0x0004, "NORMAL "),
        ascii(0x0005, "AUTO        "),           ascii(0x0006, "AUTO  "),
        ascii(0x0007, "AF-S  "),                 ascii(0x0008, "NORMAL      "),
    };
    layOut(note, 10, {entries}, {-1}, {});
    return note;
}

// The demo picture without its Exif segment, as a thumbnail.
inline Bytes thumbnailJpeg()
{
    const auto demo = demo_photo::makeDemoJpeg("2008:10:15 09:00:30");
    const std::size_t app1Length = (static_cast<std::size_t>(demo[4]) << 8) | demo[5];
    Bytes thumbnail = {0xFF, 0xD8};
    thumbnail.insert(thumbnail.end(), demo.begin() + 4 + static_cast<std::ptrdiff_t>(app1Length), demo.end());
    return thumbnail;
}

inline Bytes tiffBlock(const std::string& shootingTime)
{
    const Bytes thumbnail = thumbnailJpeg();
    const std::vector<Entry> ifd0 = {
        ascii(0x010F, "NIKON CORPORATION"), ascii(0x0110, "NIKON D70"), shorts(0x0112, {1}),
        rational(0x011A, 300, 1),           rational(0x011B, 300, 1),   shorts(0x0128, {2}),
        ascii(0x0131, "Ver.2.00"),          ascii(0x0132, shootingTime), shorts(0x0213, {2}),
        longValue(0x8769, 0, 1),
    };
    const std::vector<Entry> exif = {
        rational(0x829A, 10, 2500),
        rational(0x829D, 80, 10),
        shorts(0x8822, {2}),
        undefined(0x9000, {'0', '2', '2', '1'}),
        ascii(0x9003, shootingTime),
        ascii(0x9004, shootingTime),
        undefined(0x9101, {1, 2, 3, 0}),
        rational(0x9102, 4, 1),
        rational(0x9204, 0, 6, kSRational),
        rational(0x9205, 36, 10),
        shorts(0x9207, {5}),
        shorts(0x9209, {0}),
        rational(0x920A, 180, 10),
        undefined(0x927C, makerNote()),
        undefined(0x9286, Bytes{'A', 'S', 'C', 'I', 'I', 0, 0, 0, ' ', ' ', ' ', ' ', ' ', ' '}),
        ascii(0x9290, "00"),
        ascii(0x9291, "00"),
        ascii(0x9292, "00"),
        undefined(0xA000, {'0', '1', '0', '0'}),
        shorts(0xA001, {1}),
        longValue(0xA002, 64),
        longValue(0xA003, 48),
        longValue(0xA005, 0, 2),
        shorts(0xA217, {2}),
        undefined(0xA300, {3}),
        undefined(0xA301, {1}),
    };
    const std::vector<Entry> interoperability = {ascii(0x0001, "R98"), undefined(0x0002, {'0', '1', '0', '0'})};
    const std::vector<Entry> ifd1 = {
        shorts(0x0103, {6}),
        rational(0x011A, 300, 1),
        rational(0x011B, 300, 1),
        shorts(0x0128, {2}),
        longValue(0x0201, 0, kThumbnail),
        longValue(0x0202, static_cast<std::uint32_t>(thumbnail.size())),
    };
    Bytes tiff = {'M', 'M', 0x00, 0x2A, 0, 0, 0, 8};
    layOut(tiff, 0, {ifd0, exif, interoperability, ifd1}, {3, -1, -1, -1}, thumbnail);
    return tiff;
}

}  // namespace nikon_detail

// The whole photo, `size` bytes or a little more, taken at `shootingTime`
// ("YYYY:MM:DD HH:MM:SS").
inline std::vector<unsigned char> nikonPhoto(const std::string& shootingTime, std::size_t size = 44 * 1024)
{
    using namespace nikon_detail;
    const Bytes tiff = tiffBlock(shootingTime);
    Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE1};
    put16(jpeg, static_cast<std::uint32_t>(2 + 6 + tiff.size()));
    jpeg.insert(jpeg.end(), {'E', 'x', 'i', 'f', 0, 0});
    jpeg.insert(jpeg.end(), tiff.begin(), tiff.end());
    // The picture's tables and frame, its scan made camera-sized with
    // random bytes (every 0xFF stuffed) before the end marker.
    const Bytes picture = thumbnailJpeg();
    jpeg.insert(jpeg.end(), picture.begin() + 2, picture.end() - 2);
    std::uint32_t state = 12345;
    while (jpeg.size() + 2 < size) {
        state = state * 1103515245u + 12345u;
        const auto b = static_cast<unsigned char>(state >> 23);
        jpeg.push_back(b);
        if (b == 0xFF)
            jpeg.push_back(0x00);
    }
    jpeg.insert(jpeg.end(), {0xFF, 0xD9});
    return jpeg;
}

}  // namespace bench
