// Reading photos into the list and writing positions and shooting times
// back, through the Exif library, on real files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "demo_photo.h"
#include "exif/Exif.h"
#include "photo/matching.h"
#include "photo/photo_list.h"
#include "photo/photo_reading.h"
#include "photo/exif_file.h"
#include "photo/photo_writing.h"
#include "photo/xmp_values.h"
#include "photo/track_builder.h"
#include "platform/code_page.h"
#include "support/temp_dir.h"
#include "support/time_zone.h"

namespace vantora {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Replaces the first occurrence of `from` in the photo's bytes.
Bytes patched(Bytes bytes, const std::string& fromText, const std::string& toText)
{
    const Bytes from(fromText.begin(), fromText.end());
    const Bytes to(toText.begin(), toText.end());
    auto at = std::search(bytes.begin(), bytes.end(), from.begin(), from.end());
    EXPECT_NE(at, bytes.end()) << fromText;
    if (at != bytes.end())
        std::copy(to.begin(), to.end(), at);
    return bytes;
}

// The demo photo with its DateTimeOriginal tag turned into DateTimeDigitized,
// so that it has no shooting time.
Bytes photoWithoutShootingTime()
{
    return patched(demo_photo::makeDemoJpeg("2008:05:12 10:20:30"), std::string("\x03\x90", 2),
                   std::string("\x04\x90", 2));
}

class PhotoFiles : public ::testing::Test {
protected:
    std::filesystem::path photo(const std::string& name, const std::string& taken)
    {
        return write(name, demo_photo::makeDemoJpeg(taken));
    }

    std::filesystem::path write(const std::string& name, const Bytes& bytes)
    {
        return dir_.write(name, std::string(bytes.begin(), bytes.end()));
    }

    // The GPS tags as the library reads them back from the file.
    struct GpsTags {
        unsigned char version[4] = {};
        char latitudeRef[4] = {};
        std::uint32_t latitude[6] = {};
        std::uint32_t stamp[6] = {};
        char status[4] = {};
        char datum[16] = {};
    };

    GpsTags gpsTagsOf(const std::filesystem::path& path)
    {
        GpsTags tags;
        ExifFile file(path);  // the ANSI open, or the wide one where that cannot name it
        EXPECT_TRUE(file.isOpen());
        const std::uint32_t h = file.handle();
        ExifGetGPSVersion(h, tags.version);
        ExifGetGPSLatitudeRef(h, tags.latitudeRef);
        ExifGetGPSLatitude(h, tags.latitude);
        ExifGetGPSTimeStamp(h, tags.stamp);
        ExifGetGPSStatus(h, tags.status);
        ExifGetGPSMapDatum(h, sizeof tags.datum, tags.datum);
        return tags;
    }

    std::string dateTimeOriginalOf(const std::filesystem::path& path)
    {
        const auto ansi = platform::toAnsiPath(path);
        std::uint32_t h = 0;
        char text[20] = {};
        EXPECT_EQ(ExifFileOpen(ansi->c_str(), &h), EXIF_OK);
        ExifGetDateTimeOriginal(h, text);
        ExifFileClose(h);
        return text;
    }

    PhotoRecord matchedRecord(const std::filesystem::path& path)
    {
        PhotoRecord record;
        EXPECT_EQ(readPhoto(path, record.exif), kPhotoRead);
        record.match = test::fixMatch(test::dateTime(2008, 5, 1, 1, 30, 5),
                                        test::dms(35, 39, 74), test::dms(139, 45, 407));
        return record;
    }

