#pragma once
// The commands both main windows offer alike: the user manual, the about
// box, the walking-history recorder and the question before the program ends.

#include <windows.h>

#include "ui/user_dialogs.h"

namespace vantora {

inline constexpr char kNoPdfViewerMessage[] =
    "pdfファイルに対応したアプリケーションが\nインストールされているかご確認下さい。";
inline constexpr wchar_t kManualPattern[] = L"*取扱説明書.pdf";
inline constexpr wchar_t kRecorderName[] = L"routeKeeper.exe";
inline constexpr char kExitQuestion[] = "アプリケーションを終了します。\nよろしいですか?";

// Opens the first "*取扱説明書.pdf" of the program folder with its viewer;
// nothing without a manual, a message when no viewer opens it.
void openManual(UserDialogs& dialogs);

// Asks whether the program is to end (the close box or Alt+F4 of a main
// window); true when the user agreed.
bool userConfirmsExit(UserDialogs& dialogs);

// The about box, modal over the window.
void showAbout(HWND owner);

// Brings every window of the running recorder to the front, or starts the
// recorder from the program folder when it is not running.
void startOrRaiseWalkingHistory();

}  // namespace vantora
