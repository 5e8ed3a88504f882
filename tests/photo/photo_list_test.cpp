#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "photo/photo_batch.h"
#include "photo/photo_list.h"
#include "photo/track_builder.h"
#include "support/time_zone.h"

namespace vantora {
namespace {

std::filesystem::path utf8Path(const char8_t* text)
{
    return std::filesystem::path(std::u8string(text));
}

TEST(FileKind, isDecidedByTheTextAfterTheLastDotWithAsciiCaseFolded)
{
    struct Case {
        const char8_t* path;
        FileKind kind;
    };
    const Case cases[] = {
        {u8"photo.jpg", FileKind::jpeg},
        {u8"PHOTO.JPG", FileKind::jpeg},
        {u8"photo.JpEg", FileKind::jpeg},
        {u8"photo.jpe", FileKind::jpeg},
        {u8"archive.txt.jpg", FileKind::jpeg},
        {u8"picture.bmp", FileKind::bitmap},
        {u8"clip.AVI", FileKind::avi},
        {u8"clip.mpg", FileKind::mpeg},
        {u8"clip.mpeg", FileKind::mpeg},
        {u8"sound.wav", FileKind::wave},
        {u8"sound.Mp3", FileKind::mp3},
        {u8"IMG_0001.CR2", FileKind::rawPhoto},
        {u8"写真.cr3", FileKind::rawPhoto},
        {u8"DSC_0001.nef", FileKind::rawPhoto},
        {u8"P1000001.RW2", FileKind::rawPhoto},
        {u8"DSCF0001.RAF", FileKind::rawPhoto},
        {u8"IMG_0001.HEIC", FileKind::heifPhoto},
        {u8"photo.avif", FileKind::heifPhoto},
        {u8"IMG_0001.CR2.xmp", FileKind::other},  // its sidecar is not a photo
        {u8"jpg", FileKind::jpeg},  // no dot: the whole path is compared
        {u8"photo.jpg.txt", FileKind::other},
        {u8"photo.jpgx", FileKind::other},
        {u8"photo.", FileKind::other},
        {u8"photo", FileKind::other},
        {u8"album.jpg/photo", FileKind::other},  // the last dot is in a folder name
        {u8"写真.ｊｐｇ", FileKind::other},      // full-width letters are not ASCII
    };
    for (const Case& c : cases)
        EXPECT_EQ(fileKindOf(utf8Path(c.path)), c.kind)
            << reinterpret_cast<const char*>(c.path);
}

class PhotoListOperations : public ::testing::Test {
protected:
    PhotoRecord photo(std::filesystem::path name, int second = 0)
    {
        return test::photoTakenAt(test::dateTime(2008, 5, 1, 10, 0, second), std::move(name));
    }

    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto& record : list_.records)
            out.push_back(record.exif.path.generic_string());
        return out;
    }

    test::ScopedTimeZone tz_{"JST-9"};
    LogList logs_;
    PhotoList list_{logs_};
};

TEST_F(PhotoListOperations, findAPathWhateverTheCaseOfItsAsciiLetters)
{
    list_.records.push_back(photo(R"(C:\A\X.JPG)"));
    EXPECT_TRUE(containsPath(list_, R"(C:\A\X.JPG)"));
    EXPECT_TRUE(containsPath(list_, R"(c:\a\x.jpg)"));
    EXPECT_FALSE(containsPath(list_, R"(c:\a\x.jpg )"));
    EXPECT_FALSE(containsPath(list_, R"(c:\a\y.jpg)"));
    EXPECT_FALSE(containsPath(list_, R"(c:\a\x.jp)"));
    EXPECT_EQ(photoPathKey(R"(C:\A\X.JPG)"), photoPathKey(R"(c:\a\x.jpg)"));
    EXPECT_NE(photoPathKey(R"(C:\A\X.JPG)"), photoPathKey(R"(c:\a\x.jpg )"));
}

TEST_F(PhotoListOperations, foldNoLettersBeyondAscii)
{
    list_.records.push_back(photo(utf8Path(u8"Ärger/ＡＢ.jpg")));
    EXPECT_TRUE(containsPath(list_, utf8Path(u8"Ärger/ＡＢ.JPG")));
    EXPECT_FALSE(containsPath(list_, utf8Path(u8"ärger/ＡＢ.jpg")));
    EXPECT_FALSE(containsPath(list_, utf8Path(u8"Ärger/ａｂ.jpg")));
}

TEST_F(PhotoListOperations, aNewBatchLeavesOutOtherKindsAndPathsListedOrGivenBeforeInIt)
{
    using Paths = std::vector<std::filesystem::path>;
    list_.records.push_back(photo("a.jpg"));
    const PhotoBatch batch = newPhotoBatch({"b.jpg", "notes.txt", "A.JPG", "c.jpeg", "B.jpg"}, list_);
    EXPECT_EQ(batch.paths, (Paths{"b.jpg", "c.jpeg"}));
    EXPECT_EQ(batch.duplicates, (Paths{"A.JPG", "B.jpg"}));
    EXPECT_EQ(batch.otherKinds, (Paths{"notes.txt"}));
}

