// Reading tags and writing them back, on the fixtures of both byte orders
// and on small blocks built in memory.
#include "exif_test_support.h"
#include "support/temp_dir.h"
#include "tiff.h"

#include <gtest/gtest.h>

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
// Exif directory: OffsetTimeOriginal in its shapes, and a body serial.
TEST(AnExifDirectoryTag, readsTheCamerasZoneAndSerialAsStored)
{
    struct Case {
        uint16_t tag;
        const char* value;  // stored with its NUL
        int zoneStatus;
        const char* zone;
        const char* serial;
    };
    const Case cases[] = {
        {0x9011, "+10:00", EXIF_OK, "+10:00", ""},
        {0x9011, "-03:30", EXIF_OK, "-03:30", ""},
        {0x9011, "   :  ", EXIF_ERR_NOT_FOUND, "", ""},
        {0x9011, "+1000", EXIF_ERR_FORMAT, "", ""},
        {0x9011, "10:00Z", EXIF_ERR_FORMAT, "", ""},
        {0xA431, "2008123", EXIF_ERR_NOT_FOUND, "", "2008123"},
    };
    for (bool little : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.value) + (little ? " II" : " MM"));
            TempDir dir;
            Bytes tiff = tinyTiff(little);
            Patcher p{tiff, little};
            const auto count = static_cast<uint32_t>(std::strlen(c.value) + 1);
            p.entry(TinyTiff::dateEntry, c.tag, 2, count, TinyTiff::dateValue);
            p.text(TinyTiff::dateValue, c.value, count);
            OpenedPhoto photo(photoFile(dir.path(), tinyJpeg(tiff)));
            ASSERT_EQ(photo.status, EXIF_OK);
            char zone[8];
            EXPECT_EQ(ExifGetOffsetTimeOriginal(photo.handle, zone), c.zoneStatus);
            EXPECT_STREQ(zone, c.zone);
            char serial[16];
            ExifGetBodySerialNumber(photo.handle, sizeof serial, serial);
            EXPECT_STREQ(serial, c.serial);
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

}  // namespace
}  // namespace vantora::test::exif
