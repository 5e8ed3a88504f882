// The photo detail window: which cells of the tag table are red, the texts
// it shows, the preview fitted into its frame, and the doubtful-match
// warning. The rules of the table itself are tested natively, in
// tests/photo/detail_table_test.cpp.

#include "windows/photo_detail_dialog.h"

#include "look/look_support.h"
#include "photo/detail_photo.h"
#include "res/resource.h"
#include "window_pixels.h"

#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

namespace vantora {
namespace {

using test::writtenPhoto;

constexpr RECT kFrame{350, 20, 450, 90};

TEST(PreviewFit, KeepsProportionsInsideTheFrame)
{
    const struct {
        int width, height;
        RECT fitted;
    } cases[] = {{640, 480, {353, 20, 446, 90}}, {100, 70, {350, 20, 450, 90}}, {1000, 700, {350, 20, 450, 90}},
                 {480, 640, {374, 20, 427, 90}}, {400, 100, {350, 43, 450, 68}}};
    for (const auto& c : cases) {
        const RECT r = fitIntoFrame(kFrame, c.width, c.height);
        EXPECT_TRUE(EqualRect(&r, &c.fitted)) << c.width << "x" << c.height << ": " << r.left << "," << r.top;
    }
}

// A JPEG of one colour, encoded by GDI+ itself.
bool writeJpeg(const std::filesystem::path& file, int width, int height, Gdiplus::Color colour)
{
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (size == 0 || Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok)
        return false;
    const auto* jpeg = std::find_if(codecs, codecs + count,
                                    [](const auto& codec) { return std::wcscmp(codec.MimeType, L"image/jpeg") == 0; });
    Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
    Gdiplus::Graphics(&bitmap).Clear(colour);
    return jpeg != codecs + count && bitmap.Save(file.c_str(), &jpeg->Clsid, nullptr) == Gdiplus::Ok;
}

class PhotoFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::filesystem::create_directories(folder());
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
        ASSERT_TRUE(writeJpeg(blueJpeg(), 640, 480, Gdiplus::Color(0, 0, 255)));
        Gdiplus::GdiplusShutdown(token);
        std::FILE* text = _wfopen(notAPicture().c_str(), L"wb");
        ASSERT_NE(text, nullptr);
        std::fputs("not a picture", text);
        std::fclose(text);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(folder()); }

    static std::filesystem::path folder() { return std::filesystem::temp_directory_path() / L"vantora-詳細"; }
    static std::filesystem::path blueJpeg() { return folder() / L"青 640x480.jpg"; }
    static std::filesystem::path notAPicture() { return folder() / L"broken.jpg"; }
};

bool isBlue(COLORREF c)
{
    return GetRValue(c) < 40 && GetGValue(c) < 40 && GetBValue(c) > 215;
}

TEST_F(PhotoFiles, DecodesAPreviewOfTheFittedSizeOrNone)
{
    const PreviewPicture preview = decodePreview(blueJpeg(), kFrame);
    EXPECT_EQ(preview.pictureSize.cx, 640);
    EXPECT_EQ(preview.pictureSize.cy, 480);
    const SIZE scaled = BitmapSize(preview.bitmap.get());
    EXPECT_EQ(scaled.cx, 93);
    EXPECT_EQ(scaled.cy, 70);
    EXPECT_EQ(decodePreview(notAPicture(), kFrame).bitmap, nullptr);
    EXPECT_EQ(decodePreview(folder() / L"missing.jpg", kFrame).bitmap, nullptr);
    EXPECT_TRUE(look::LeavesNoGdiObjects([] { decodePreview(blueJpeg(), kFrame); }));
}

// The cells of the table (row * 3 + column) that show red text.
std::vector<int> redCells(HWND list)
{
    std::vector<int> red;
    for (int row = 0; row < kDetailRowCount; ++row)
        for (int column = 0; column < 3; ++column) {
            RECT cell{LVIR_BOUNDS, column, 0, 0};
            SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
            if (column == 0)  // the bounds of a whole row; its first cell is as wide as its column
                cell.right = cell.left + static_cast<LONG>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0));
            if (countPixels(list, cell, isRed) > 0)
                red.push_back(row * 3 + column);
        }
    return red;
}

