#pragma once
// The commands both main windows offer alike: the user manual, the about
// box and the walking-history recorder.

#include <windows.h>

#include "ui/user_dialogs.h"

namespace vantora {

inline constexpr char kNoPdfViewerMessage[] =
    "pdfファイルに対応したアプリケーションが\nインストールされているかご確認下さい。";
inline constexpr wchar_t kManualPattern[] = L"*取扱説明書.pdf";
inline constexpr wchar_t kRecorderName[] = L"routeKeeper.exe";

// Opens the first "*取扱説明書.pdf" of the program folder with its viewer;
// nothing without a manual, a message when no viewer opens it.
void openManual(UserDialogs& dialogs);

// The about box, modal over the window.
void showAbout(HWND owner);

// Brings every window of the running recorder to the front, or starts the
// recorder from the program folder when it is not running.
void startOrRaiseWalkingHistory();

}  // namespace vantora