TEST_F(PhotoListOperations, removeOneRecordKeepingTheOrderOfTheOthers)
{
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        list_.records.push_back(photo(name));
    removeAt(list_, 1);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.jpg", "c.jpg"}));
    removeAt(list_, 2);
    removeAt(list_, static_cast<std::size_t>(-1));
    EXPECT_EQ(names(), (std::vector<std::string>{"a.jpg", "c.jpg"}));
    removeAll(list_);
    EXPECT_TRUE(list_.records.empty());
}

TEST_F(PhotoListOperations, clearEveryMatchAndCountOnlyDoubtfulOnes)
{
    for (int doubtful : {1, 0, 1}) {
        PhotoRecord record = photo("p.jpg");
        record.match = test::fixMatch(test::dateTime(2008, 5, 1, 1, 0, 0), 1, 2);
        record.doubtful = doubtful;
        record.matchedLogPath = "track.log";
        list_.records.push_back(record);
    }
    list_.records.push_back(photo("unmatched.jpg"));
    EXPECT_EQ(countDoubtful(list_), 2u);

    clearMatches(list_);
    EXPECT_EQ(countDoubtful(list_), 0u);
    for (const auto& record : list_.records) {
        EXPECT_FALSE(record.match.has_value());
        EXPECT_TRUE(record.matchedLogPath.empty());
    }
}

TEST_F(PhotoListOperations, copyARecordThatSharesNothingWithTheOriginal)
{
    PhotoRecord original = photo("original.jpg");
    original.match = test::fixMatch(test::dateTime(2008, 5, 1, 1, 0, 0), 100, 200);
    original.matchedLogPath = "track.log";

    PhotoRecord copy = copyRecord(original);
    copy.exif.path = "changed.jpg";
    copy.exif.shootingTime.dateTimeText[0] = 'X';
    copy.match->point.latitudeText[0] = 'X';
    copy.match->point.latitude[0].numerator = 99;
    copy.matchedLogPath = "other.log";

    EXPECT_EQ(original.exif.path, "original.jpg");
    EXPECT_STREQ(original.exif.shootingTime.dateTimeText, "2008/05/01 10:00:00");
    EXPECT_NE(original.match->point.latitudeText[0], 'X');
    EXPECT_EQ(original.match->point.latitude[0].numerator, 0u);
    EXPECT_EQ(original.matchedLogPath, "track.log");
}

TEST_F(PhotoListOperations, copyAPositionOverThePhotosPositionFieldsOnly)
{
    PhotoExifData exif;
    TextWriter(exif.gpsTimeText).text("12:00:00");
    TextWriter(exif.gpsMapDatum).text("WGS-84");
    const TrackPoint point =
        test::trackPoint(test::dateTime(2008, 5, 1, 1, 0, 0), test::dms(35, 39, 74),
                         -test::dms(139, 45, 407));

    copyPosition(point, exif);

    EXPECT_STREQ(exif.latitudeText, point.latitudeText);
    EXPECT_STREQ(exif.latitudeRef, "N");
    EXPECT_EQ(exif.latitude[2].numerator, 74u);
    EXPECT_EQ(exif.latitude[2].denominator, 10u);
    EXPECT_STREQ(exif.longitudeText, point.longitudeText);
    EXPECT_STREQ(exif.longitudeRef, "W");
    EXPECT_EQ(exif.longitude[0].numerator, 139u);
    EXPECT_EQ(exif.longitude[1].numerator, 45u);
    EXPECT_STREQ(exif.gpsTimeText, "12:00:00");
    EXPECT_STREQ(exif.gpsMapDatum, "WGS-84");
}

TEST_F(PhotoListOperations, sortByShootingTimeWithUnusableTimesLastInTheirOldOrder)
{
    const auto add = [&](const char* name, const ExifDateTime& time) {
        list_.records.push_back(test::photoTakenAt(time, name));
    };
    add("no-time.jpg", ExifDateTime{});
    add("10-00-30.jpg", test::dateTime(2008, 5, 1, 10, 0, 30));
    add("year-1899.jpg", test::dateTime(1899, 12, 31, 23, 0, 0));
    add("10-00-10-first.jpg", test::dateTime(2008, 5, 1, 10, 0, 10));
    add("zero-month.jpg", test::dateTime(2008, 0, 1, 10, 0, 0));
    add("09-59-59.jpg", test::dateTime(2008, 5, 1, 9, 59, 59));
    add("10-00-10-second.jpg", test::dateTime(2008, 5, 1, 10, 0, 10));
    add("zero-day.jpg", test::dateTime(2008, 5, 0, 10, 0, 0));
    add("next-year.jpg", test::dateTime(2009, 1, 1, 0, 0, 0));

    sortByShootingTime(list_);

    EXPECT_EQ(names(), (std::vector<std::string>{
                           "09-59-59.jpg", "10-00-10-first.jpg", "10-00-10-second.jpg",
                           "10-00-30.jpg", "next-year.jpg", "no-time.jpg", "year-1899.jpg",
                           "zero-month.jpg", "zero-day.jpg"}));
}

}  // namespace
}  // namespace vantora