    test::ScopedTimeZone tz_{"JST-9"};
    test::TempDir dir_;
    LogList noLogs_;
};

TEST_F(PhotoFiles, readTheShootingTimeAsTextAndNumbers)
{
    PhotoExifData exif;
    const auto path = photo("a.jpg", "2008:05:12 10:20:30");
    ASSERT_EQ(readPhoto(path, exif), kPhotoRead);
    EXPECT_EQ(exif.path, path);
    EXPECT_STREQ(exif.shootingTime.dateTimeText, "2008/05/12 10:20:30");
    EXPECT_EQ(exif.shootingTime.year, 2008);
    EXPECT_EQ(exif.shootingTime.month, 5);
    EXPECT_EQ(exif.shootingTime.day, 12);
    EXPECT_EQ(exif.shootingTime.hour, 10);
    EXPECT_EQ(exif.shootingTime.minute, 20);
    EXPECT_EQ(exif.shootingTime.second, 30);
    EXPECT_EQ(exif.hasGpsTags, 0);
    EXPECT_EQ(exif.gpsVersion, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

TEST_F(PhotoFiles, acceptOnlyExif21AndLater)
{
    const Bytes original = demo_photo::makeDemoJpeg("2008:05:12 10:20:30");
    const struct {
        const char* version;
        int result;
    } cases[] = {{"0230", kPhotoRead}, {"0210", kPhotoRead}, {"0300", kPhotoRead},
                 {"0220", kPhotoRead}, {"0200", kPhotoVersionRefused},
                 {"0110", kPhotoVersionRefused}, {"0100", kPhotoVersionRefused}};
    for (const auto& c : cases) {
        PhotoExifData exif;
        const auto path = write(std::string(c.version) + ".jpg", patched(original, "0230", c.version));
        EXPECT_EQ(readPhoto(path, exif), c.result) << c.version;
    }
}

TEST_F(PhotoFiles, refuseWhatTheLibraryCannotOpen)
{
    PhotoExifData exif;
    EXPECT_EQ(readPhoto(dir_.path() / "missing.jpg", exif), kPhotoCannotOpen);
    EXPECT_EQ(readPhoto(dir_.write("text.jpg", "not a photo"), exif), kPhotoCannotOpen);
    EXPECT_EQ(readPhoto(dir_.path(), exif), kPhotoCannotOpen);
    EXPECT_TRUE(exif.path.empty());
}

// The reading open takes raw photos, which the writing open (JPEG only)
// refuses as ever.
TEST_F(PhotoFiles, openARawPhotoOnlyForReading)
{
    const auto raw = std::filesystem::path(EXIF_FIXTURE_DIR).parent_path() / "raw" / "canon_ii.cr2";
    EXPECT_FALSE(ExifFile(raw).isOpen());
    ExifFile file(raw, ExifFile::Access::anyKindReadOnly);
    ASSERT_TRUE(file.isOpen());
    EXPECT_TRUE(file.hasSupportedVersion());
    EXPECT_EQ(file.photoKind(), EXIF_KIND_TIFF_RAW);
    ASSERT_TRUE(file.preview());
    EXPECT_EQ(file.preview()->length, 328u);
    EXPECT_EQ(ExifSetGPSMapDatum(file.handle(), "WGS-84"), EXIF_ERR_READ_ONLY_KIND);
}

TEST_F(PhotoFiles, refusePathsOf260CharactersOrMore)
{
    const std::size_t base = utf16Length(dir_.path()) + 1;
    if (base + 10 >= kMaxPathLength)
        GTEST_SKIP() << "temporary folder path too long for this check";
    const auto fits = photo(std::string(kMaxPathLength - base - 4, 'a') + ".jpg", "2008:05:12 10:20:30");
    const auto tooLong = photo(std::string(kMaxPathLength - base - 3, 'a') + ".jpg", "2008:05:12 10:20:30");
    PhotoExifData exif;
    EXPECT_EQ(readPhoto(fits, exif), kPhotoRead);
    EXPECT_EQ(readPhoto(tooLong, exif), kPhotoCannotOpen);
}

TEST_F(PhotoFiles, keepAPhotoWithoutShootingTimeButSortItLast)
{
    const Bytes withoutTime = photoWithoutShootingTime();
    PhotoList list(noLogs_);
    int added = 0;
    bool limitReached = false;
    const int result = addPhotos(list, {write("none.jpg", withoutTime), photo("b.jpg", "2008:05:12 10:20:31"),
                                        photo("a.jpg", "2008:05:12 10:20:30")},
                                 added, limitReached);
    EXPECT_EQ(result, kAllAdded);
    ASSERT_EQ(list.records.size(), 3u);
    EXPECT_EQ(list.records[0].exif.path.filename(), "a.jpg");
    EXPECT_EQ(list.records[2].exif.path.filename(), "none.jpg");
    EXPECT_STREQ(list.records[2].exif.shootingTime.dateTimeText, "");
}

TEST_F(PhotoFiles, readTheirCameraAndTellAMissingShootingTimeFromOneThatCannotBeRead)
{
    PhotoExifData canon;
    ASSERT_EQ(readPhoto(std::filesystem::path(EXIF_FIXTURE_DIR) / "ii_canon_makernote.jpg", canon), kPhotoRead);
    EXPECT_EQ(canon.camera, (CameraId{"Canon", "Canon EOS 5D", ""}));
    EXPECT_EQ(cameraName(canon.camera), "Canon EOS 5D");
    EXPECT_STREQ(canon.offsetTimeOriginal, "");

    LogList logs;
    logs.push_back(test::LogBuilder("day.log").fix(test::dateTime(2008, 5, 12, 1, 20, 30), 0, 0).build());
    PhotoList list(logs);
    int added = 0;
    bool limitReached = false;
    addPhotos(list, {write("none.jpg", photoWithoutShootingTime()),
                     photo("month13.jpg", "2008:13:12 10:20:30")},
              added, limitReached);
    ASSERT_EQ(added, 2);
    matchAll(list, UtcOffset{});
    EXPECT_EQ(list.records[0].reason.kind, MatchKind::noShootingTime);
    EXPECT_EQ(list.records[1].reason.kind, MatchKind::unreadableShootingTime);
}

TEST_F(PhotoFiles, addInShootingTimeOrderAndReportWhatWasRefused)
{
    std::vector<std::filesystem::path> paths;
    for (int i = 24; i >= 0; --i)
        paths.push_back(photo("p" + std::to_string(i) + ".jpg",
                              "2008:05:12 10:" + std::to_string(10 + i) + ":00"));
    PhotoList list(noLogs_);
    int added = 0;
    bool limitReached = true;
    EXPECT_EQ(addPhotos(list, paths, added, limitReached), kAllAdded);
    EXPECT_EQ(added, 25);
    EXPECT_FALSE(limitReached);
    EXPECT_EQ(list.records.front().exif.path.filename(), "p0.jpg");
    EXPECT_EQ(list.records.back().exif.path.filename(), "p24.jpg");

    EXPECT_EQ(addPhotos(list, {dir_.path() / "missing.jpg", photo("late.jpg", "2009:01:01 00:00:00")},
                        added, limitReached),
              kSomeNotAdded);
    EXPECT_EQ(added, 1);
}

TEST_F(PhotoFiles, stopAtTwoThousandPhotos)
{
    PhotoList list(noLogs_);
    list.records.resize(1995);
    std::vector<std::filesystem::path> paths;
    for (int i = 0; i < 10; ++i)
        paths.push_back(photo("p" + std::to_string(i) + ".jpg", "2008:05:12 10:20:3" + std::to_string(i)));
    int added = 0;
    bool limitReached = false;
    EXPECT_EQ(addPhotos(list, paths, added, limitReached), kSomeNotAdded);
    EXPECT_EQ(added, 5);
    EXPECT_TRUE(limitReached);
    EXPECT_EQ(list.records.size(), kMaxPhotos);
}

TEST_F(PhotoFiles, stopWhenTheProgressAnswersAndKeepWhatWasAdded)
{
    std::vector<std::filesystem::path> paths;
    for (int i = 0; i < 5; ++i)
        paths.push_back(photo("p" + std::to_string(i) + ".jpg", "2008:05:12 10:20:3" + std::to_string(4 - i)));
    PhotoList list(noLogs_);
    int added = 0;
    bool limitReached = false;
    std::vector<int> seen;
    const int result = addPhotos(list, paths, added, limitReached, [&](int position, int total) {
        EXPECT_EQ(total, 5);
        seen.push_back(position);
        return position == 3 ? 1 : 0;
    });
    EXPECT_EQ(result, kAddingStopped);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
    ASSERT_EQ(added, 3);
    EXPECT_EQ(list.records[0].exif.path.filename(), "p2.jpg");  // sorted after the stop
}

TEST_F(PhotoFiles, writeExactlyTheMatchedGpsTags)
{
    const auto path = photo("a.jpg", "2008:05:01 10:30:05");
    PhotoList list(noLogs_);
    list.records.push_back(matchedRecord(path));
    const WriteSummary summary = writePositions(list);
    EXPECT_EQ(summary.written, 1);
    EXPECT_EQ(summary.failed, 0);

    const GpsTags tags = gpsTagsOf(path);
    EXPECT_EQ(std::vector<int>(tags.version, tags.version + 4), (std::vector<int>{2, 0, 0, 0}));
    EXPECT_STREQ(tags.latitudeRef, "N");
    EXPECT_EQ(std::vector<std::uint32_t>(tags.latitude, tags.latitude + 6),
              (std::vector<std::uint32_t>{35, 1, 39, 1, 74, 10}));
    EXPECT_EQ(std::vector<std::uint32_t>(tags.stamp, tags.stamp + 6),
              (std::vector<std::uint32_t>{1, 1, 30, 1, 5, 1}));
    EXPECT_STREQ(tags.status, "A");
    EXPECT_STREQ(tags.datum, "WGS-84");
    EXPECT_EQ(dateTimeOriginalOf(path), "2008:05:01 10:30:05");  // untouched

    const PhotoExifData& exif = list.records[0].exif;
    EXPECT_EQ(exif.hasGpsTags, 1);
    EXPECT_STREQ(exif.gpsMapDatum, "WGS-84");
    EXPECT_STREQ(exif.gpsTimeText, "01:30:05");
    EXPECT_EQ(std::string(exif.latitudeText), std::string(list.records[0].match->point.latitudeText));

    // What the list now holds is what the file reads back.
    PhotoExifData reread;
    ASSERT_EQ(readPhoto(path, reread), kPhotoRead);
    EXPECT_EQ(std::string(reread.latitudeText), std::string(exif.latitudeText));
    EXPECT_EQ(std::string(reread.longitudeText), std::string(exif.longitudeText));
    EXPECT_EQ(reread.hasGpsTags, 1);
}

TEST_F(PhotoFiles, keepAnExistingNewerGpsVersionInTheListAndTheFile)
{
    const auto path = photo("a.jpg", "2008:05:01 10:30:05");
    {
        const auto ansi = platform::toAnsiPath(path);
        std::uint32_t h = 0;
        ASSERT_EQ(ExifFileOpen(ansi->c_str(), &h), EXIF_OK);
        const unsigned char v22[4] = {2, 2, 0, 0};
        ExifSetGPSVersion(h, v22);
        ASSERT_EQ(ExifFileClose(h), EXIF_OK);
    }
    PhotoList list(noLogs_);
    list.records.push_back(matchedRecord(path));
    EXPECT_EQ(list.records[0].exif.gpsVersion, (std::array<std::uint8_t, 4>{2, 2, 0, 0}));
    writePositions(list);
    EXPECT_EQ(list.records[0].exif.gpsVersion, (std::array<std::uint8_t, 4>{2, 2, 0, 0}));
    // Not downgraded in the file either: its 2.2 tags stay consistent.
    EXPECT_EQ(gpsTagsOf(path).version[1], 2);
}

// A folder named "José 한국" on a Japanese PC: the ANSI code page cannot
// hold its name, and the photo is read and written all the same.
TEST_F(PhotoFiles, inAFolderTheAnsiCodePageCannotNameAreReadAndWritten)
{
    const auto bytes = demo_photo::makeDemoJpeg("2008:05:01 10:30:05");
    const auto path = dir_.write(std::filesystem::path(u8"Jos\u00e9 \ud55c\uad6d") / u8"\u5199\u771f.jpg",
                                 std::string(bytes.begin(), bytes.end()));
    PhotoList list(noLogs_);
    int added = 0;
    bool limitReached = false;
    addPhotos(list, {path}, added, limitReached);
    ASSERT_EQ(added, 1);
    EXPECT_STREQ(list.records[0].exif.shootingTime.dateTimeText, "2008/05/01 10:30:05");
    list.records[0].match = matchedRecord(path).match;
    EXPECT_EQ(writePositions(list).written, 1);
    EXPECT_EQ(gpsTagsOf(path).version[0], 2);
}

// The demo photo with an XMP segment after its Exif segment.
Bytes photoWithXmp(const std::string& description, std::size_t padding)
{
    const std::string packet = "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
                               "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
                               "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n" +
                               description + "\n</rdf:RDF></x:xmpmeta>\n" + std::string(padding, ' ') +
                               "\n<?xpacket end=\"w\"?>";
    const std::string header("http://ns.adobe.com/xap/1.0/", 29);
    const std::size_t length = 2 + header.size() + packet.size();
    Bytes segment{0xFF, 0xE1, static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length)};
    segment.insert(segment.end(), header.begin(), header.end());
    segment.insert(segment.end(), packet.begin(), packet.end());
    Bytes jpeg = demo_photo::makeDemoJpeg("2008:05:01 10:30:05");
    const std::size_t exifEnd = 4 + ((std::size_t(jpeg[4]) << 8) | jpeg[5]);  // SOI, then the Exif APP1
    jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(exifEnd), segment.begin(), segment.end());
    return jpeg;
}

// A photo whose own XMP holds a position gets the written one there too,
// in its padding where it fits; one whose XMP cannot take it is not written.
TEST_F(PhotoFiles, writeThePositionIntoTheirOwnXmpWhereItHoldsOne)
{
    const std::string rdfExif = "<rdf:Description rdf:about=\"\" xmlns:exif=\"http://ns.adobe.com/exif/1.0/\" "
                                "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"";
    const std::string title = "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">\xE5\x86\x99\xE7\x9C\x9F"
                              "</rdf:li></rdf:Alt></dc:title>";
    const struct {
        const char* name;
        std::string description;
        std::size_t padding;
        bool rewritten;        // the packet gets the position
        bool keepsLength;      // ... in its padding
        bool written;          // the photo takes the change at all
    } cases[] = {
        {"padded", rdfExif + " exif:GPSLatitude=\"10,0.0000N\" exif:GPSVersionID=\"2.2.0.0\">" + title +
                   "</rdf:Description>", 2048, true, true, true},
        {"unpadded", rdfExif + "><exif:GPSLongitude>20,0.0000W</exif:GPSLongitude>" + title + "</rdf:Description>",
         0, true, false, true},
        {"noPosition", rdfExif + ">" + title + "</rdf:Description>", 100, false, false, true},
        {"positionAsAStructure", rdfExif + "><exif:GPSLatitude><rdf:Bag><rdf:li>1</rdf:li></rdf:Bag>"
                                 "</exif:GPSLatitude><exif:GPSMapDatum>TOKYO</exif:GPSMapDatum></rdf:Description>",
         100, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = write(std::string(c.name) + ".jpg", photoWithXmp(c.description, c.padding));
        const auto packetOf = [&path] { return ExifFile(path).xmpPacket().value_or(""); };
        const std::string before = packetOf();
        const Bytes bytesBefore = readBytes(path);
        PhotoList list(noLogs_);
        list.records.push_back(matchedRecord(path));
        const WriteSummary summary = writePositions(list);
        EXPECT_EQ(summary.written, c.written ? 1 : 0);
        const std::string after = packetOf();
        if (!c.written) {
            ASSERT_EQ(summary.failures.size(), 1u);
            EXPECT_EQ(summary.failures[0].problem, WriteProblem::xmpNotEditable);
            EXPECT_EQ(readBytes(path), bytesBefore);
            EXPECT_EQ(list.records[0].exif.hasGpsTags, 0);
            continue;
        }
        EXPECT_EQ(gpsTagsOf(path).latitude[4], 74u);
        if (!c.rewritten) {
            EXPECT_EQ(after, before);
            continue;
        }
        EXPECT_EQ(after.size() == before.size(), c.keepsLength) << after;
        const auto values = readXmpValues(after);
        ASSERT_TRUE(values && values->hasPosition());
        EXPECT_NEAR(values->latitude->signedDegrees(), 35 + 39 / 60.0 + 7.4 / 3600, 1e-6);
        EXPECT_NEAR(values->longitude->signedDegrees(), 139 + 45 / 60.0 + 40.7 / 3600, 1e-6);
        EXPECT_EQ(values->gpsVersionId, "2.0.0.0");  // what the Exif took
        EXPECT_EQ(values->gpsMapDatum, "WGS-84");
        EXPECT_EQ(values->gpsTimeStamp, "2008-05-01T01:30:05Z");
        EXPECT_NE(after.find(title), std::string::npos);
    }
}

// A shift moves the times a photo's own XMP holds, in their zone, and adds
// none; one whose XMP cannot take the move is not shifted at all.
TEST_F(PhotoFiles, shiftTheTimesTheirOwnXmpHoldsAndAddNone)
{
    const std::string rdf = "<rdf:Description rdf:about=\"\" xmlns:exif=\"http://ns.adobe.com/exif/1.0/\" "
                            "xmlns:photoshop=\"http://ns.adobe.com/photoshop/1.0/\"";
    const struct {
        const char* name;
        std::string description;
        const char* expected;  // in the packet after the shift; none: not shifted
    } cases[] = {
        {"attribute", rdf + " exif:DateTimeOriginal=\"2008-05-01T10:30:05+09:00\"/>",
         "exif:DateTimeOriginal=\"2008-05-01T11:30:05+09:00\"/>"},
        {"element", rdf + "><photoshop:DateCreated>2008-05-01T10:30:05</photoshop:DateCreated></rdf:Description>",
         "<photoshop:DateCreated>2008-05-01T11:30:05</photoshop:DateCreated></rdf:Description>"},
        {"structure", rdf + "><exif:DateTimeOriginal><rdf:Seq><rdf:li>x</rdf:li></rdf:Seq></exif:DateTimeOriginal>"
                            "</rdf:Description>", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = write(std::string(c.name) + ".jpg", photoWithXmp(c.description, 64));
        const Bytes before = readBytes(path);
        PhotoList list(noLogs_);
        list.records.push_back(matchedRecord(path));
        const WriteSummary summary = shiftShootingTimes(list, true, 1, 0, 0);
        if (c.expected == nullptr) {
            ASSERT_EQ(summary.failures.size(), 1u);
            EXPECT_EQ(summary.failures[0].problem, WriteProblem::xmpNotEditable);
            EXPECT_EQ(readBytes(path), before);
            continue;
        }
        EXPECT_EQ(dateTimeOriginalOf(path), "2008:05:01 11:30:05");
        const std::string packet = ExifFile(path).xmpPacket().value_or("");
        EXPECT_NE(packet.find(c.expected), std::string::npos) << packet;
        EXPECT_TRUE(packet.find("DateTimeOriginal") == std::string::npos ||
                    packet.find("DateCreated") == std::string::npos)
            << "none added: " << packet;
        EXPECT_EQ(readBytes(path).size(), before.size()) << "in the padding";
    }
}

TEST_F(PhotoFiles, leaveTheListAsTheFileIsWhenAWriteFails)
{
    const auto path = photo("a.jpg", "2008:05:01 10:30:05");
    PhotoList list(noLogs_);
    list.records.push_back(matchedRecord(path));
    list.records.push_back(PhotoRecord{});  // without a match: passed over
    std::filesystem::remove(path);
    std::vector<int> progress;
    const WriteSummary summary = writePositions(list, [&](int position, int total) {
        progress.push_back(position * 10 + total);
        return 1;  // not cancellable: the answer is not used
    });
    EXPECT_EQ(summary.failed, 1);
    EXPECT_EQ(summary.unmatched, 1);
    ASSERT_EQ(summary.failures.size(), 1u);
    EXPECT_EQ(summary.failures[0].path, path);
    EXPECT_EQ(summary.failures[0].problem, WriteProblem::cannotOpen);
    EXPECT_EQ(list.records[0].exif.hasGpsTags, 0);
    EXPECT_STREQ(list.records[0].exif.gpsMapDatum, "");
    EXPECT_EQ(progress, (std::vector<int>{12, 22}));
}

// A stop asked for between photos leaves the rest untouched and counted.
TEST_F(PhotoFiles, stopBetweenPhotosWhenAskedAndCountWhatWasLeft)
{
    PhotoList list(noLogs_);
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        list.records.push_back(matchedRecord(photo(name, "2008:05:01 10:30:05")));
    const Bytes untouched = readBytes(list.records[2].exif.path);
    int asked = 0;
    const WriteSummary summary = writePositions(list, {}, [&] { return ++asked > 2; });
    EXPECT_EQ(summary.written, 2);
    EXPECT_EQ(summary.notAttempted, 1);
    EXPECT_EQ(readBytes(list.records[2].exif.path), untouched);
    EXPECT_EQ(list.records[2].exif.hasGpsTags, 0);
    // The photos written before the stop are in their files, not left waiting.
    for (int i : {0, 1})
        EXPECT_STREQ(gpsTagsOf(list.records[static_cast<std::size_t>(i)].exif.path).datum, "WGS-84") << i;
}

// The photos of a run take their changes together at its end, each checked
// once more just before: one that another program changed meanwhile keeps
// that change and its record what the file holds (Windows keeps other
// programs from writing a photo while its new file waits: there the edit
// fails and the photo is written); the failures are named in list order
// whenever they were found.
TEST_F(PhotoFiles, keepAnEditMadeWhileTheRunWasWritingAndNameFailuresInListOrder)
{
    PhotoList list(noLogs_);
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        list.records.push_back(matchedRecord(photo(name, "2008:05:01 10:30:05")));
    std::filesystem::remove(list.records[2].exif.path);
    const Bytes edit = demo_photo::makeDemoJpeg("2009:01:01 00:00:00");
    bool edited = false;
    const WriteSummary summary = writePositions(list, [&](int position, int) {
        if (position == 2) {  // after a.jpg was written beside itself, before the end of the run
            std::ofstream(list.records[0].exif.path, std::ios::binary)
                .write(reinterpret_cast<const char*>(edit.data()), static_cast<std::streamsize>(edit.size()));
            edited = readBytes(list.records[0].exif.path) == edit;
        }
        return 0;
    });
    RecordProperty("edited", edited ? "yes" : "no");
    EXPECT_EQ(summary.written, edited ? 1 : 2);
    std::vector<std::pair<std::string, WriteProblem>> failures;
    for (const WriteFailure& f : summary.failures)
        failures.emplace_back(f.path.filename().string(), f.problem);
    using Failures = std::vector<std::pair<std::string, WriteProblem>>;
    const Failures expected = edited ? Failures{{"a.jpg", WriteProblem::changed}, {"c.jpg", WriteProblem::cannotOpen}}
                                     : Failures{{"c.jpg", WriteProblem::cannotOpen}};
    EXPECT_EQ(failures, expected);
    EXPECT_EQ(summary.failed, static_cast<int>(failures.size()));
    if (edited) {
        EXPECT_EQ(readBytes(list.records[0].exif.path), edit);
    }
    EXPECT_EQ(list.records[0].exif.hasGpsTags, edited ? 0 : 1);
    EXPECT_EQ(list.records[1].exif.hasGpsTags, 1);
    EXPECT_STREQ(gpsTagsOf(list.records[1].exif.path).datum, "WGS-84");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 2) << "no file left waiting";
}

TEST_F(PhotoFiles, shiftShootingTimesAcrossDaysAndYears)
{
    PhotoList list(noLogs_);
    int added = 0;
    bool limitReached = false;
    addPhotos(list, {photo("a.jpg", "2008:12:31 23:30:00"), photo("b.jpg", "2008:03:01 00:00:10")},
              added, limitReached);
    ASSERT_EQ(added, 2);

    shiftShootingTimes(list, true, 1, 0, 0);
    EXPECT_STREQ(list.records[1].exif.shootingTime.dateTimeText, "2009/01/01 00:30:00");
    EXPECT_EQ(dateTimeOriginalOf(list.records[1].exif.path), "2009:01:01 00:30:00");

    shiftShootingTimes(list, false, 1, 0, 20);
    EXPECT_STREQ(list.records[0].exif.shootingTime.dateTimeText, "2008/02/29 23:59:50");
    EXPECT_EQ(list.records[0].exif.shootingTime.day, 29);
    EXPECT_EQ(dateTimeOriginalOf(list.records[0].exif.path), "2008:02:29 23:59:50");
}

TEST_F(PhotoFiles, neverWriteATimeThatCannotBePlaced)
{
    // No shooting time at all, and one whose shift would leave the four-digit
    // years (or, on Windows, lies beyond the calendar conversion already).
    const auto noTime = write("none.jpg", photoWithoutShootingTime());
    const auto late = photo("late.jpg", "9999:12:31 23:30:00");
    PhotoList list(noLogs_);
    int added = 0;
    bool limitReached = false;
    addPhotos(list, {noTime, late}, added, limitReached);
    ASSERT_EQ(added, 2);
    const Bytes noTimeBefore = readBytes(noTime);
    const Bytes lateBefore = readBytes(late);

    const WriteSummary summary = shiftShootingTimes(list, true, 1, 0, 0);
    EXPECT_EQ(summary.written, 0);
    EXPECT_EQ(summary.unmatched, 2);
    EXPECT_EQ(readBytes(noTime), noTimeBefore);
    EXPECT_EQ(readBytes(late), lateBefore);
    for (const PhotoRecord& record : list.records)
        if (record.exif.path == late)
            EXPECT_STREQ(record.exif.shootingTime.dateTimeText, "9999/12/31 23:30:00");
}

}  // namespace
}  // namespace vantora
