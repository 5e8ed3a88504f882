#pragma once
// The interface of ProgressProc.dll: one progress window at a time over an
// owner window, driven from the owner's thread while it works. The library
// exports these by ordinal only (ProgressProc.def); the names exist for the
// linker. The constant first arguments are accepted and ignored.
//
// Order of use: 2, 6, 7 once before the work; 4 and 5 after every item;
// 3 at the end. Calls out of that order are harmless: without a window 3,
// 4, 6 and 7 do nothing and 5 returns non-zero.

#include <windows.h>

extern "C" {

// Ordinal 2: shows the window centred over `owner` (or the screen when it
// is null) and disables the owner's top-level window until ordinal 3.
// Returns 1 when a window is shown. Opening again while a window is shown
// reuses it; it then closes with the last matching ordinal 3.
int WINAPI ProgressOpen(int reserved, HWND owner);

// Ordinal 3: closes the window, re-enables and re-activates the owner.
void WINAPI ProgressClose(void);

// Ordinal 4: shows `position` of `maximum` (100 when not positive) on the
// bar and keeps the window responsive.
void WINAPI ProgressSetPosition(int reserved, int position, int maximum);

// Ordinal 5: handles pending messages, then returns 0 once the user asked
// to cancel (Cancel button, Esc or the close box), non-zero before.
int WINAPI ProgressContinue(void);

// Ordinal 6: 1 shows a Cancel button, 0 none (the user cannot cancel).
void WINAPI ProgressSetCancellable(int cancellable);

// Ordinal 7: the caption line, zero-terminated code page 932 text.
void WINAPI ProgressSetText(int reserved, const char* text);
}
