#pragma once
// Helpers of the Exif library's tests: fixture files, byte files, a JPEG and
// TIFF block built in memory (for damaged and hostile variants), and where
// the Exif segment of a JPEG lies.

#include "exif/Exif.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vantora::test::exif {

using Bytes = std::vector<uint8_t>;

inline std::filesystem::path fixture(const std::string& name)
{
    return std::filesystem::path(EXIF_FIXTURE_DIR) / name;
}

// A raw or HEIF fixture of tests/fixtures/raw.
inline std::filesystem::path rawFixture(const std::string& name)
{
    return std::filesystem::path(EXIF_RAW_FIXTURE_DIR) / name;
}

inline Bytes readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A copy of the fixture in the folder, as "photo.jpg" unless named.
inline std::filesystem::path copyFixture(const std::filesystem::path& folder, const std::string& name,
                                         const std::string& as = "photo.jpg")
{
    const auto path = folder / as;
    std::filesystem::copy_file(fixture(name), path);
    return path;
}

// "photo.jpg" in the folder, holding the bytes.
inline std::filesystem::path photoFile(const std::filesystem::path& folder, const Bytes& bytes)
{
    const auto path = folder / "photo.jpg";
    writeBytes(path, bytes);
    return path;
}

// The narrow path the library takes (ASCII in these tests).
inline std::string narrow(const std::filesystem::path& path)
{
    return path.string();
}

// Where the first Exif APP1 segment of a JPEG lies.
struct ExifSegment {
    bool found = false;
    std::size_t start = 0;      // its 0xFF
    std::size_t tiffStart = 0;  // after "Exif\0\0"
    std::size_t end = 0;
};

inline ExifSegment findExif(const Bytes& jpeg)
{
    ExifSegment s;
    std::size_t pos = 2;
    while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF) {
        while (pos < jpeg.size() && jpeg[pos] == 0xFF) ++pos;
        if (pos + 3 > jpeg.size()) break;
        const uint8_t marker = jpeg[pos];
        const std::size_t length = (std::size_t(jpeg[pos + 1]) << 8) | jpeg[pos + 2];
        if (marker == 0xE1 && pos + 9 < jpeg.size() && std::memcmp(&jpeg[pos + 3], "Exif\0\0", 6) == 0) {
            s.found = true;
            s.start = pos - 1;
            s.tiffStart = pos + 9;
            s.end = pos + 1 + length;
            return s;
        }
        if (marker == 0xDA) break;
        pos += 1 + length;
    }
    return s;
}

inline Bytes tiffOf(const Bytes& jpeg)
{
    const ExifSegment s = findExif(jpeg);
    if (!s.found) return {};
    return Bytes(jpeg.begin() + static_cast<std::ptrdiff_t>(s.tiffStart),
                 jpeg.begin() + static_cast<std::ptrdiff_t>(s.end));
}

// Numbers into a byte vector in a chosen byte order.
struct Patcher {
    Bytes& bytes;
    bool little;
    void u16(std::size_t pos, uint16_t v)
    {
        if (bytes.size() < pos + 2) bytes.resize(pos + 2);
        bytes[pos] = little ? uint8_t(v) : uint8_t(v >> 8);
        bytes[pos + 1] = little ? uint8_t(v >> 8) : uint8_t(v);
    }
    void u32(std::size_t pos, uint32_t v)
    {
        if (bytes.size() < pos + 4) bytes.resize(pos + 4);
        for (int i = 0; i < 4; ++i) bytes[pos + i] = uint8_t(v >> (little ? 8 * i : 8 * (3 - i)));
    }
    void entry(std::size_t pos, uint16_t tag, uint16_t type, uint32_t count, uint32_t field)
    {
        u16(pos, tag);
        u16(pos + 2, type);
        u32(pos + 4, count);
        u32(pos + 8, field);
    }
    void text(std::size_t pos, const char* s, std::size_t n)
    {
        if (bytes.size() < pos + n) bytes.resize(pos + n);
        std::memcpy(&bytes[pos], s, n);
    }
};

// A small, valid TIFF block with fixed offsets, so that a test can damage one
// number and know what it damaged:
//   0    header, IFD0 at 8
//   8    IFD0: ExifIFD pointer (entry at 10), GPSInfo pointer (entry at 22), next link at 34
//   38   Exif IFD: ExifVersion "0230" (entry at 40), DateTimeOriginal (entry at 52)
//   68   GPS IFD: GPSVersionID 2.2.0.0 (entry at 70)
//   86   DateTimeOriginal value, 20 bytes
//   106  IFD1 (withThumbnail): JPEGInterchangeFormat (entry at 108), its length (entry at 120)
//   136  thumbnail bytes (16)
struct TinyTiff {
    static constexpr std::size_t ifd0 = 8, exifPointerEntry = 10, gpsPointerEntry = 22, ifd0Next = 34;
    static constexpr std::size_t exifIfd = 38, versionEntry = 40, dateEntry = 52;
    static constexpr std::size_t gpsIfd = 68, gpsVersionEntry = 70, dateValue = 86;
    static constexpr std::size_t ifd1 = 106, thumbnailOffsetEntry = 108, thumbnailLengthEntry = 120,
                                 thumbnail = 136;
};

