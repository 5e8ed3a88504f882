// A tiny command-line front of the Exif library for the exiftool oracle test.
//   exif-tool read FILE            prints every value the library reads
//   exif-tool gps FILE             writes a position as the program does (a
//                                  date stamp already there becomes 2008:05:01)
//   exif-tool time FILE TEXT       writes DateTimeOriginal
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

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: exif-tool read|gps|time FILE [TEXT]\n");
        return 2;
    }
    const std::string command = argv[1];
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
