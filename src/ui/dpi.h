#pragma once
// The resolution a window is shown at, and the windows' fixed pixel values
// scaled to it. The program tells Windows that it is per-monitor DPI-aware
// (its manifest), so Windows no longer stretches its windows as blurred
// bitmaps on screens of 125% or 150%: every fixed position, size and font
// height, given for 96 dpi, goes through scaledForDpi, and 96 dpi gives
// exactly the given pixels.
//
// GetDpiForWindow and its siblings exist from Windows 10 on; they are
// looked up at run time, so that the program (and ProgressProc.dll, which
// shares this file) still starts on older Windows, where the screen's DPI
// stands for every window.

#include <windows.h>

namespace vantora::ui {

// The resolution the fixed pixel values are given for.
inline constexpr int kBaseDpi = 96;

// `pixels` at 96 dpi scaled to `dpi`, rounded to the nearest pixel with
// halves away from zero, as MulDiv rounds: 5 px are 8 px at 144 dpi.
constexpr int scaledForDpi(int pixels, int dpi)
{
    const long long product = static_cast<long long>(pixels) * dpi;
    const long long half = kBaseDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kBaseDpi : -((-product + half) / kBaseDpi));
}

// Each edge of `rect` scaled, so that a rectangle's place is scaled, not
// its far edge computed from a scaled size.
constexpr RECT scaledForDpi(const RECT& rect, int dpi)
{
    return RECT{scaledForDpi(rect.left, dpi), scaledForDpi(rect.top, dpi), scaledForDpi(rect.right, dpi),
                scaledForDpi(rect.bottom, dpi)};
}

// A font height in pixels at 96 dpi (negative: the character height) at
// `dpi`. It rounds toward the smaller font where scaledForDpi would round a
// half up, so that a text never outgrows the place it was given at 96 dpi,
// whose edges round outwards: -14 is -17 at 120 dpi, not -18.
constexpr int fontHeightForDpi(int height, int dpi)
{
    return static_cast<int>(static_cast<long long>(height) * dpi / kBaseDpi);
}

// The DPI `window` is shown at: GetDpiForWindow, or the screen's DPI where
// Windows has no per-window DPI; 96 when neither answers.
int dpiOf(HWND window);

// The DPI of the screen as the program was started (the system DPI).
int systemDpi();

// AdjustWindowRectEx for a window at `dpi`: the frame and title bar of that
// DPI where Windows has AdjustWindowRectExForDpi, of the system DPI before.
void adjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);

// The system's message font as it is at `dpi`.
LOGFONTW messageFontForDpi(int dpi);

// Keeps the dialog manager of Windows 10 (from 1703 on) from scaling the
// dialog and its controls by itself when its DPI changes: the dialog lays
// itself out again from its own fixed values (see ui::Dialog).
void keepDialogManagerFromScaling(HWND dialog);

}  // namespace vantora::ui
