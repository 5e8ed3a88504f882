// Reading tags and writing them back, on the fixtures of both byte orders
// and on small blocks built in memory.
#include "exif_test_support.h"
#include "support/temp_dir.h"
#include "tiff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace vantora::test::exif {
namespace {

class OpenedPhoto {
public:
    explicit OpenedPhoto(const std::filesystem::path& path)
    {
        status = ExifFileOpen(narrow(path).c_str(), &handle);
    }
    ~OpenedPhoto()
    {
        if (handle != 0 && !closed) ExifFileClose(handle);
    }
    int close()
    {
        closed = true;
        return ExifFileClose(handle);
    }
    uint32_t handle = 0;
    int status = 0;
    bool closed = false;
};

std::string dateOf(uint32_t h, int* status = nullptr)
{
    char out[20];
    std::memset(out, 'x', sizeof out);
    const int s = ExifGetDateTimeOriginal(h, out);
    if (status != nullptr) *status = s;
    return std::string(out, strnlen(out, sizeof out));
}

TEST(AFixturePhoto, givesItsExifVersionAndShootingTimeInIntelOrder)
{
    OpenedPhoto photo(fixture("ii_jfif_thumbnail.jpg"));
    ASSERT_EQ(photo.status, EXIF_OK);
    char version[4];
    EXPECT_EQ(ExifGetExifVersion(photo.handle, version), EXIF_OK);
    EXPECT_EQ(std::string(version, 4), "0230");
    EXPECT_EQ(dateOf(photo.handle), "2008:05:12 10:20:30");
    EXPECT_EQ(photo.close(), EXIF_OK);
}

TEST(AFixturePhoto, givesItsExifVersionAndShootingTimeInMotorolaOrder)
{
    OpenedPhoto photo(fixture("mm_plain.jpg"));
    ASSERT_EQ(photo.status, EXIF_OK);
    char version[4];
    EXPECT_EQ(ExifGetExifVersion(photo.handle, version), EXIF_OK);
    EXPECT_EQ(std::string(version, 4), "0230");
    EXPECT_EQ(dateOf(photo.handle), "2009:01:01 00:30:00");
}

TEST(AFixturePhoto, namesItsCameraAndNoSerialWhenItHasNone)
{
    OpenedPhoto photo(fixture("ii_canon_makernote.jpg"));
    ASSERT_EQ(photo.status, EXIF_OK);
    char text[32];
    EXPECT_EQ(ExifGetMake(photo.handle, sizeof text, text), EXIF_OK);
    EXPECT_STREQ(text, "Canon");
    EXPECT_EQ(ExifGetModel(photo.handle, sizeof text, text), EXIF_OK);
    EXPECT_STREQ(text, "Canon EOS 5D");
    EXPECT_EQ(ExifGetModel(photo.handle, 6, text), EXIF_OK);
    EXPECT_STREQ(text, "Canon");  // truncated to the buffer, with its NUL
    EXPECT_EQ(ExifGetBodySerialNumber(photo.handle, sizeof text, text), EXIF_ERR_NOT_FOUND);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(ExifGetOffsetTimeOriginal(photo.handle, text), EXIF_ERR_NOT_FOUND);
    EXPECT_EQ(ExifGetMake(photo.handle, 0, text), EXIF_ERR_ARGUMENT);
}

// The tiny block's DateTimeOriginal entry made into another tag of the
// Exif directory: OffsetTimeOriginal and SubSecTimeOriginal in their
// shapes, and a body serial.
TEST(AnExifDirectoryTag, readsTheCamerasZoneSubSecondAndSerialAsStored)
{
    struct Case {
        uint16_t tag;
        const char* value;  // stored with its NUL
        int zoneStatus;
        const char* zone;
        const char* serial;
        int subSecStatus = EXIF_ERR_NOT_FOUND;
        const char* subSec = "";
    };
    const Case cases[] = {
        {0x9011, "+10:00", EXIF_OK, "+10:00", ""},
        {0x9011, "-03:30", EXIF_OK, "-03:30", ""},
        {0x9011, "   :  ", EXIF_ERR_NOT_FOUND, "", ""},
        {0x9011, "+1000", EXIF_ERR_FORMAT, "", ""},
        {0x9011, "10:00Z", EXIF_ERR_FORMAT, "", ""},
        {0xA431, "2008123", EXIF_ERR_NOT_FOUND, "", "2008123"},
        {0x9291, "25", EXIF_ERR_NOT_FOUND, "", "", EXIF_OK, "25"},
        {0x9291, "480  ", EXIF_ERR_NOT_FOUND, "", "", EXIF_OK, "480"},  // blank-padded, as some cameras write it
        {0x9291, "   ", EXIF_ERR_NOT_FOUND, "", "", EXIF_ERR_NOT_FOUND, ""},
        {0x9291, "2.5", EXIF_ERR_NOT_FOUND, "", "", EXIF_ERR_FORMAT, ""},
    };
    for (bool little : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.value) + (little ? " II" : " MM"));
            TempDir dir;
            Bytes tiff = tinyTiff(little);
            Patcher p{tiff, little};
            const auto count = static_cast<uint32_t>(std::strlen(c.value) + 1);
            p.entry(TinyTiff::dateEntry, c.tag, 2, count, TinyTiff::dateValue);
            // Four bytes or fewer stand in the entry itself.
            p.text(count <= 4 ? TinyTiff::dateEntry + 8 : TinyTiff::dateValue, c.value, count);
            OpenedPhoto photo(photoFile(dir.path(), tinyJpeg(tiff)));
            ASSERT_EQ(photo.status, EXIF_OK);
            char zone[8];
            EXPECT_EQ(ExifGetOffsetTimeOriginal(photo.handle, zone), c.zoneStatus);
            EXPECT_STREQ(zone, c.zone);
            char serial[16];
            ExifGetBodySerialNumber(photo.handle, sizeof serial, serial);
            EXPECT_STREQ(serial, c.serial);
            char subSec[8];
            EXPECT_EQ(ExifGetSubSecTimeOriginal(photo.handle, sizeof subSec, subSec), c.subSecStatus);
            EXPECT_STREQ(subSec, c.subSec);
        }
    }
}

