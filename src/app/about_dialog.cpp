#include "app/about_dialog.h"

#include "controls/skin_images.h"
#include "controls/skinned_drawing.h"
#include "res/resource.h"
#include "ui/gdi_scopes.h"

namespace vantora {

namespace {

constexpr wchar_t kVersionText[] = L"ver 1.0";
constexpr CaptionFont kVersionFont{-16, FW_BOLD};
constexpr COLORREF kVersionColour = RGB(140, 140, 140);
constexpr RECT kVersionRect{255, 140, 355, 170};

// Outer size that gives `window` a client area of width x height, whatever
// its frame and the system font.
SIZE OuterSizeForClient(HWND window, int width, int height)
{
    RECT outer{};
    RECT client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    return SIZE{outer.right - outer.left - client.right + width,
                outer.bottom - outer.top - client.bottom + height};
}

// Centres `window` over its owner, or over the work area without one.
void CentreOverOwner(HWND window)
{
    RECT area{};
    HWND owner = GetWindow(window, GW_OWNER);
    if (!owner || !IsWindowVisible(owner) || IsIconic(owner))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    else
        GetWindowRect(owner, &area);
    RECT own{};
    GetWindowRect(window, &own);
    const int x = area.left + ((area.right - area.left) - (own.right - own.left)) / 2;
    const int y = area.top + ((area.bottom - area.top) - (own.bottom - own.top)) / 2;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CAboutDlg::CAboutDlg(HWND parent) : ui::Dialog(IDD_ABOUTBOX, parent ? parent : ui::innermostModalDialog()) {}

BOOL CAboutDlg::OnInitDialog()
{
    ui::Dialog::OnInitDialog();
    const SIZE outer = OuterSizeForClient(hwnd(), kClientWidth, kClientHeight);
    SetWindowPos(hwnd(), nullptr, 0, 0, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    CentreOverOwner(hwnd());
    return TRUE;
}

bool CAboutDlg::OnPaint()
{
    ui::PaintDc paint(hwnd());
    if (!paint.get())
        return true;
    DrawSkinImage(IDB_ABOUT, paint.get());
    RECT rect = kVersionRect;
    DrawCaptionText(paint.get(), kVersionText, kVersionFont, kVersionColour, rect, DT_VCENTER);
    return true;
}

}  // namespace vantora
