// The shared drawing: the font rule of painted texts, the transparent copy,
// the title pictures and skin pictures, and that none of it leaks GDI
// objects.

#include "controls/skin_images.h"
#include "look_support.h"
#include "res/resource.h"
#include "ui/gdi_scopes.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace vantora::look {
namespace {

TEST(CaptionFontRule, TakesCharsetAndFaceFromTheContext)
{
    const struct {
        UINT context;
        BYTE charset;
        const wchar_t* face;
    } cases[] = {{SHIFTJIS_CHARSET, SHIFTJIS_CHARSET, L"ＭＳ Ｐゴシック"},
                 {THAI_CHARSET, ANSI_CHARSET, L""},
                 {HANGEUL_CHARSET, HANGEUL_CHARSET, L""}};
    for (const auto& c : cases) {
        LOGFONTW record = CaptionFontRecord(CaptionFont{-18, FW_BOLD}, c.context);
        EXPECT_EQ(record.lfCharSet, c.charset) << c.context;
        EXPECT_EQ(std::wstring(record.lfFaceName), c.face) << c.context;
        EXPECT_EQ(record.lfHeight, -18);
        EXPECT_EQ(record.lfWeight, FW_BOLD);
        // Nothing else is set.
        LOGFONTW rest = record;
        rest.lfHeight = rest.lfWeight = 0;
        rest.lfCharSet = 0;
        rest.lfFaceName[0] = L'\0';
        const LOGFONTW zero{};
        EXPECT_EQ(memcmp(&rest, &zero, offsetof(LOGFONTW, lfFaceName) + sizeof(wchar_t)), 0);
    }
}

int CountPixels(const Surface& surface, RECT area, COLORREF colour)
{
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            count += surface.Pixel(x, y) == colour;
    return count;
}

TEST(CaptionFontRule, DrawsTransparentlyInItsRectangleAndRestoresTheContext)
{
    Surface surface(200, 60, RGB(255, 255, 255));
    HDC dc = surface.dc();
    HGDIOBJ font = SelectObject(dc, GetStockObject(SYSTEM_FONT));
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, RGB(0, 0, 255));
    SetTextColor(dc, RGB(0, 255, 0));

    RECT rect{20, 10, 180, 50};
    DrawCaptionText(dc, L"ver 1.0", CaptionFont{-16, FW_BOLD}, RGB(140, 140, 140), rect, DT_VCENTER);
    const int all = CountPixels(surface, RECT{0, 0, 200, 60}, RGB(140, 140, 140));
    EXPECT_GT(all, 10);
    EXPECT_EQ(CountPixels(surface, rect, RGB(140, 140, 140)), all);
    EXPECT_EQ(CountPixels(surface, RECT{0, 0, 200, 60}, RGB(0, 0, 255)), 0);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(GetTextColor(dc), RGB(0, 255, 0));
    SelectObject(dc, font);
}

TEST(DrawTransparentBitmap, KeepsTheTargetUnderWhiteAndCopiesTheRest)
{
    Surface target(8, 2, RGB(0, 128, 0));
    // One row: white, red, black, almost white, blue, white.
    const COLORREF row[6] = {RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 0, 0),
                             RGB(254, 255, 255), RGB(0, 0, 255), RGB(255, 255, 255)};
    UniqueBitmap bitmap(CreateCompatibleBitmap(target.dc(), 6, 1));
    {
        UniqueMemoryDc dc(CreateCompatibleDC(target.dc()));
        ui::SelectedObject selected(dc.get(), bitmap.get());
        for (int x = 0; x < 6; ++x)
            SetPixel(dc.get(), x, 0, row[x]);
    }
    ASSERT_TRUE(DrawTransparentBitmap(target.dc(), bitmap.get()));
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(target.Pixel(x, 0), row[x] == RGB(255, 255, 255) ? RGB(0, 128, 0) : row[x]) << x;
        EXPECT_EQ(BitmapPixel(bitmap.get(), x, 0), row[x]) << x;  // the bitmap is given back whole
    }
    EXPECT_EQ(target.Pixel(6, 0), RGB(0, 128, 0));
    EXPECT_EQ(target.Pixel(0, 1), RGB(0, 128, 0));
}

