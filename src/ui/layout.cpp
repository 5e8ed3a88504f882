#include "ui/layout.h"

#include <algorithm>

#include "ui/dialog.h"
#include "ui/dpi.h"

namespace vantora::ui {

HICON showProgramIcon(HWND dialog, int iconId)
{
    const HICON icon = LoadIconW(resourceModule(), MAKEINTRESOURCEW(iconId));
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    return icon;
}

void setClientSize(HWND dialog, int width, int height, int dpi)
{
    // The frame as it is: after a DPI change Windows has already given the
    // window the frame and title bar of the new DPI.
    RECT outer{};
    RECT client{};
    GetWindowRect(dialog, &outer);
    GetClientRect(dialog, &client);
    const int frameWidth = (outer.right - outer.left) - client.right;
    const int frameHeight = (outer.bottom - outer.top) - client.bottom;
    SetWindowPos(dialog, nullptr, 0, 0, frameWidth + scaledForDpi(width, dpi), frameHeight + scaledForDpi(height, dpi),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void centreOver(HWND dialog, HWND over)
{
    RECT area{};
    if (!over || !GetWindowRect(over, &area))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT own{};
    GetWindowRect(dialog, &own);
    const long x = std::max(0L, area.left + (area.right - area.left - (own.right - own.left)) / 2);
    const long y = std::max(0L, area.top + (area.bottom - area.top - (own.bottom - own.top)) / 2);
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void placeControls(HWND dialog, std::span<const ControlPlacement> placements, int dpi)
{
    for (const ControlPlacement& place : placements)
        MoveWindow(GetDlgItem(dialog, place.id), scaledForDpi(place.x, dpi), scaledForDpi(place.y, dpi),
                   scaledForDpi(place.width, dpi), scaledForDpi(place.height, dpi), FALSE);
}

bool drawMinimisedIcon(HWND dialog, HDC dc, HICON icon)
{
    if (!IsIconic(dialog))
        return false;
    RECT client;
    GetClientRect(dialog, &client);
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon);
    return true;
}

bool isEnterOrEscapeKey(const MSG& message)
{
    const bool key = message.message == WM_KEYDOWN || message.message == WM_KEYUP;
    return key && (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE);
}

}  // namespace vantora::ui
