// The detail window's table and labels: which rows are red, what a missing
// terminator or a missing match leaves, and where a photo path is split.

#include "photo/detail_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <cstring>
#include <string>
#include <vector>

#include "photo/detail_photo.h"

namespace vantora {
namespace {

using test::cp932;
using test::setText;
using test::writtenPhoto;

std::vector<int> differingRows(const PhotoRecord& photo)
{
    std::vector<int> rows;
    const auto table = detailRows(photo);
    for (int row = 0; row < kDetailRowCount; ++row)
        if (table[row].differs)
            rows.push_back(row);
    return rows;
}

TEST(DetailTable, MarksOnlyTheRowsWhoseStoredTextDiffersFromTheMatch)
{
    EXPECT_EQ(differingRows(writtenPhoto({2, 0, 0, 0}, "WGS-84")), std::vector<int>{});
    EXPECT_EQ(differingRows(writtenPhoto({2, 2, 0, 0}, "WGS-84")), std::vector<int>{0});
    EXPECT_EQ(differingRows(writtenPhoto({2, 0, 0, 0}, "wgs-84")), std::vector<int>{});
    EXPECT_EQ(differingRows(writtenPhoto({2, 0, 0, 0}, "TOKYO")), std::vector<int>{5});
    PhotoRecord moved = writtenPhoto({2, 0, 0, 0}, "WGS-84");
    setText(moved.match->point.latitudeText, "北緯 35度39分7.5秒");
    setText(moved.match->point.status, "V");
    EXPECT_EQ(differingRows(moved), (std::vector<int>{1, 4}));
    // A field that fills its array without a terminator is read to its end.
    std::memset(moved.exif.gpsMapDatum, 'W', sizeof moved.exif.gpsMapDatum);
    EXPECT_EQ(detailRows(moved)[5].stored, std::string(sizeof moved.exif.gpsMapDatum, 'W'));
}

TEST(DetailTable, LeavesTheStoredSideOfAPhotoWithoutTagsEmptyAndNothingRed)
{
    PhotoRecord untagged = writtenPhoto({2, 2, 0, 0}, "TOKYO");
    untagged.exif.hasGpsTags = 0;
    for (const DetailRow& row : detailRows(untagged))
        EXPECT_TRUE(row.stored.empty() && !row.differs && !row.matched.empty()) << row.matched;
    EXPECT_EQ(detailRows(untagged)[5].matched, "WGS-84");
}

TEST(NarrowTextComparison, IgnoresTheCaseOfSingleByteLettersOnly)
{
    EXPECT_FALSE(narrowTextsDiffer("wgs-84", "WGS-84"));
    EXPECT_TRUE(narrowTextsDiffer("WGS-84", "WGS-8"));
    // "ア" and "ヂ" differ only in a trail byte that reads as 'A' or 'a'.
    ASSERT_EQ(cp932("ア") + cp932("ヂ"), "\x83\x41\x83\x61");
    EXPECT_TRUE(narrowTextsDiffer(cp932("北緯ア"), cp932("北緯ヂ")));
    // A half-width katakana byte is a whole character, not a lead byte.
    EXPECT_FALSE(narrowTextsDiffer(cp932("ｱA"), cp932("ｱa")));
}

TEST(DetailLabels, SplitThePathAtItsLastBackslash)
{
    PhotoRecord photo = writtenPhoto({2, 0, 0, 0}, "WGS-84");
    DetailLabels labels = detailLabels(photo);
    EXPECT_EQ(labels.fileName, "ファイル名: IMG_0001.JPG");
    EXPECT_EQ(labels.folder, "フォルダパス: C:\\写真\\day 1");
    EXPECT_EQ(labels.logFile, "参照ログファイル名: 20080512_012000.log");
    EXPECT_EQ(labels.shootingTime, "撮影日時: 2008/05/12 10:20:30");
    EXPECT_EQ(labels.reason, "マッチング: 照合するログがありません");
    photo.reason.kind = MatchKind::atFix;
    setText(photo.exif.offsetTimeOriginal, "+10:00");
    EXPECT_EQ(detailLabels(photo).reason, "マッチング: ログの記録と同じ時刻です　写真のタイムゾーン: +10:00")
        << "the zone the photo names, never applied on its own";
    photo.exif.path = "IMG_0001.JPG";
    photo.match.reset();
    labels = detailLabels(photo);
    EXPECT_EQ(labels.fileName + labels.folder + labels.logFile, "ファイル名: フォルダパス: 参照ログファイル名: ");
    EXPECT_EQ(labels.kindAndSidecar, "") << "a JPEG's window keeps its lines";
}

// A raw or HEIF photo's line names its kind and the sidecars it has, or the
// one a write creates.
TEST(DetailLabels, NameARawPhotosKindAndItsSidecars)
{
    const auto folder = std::filesystem::temp_directory_path() / u8"detail_写真";
    std::filesystem::create_directories(folder);
    PhotoRecord photo = writtenPhoto({2, 2, 0, 0}, "WGS-84");
    photo.exif.path = folder / "IMG_0001.cr2";
    photo.exif.kind = PhotoKind::tiffRaw;
    EXPECT_EQ(detailLabels(photo).kindAndSidecar, "種類: RAW (CR2)　サイドカー: IMG_0001.xmp (なし: 書き込みで作成)");
    EXPECT_FALSE(detailRows(photo)[0].differs) << "a sidecar is written as version 2.2.0.0";
    std::ofstream(folder / "IMG_0001.cr2.xmp") << "<x/>";
    std::ofstream(folder / "IMG_0001.XMP") << "<x/>";
    EXPECT_EQ(detailLabels(photo).kindAndSidecar, "種類: RAW (CR2)　サイドカー: IMG_0001.XMP, IMG_0001.cr2.xmp (あり)");
    photo.exif.kind = PhotoKind::heif;
    photo.exif.path = folder / "IMG_0002.HEIC";
    EXPECT_EQ(detailLabels(photo).kindAndSidecar, "種類: HEIF　サイドカー: IMG_0002.xmp (なし: 書き込みで作成)");
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vantora