TEST_F(PhotoFiles, DetailWindowShowsAMatchedPhotoWithItsDifferencesInRed)
{
    PhotoRecord photo = writtenPhoto({2, 2, 0, 0}, "wgs-84");
    photo.exif.path = blueJpeg();
    photo.doubtful = 1;
    CStillDetailDlg dialog(nullptr, photo);
    ASSERT_TRUE(dialog.Create());
    showOnTop(dialog.hwnd());

    EXPECT_EQ(windowText(dialog.hwnd()), L"画像データ詳細");
    EXPECT_EQ(windowText(dialog.item(IDC_DETAIL_FILE_NAME)), L"ファイル名: 青 640x480.jpg");
    const ui::ListView list(dialog.item(IDC_DETAIL_TAGS));
    ASSERT_EQ(list.rowCount(), 6u);
    const std::wstring expected[6][3] = {{L"GPSタグバージョン", L"2.2.0.0", L"2.0.0.0"},
                                         {L"緯度", L"北緯 35度39分7.4秒", L"北緯 35度39分7.4秒"},
                                         {L"経度", L"東経 139度45分40.7秒", L"東経 139度45分40.7秒"},
                                         {L"GPS時間(UTC)", L"01:20:30", L"01:20:30"},
                                         {L"GPS受信機の状態", L"A", L"A"},
                                         {L"測地系", L"wgs-84", L"WGS-84"}};
    for (int row = 0; row < 6; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(list.text(row, column), expected[row][column]) << row << "," << column;
    EXPECT_EQ(redCells(list.hwnd()), std::vector<int>{1});  // row 0, column 1 only

    // The preview covers 353..446 x 20..90 and nothing beside it.
    EXPECT_EQ(countPixels(dialog.hwnd(), RECT{354, 21, 445, 89}, isBlue), 91 * 68);
    EXPECT_EQ(countPixels(dialog.hwnd(), RECT{340, 10, 353, 100}, isBlue), 0);
    EXPECT_EQ(countPixels(dialog.hwnd(), RECT{446, 10, 460, 100}, isBlue), 0);
    EXPECT_GT(countPixels(dialog.hwnd(), CStillDetailDlg::kDoubtfulWarning.area, isRed), 20);  // the warning
    EXPECT_TRUE(look::LeavesNoGdiObjects(
        [&] { RedrawWindow(dialog.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }));
}

bool isNotDialogFace(COLORREF c)
{
    return c != GetSysColor(COLOR_BTNFACE);
}

TEST_F(PhotoFiles, DetailWindowOfAnUnmatchedUndecodablePhotoShowsNoRedAndNoPreview)
{
    PhotoRecord photo = writtenPhoto({2, 2, 0, 0}, "TOKYO");
    photo.exif.path = notAPicture();
    photo.match.reset();
    CStillDetailDlg dialog(nullptr, photo);
    ASSERT_TRUE(dialog.Create());
    showOnTop(dialog.hwnd());

    EXPECT_EQ(windowText(dialog.item(IDC_DETAIL_LOG_FILE)), L"参照ログファイル名: ");
    const ui::ListView list(dialog.item(IDC_DETAIL_TAGS));
    ASSERT_EQ(list.rowCount(), 6u);
    EXPECT_EQ(list.text(0, 1) + list.text(5, 1), L"2.2.0.0TOKYO");
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(list.text(row, 2), L"") << row;
    EXPECT_EQ(redCells(list.hwnd()), std::vector<int>{});
    EXPECT_EQ(countPixels(dialog.hwnd(), kFrame, isNotDialogFace), 0);
    EXPECT_EQ(countPixels(dialog.hwnd(), CStillDetailDlg::kDoubtfulWarning.area, isRed), 0);
}

}  // namespace
}  // namespace vantora