TEST(AFixturePhoto, givesEveryTagOfItsGpsDirectory)
{
    OpenedPhoto photo(fixture("mm_gps_xmp.jpg"));
    ASSERT_EQ(photo.status, EXIF_OK);
    const uint32_t h = photo.handle;
    unsigned char version[4];
    EXPECT_EQ(ExifGetGPSVersion(h, version), EXIF_OK);
    EXPECT_EQ((std::array<int, 4>{version[0], version[1], version[2], version[3]}), (std::array<int, 4>{2, 2, 0, 0}));
    char text[4];
    EXPECT_EQ(ExifGetGPSLatitudeRef(h, text), EXIF_OK);
    EXPECT_STREQ(text, "S");
    EXPECT_EQ(ExifGetGPSLongitudeRef(h, text), EXIF_OK);
    EXPECT_STREQ(text, "W");
    EXPECT_EQ(ExifGetGPSStatus(h, text), EXIF_OK);
    EXPECT_STREQ(text, "V");
    uint32_t r[6];
    EXPECT_EQ(ExifGetGPSLatitude(h, r), EXIF_OK);
    EXPECT_EQ((std::array<uint32_t, 6>{r[0], r[1], r[2], r[3], r[4], r[5]}), (std::array<uint32_t, 6>{12, 1, 30, 1, 0, 1}));
    EXPECT_EQ(ExifGetGPSLongitude(h, r), EXIF_OK);
    EXPECT_EQ((std::array<uint32_t, 6>{r[0], r[1], r[2], r[3], r[4], r[5]}), (std::array<uint32_t, 6>{45, 1, 15, 1, 0, 1}));
    EXPECT_EQ(ExifGetGPSTimeStamp(h, r), EXIF_OK);
    EXPECT_EQ((std::array<uint32_t, 6>{r[0], r[1], r[2], r[3], r[4], r[5]}), (std::array<uint32_t, 6>{22, 1, 7, 1, 7, 1}));
    char datum[16];
    EXPECT_EQ(ExifGetGPSMapDatum(h, sizeof datum, datum), EXIF_OK);
    EXPECT_STREQ(datum, "TOKYO");
}

TEST(AFixturePhoto, truncatesTheMapDatumToTheBufferAndEndsItWithANul)
{
    OpenedPhoto photo(fixture("mm_gps_xmp.jpg"));
    ASSERT_EQ(photo.status, EXIF_OK);
    char datum[4];
    std::memset(datum, 'x', sizeof datum);
    EXPECT_EQ(ExifGetGPSMapDatum(photo.handle, sizeof datum, datum), EXIF_OK);
    EXPECT_STREQ(datum, "TOK");
}

TEST(APhotoWithoutGpsTags, failsEveryGpsGetAndLeavesTheOutputsZeroFilled)
{
    OpenedPhoto photo(fixture("mm_plain.jpg"));
    ASSERT_EQ(photo.status, EXIF_OK);
    const uint32_t h = photo.handle;
    unsigned char version[4] = {9, 9, 9, 9};
    EXPECT_EQ(ExifGetGPSVersion(h, version), EXIF_ERR_NOT_FOUND);
    EXPECT_EQ((std::array<int, 4>{version[0], version[1], version[2], version[3]}), (std::array<int, 4>{}));
    char text[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(ExifGetGPSLatitudeRef(h, text), EXIF_ERR_NOT_FOUND);
    EXPECT_EQ(std::string(text, 4), std::string(4, '\0'));
    uint32_t r[6] = {7, 7, 7, 7, 7, 7};
    EXPECT_EQ(ExifGetGPSLongitude(h, r), EXIF_ERR_NOT_FOUND);
    EXPECT_EQ((std::array<uint32_t, 6>{r[0], r[1], r[2], r[3], r[4], r[5]}), (std::array<uint32_t, 6>{}));
    char datum[16];
    std::memset(datum, 'x', sizeof datum);
    EXPECT_EQ(ExifGetGPSMapDatum(h, sizeof datum, datum), EXIF_ERR_NOT_FOUND);
    EXPECT_EQ(std::string(datum, 16), std::string(16, '\0'));
}

TEST(AJpegWithoutExif, opensButHasNoExifVersionAndTakesNoTags)
{
    TempDir dir;
    const auto path = dir.path() / "no_exif.jpg";
    std::filesystem::copy_file(fixture("no_exif.jpg"), path);
    const Bytes before = readBytes(path);
    OpenedPhoto photo(path);
    ASSERT_EQ(photo.status, EXIF_OK);
    char version[4] = {'x', 'x', 'x', 'x'};
    EXPECT_NE(ExifGetExifVersion(photo.handle, version), EXIF_OK);
    EXPECT_EQ(std::string(version, 4), std::string(4, '\0'));
    EXPECT_EQ(ExifSetDateTimeOriginal(photo.handle, "2020:01:01 00:00:00"), EXIF_ERR_FORMAT);
    EXPECT_EQ(setGps(photo.handle), EXIF_ERR_FORMAT);
    EXPECT_EQ(photo.close(), EXIF_OK);
    EXPECT_EQ(readBytes(path), before);
}

TEST(AnExifBlockWithoutExifVersion, failsTheVersion)
{
    TempDir dir;
    Bytes tiff = tinyTiff(true);
    Patcher{tiff, true}.u16(TinyTiff::versionEntry, 0x9001);  // another tag in its place
    const auto path = dir.path() / "p.jpg";
    writeBytes(path, tinyJpeg(tiff));
    OpenedPhoto photo(path);
    ASSERT_EQ(photo.status, EXIF_OK);
    char version[4];
    EXPECT_EQ(ExifGetExifVersion(photo.handle, version), EXIF_ERR_NOT_FOUND);
}

TEST(AnExifVersionStoredAsText, isReadWithOrWithoutItsNul)
{
    for (uint32_t count : {4u, 5u}) {
        TempDir dir;
        Bytes tiff = tinyTiff(false);
        Patcher p{tiff, false};
        p.u16(TinyTiff::versionEntry + 2, 2);  // ASCII
        p.u32(TinyTiff::versionEntry + 4, count);
        if (count == 5) {  // "0230\0" no longer fits the entry: put it after the block
            const uint32_t at = uint32_t(tiff.size());
            p.text(at, "0230", 5);
            p.u32(TinyTiff::versionEntry + 8, at);
        }
        const auto path = dir.path() / "p.jpg";
        writeBytes(path, tinyJpeg(tiff));
        OpenedPhoto photo(path);
        ASSERT_EQ(photo.status, EXIF_OK);
        char version[4];
        EXPECT_EQ(ExifGetExifVersion(photo.handle, version), EXIF_OK) << count;
        EXPECT_EQ(std::string(version, 4), "0230");
    }
}

// Writing the position as the program does, then reading it back.
class WritingAPosition : public ::testing::TestWithParam<const char*> {};

TEST_P(WritingAPosition, readsBackEveryValueAndKeepsTheByteOrder)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), GetParam());
    const Bytes before = readBytes(path);
    unsigned char older[4] = {};
    {
        OpenedPhoto original(path);
        ExifGetGPSVersion(original.handle, older);
    }
    ASSERT_EQ(writeGpsFile(path), EXIF_OK);
    const Bytes after = readBytes(path);
    ASSERT_NE(after, before);
    EXPECT_EQ(tiffOf(after).at(0), tiffOf(before).at(0));  // 'I' stays 'I', 'M' stays 'M'

    OpenedPhoto photo(path);
    ASSERT_EQ(photo.status, EXIF_OK);
    const uint32_t h = photo.handle;
    const GpsValues v;
    unsigned char version[4];
    EXPECT_EQ(ExifGetGPSVersion(h, version), EXIF_OK);
    // 2.0.0.0, or the higher version the photo had already (never lowered).
    EXPECT_EQ(std::memcmp(version, std::memcmp(older, v.version, 4) > 0 ? older : v.version, 4), 0);
    char text[4];
    EXPECT_EQ(ExifGetGPSLatitudeRef(h, text), EXIF_OK);
    EXPECT_STREQ(text, "N");
    EXPECT_EQ(ExifGetGPSLongitudeRef(h, text), EXIF_OK);
    EXPECT_STREQ(text, "E");
    EXPECT_EQ(ExifGetGPSStatus(h, text), EXIF_OK);
    EXPECT_STREQ(text, "A");
    uint32_t r[6];
    EXPECT_EQ(ExifGetGPSLatitude(h, r), EXIF_OK);
    EXPECT_EQ(std::memcmp(r, v.latitude, sizeof r), 0);
    EXPECT_EQ(ExifGetGPSLongitude(h, r), EXIF_OK);
    EXPECT_EQ(std::memcmp(r, v.longitude, sizeof r), 0);
    EXPECT_EQ(ExifGetGPSTimeStamp(h, r), EXIF_OK);
    EXPECT_EQ(std::memcmp(r, v.timeStamp, sizeof r), 0);
    char datum[16];
    EXPECT_EQ(ExifGetGPSMapDatum(h, sizeof datum, datum), EXIF_OK);
    EXPECT_STREQ(datum, "WGS-84");
    char exifVersion[4];
    EXPECT_EQ(ExifGetExifVersion(h, exifVersion), EXIF_OK);
    EXPECT_EQ(photo.close(), EXIF_OK);
}

