#pragma once
// The one progress window of the library and the state around it: its
// owner, its controls and whether the user asked to cancel. Everything runs
// on the thread that opened the window.

#include <windows.h>

#include <string>

namespace vantora::progress {

// Shows the window over `owner` (may be null); true when one is shown.
bool openWindow(HWND owner);
void closeWindow();
void setCancellable(bool cancellable);
void setCaption(const std::wstring& text);
void setPosition(int position, int maximum);
// Handles the messages waiting in the thread's queue (when a window is
// shown) and tells whether the work may go on.
bool mayContinue();
// Handles the waiting messages without asking for a cancel.
void pumpMessages();
// Called when the library is unloaded, so a later load can register anew.
void unregisterWindowClass(HINSTANCE module);

}  // namespace vantora::progress
