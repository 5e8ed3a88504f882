// The import arrow drawn onto a memory context for a real owner-drawn
// button: which picture goes where in each state, the caption's colour and
// place, and that drawing it costs no GDI objects.

#include "controls/arrow_button.h"
#include "look_support.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vantora::look {
namespace {

constexpr int kSide = 95;
constexpr COLORREF kGreen = RGB(0, 128, 0);

class ArrowButton : public ::testing::Test {
protected:
    void SetUp() override
    {
        parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
        button_ = CreateWindowExW(0, L"BUTTON", L"⇒", WS_CHILD | BS_OWNERDRAW, 0, 0, kSide, kSide, parent_,
                                  reinterpret_cast<HMENU>(INT_PTR{IDC_IMPORT_ARROW}), nullptr, nullptr);
        ASSERT_NE(button_, nullptr);
        images_ = ArrowImages::Load(ui::resourceModule(), 96);
    }
    void TearDown() override { DestroyWindow(parent_); }

    bool Draw(const Surface& surface, UINT state, UINT id = IDC_IMPORT_ARROW, HMODULE theme = nullptr) const
    {
        DRAWITEMSTRUCT item{ODT_BUTTON, id, 0, ODA_DRAWENTIRE, state, button_, surface.dc(), {0, 0, kSide, kSide}, 0};
        return DrawArrowButton(item, images_, theme, 96);
    }

    // Every coloured pixel of bitmap `id` shows at `origin`; its black
    // (transparent) pixels show the button's own face instead.
    static bool PictureAt(const Surface& surface, int id, POINT origin)
    {
        UniqueBitmap bitmap = LoadProgramBitmap(id);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 76; ++x) {
                const COLORREF colour = BitmapPixel(bitmap.get(), x, y);
                const COLORREF shown = surface.Pixel(origin.x + x, origin.y + y);
                if (colour == RGB(0, 0, 0) ? shown != GetSysColor(COLOR_BTNFACE) : shown != colour)
                    return false;
            }
        }
        return true;
    }

    // Bounding box (left, top, right, bottom) of the pixels of `colour`
    // below the picture and inside the frame.
    static RECT CaptionBox(const Surface& surface, COLORREF colour)
    {
        RECT box{kSide, kSide, -1, -1};
        for (int y = 45; y < kSide - 4; ++y) {
            for (int x = 4; x < kSide - 4; ++x) {
                if (surface.Pixel(x, y) != colour)
                    continue;
                box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x),
                           std::max<LONG>(box.bottom, y)};
            }
        }
        return box;
    }

    HWND parent_ = nullptr;
    HWND button_ = nullptr;
    ArrowImages images_;
};

TEST_F(ArrowButton, ShowsEachStatesPictureAtItsPlace)
{
    const struct {
        UINT state;
        int bitmap;
        POINT at, notAt;
    } cases[] = {
        {0, IDB_ARROW_NORMAL, {10, 10}, {12, 12}},
        {ODS_FOCUS, IDB_ARROW_NORMAL, {10, 10}, {12, 12}},
        {ODS_SELECTED, IDB_ARROW_PRESSED, {12, 12}, {10, 10}},
        {ODS_DISABLED | ODS_SELECTED, IDB_ARROW_DISABLED, {10, 10}, {12, 12}},
    };
    for (const auto& c : cases) {
        Surface surface(kSide, kSide, kGreen);
        ASSERT_TRUE(Draw(surface, c.state));
        EXPECT_TRUE(PictureAt(surface, c.bitmap, c.at)) << c.state;
        EXPECT_FALSE(PictureAt(surface, c.bitmap, c.notAt)) << c.state;
    }
}

TEST_F(ArrowButton, MovesTheCaptionWhenPressedAndGreysItWhenDisabled)
{
    Surface normal(kSide, kSide, kGreen), pressed(kSide, kSide, kGreen), disabled(kSide, kSide, kGreen);
    ASSERT_TRUE(Draw(normal, 0) && Draw(pressed, ODS_SELECTED) && Draw(disabled, ODS_DISABLED));
    RECT black = CaptionBox(normal, RGB(0, 0, 0));
    ASSERT_GE(black.right, 0);
    EXPECT_GE(black.top, 46);
    RECT moved = CaptionBox(pressed, RGB(0, 0, 0));
    OffsetRect(&black, 2, 2);
    EXPECT_TRUE(EqualRect(&moved, &black));
    OffsetRect(&black, -2, -2);
    const RECT grey = CaptionBox(disabled, RGB(225, 225, 225));
    EXPECT_EQ(grey.left, black.left);
    EXPECT_EQ(grey.top, black.top);
    EXPECT_LT(CaptionBox(disabled, RGB(0, 0, 0)).right, 0);
}

TEST_F(ArrowButton, LeavesOtherControlsToTheDefaultHandling)
{
    Surface surface(kSide, kSide, kGreen);
    EXPECT_FALSE(Draw(surface, 0, IDC_PC_LIST));
    EXPECT_EQ(surface.Pixel(0, 0), kGreen);
    EXPECT_EQ(surface.Pixel(40, 20), kGreen);
}

TEST_F(ArrowButton, LeavesNoGdiObjectsBehind)
{
    UniqueLibrary theme(LoadLibraryW(L"uxtheme.dll"));
    Surface surface(kSide, kSide, kGreen);
    const ArrowImages larger = ArrowImages::Load(ui::resourceModule(), 144);
    EXPECT_EQ(larger.size().cx, 114);
    EXPECT_EQ(larger.size().cy, 48);
    EXPECT_TRUE(LeavesNoGdiObjects([&] {
        for (UINT state : {0u, UINT{ODS_SELECTED}, UINT{ODS_DISABLED}}) {
            Draw(surface, state);
            Draw(surface, state, IDC_IMPORT_ARROW, theme.get());
            DRAWITEMSTRUCT item{ODT_BUTTON, IDC_IMPORT_ARROW, 0, ODA_DRAWENTIRE, state, button_, surface.dc(),
                                {0, 0, kSide, kSide}, 0};
            DrawArrowButton(item, larger, theme.get(), 144);
        }
        ArrowImages::Load(ui::resourceModule(), 96);
        ArrowImages::Load(ui::resourceModule(), 144);
    }));
}

}  // namespace
}  // namespace vantora::look