TEST_P(WritingAPosition, isReadBackThroughTheSameHandleBeforeClosing)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), GetParam());
    OpenedPhoto photo(path);
    ASSERT_EQ(photo.status, EXIF_OK);
    ASSERT_EQ(setGps(photo.handle), EXIF_OK);
    uint32_t r[6];
    EXPECT_EQ(ExifGetGPSLatitude(photo.handle, r), EXIF_OK);
    EXPECT_EQ(r[4], 74u);
    char datum[16];
    EXPECT_EQ(ExifGetGPSMapDatum(photo.handle, sizeof datum, datum), EXIF_OK);
    EXPECT_STREQ(datum, "WGS-84");
    EXPECT_EQ(photo.close(), EXIF_OK);
}

TEST_P(WritingAPosition, andAShootingTimeReadsBothBack)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), GetParam());
    ASSERT_EQ(writeGpsFile(path), EXIF_OK);
    {
        OpenedPhoto photo(path);
        ASSERT_EQ(photo.status, EXIF_OK);
        EXPECT_EQ(ExifSetDateTimeOriginal(photo.handle, "2009:01:01 00:30:00"), EXIF_OK);
        EXPECT_EQ(photo.close(), EXIF_OK);
    }
    OpenedPhoto photo(path);
    EXPECT_EQ(dateOf(photo.handle), "2009:01:01 00:30:00");
    char datum[16];
    EXPECT_EQ(ExifGetGPSMapDatum(photo.handle, sizeof datum, datum), EXIF_OK);
    EXPECT_STREQ(datum, "WGS-84");
}

INSTANTIATE_TEST_SUITE_P(EveryFixtureWithExif, WritingAPosition,
                         ::testing::Values("ii_jfif_thumbnail.jpg", "mm_plain.jpg", "mm_gps_xmp.jpg",
                                           "ii_canon_makernote.jpg", "ii_gps_pointer_slong.jpg"),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

TEST(WritingAPosition, onATinyBlockOfEitherOrderReadsBack)
{
    for (bool little : {true, false}) {
        TempDir dir;
        const auto path = dir.path() / "p.jpg";
        writeBytes(path, tinyJpeg(tinyTiff(little, true)));
        ASSERT_EQ(writeGpsFile(path), EXIF_OK) << little;
        OpenedPhoto photo(path);
        uint32_t r[6];
        EXPECT_EQ(ExifGetGPSLongitude(photo.handle, r), EXIF_OK);
        EXPECT_EQ(r[4], 2853u);
        EXPECT_EQ(dateOf(photo.handle), "2008:05:12 10:20:30");
    }
}

// The Exif and GPS pointers as cameras store them: LONG, SLONG (some
// cameras) or IFD (TIFF's own type). Each is followed, and written back as
// LONG; other types stay refused (the hostile blocks).
TEST(ADirectoryPointer, isFollowedFromLongSlongOrIfdAndWrittenBackAsLong)
{
    struct Case {
        const char* name;
        std::size_t entry;
        uint16_t type;
    };
    const Case cases[] = {
        {"GpsSlong", TinyTiff::gpsPointerEntry, 9},
        {"GpsIfd", TinyTiff::gpsPointerEntry, 13},
        {"ExifSlong", TinyTiff::exifPointerEntry, 9},
        {"ExifIfd", TinyTiff::exifPointerEntry, 13},
    };
    for (bool little : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (little ? " II" : " MM"));
            TempDir dir;
            Bytes tiff = tinyTiff(little);
            Patcher{tiff, little}.u16(c.entry + 2, c.type);
            const auto path = photoFile(dir.path(), tinyJpeg(tiff));
            {
                OpenedPhoto photo(path);
                ASSERT_EQ(photo.status, EXIF_OK);
                unsigned char version[4] = {};
                EXPECT_EQ(ExifGetGPSVersion(photo.handle, version), EXIF_OK);
                EXPECT_EQ(version[1], 2);
                EXPECT_EQ(dateOf(photo.handle), "2008:05:12 10:20:30");
            }
            ASSERT_EQ(writeGpsFile(path), EXIF_OK);
            ::exif::TiffModel model;
            ASSERT_TRUE(::exif::parseTiff(tiffOf(readBytes(path)), model));
            for (uint16_t pointer : {0x8769, 0x8825}) EXPECT_EQ(model.find(::exif::IfdKind::ifd0, pointer)->type, 4);
        }
    }
}

// A phone's GPS directory as the phone wrote it: no GPSVersionID, but a
// date stamp (a 2.2 tag) of count 20 instead of 11, a processing method
// stored as ASCII instead of UNDEFINED, and a positioning error (a 2.3 tag).
Bytes phoneStyleTiff(bool little)
{
    Bytes t = tinyTiff(little);
    const std::size_t gps = t.size() + (t.size() & 1);
    const std::size_t values = gps + 2 + 3 * 12 + 4;
    Patcher p{t, little};
    p.u16(gps, 3);
    p.entry(gps + 2, 0x001B, 2, 12, uint32_t(values));
    p.entry(gps + 14, 0x001D, 2, 20, uint32_t(values + 12));
    p.entry(gps + 26, 0x001F, 5, 1, uint32_t(values + 32));
    p.u32(gps + 38, 0);
    p.text(values, "ASCII\0\0\0GPS", 12);
    p.text(values + 12, "2016:09:28\0\0\0\0\0\0\0\0\0", 20);
    p.u32(values + 32, 5);
    p.u32(values + 36, 1);
    p.u32(TinyTiff::gpsPointerEntry + 8, uint32_t(gps));
    return t;
}

