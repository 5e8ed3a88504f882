#pragma once
// What the two main windows do alike: when they open, the program's icon,
// a fixed client area centred on the screen or over their owner, and every
// control at a fixed pixel place, each scaled by the window's DPI (and laid
// out again when the DPI changes); later, the icon they paint while
// minimised and the keys they keep from closing them.

#include <windows.h>

#include <span>

namespace vantora::ui {

struct ControlPlacement {
    int id;
    int x, y, width, height;  // pixels of the client area at 96 dpi
};

// Sets the icon resource as the window's large and small icon; returns it.
HICON showProgramIcon(HWND dialog, int iconId);

// Gives the window a client area of exactly width x height (pixels at
// 96 dpi, scaled to `dpi`), keeping its top-left corner where it is.
void setClientSize(HWND dialog, int width, int height, int dpi);

// Centres the window over `over`, or on the work area without one, never
// past the top or left edge of the screen.
void centreOver(HWND dialog, HWND over);

// Each control at its place scaled to `dpi`.
void placeControls(HWND dialog, std::span<const ControlPlacement> placements, int dpi);

// Paints `icon` in the middle of a minimised window's client area; false
// (nothing painted) when the window is not minimised.
bool drawMinimisedIcon(HWND dialog, HDC dc, HICON icon);

// Enter and Esc, pressed or released: a main window swallows them, so that
// neither closes it.
bool isEnterOrEscapeKey(const MSG& message);

}  // namespace vantora::ui
