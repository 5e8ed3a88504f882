#pragma once
// Reading what a shown window painted: its pixels and texts.

#include "controls/skinned_drawing.h"
#include "ui/gdi_scopes.h"

#include <windows.h>

#include <string>

namespace vantora {

inline bool isRed(COLORREF c)
{
    return GetRValue(c) > 200 && GetGValue(c) < 100 && GetBValue(c) < 100;
}

inline int countPixels(HWND window, RECT area, bool (*test)(COLORREF))
{
    ui::ClientDc dc(window);
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            count += test(GetPixel(dc.get(), x, y));
    return count;
}

// Shows the window above all others, with itself and its controls painted.
inline void showOnTop(HWND window)
{
    SetWindowPos(window, HWND_TOPMOST, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

inline std::wstring windowText(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

}  // namespace vantora
