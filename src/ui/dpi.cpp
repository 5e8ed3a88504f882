#include "ui/dpi.h"

namespace vantora::ui {

namespace {

using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiProc = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiProc = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
using SetDialogDpiChangeBehaviorProc = BOOL(WINAPI*)(HWND, int, int);

// DIALOG_DPI_CHANGE_BEHAVIORS (winuser.h of Windows 10 1703).
constexpr int kDialogDpiChangeDisableAll = 0x0001;

// A function of user32 that older Windows lack, or null there.
template <typename Proc>
Proc user32Function(const char* name)
{
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

int systemDpi()
{
    const HDC screen = GetDC(nullptr);
    if (!screen)
        return kBaseDpi;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

int dpiOf(HWND window)
{
    static const auto getDpiForWindow = user32Function<GetDpiForWindowProc>("GetDpiForWindow");
    if (getDpiForWindow && window) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi > 0)
            return static_cast<int>(dpi);
    }
    return systemDpi();
}

void adjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi)
{
    static const auto adjustForDpi = user32Function<AdjustWindowRectExForDpiProc>("AdjustWindowRectExForDpi");
    if (adjustForDpi && adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        return;
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

LOGFONTW messageFontForDpi(int dpi)
{
    static const auto parametersForDpi =
        user32Function<SystemParametersInfoForDpiProc>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (parametersForDpi &&
        parametersForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi)))
        return metrics.lfMessageFont;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return LOGFONTW{};
    // Older Windows give the font of the system DPI.
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, systemDpi());
    return metrics.lfMessageFont;
}

void keepDialogManagerFromScaling(HWND dialog)
{
    static const auto setBehavior = user32Function<SetDialogDpiChangeBehaviorProc>("SetDialogDpiChangeBehavior");
    if (setBehavior)
        setBehavior(dialog, kDialogDpiChangeDisableAll, kDialogDpiChangeDisableAll);
}

}  // namespace vantora::ui