std::string gpsDateStampOf(const std::filesystem::path& path)
{
    const Bytes tiff = tiffOf(readBytes(path));
    ::exif::TiffModel model;
    if (!::exif::parseTiff(tiff, model)) return "(unreadable)";
    const auto* e = model.find(::exif::IfdKind::gps, 0x001D);
    if (e == nullptr) return "(none)";
    return std::string(reinterpret_cast<const char*>(tiff.data() + e->valuePosition()), e->count);
}

TEST(APhoneStyleGpsDirectory, getsTheVersionItsTagsNeedAndADateStampThatAgrees)
{
    for (bool little : {true, false}) {
        SCOPED_TRACE(little ? "II" : "MM");
        TempDir dir;
        const auto path = dir.path() / "phone.jpg";
        writeBytes(path, tinyJpeg(phoneStyleTiff(little)));
        uint32_t h = 0;
        ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
        EXPECT_EQ(setGps(h), EXIF_OK);  // asks for 2.0.0.0
        EXPECT_EQ(ExifUpdateGPSDateStamp(h, "2008:05:01"), EXIF_OK);
        unsigned char version[4] = {};
        EXPECT_EQ(ExifGetGPSVersion(h, version), EXIF_OK);
        EXPECT_EQ(ExifFileClose(h), EXIF_OK);
        EXPECT_EQ(std::vector<int>(version, version + 4), (std::vector<int>{2, 3, 0, 0}));
        EXPECT_EQ(gpsDateStampOf(path), std::string("2008:05:01", 11));
    }
}

TEST(APhotoWithoutADateStamp, getsNone)
{
    TempDir dir;
    const auto path = copyFixture(dir.path(), "mm_plain.jpg");
    uint32_t h = 0;
    ASSERT_EQ(ExifFileOpen(narrow(path).c_str(), &h), EXIF_OK);
    EXPECT_EQ(setGps(h), EXIF_OK);
    EXPECT_EQ(ExifUpdateGPSDateStamp(h, "2008:05:01"), EXIF_ERR_NOT_FOUND);
    EXPECT_EQ(ExifUpdateGPSDateStamp(h, "2008-05-01"), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifFileClose(h), EXIF_OK);
    EXPECT_EQ(gpsDateStampOf(path), "(none)");
}

TEST(WritingAShootingTime, rewritesTheTwentyBytesInPlace)
{
    TempDir dir;
    const auto path = dir.path() / "p.jpg";
    std::filesystem::copy_file(fixture("mm_plain.jpg"), path);
    const Bytes before = readBytes(path);
    OpenedPhoto photo(path);
    ASSERT_EQ(ExifSetDateTimeOriginal(photo.handle, "2008:02:29 23:59:50"), EXIF_OK);
    EXPECT_EQ(dateOf(photo.handle), "2008:02:29 23:59:50");
    ASSERT_EQ(photo.close(), EXIF_OK);
    const Bytes after = readBytes(path);
    ASSERT_EQ(after.size(), before.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < after.size(); ++i) differing += after[i] != before[i];
    EXPECT_LE(differing, 19u);
}

