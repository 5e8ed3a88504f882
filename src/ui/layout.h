#pragma once
// What the two main windows do alike: when they open, the program's icon,
// a fixed client area centred on the screen or over their owner, and every
// control at a fixed pixel place; later, the icon they paint while
// minimised and the keys they keep from closing them.

#include <windows.h>

#include <span>

namespace vantora::ui {

struct ControlPlacement {
    int id;
    int x, y, width, height;  // pixels of the client area
};

// Sets the icon resource as the window's large and small icon; returns it.
HICON showProgramIcon(HWND dialog, int iconId);

// Gives the window a client area of exactly width x height and centres it
// over `over`, or on the work area without one.
void setClientSizeCentred(HWND dialog, int width, int height, HWND over);

void placeControls(HWND dialog, std::span<const ControlPlacement> placements);

// Paints `icon` in the middle of a minimised window's client area; false
// (nothing painted) when the window is not minimised.
bool drawMinimisedIcon(HWND dialog, HDC dc, HICON icon);

// Enter and Esc, pressed or released: a main window swallows them, so that
// neither closes it.
bool isEnterOrEscapeKey(const MSG& message);

}  // namespace vantora::ui