inline Bytes tinyTiff(bool little, bool withThumbnail = false, const char* date = "2008:05:12 10:20:30")
{
    Bytes b;
    Patcher p{b, little};
    p.text(0, little ? "II" : "MM", 2);
    p.u16(2, 42);
    p.u32(4, TinyTiff::ifd0);
    p.u16(TinyTiff::ifd0, 2);
    p.entry(TinyTiff::exifPointerEntry, 0x8769, 4, 1, TinyTiff::exifIfd);
    p.entry(TinyTiff::gpsPointerEntry, 0x8825, 4, 1, TinyTiff::gpsIfd);
    p.u32(TinyTiff::ifd0Next, withThumbnail ? TinyTiff::ifd1 : 0);
    p.u16(TinyTiff::exifIfd, 2);
    p.entry(TinyTiff::versionEntry, 0x9000, 7, 4, 0);
    p.text(TinyTiff::versionEntry + 8, "0230", 4);
    p.entry(TinyTiff::dateEntry, 0x9003, 2, 20, TinyTiff::dateValue);
    p.u32(TinyTiff::exifIfd + 2 + 24, 0);
    p.u16(TinyTiff::gpsIfd, 1);
    p.entry(TinyTiff::gpsVersionEntry, 0x0000, 1, 4, 0);
    const char version[4] = {2, 2, 0, 0};
    p.text(TinyTiff::gpsVersionEntry + 8, version, 4);
    p.u32(TinyTiff::gpsIfd + 2 + 12, 0);
    p.text(TinyTiff::dateValue, date, 20);
    if (withThumbnail) {
        p.u16(TinyTiff::ifd1, 2);
        p.entry(TinyTiff::thumbnailOffsetEntry, 0x0201, 4, 1, TinyTiff::thumbnail);
        p.entry(TinyTiff::thumbnailLengthEntry, 0x0202, 4, 1, 16);
        p.u32(TinyTiff::ifd1 + 2 + 24, 0);
        const char thumb[16] = {char(0xFF), char(0xD8), 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, char(0xFF), char(0xD9)};
        p.text(TinyTiff::thumbnail, thumb, 16);
    }
    return b;
}

// A JPEG made of a start marker, an Exif APP1 holding `tiff` (none when
// `withExif` is false), a quantisation table, a scan with a few bytes of
// data and an end marker.
inline Bytes tinyJpeg(const Bytes& tiff, bool withExif = true)
{
    Bytes j = {0xFF, 0xD8};
    if (withExif) {
        const std::size_t length = 2 + 6 + tiff.size();
        const uint8_t head[10] = {0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length), 'E', 'x', 'i', 'f', 0, 0};
        j.insert(j.end(), head, head + 10);
        j.insert(j.end(), tiff.begin(), tiff.end());
    }
    const uint8_t rest[] = {0xFF, 0xDB, 0x00, 0x05, 0x00, 0x01, 0x02,        // a (short) table
                            0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00,  // scan header
                            0x12, 0x34, 0xFF, 0x00, 0x56, 0x78,                // scan data
                            0xFF, 0xD9};
    j.insert(j.end(), std::begin(rest), std::end(rest));
    return j;
}

// Every file in a folder, by name.
inline std::vector<std::string> filesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The position writes of the program, with fixed values.
struct GpsValues {
    unsigned char version[4] = {2, 0, 0, 0};
    const char* latitudeRef = "N";
    uint32_t latitude[6] = {35, 1, 39, 1, 74, 10};
    const char* longitudeRef = "E";
    uint32_t longitude[6] = {139, 1, 44, 1, 2853, 100};
    const char* status = "A";
    uint32_t timeStamp[6] = {1, 1, 30, 1, 5, 1};
    const char* mapDatum = "WGS-84";
};

// Sets every GPS tag as the program does; the first failing status, or 0.
inline int setGps(uint32_t h, const GpsValues& v = {})
{
    int first = EXIF_OK;
    auto note = [&](int s) {
        if (first == EXIF_OK) first = s;
    };
    note(ExifSetGPSVersion(h, v.version));
    note(ExifSetGPSLatitudeRef(h, v.latitudeRef));
    note(ExifSetGPSLatitude(h, v.latitude));
    note(ExifSetGPSLongitudeRef(h, v.longitudeRef));
    note(ExifSetGPSLongitude(h, v.longitude));
    note(ExifSetGPSStatus(h, v.status));
    note(ExifSetGPSTimeStamp(h, v.timeStamp));
    note(ExifSetGPSMapDatum(h, v.mapDatum));
    return first;
}

// Opens, writes the position, closes; the first failing status, or 0.
inline int writeGpsFile(const std::filesystem::path& path, const GpsValues& v = {})
{
    uint32_t h = 0;
    const int open = ExifFileOpen(narrow(path).c_str(), &h);
    if (open != EXIF_OK) return open;
    const int set = setGps(h, v);
    const int close = ExifFileClose(h);
    return set != EXIF_OK ? set : close;
}

}  // namespace vantora::test::exif
