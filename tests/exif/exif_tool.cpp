// A tiny command-line front of the Exif library for the exiftool oracle test.
//   exif-tool read FILE            prints every value the library reads
//   exif-tool gps FILE             writes a position as the program does (a
//                                  date stamp already there becomes 2008:05:01)
//   exif-tool time FILE TEXT       writes DateTimeOriginal
//   exif-tool photo FILE           opens any kind for reading and prints what
//                                  was found, as exiftool -s -n names it
//   exif-tool photo-write FILE     tries the program's writes on a reading
//                                  handle: each must be refused
// Exit status: 0, or 1 with the failing call and its status on stderr.
#include "exif/Exif.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int fail(const char* call, int status)
{
    std::fprintf(stderr, "%s: status %d\n", call, status);
    return 1;
}

#define CHECK(call)                                  \
    do {                                             \
        const int s_ = (call);                       \
        if (s_ != EXIF_OK) {                         \
            ExifFileClose(h);                        \
            return fail(#call, s_);                  \
        }                                            \
    } while (0)

int readAll(uint32_t h)
{
    char version[5] = {};
    std::printf("ExifVersion=%d %.4s\n", ExifGetExifVersion(h, version), version);
    char dto[20];
    std::printf("DateTimeOriginal=%d %s\n", ExifGetDateTimeOriginal(h, dto), dto);
    unsigned char gv[4];
    int s = ExifGetGPSVersion(h, gv);
    std::printf("GPSVersion=%d %u.%u.%u.%u\n", s, gv[0], gv[1], gv[2], gv[3]);
    char text[4];
    s = ExifGetGPSLatitudeRef(h, text);
    std::printf("GPSLatitudeRef=%d %s\n", s, text);
    uint32_t r[6];
    s = ExifGetGPSLatitude(h, r);
    std::printf("GPSLatitude=%d %u/%u %u/%u %u/%u\n", s, r[0], r[1], r[2], r[3], r[4], r[5]);
    s = ExifGetGPSLongitudeRef(h, text);
    std::printf("GPSLongitudeRef=%d %s\n", s, text);
    s = ExifGetGPSLongitude(h, r);
    std::printf("GPSLongitude=%d %u/%u %u/%u %u/%u\n", s, r[0], r[1], r[2], r[3], r[4], r[5]);
    s = ExifGetGPSTimeStamp(h, r);
    std::printf("GPSTimeStamp=%d %u/%u %u/%u %u/%u\n", s, r[0], r[1], r[2], r[3], r[4], r[5]);
    s = ExifGetGPSStatus(h, text);
    std::printf("GPSStatus=%d %s\n", s, text);
    char datum[16];
    s = ExifGetGPSMapDatum(h, sizeof datum, datum);
    std::printf("GPSMapDatum=%d %s\n", s, datum);
    return ExifFileClose(h) == EXIF_OK ? 0 : 1;
}

int writeGps(uint32_t h)
{
    const unsigned char version[4] = {2, 0, 0, 0};
    const uint32_t latitude[6] = {35, 1, 39, 1, 74, 10};
    const uint32_t longitude[6] = {139, 1, 44, 1, 2853, 100};
    const uint32_t stamp[6] = {1, 1, 30, 1, 5, 1};
    CHECK(ExifSetGPSVersion(h, version));
    CHECK(ExifSetGPSLatitudeRef(h, "N"));
    CHECK(ExifSetGPSLatitude(h, latitude));
    CHECK(ExifSetGPSLongitudeRef(h, "E"));
    CHECK(ExifSetGPSLongitude(h, longitude));
    CHECK(ExifSetGPSStatus(h, "A"));
    CHECK(ExifSetGPSTimeStamp(h, stamp));
    if (const int s = ExifUpdateGPSDateStamp(h, "2008:05:01"); s != EXIF_ERR_NOT_FOUND) CHECK(s);
    CHECK(ExifSetGPSMapDatum(h, "WGS-84"));
    const int s = ExifFileClose(h);
    return s == EXIF_OK ? 0 : fail("ExifFileClose", s);
}

// The three rationals of a GPS coordinate in degrees, as exiftool -n prints them.
void printDegrees(const char* name, const uint32_t r[6])
{
    if (r[1] == 0 || r[3] == 0 || r[5] == 0) return;
    const double degrees = double(r[0]) / r[1] + double(r[2]) / r[3] / 60 + double(r[4]) / r[5] / 3600;
    std::printf("%s: %.15g\n", name, degrees);
}

// Every value found, one "Name: value" line each, in exiftool's order of
// -sort; then the preview's place. Nothing for what is not found.
int printPhoto(const char* path)
{
    uint32_t h = 0;
    if (const int s = ExifPhotoOpen(path, &h); s != EXIF_OK) {
        char why[128];
        ExifGetOpenRefusal(sizeof why, why);
        std::fprintf(stderr, "ExifPhotoOpen: status %d: %s\n", s, why);
        return 1;
    }
    int32_t kind = 0;
    ExifGetPhotoKind(h, &kind);
    char text[64], zone[8], date[20], ref[4];
    uint32_t r[6];
    if (ExifGetDateTimeOriginal(h, date) == EXIF_OK) std::printf("DateTimeOriginal: %s\n", date);
    if (ExifGetGPSLatitude(h, r) == EXIF_OK) printDegrees("GPSLatitude", r);
    if (ExifGetGPSLatitudeRef(h, ref) == EXIF_OK) std::printf("GPSLatitudeRef: %s\n", ref);
    if (ExifGetGPSLongitude(h, r) == EXIF_OK) printDegrees("GPSLongitude", r);
    if (ExifGetGPSLongitudeRef(h, ref) == EXIF_OK) std::printf("GPSLongitudeRef: %s\n", ref);
    if (ExifGetMake(h, sizeof text, text) == EXIF_OK) std::printf("Make: %s\n", text);
    if (ExifGetModel(h, sizeof text, text) == EXIF_OK) std::printf("Model: %s\n", text);
    if (ExifGetOffsetTimeOriginal(h, zone) == EXIF_OK) std::printf("OffsetTimeOriginal: %s\n", zone);
    if (ExifGetBodySerialNumber(h, sizeof text, text) == EXIF_OK) std::printf("SerialNumber: %s\n", text);
    if (ExifGetSubSecTimeOriginal(h, sizeof text, text) == EXIF_OK) std::printf("SubSecTimeOriginal: %s\n", text);
    uint64_t offset = 0, length = 0;
    if (ExifGetPreview(h, &offset, &length) == EXIF_OK)
        std::printf("Preview: %llu %llu\n", static_cast<unsigned long long>(offset), static_cast<unsigned long long>(length));
    std::printf("Kind: %d\n", static_cast<int>(kind));
    return ExifFileClose(h) == EXIF_OK ? 0 : 1;
}

// The program's writes on a handle that only reads: 0 when every one of
// them is refused as such and the close succeeds.
int tryWrites(const char* path)
{
    uint32_t h = 0;
    if (const int s = ExifPhotoOpen(path, &h); s != EXIF_OK) return fail("ExifPhotoOpen", s);
    const unsigned char version[4] = {2, 0, 0, 0};
    const uint32_t latitude[6] = {35, 1, 39, 1, 74, 10};
    const int statuses[] = {
        ExifSetGPSVersion(h, version),     ExifSetGPSLatitudeRef(h, "N"),
        ExifSetGPSLatitude(h, latitude),   ExifSetGPSLongitudeRef(h, "E"),
        ExifSetGPSLongitude(h, latitude),  ExifSetGPSStatus(h, "A"),
        ExifSetGPSTimeStamp(h, latitude),  ExifSetGPSMapDatum(h, "WGS-84"),
        ExifSetDateTimeOriginal(h, "2001:02:03 04:05:06"), ExifUpdateGPSDateStamp(h, "2008:05:01"),
    };
    for (const int s : statuses)
        if (s != EXIF_ERR_READ_ONLY_KIND) {
            ExifFileClose(h);
            return fail("a set on a reading handle", s);
        }
    const int s = ExifFileClose(h);
    return s == EXIF_OK ? 0 : fail("ExifFileClose", s);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: exif-tool read|gps|time|photo|photo-write FILE [TEXT]\n");
        return 2;
    }
    const std::string command = argv[1];
    if (command == "photo") return printPhoto(argv[2]);
    if (command == "photo-write") return tryWrites(argv[2]);
    uint32_t h = 0;
    const int s = ExifFileOpen(argv[2], &h);
    if (s != EXIF_OK) return fail("ExifFileOpen", s);
    if (command == "read") return readAll(h);
    if (command == "gps") return writeGps(h);
    if (command == "time" && argc >= 4) {
        CHECK(ExifSetDateTimeOriginal(h, argv[3]));
        const int c = ExifFileClose(h);
        return c == EXIF_OK ? 0 : fail("ExifFileClose", c);
    }
    ExifFileClose(h);
    return 2;
}
