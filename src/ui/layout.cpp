#include "ui/layout.h"

#include <algorithm>

#include "ui/dialog.h"

namespace vantora::ui {

HICON showProgramIcon(HWND dialog, int iconId)
{
    const HICON icon = LoadIconW(resourceModule(), MAKEINTRESOURCEW(iconId));
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    return icon;
}

void setClientSizeCentred(HWND dialog, int width, int height, HWND over)
{
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE));
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const long outerWidth = frame.right - frame.left;
    const long outerHeight = frame.bottom - frame.top;
    RECT area{};
    if (!over || !GetWindowRect(over, &area))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const long x = std::max(0L, area.left + (area.right - area.left - outerWidth) / 2);
    const long y = std::max(0L, area.top + (area.bottom - area.top - outerHeight) / 2);
    SetWindowPos(dialog, nullptr, x, y, outerWidth, outerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

void placeControls(HWND dialog, std::span<const ControlPlacement> placements)
{
    for (const ControlPlacement& place : placements)
        MoveWindow(GetDlgItem(dialog, place.id), place.x, place.y, place.width, place.height, FALSE);
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
