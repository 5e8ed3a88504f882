// The about box: its exact client size and place, what it paints, and that
// Esc and the close box end it.

#include "app/about_dialog.h"
#include "controls/skin_images.h"
#include "look_support.h"
#include "ui/gdi_scopes.h"

#include <gtest/gtest.h>

namespace vantora::look {
namespace {

TEST(AboutBox, Has600By300ClientAreaCentredOverItsOwner)
{
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 40, 30, 900, 640, nullptr, nullptr,
                                 nullptr, nullptr);
    CAboutDlg about(owner);
    ASSERT_TRUE(about.Create());
    RECT client{}, box{};
    GetClientRect(about.hwnd(), &client);
    EXPECT_EQ(client.right, 600);
    EXPECT_EQ(client.bottom, 300);
    GetWindowRect(about.hwnd(), &box);
    EXPECT_NEAR((box.left + box.right) / 2, 40 + 450, 1);
    EXPECT_NEAR((box.top + box.bottom) / 2, 30 + 320, 1);
    DestroyWindow(about.hwnd());
    DestroyWindow(owner);
}

int ShownPixels(HDC dc, RECT area, COLORREF colour)
{
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            count += GetPixel(dc, x, y) == colour;
    return count;
}

TEST(AboutBox, ShowsTheArtworkWithTheVersionPaintedOnIt)
{
    SkinImagesInstallation skins;
    CAboutDlg about;
    ASSERT_TRUE(about.Create());
    SetWindowPos(about.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    UpdateWindow(about.hwnd());

    ui::ClientDc shown(about.hwnd());
    HBITMAP artwork = skins.images().aboutArtwork.bitmap.get();
    for (POINT p : {POINT{0, 0}, POINT{599, 299}, POINT{300, 85}, POINT{40, 262}})
        EXPECT_EQ(GetPixel(shown.get(), p.x, p.y), BitmapPixel(artwork, p.x, p.y)) << p.x << "," << p.y;
    const COLORREF grey = RGB(140, 140, 140);
    EXPECT_GT(ShownPixels(shown.get(), RECT{255, 140, 355, 170}, grey), 10);
    EXPECT_EQ(ShownPixels(shown.get(), RECT{200, 120, 255, 190}, grey), 0);
}

// Sends one message to a modal about box from inside its loop, and ends it
// with -2 after a few seconds if that did not close it.
struct ModalDriver {
    static inline CAboutDlg* box = nullptr;
    static inline UINT message = 0;
    static inline WPARAM wParam = 0;
    static inline int ticks = 0;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        const bool shown = box->hwnd() && IsWindowVisible(box->hwnd());
        if (!shown && ++ticks <= 100)
            return;
        KillTimer(nullptr, timer);
        if (shown)
            PostMessageW(box->hwnd(), message, wParam, 0);
        else
            box->EndDialog(-2);
    }

    static INT_PTR Run(UINT sent, WPARAM sentWParam)
    {
        CAboutDlg about;
        box = &about;
        message = sent;
        wParam = sentWParam;
        ticks = 0;
        SetTimer(nullptr, 0, 30, Tick);
        return about.DoModal();
    }
};

TEST(AboutBox, ClosesWithEscAndWithTheCloseBox)
{
    EXPECT_EQ(ModalDriver::Run(WM_KEYDOWN, VK_ESCAPE), IDCANCEL);
    EXPECT_EQ(ModalDriver::Run(WM_SYSCOMMAND, SC_CLOSE), IDCANCEL);
}

}  // namespace
}  // namespace vantora::look
