#pragma once
// The properties every write must have, checked on any input: used by the
// fuzz target and, for the inputs it once broke (regressions/), by the
// portable test suite. Any input is taken as a JPEG (its first Exif block)
// or else as a bare TIFF block; when the reader accepts it, the program's
// writes are laid out and the result must
//   - read back, fit one segment and keep the byte order,
//   - carry every written value,
//   - keep the bytes of every value no write reaches (maker notes,
//     thumbnails, other tags, a repeated tag's second value),
//   - be laid out the same when written again (no growth),
//   - and, in a whole JPEG, have the offsets into the bytes after the Exif
//     segment (trailers, maker-note previews) moved or refused within the
//     file's bytes.
#include "jpeg.h"
#include "tiff.h"
#include "trailer.h"

#include <cstring>
#include <string>

namespace exif::properties {

inline TagValue text(const char* s)
{
    TagValue v{tAscii, static_cast<uint32_t>(std::strlen(s) + 1), {}};
    v.bytes.assign(s, s + std::strlen(s) + 1);
    return v;
}

inline TagValue rationals(ByteOrder order, const uint32_t (&r)[6])
{
    TagValue v{tRational, 3, {}};
    ByteWriter w(v.bytes, order);
    for (int i = 0; i < 6; ++i) w.u32(4 * std::size_t(i), r[i]);
    return v;
}

// Empty when every property holds, else the first that does not.
inline std::string checkLayout(const uint8_t* data, std::size_t size)
{
    const std::vector<uint8_t> file(data, data + size);
    std::vector<uint8_t> tiff;
    JpegLayout layout;
    if (scanJpeg(file, true, layout) == ScanResult::ok && layout.hasExif)
        tiff.assign(file.begin() + static_cast<std::ptrdiff_t>(layout.tiffStart),
                    file.begin() + static_cast<std::ptrdiff_t>(layout.segmentEnd));
    else
        tiff = file;
    if (tiff.size() > kMaxTiffSize) return {};  // more than one segment can hold
    TiffModel model;
    if (!parseTiff(tiff, model)) return {};

    // The program's writes; the first input byte picks a subset, the second
    // a map datum length, so that shrinking and growing both happen.
    const uint8_t pick = size > 0 ? data[0] : 0xFF;
    const std::string datum(1 + (size > 1 ? data[1] % 40 : 6), 'D');
    const uint32_t lat[6] = {35, 1, 39, 1, 74, 10}, lon[6] = {139, 1, 44, 1, 2853, 100}, ts[6] = {1, 1, 30, 1, 5, 1};
    WantedTags wanted;
    if (pick & 1) wanted[{IfdKind::gps, tag::gpsVersion}] = {tByte, 4, {2, 0, 0, 0}};
    if (pick & 2) wanted[{IfdKind::gps, tag::gpsLatitudeRef}] = text("N");
    if (pick & 4) wanted[{IfdKind::gps, tag::gpsLatitude}] = rationals(model.order, lat);
    if (pick & 8) wanted[{IfdKind::gps, tag::gpsLongitude}] = rationals(model.order, lon);
    if (pick & 16) wanted[{IfdKind::gps, tag::gpsTimeStamp}] = rationals(model.order, ts);
    if (pick & 32) wanted[{IfdKind::gps, tag::gpsStatus}] = text(pick & 128 ? "LONG STATUS" : "A");
    if (pick & 64) wanted[{IfdKind::gps, tag::gpsMapDatum}] = text(datum.c_str());
    wanted[{IfdKind::exif, tag::dateTimeOriginal}] = text("2001:02:03 04:05:06");

    std::vector<uint8_t> out;
    if (buildTiff(tiff, model, wanted, out) != BuildResult::ok) return {};
    if (out.size() > kMaxTiffSize) return "the block outgrew one segment";
    TiffModel after;
    if (!parseTiff(out, after)) return "the written block does not read back";
    if (after.order != model.order) return "the byte order changed";
    for (const auto& [key, value] : wanted) {
        const Entry* e = after.find(key.first, key.second);
        if (e == nullptr || e->type != value.type || e->count != value.count ||
            std::memcmp(out.data() + e->valuePosition(), value.bytes.data(), value.bytes.size()) != 0)
            return "a written value does not read back, tag " + std::to_string(key.second);
    }
    for (const UsedRange& r : model.used) {
        if (r.what == UsedRange::What::table || r.what == UsedRange::What::header) continue;
        // A value of a tag the writes reach may move or change; every other
        // value (and a second entry of a repeated tag) must not.
        const bool ours = (r.ifd == IfdKind::gps && (r.tag <= tag::gpsMapDatum || r.tag == tag::gpsDateStamp)) ||
                          (r.ifd == IfdKind::exif && r.tag == tag::dateTimeOriginal);
        const Entry* e = model.find(r.ifd, r.tag);
        if (ours && e != nullptr && !e->isInline() && e->field == r.start) continue;
        if (r.end > out.size() || std::memcmp(out.data() + r.start, tiff.data() + r.start, r.end - r.start) != 0)
            return "bytes of a value no write reaches changed, tag " + std::to_string(r.tag);
    }
    if (layout.hasExif && layout.imageComplete) {
        std::vector<uint8_t> written = replaceExif(file, layout, out);
        const std::size_t writtenSize = written.size();
        fixMovedOffsets(written, layout.segmentEnd, int64_t(writtenSize) - int64_t(file.size()));
        if (written.size() != writtenSize) return "moving the offsets after the Exif segment resized the file";
    }
    std::vector<uint8_t> again;
    if (buildTiff(out, after, wanted, again) != BuildResult::ok) return "writing the same values again failed";
    if (again != out) return "writing the same values again changed the block";
    return {};
}

}  // namespace exif::properties