TEST(MakeTitlePicture, ShowsTheButtonFaceWhereThePictureIsWhite)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    for (int id : {IDB_PC, IDB_UNIT}) {
        UniqueBitmap picture = MakeTitlePicture(window, id, 96);
        ASSERT_TRUE(picture) << id;
        EXPECT_EQ(BitmapSize(picture.get()).cx, 16);
        EXPECT_EQ(BitmapSize(MakeTitlePicture(window, id, 144).get()).cy, 24) << "made for the DPI at once";
        UniqueBitmap source = LoadProgramBitmap(id);
        int white = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const COLORREF original = BitmapPixel(source.get(), x, y);
                white += original == RGB(255, 255, 255);
                ASSERT_EQ(BitmapPixel(picture.get(), x, y),
                          original == RGB(255, 255, 255) ? GetSysColor(COLOR_BTNFACE) : original)
                    << id << " at " << x << "," << y;
            }
        }
        EXPECT_GT(white, 0);
    }
    EXPECT_FALSE(MakeTitlePicture(window, 9999, 96));
    DestroyWindow(window);
}

TEST(DrawSkinImage, CopiesTheInstalledHeaderStripToTheOriginOnly)
{
    Surface surface(900, 40, RGB(0, 128, 0));
    EXPECT_FALSE(DrawSkinImage(IDB_HEADER, surface.dc(), 96));  // none installed yet
    {
        SkinImagesInstallation installation;
        const SkinImage& strip = installation.images().headerStrip;
        EXPECT_EQ(strip.width, 884);
        EXPECT_EQ(strip.height, 28);
        EXPECT_EQ(installation.images().aboutArtwork.width, 600);
        EXPECT_FALSE(DrawSkinImage(IDB_PC, surface.dc(), 96));
        EXPECT_EQ(surface.Pixel(0, 0), RGB(0, 128, 0));
        ASSERT_TRUE(DrawSkinImage(IDB_HEADER, surface.dc(), 96));
        for (POINT p : {POINT{0, 0}, POINT{883, 0}, POINT{400, 14}, POINT{883, 27}})
            EXPECT_EQ(surface.Pixel(p.x, p.y), BitmapPixel(strip.bitmap.get(), p.x, p.y));
        EXPECT_EQ(surface.Pixel(884, 0), RGB(0, 128, 0));
        EXPECT_EQ(surface.Pixel(0, 28), RGB(0, 128, 0));

        // At 144 dpi the strip covers 1326 x 42 pixels and no more.
        Surface wide(1400, 50, RGB(0, 128, 0));
        ASSERT_TRUE(DrawSkinImage(IDB_HEADER, wide.dc(), 144));
        for (POINT p : {POINT{0, 0}, POINT{1325, 0}, POINT{0, 41}, POINT{1325, 41}})
            EXPECT_NE(wide.Pixel(p.x, p.y), RGB(0, 128, 0)) << p.x << "," << p.y;
        EXPECT_EQ(wide.Pixel(1326, 0), RGB(0, 128, 0));
        EXPECT_EQ(wide.Pixel(0, 42), RGB(0, 128, 0));
    }
    EXPECT_EQ(skinImages(), nullptr);
}

TEST(SkinnedDrawing, LeavesNoGdiObjectsBehind)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SkinImagesInstallation installation;
    Surface surface(900, 60, RGB(255, 255, 255));
    UniqueBitmap bitmap = LoadProgramBitmap(IDB_UNIT);
    EXPECT_TRUE(LeavesNoGdiObjects([&] {
        RECT rect{0, 0, 200, 40};
        DrawCaptionText(surface.dc(), L"位置情報の取り込み", CaptionFont{-18, FW_BOLD}, 0, rect, DT_CENTER);
        DrawTransparentBitmap(surface.dc(), bitmap.get());
        for (const int dpi : {96, 144}) {
            DrawSkinImage(IDB_HEADER, surface.dc(), dpi);
            MakeTitlePicture(window, IDB_PC, dpi);
        }
    }));
    DestroyWindow(window);
}

}  // namespace
}  // namespace vantora::look