TEST(WritingAShootingTime, refusesEveryOtherShapeAndChangesNothing)
{
    TempDir dir;
    const auto path = dir.path() / "p.jpg";
    std::filesystem::copy_file(fixture("ii_jfif_thumbnail.jpg"), path);
    const Bytes before = readBytes(path);
    OpenedPhoto photo(path);
    const char* wrong[] = {"", "2008:05:12 10:20:3", "2008:05:12 10:20:300", "2008/05/12 10:20:30",
                           "2008:05:12T10:20:30", "2008:5:12 10:20:30 ", "abcd:ef:gh ij:kl:mn",
                           "2008:05:12 10:20:3\x7f", "\xef\xbc\x92\xef\xbc\x90\xef\xbc\x90\xef\xbc\x98:05:12 10:20"};
    for (const char* text : wrong) EXPECT_EQ(ExifSetDateTimeOriginal(photo.handle, text), EXIF_ERR_ARGUMENT) << text;
    EXPECT_EQ(ExifSetDateTimeOriginal(photo.handle, nullptr), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(dateOf(photo.handle), "2008:05:12 10:20:30");
    EXPECT_EQ(photo.close(), EXIF_OK);
    EXPECT_EQ(readBytes(path), before);
}

// A shooting time that is missing, blank, all zero or of a wrong count reads
// as unknown; writing one then gives exactly 20 bytes.
struct OddDate {
    const char* name;
    void (*damage)(Bytes& tiff, bool little);
};

const OddDate oddDates[] = {
    {"missing", [](Bytes& t, bool l) { Patcher{t, l}.u16(TinyTiff::dateEntry, 0x9004); }},
    {"blank", [](Bytes& t, bool l) { Patcher{t, l}.text(TinyTiff::dateValue, "                   ", 20); }},
    {"nul", [](Bytes& t, bool l) { Patcher{t, l}.text(TinyTiff::dateValue, std::string(20, '\0').c_str(), 20); }},
    {"zero", [](Bytes& t, bool l) { Patcher{t, l}.text(TinyTiff::dateValue, "0000:00:00 00:00:00", 20); }},
    {"count19", [](Bytes& t, bool l) { Patcher{t, l}.u32(TinyTiff::dateEntry + 4, 19); }},
    {"count21", [](Bytes& t, bool l) { Patcher{t, l}.u32(TinyTiff::dateEntry + 4, 21); Patcher{t, l}.u16(TinyTiff::dateValue + 20, 0); }},
    {"notText", [](Bytes& t, bool l) { Patcher{t, l}.u16(TinyTiff::dateEntry + 2, 7); }},
};

TEST(AnOddShootingTime, readsAsUnknownAndIsRewrittenAsTwentyBytes)
{
    for (bool little : {true, false}) {
        for (const OddDate& odd : oddDates) {
            SCOPED_TRACE(std::string(odd.name) + (little ? " II" : " MM"));
            TempDir dir;
            Bytes tiff = tinyTiff(little);
            odd.damage(tiff, little);
            const auto path = dir.path() / "p.jpg";
            writeBytes(path, tinyJpeg(tiff));
            {
                OpenedPhoto photo(path);
                ASSERT_EQ(photo.status, EXIF_OK);
                int status = 0;
                EXPECT_EQ(dateOf(photo.handle, &status), "");
                EXPECT_EQ(status, EXIF_ERR_NOT_FOUND);
                EXPECT_EQ(ExifSetDateTimeOriginal(photo.handle, "2010:10:10 10:10:10"), EXIF_OK);
                EXPECT_EQ(photo.close(), EXIF_OK);
            }
            OpenedPhoto photo(path);
            EXPECT_EQ(dateOf(photo.handle), "2010:10:10 10:10:10");
            const Bytes written = tiffOf(readBytes(path));
            // Find the entry and check its count.
            const bool ok = [&] {
                for (std::size_t pos = 0; pos + 12 <= written.size(); pos += 2) {
                    const uint16_t tag = little ? uint16_t(written[pos] | written[pos + 1] << 8)
                                                : uint16_t(written[pos] << 8 | written[pos + 1]);
                    const uint16_t type = little ? uint16_t(written[pos + 2] | written[pos + 3] << 8)
                                                 : uint16_t(written[pos + 2] << 8 | written[pos + 3]);
                    const uint32_t count = little ? uint32_t(written[pos + 4] | written[pos + 5] << 8)
                                                  : uint32_t(written[pos + 6] << 8 | written[pos + 7]);
                    if (tag == 0x9003 && type == 2) return count == 20;
                }
                return false;
            }();
            EXPECT_TRUE(ok);
        }
    }
}

TEST(TheGpsReferences, takeOnlyTheirTwoLetters)
{
    TempDir dir;
    const auto path = dir.path() / "p.jpg";
    std::filesystem::copy_file(fixture("mm_plain.jpg"), path);
    const Bytes before = readBytes(path);
    OpenedPhoto photo(path);
    for (const char* text : {"", "E", "n", "NN", "X"}) EXPECT_EQ(ExifSetGPSLatitudeRef(photo.handle, text), EXIF_ERR_ARGUMENT);
    for (const char* text : {"", "N", "e", "EW"}) EXPECT_EQ(ExifSetGPSLongitudeRef(photo.handle, text), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifSetGPSLatitudeRef(photo.handle, nullptr), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifSetGPSStatus(photo.handle, ""), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifSetGPSMapDatum(photo.handle, "\xe4\xb8\x96\xe7\x95\x8c"), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(ExifSetGPSMapDatum(photo.handle, std::string(256, 'x').c_str()), EXIF_ERR_ARGUMENT);
    EXPECT_EQ(photo.close(), EXIF_OK);
    EXPECT_EQ(readBytes(path), before);
}

// The raw and HEIF fixtures, read through the reading open, give what
// exiftool reads in them (exiftool_oracle_test.sh holds the same files up
// to exiftool); a text left empty is not found.
struct RawFixture {
    const char* file;
    int kind;
    const char* date;
    const char* subSec;
    const char* zone;
    const char* make;
    const char* model;
    const char* serial;
    const char* latitudeRef;  // "": no GPS directory
    std::array<uint32_t, 6> latitude;
    const char* longitudeRef;
    std::array<uint32_t, 6> longitude;
    uint64_t previewLength;  // 0: none
};

const RawFixture rawFixtures[] = {
    {"canon_ii.cr2", EXIF_KIND_TIFF_RAW, "2019:05:01 09:30:00", "25", "+09:00", "Canon", "Canon EOS 5D Mark IV",
     "012345678901", "N", {35, 1, 40, 1, 5245, 100}, "E", {139, 1, 46, 1, 165, 100}, 328},
    {"nikon_mm.nef", EXIF_KIND_TIFF_RAW, "2018:10:20 06:45:12", "07", "", "NIKON CORPORATION", "NIKON D850",
     "6012345", "", {}, "", {}, 328},
    {"sony_ii.arw", EXIF_KIND_TIFF_RAW, "2020:02:29 23:59:59", "", "-05:00", "SONY", "ILCE-7M3", "3456789", "N",
     {40, 1, 44, 1, 5438, 100}, "W", {73, 1, 59, 1, 839, 100}, 328},
    // The serial only as DNG keeps it, in IFD0; a preview in a SubIFD beside
    // a lossless-JPEG raw SubIFD, which is no picture to show.
    {"adobe_ii.dng", EXIF_KIND_TIFF_RAW, "2017:12:31 23:00:00", "5", "", "Vantora", "Fixture DNG II", "DNG-0042",
     "S", {33, 1, 51, 1, 2442, 100}, "E", {151, 1, 12, 1, 5507, 100}, 328},
    {"adobe_mm.dng", EXIF_KIND_TIFF_RAW, "2016:01:02 03:04:05", "", "+05:30", "Vantora", "Fixture DNG MM", "MM-77",
     "", {}, "", {}, 0},
    {"olympus_iiro.orf", EXIF_KIND_TIFF_RAW, "2015:03:14 15:09:26", "535", "", "OLYMPUS IMAGING CORP.", "E-M1",
     "BHP212345", "N", {43, 1, 3, 1, 4355, 100}, "E", {141, 1, 21, 1, 1575, 100}, 308},
    {"olympus_mmor.orf", EXIF_KIND_TIFF_RAW, "2014:08:09 10:11:12", "", "+01:00", "OLYMPUS CORPORATION",
     "E-M5MarkII", "BHQ998877", "", {}, "", {}, 0},
    {"panasonic_iiu.rw2", EXIF_KIND_TIFF_RAW, "2013:06:07 08:09:10", "88", "+08:00", "Panasonic", "DC-GH5",
     "WE1234567", "N", {22, 1, 23, 1, 4714, 100}, "E", {114, 1, 6, 1, 3419, 100}, 328},
    {"pentax_mm.pef", EXIF_KIND_TIFF_RAW, "2012:11:30 17:45:00", "", "", "RICOH IMAGING COMPANY, LTD.",
     "PENTAX K-1", "4470001", "S", {22, 1, 57, 1, 690, 100}, "W", {43, 1, 12, 1, 3775, 100}, 328},
    // PRVW, the larger of the two pictures.
    {"canon.cr3", EXIF_KIND_CR3, "2021:07:04 15:16:17", "42", "+02:00", "Canon", "Canon EOS R5", "082021001234",
     "N", {48, 1, 51, 1, 2960, 100}, "E", {2, 1, 17, 1, 4020, 100}, 328},
    // The whole JPEG the header points at.
    {"fujifilm.raf", EXIF_KIND_RAF, "2022:09:10 11:12:13", "30", "+09:00", "FUJIFILM", "X-T3", "FF1234567", "N",
     {35, 1, 21, 1, 23751, 625}, "E", {138, 1, 43, 1, 50001, 1250}, 806},
    {"apple.heic", EXIF_KIND_HEIF, "2023:04:05 06:07:08", "123", "+09:00", "Apple", "iPhone 13", "", "N",
     {34, 1, 59, 1, 906, 100}, "E", {135, 1, 45, 1, 3156, 100}, 0},
    {"camera_idat.heic", EXIF_KIND_HEIF, "2011:02:03 04:05:06", "", "", "Vantora", "Fixture HEIF", "HEIF-9", "", {},
     "", {}, 0},
    // The Exif item in two extents.
    {"phone.avif", EXIF_KIND_AVIF, "2024:01:02 03:04:05", "", "-08:00", "Google", "Pixel 8", "PX8-0001", "N",
     {37, 1, 25, 1, 1920, 100}, "W", {122, 1, 5, 1, 240, 100}, 0},
};

// A sized text get: its value, or "" when not found (any other status fails).
template <typename Get>
std::string textOrNothing(Get get, uint32_t h)
{
    char text[64];
    const int s = get(h, int(sizeof text), text);
    EXPECT_TRUE(s == EXIF_OK || s == EXIF_ERR_NOT_FOUND) << s;
    return s == EXIF_OK ? text : "";
}

void expectPosition(uint32_t h, const RawFixture& f)
{
    char ref[4];
    uint32_t r[6];
    if (f.latitudeRef[0] == 0) {
        EXPECT_EQ(ExifGetGPSLatitude(h, r), EXIF_ERR_NOT_FOUND);
        return;
    }
    EXPECT_EQ(ExifGetGPSLatitudeRef(h, ref), EXIF_OK);
    EXPECT_STREQ(ref, f.latitudeRef);
    EXPECT_EQ(ExifGetGPSLatitude(h, r), EXIF_OK);
    EXPECT_EQ((std::array<uint32_t, 6>{r[0], r[1], r[2], r[3], r[4], r[5]}), f.latitude);
    EXPECT_EQ(ExifGetGPSLongitudeRef(h, ref), EXIF_OK);
    EXPECT_STREQ(ref, f.longitudeRef);
    EXPECT_EQ(ExifGetGPSLongitude(h, r), EXIF_OK);
    EXPECT_EQ((std::array<uint32_t, 6>{r[0], r[1], r[2], r[3], r[4], r[5]}), f.longitude);
}

void expectPreview(uint32_t h, const RawFixture& f)
{
    uint64_t offset = 1, length = 1;
    if (f.previewLength == 0) {
        EXPECT_EQ(ExifGetPreview(h, &offset, &length), EXIF_ERR_NOT_FOUND);
        EXPECT_EQ(length, 0u);
        return;
    }
    ASSERT_EQ(ExifGetPreview(h, &offset, &length), EXIF_OK);
    EXPECT_EQ(length, f.previewLength);
    const Bytes file = readBytes(rawFixture(f.file));
    ASSERT_LE(offset + length, file.size());
    EXPECT_EQ(file[offset], 0xFF);
    EXPECT_EQ(file[offset + 1], 0xD8);
    EXPECT_EQ(file[offset + length - 2], 0xFF);  // and ends as one
    EXPECT_EQ(file[offset + length - 1], 0xD9);
}

TEST(ARawOrHeifFixture, givesTheShootingTimeCameraAndPositionExiftoolReads)
{
    for (const RawFixture& f : rawFixtures) {
        SCOPED_TRACE(f.file);
        uint32_t h = 0;
        ASSERT_EQ(ExifPhotoOpen(narrow(rawFixture(f.file)).c_str(), &h), EXIF_OK);
        int32_t kind = 0;
        EXPECT_EQ(ExifGetPhotoKind(h, &kind), EXIF_OK);
        EXPECT_EQ(kind, f.kind);
        char version[4];
        EXPECT_EQ(ExifGetExifVersion(h, version), EXIF_OK);
        EXPECT_EQ(std::string(version, 4), "0231");
        EXPECT_EQ(dateOf(h), f.date);
        char zone[8];
        const int zoneStatus = ExifGetOffsetTimeOriginal(h, zone);
        EXPECT_EQ(zoneStatus == EXIF_OK ? std::string(zone) : "", f.zone);
        EXPECT_EQ(textOrNothing(ExifGetSubSecTimeOriginal, h), f.subSec);
        EXPECT_EQ(textOrNothing(ExifGetMake, h), f.make);
        EXPECT_EQ(textOrNothing(ExifGetModel, h), f.model);
        EXPECT_EQ(textOrNothing(ExifGetBodySerialNumber, h), f.serial);
        expectPosition(h, f);
        expectPreview(h, f);
        EXPECT_EQ(ExifFileClose(h), EXIF_OK);
    }
}

// A CR3's Exif and GPS directories are CMT2 and CMT4: a pointer to them in
// CMT1, whose offset means nothing in CMT1's own block, is no damage.
TEST(ACr3File, readsCmt1WhateverItsExifPointerSays)
{
    Bytes cr3 = readBytes(rawFixture("canon.cr3"));
    const std::size_t cmt1 = std::size_t(std::search(cr3.begin(), cr3.end(), "CMT1", "CMT1" + 4) - cr3.begin()) + 4;
    const std::size_t ifd0 = cmt1 + 8, orientation = ifd0 + 2 + 2 * 12;  // Make, Model, Orientation
    ASSERT_EQ(cr3[orientation], 0x12);
    Patcher{cr3, true}.entry(orientation, 0x8769, 4, 1, 0x7FFF0000u);
    TempDir dir;
    writeBytes(dir.path() / "p.cr3", cr3);
    uint32_t h = 0;
    ASSERT_EQ(ExifPhotoOpen(narrow(dir.path() / "p.cr3").c_str(), &h), EXIF_OK);
    EXPECT_EQ(textOrNothing(ExifGetModel, h), "Canon EOS R5");
    EXPECT_EQ(dateOf(h), "2021:07:04 15:16:17");
    EXPECT_EQ(ExifFileClose(h), EXIF_OK);
}

// Where the directories or boxes lie far past the first bytes read, the
// readers read on from the file where they point: a DNG whose IFD0 comes
// after 600 KiB (as TIFF writers that put it after the image do), a CR3 and
// a HEIC with a large box before their metadata.
TEST(AFileWhoseMetadataLiesFarIntoIt, isReadWhereItPoints)
{
    const auto bigEndian = [](Bytes& b, std::size_t at, uint32_t v) { Patcher{b, false}.u32(at, v); };
    const auto bigEndianAt = [](const Bytes& b, std::size_t at) {
        return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
    };
    const auto boxAt = [](const Bytes& b, const char* type) {
        return std::size_t(std::search(b.begin(), b.end(), type, type + 4) - b.begin()) - 4;
    };
    const std::size_t pad = 600 * 1024;
    Bytes dng = readBytes(rawFixture("adobe_mm.dng"));
    const std::size_t ifd0 = (std::size_t(dng[6]) << 8) | dng[7];
    const std::size_t table = 2 + 12 * ((std::size_t(dng[ifd0]) << 8) | dng[ifd0 + 1]) + 4;
    const Bytes copy(dng.begin() + long(ifd0), dng.begin() + long(ifd0 + table));
    dng.resize(dng.size() + pad);
    bigEndian(dng, 4, uint32_t(dng.size()));
    dng.insert(dng.end(), copy.begin(), copy.end());

    Bytes free = {0, 0, 0, 0, 'f', 'r', 'e', 'e'};
    free.resize(pad);
    bigEndian(free, 0, uint32_t(pad));
    Bytes cr3 = readBytes(rawFixture("canon.cr3"));
    cr3.insert(cr3.begin() + long(boxAt(cr3, "moov")), free.begin(), free.end());
    Bytes heic = readBytes(rawFixture("apple.heic"));
    const std::size_t iloc = boxAt(heic, "iloc");
    for (std::size_t offset : {iloc + 24, iloc + 40})  // the items' extents, from the file's start
        bigEndian(heic, offset, bigEndianAt(heic, offset) + uint32_t(pad));
    heic.insert(heic.begin() + long(boxAt(heic, "mdat")), free.begin(), free.end());

    const std::pair<const char*, const Bytes*> files[] = {{"far.dng", &dng}, {"far.cr3", &cr3}, {"far.heic", &heic}};
    const char* models[] = {"Fixture DNG MM", "Canon EOS R5", "iPhone 13"};
    for (std::size_t i = 0; i < std::size(files); ++i) {
        SCOPED_TRACE(files[i].first);
        TempDir dir;
        const auto path = dir.path() / files[i].first;
        writeBytes(path, *files[i].second);
        uint32_t h = 0;
        ASSERT_EQ(ExifPhotoOpen(narrow(path).c_str(), &h), EXIF_OK);
        EXPECT_EQ(textOrNothing(ExifGetModel, h), models[i]);
        uint64_t offset = 0, length = 0;
        if (ExifGetPreview(h, &offset, &length) == EXIF_OK) EXPECT_EQ((*files[i].second)[offset + 1], 0xD8);
        EXPECT_EQ(ExifFileClose(h), EXIF_OK);
    }
}

// The reading open of a JPEG reads what ExifFileOpen reads, and its picture
// is the whole file.
TEST(AJpegOpenedForReading, readsAsItsWritingOpenDoesAndIsItsOwnPreview)
{
    for (const char* name : {"ii_jfif_thumbnail.jpg", "mm_gps_xmp.jpg", "no_exif.jpg"}) {
        SCOPED_TRACE(name);
        uint32_t reading = 0;
        ASSERT_EQ(ExifPhotoOpen(narrow(fixture(name)).c_str(), &reading), EXIF_OK);
        OpenedPhoto writing(fixture(name));
        ASSERT_EQ(writing.status, EXIF_OK);
        int32_t kind = 0;
        EXPECT_EQ(ExifGetPhotoKind(reading, &kind), EXIF_OK);
        EXPECT_EQ(kind, EXIF_KIND_JPEG);
        int readStatus = 0, writeStatus = 0;
        EXPECT_EQ(dateOf(reading, &readStatus), dateOf(writing.handle, &writeStatus));
        EXPECT_EQ(readStatus, writeStatus);
        uint32_t a[6], b[6];
        EXPECT_EQ(ExifGetGPSLatitude(reading, a), ExifGetGPSLatitude(writing.handle, b));
        EXPECT_EQ(std::memcmp(a, b, sizeof a), 0);
        uint64_t offset = 1, length = 0;
        EXPECT_EQ(ExifGetPreview(reading, &offset, &length), EXIF_OK);
        EXPECT_EQ(offset, 0u);
        EXPECT_EQ(length, std::filesystem::file_size(fixture(name)));
        EXPECT_EQ(ExifFileClose(reading), EXIF_OK);
    }
}

}  // namespace

namespace {

// The XMP packet of the photo behind the handle, as the library hands it out.
std::string xmpOf(uint32_t h)
{
    uint32_t length = 0;
    if (ExifGetXmpPacket(h, 0, nullptr, &length) != EXIF_ERR_ARGUMENT) return {};
    std::string packet(length, '\0');
    if (ExifGetXmpPacket(h, length, packet.data(), &length) != EXIF_OK) return {};
    return packet;
}

// The packet as it stands in the file: after the standard XMP header.
std::string packetInFile(const Bytes& jpeg, std::size_t& at)
{
    const std::string header("http://ns.adobe.com/xap/1.0/", 29);
    const std::string all(jpeg.begin(), jpeg.end());
    const std::size_t h = all.find(header);
    if (h == std::string::npos || h < 4) return {};
    const std::size_t length = (std::size_t(jpeg[h - 2]) << 8) | jpeg[h - 1];
    at = h + header.size();
    return all.substr(at, length - 2 - header.size());
}

struct XmpEdit {
    const char* name;
    int grow;               // bytes more than the old packet (within its padding when negative)
    const char* badBytes;   // the packet instead, when set
    int status;             // of the set
    std::size_t totalSize = 0;  // the packet's size instead, when set
    bool withGps = true;    // the position set in the same close
    bool inBatch = false;   // closed into a batch, written at its commit
};

class SettingTheXmpPacket : public ::testing::TestWithParam<XmpEdit> {};

}  // namespace

TEST_P(SettingTheXmpPacket, landsWithThePositionOrChangesNothing)
{
    const XmpEdit& edit = GetParam();
    TempDir dir;
    const auto path = copyFixture(dir.path(), "mm_gps_xmp.jpg");
    const Bytes before = readBytes(path);
    std::size_t at = 0;
    const std::string oldPacket = packetInFile(before, at);
    ASSERT_FALSE(oldPacket.empty());
    std::string packet = oldPacket;
    if (edit.grow >= 0) packet.append(std::size_t(edit.grow), ' ');
    else packet.resize(packet.size() - std::size_t(-edit.grow));
    // The edit a core makes: the same text, the padding shorter or longer.
    packet.replace(packet.find("Fixture with XMP"), 16, "Fixture with xmp");
    if (edit.totalSize != 0) packet.resize(edit.totalSize, ' ');
    if (edit.badBytes != nullptr) packet = edit.badBytes;
    uint32_t batch = 0;
    if (edit.inBatch) ASSERT_EQ(ExifBatchBegin(&batch), EXIF_OK);
    {
        OpenedPhoto photo(path);
        if (edit.inBatch) ASSERT_EQ(ExifBatchAdd(batch, photo.handle), EXIF_OK);
        ASSERT_EQ(xmpOf(photo.handle), oldPacket);
        EXPECT_EQ(ExifSetXmpPacket(photo.handle, packet.data(), uint32_t(packet.size())), edit.status);
        if (edit.withGps)
            EXPECT_EQ(setGps(photo.handle), edit.status == EXIF_ERR_TOO_LARGE ? EXIF_ERR_TOO_LARGE : EXIF_OK);
        if (edit.status == EXIF_OK) EXPECT_EQ(xmpOf(photo.handle), packet);
        EXPECT_EQ(photo.close(), edit.status == EXIF_ERR_TOO_LARGE ? EXIF_ERR_TOO_LARGE : EXIF_OK);
        if (edit.inBatch) {
            EXPECT_EQ(readBytes(path), before) << "written only at the commit";
            ExifStatus result = 1;
            EXPECT_EQ(ExifBatchCommit(batch), EXIF_OK);
            EXPECT_EQ(ExifBatchGetResult(batch, photo.handle, &result), EXIF_OK);
            EXPECT_EQ(result, EXIF_OK);
            EXPECT_EQ(ExifBatchEnd(batch), EXIF_OK);
        }
    }
    const Bytes after = readBytes(path);
    if (edit.status == EXIF_ERR_TOO_LARGE) {
        EXPECT_EQ(after, before);
        return;
    }
    std::size_t newAt = 0;
    EXPECT_EQ(packetInFile(after, newAt), edit.status == EXIF_OK ? packet : oldPacket);
    if (!edit.withGps) {  // only the packet's bytes differ
        ASSERT_EQ(after.size(), before.size());
        Bytes expected = before;
        std::copy(packet.begin(), packet.end(), expected.begin() + std::ptrdiff_t(at));
        EXPECT_EQ(after, expected);
        return;
    }
    OpenedPhoto reopened(path);
    uint32_t latitude[6] = {};
    ASSERT_EQ(ExifGetGPSLatitude(reopened.handle, latitude), EXIF_OK);
    EXPECT_EQ(latitude[4], GpsValues{}.latitude[4]);
    // Everything after the XMP segment - the image data - as it was.
    const std::size_t oldTail = at + oldPacket.size();
    const std::size_t newTail = newAt + packetInFile(after, newAt).size();
    ASSERT_EQ(after.size() - newTail, before.size() - oldTail);
    EXPECT_TRUE(std::equal(after.begin() + std::ptrdiff_t(newTail), after.end(), before.begin() + std::ptrdiff_t(oldTail)));
}

INSTANTIATE_TEST_SUITE_P(
    Edits, SettingTheXmpPacket,
    ::testing::Values(XmpEdit{"sameLengthAlone", 0, nullptr, EXIF_OK, 0, false},
                      XmpEdit{"sameLengthWithThePosition", 0, nullptr, EXIF_OK},
                      XmpEdit{"shorter", -100, nullptr, EXIF_OK},
                      XmpEdit{"longerThanItsPadding", 5000, nullptr, EXIF_OK},
                      XmpEdit{"longerInABatch", 5000, nullptr, EXIF_OK, 0, true, true},
                      XmpEdit{"asLongAsOneSegmentHolds", 0, nullptr, EXIF_OK, 65504},
                      XmpEdit{"tooLongForOneSegment", 0, nullptr, EXIF_ERR_TOO_LARGE, 65505},
                      XmpEdit{"notUtf8", 0, "<x>\xC3\x28</x>", EXIF_ERR_ARGUMENT},
                      XmpEdit{"overlongUtf8", 0, "<x>\xC0\xAF</x>", EXIF_ERR_ARGUMENT},
                      XmpEdit{"surrogate", 0, "<x>\xED\xA0\x80</x>", EXIF_ERR_ARGUMENT},
                      XmpEdit{"empty", 0, "", EXIF_ERR_ARGUMENT}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AnXmpPacket, isNotFoundWithoutASegmentAndNotSetOnReadingHandles)
{
    OpenedPhoto plain(fixture("mm_plain.jpg"));
    uint32_t length = 7;
    EXPECT_EQ(ExifGetXmpPacket(plain.handle, 0, nullptr, &length), EXIF_ERR_NOT_FOUND);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(ExifSetXmpPacket(plain.handle, "<x/>", 4), EXIF_ERR_NOT_FOUND);
    uint32_t h = 0;
    ASSERT_EQ(ExifPhotoOpen(narrow(fixture("mm_gps_xmp.jpg")).c_str(), &h), EXIF_OK);
    EXPECT_FALSE(xmpOf(h).empty());
    EXPECT_EQ(ExifSetXmpPacket(h, "<x/>", 4), EXIF_ERR_READ_ONLY_KIND);
    EXPECT_EQ(ExifFileClose(h), EXIF_OK);
}
}  // namespace vantora::test::exif

namespace vantora::test::exif {

// An XMP segment before the Exif segment: moving it would move the Exif
// block, which the library does not follow. A packet of the old length is
// taken; another is refused at the close, the file left as it was.
TEST(AnXmpSegmentBeforeTheExifSegment, takesAPacketOfItsLengthAndRefusesAnother)
{
    const Bytes jpeg = readBytes(fixture("mm_gps_xmp.jpg"));
    const ExifSegment exif = findExif(jpeg);
    std::size_t at = 0;
    const std::string packet = packetInFile(jpeg, at);
    ASSERT_TRUE(exif.found && !packet.empty());
    const std::size_t xmpStart = at - 29 - 4;
    const std::size_t xmpEnd = at + packet.size();
    ASSERT_GE(xmpStart, exif.end);
    const auto part = [&jpeg](std::size_t from, std::size_t to) {
        return Bytes(jpeg.begin() + std::ptrdiff_t(from), jpeg.begin() + std::ptrdiff_t(to));
    };
    Bytes swapped = part(0, exif.start);
    for (const Bytes& p : {part(xmpStart, xmpEnd), part(exif.start, xmpStart), part(xmpEnd, jpeg.size())})
        swapped.insert(swapped.end(), p.begin(), p.end());
    for (const std::size_t grow : {std::size_t(0), std::size_t(10)}) {
        SCOPED_TRACE(grow);
        TempDir dir;
        const auto path = photoFile(dir.path(), swapped);
        std::string edited = packet + std::string(grow, ' ');
        edited.replace(edited.find("Fixture with XMP"), 16, "Fixture with xmp");
        {
            OpenedPhoto photo(path);
            EXPECT_EQ(ExifSetXmpPacket(photo.handle, edited.data(), uint32_t(edited.size())), EXIF_OK);
            EXPECT_EQ(setGps(photo.handle), EXIF_OK);
            EXPECT_EQ(photo.close(), grow == 0 ? EXIF_OK : EXIF_ERR_TRAILER);
        }
        const Bytes after = readBytes(path);
        if (grow != 0) {
            EXPECT_EQ(after, swapped);
            continue;
        }
        std::size_t newAt = 0;
        EXPECT_EQ(packetInFile(after, newAt), edited);
        EXPECT_EQ(newAt, exif.start + (at - xmpStart));  // first, as it was put
    }
}

}  // namespace vantora::test::exif
