#include "app/about_dialog.h"

#include "controls/skin_images.h"
#include "controls/skinned_drawing.h"
#include "res/resource.h"
#include "ui/gdi_scopes.h"
#include "ui/layout.h"

namespace vantora {

namespace {

constexpr COLORREF kVersionColour = RGB(140, 140, 140);

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
    ui::setClientSize(hwnd(), kClientWidth, kClientHeight, dpi());
    CentreOverOwner(hwnd());
    return TRUE;
}

void CAboutDlg::OnDpiChanged(int)
{
    ui::setClientSize(hwnd(), kClientWidth, kClientHeight, dpi());
}

bool CAboutDlg::OnPaint()
{
    ui::PaintDc paint(hwnd());
    if (!paint.get())
        return true;
    DrawSkinImage(IDB_ABOUT, paint.get(), dpi());
    DrawPaintedText(paint.get(), PaintedTextAt(kVersion, dpi()), kVersionColour);
    return true;
}

}  // namespace vantora
