#include "app/shared_commands.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <cwctype>
#include <string>

#include "app/about_dialog.h"
#include "platform/program_folder.h"

namespace vantora {

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

std::wstring lowerCase(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool isRecorderRunning()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    const Handle owned{snapshot};
    const std::wstring wanted = lowerCase(kRecorderName);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (lowerCase(entry.szExeFile) == wanted)
            return true;
    }
    return false;
}

// Windows lets a program take the foreground only in some moments; joining
// the input of the current foreground thread and lifting the lock time-out
// for the one call makes it work from a button.
void forceToForeground(HWND window)
{
    const DWORD targetThread = GetWindowThreadProcessId(window, nullptr);
    const DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    AttachThreadInput(targetThread, foregroundThread, TRUE);
    DWORD lockTimeout = 0;
    SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &lockTimeout, 0);
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    SetForegroundWindow(window);
    SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(static_cast<ULONG_PTR>(lockTimeout)), 0);
    AttachThreadInput(targetThread, foregroundThread, FALSE);
}

BOOL CALLBACK raiseRecorderWindow(HWND window, LPARAM)
{
    if (GetWindow(window, GW_OWNER) != nullptr)
        return TRUE;
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (std::wstring(title) == kRecorderName)
        forceToForeground(window);
    return TRUE;
}

}  // namespace

void openManual(UserDialogs& dialogs)
{
    const auto folder = platform::programFolder();
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(platform::joinToFolder(folder, kManualPattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    FindClose(search);
    const auto manual = platform::joinToFolder(folder, found.cFileName);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", manual.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32)
        dialogs.ask(kNoPdfViewerMessage, DialogButtons::Ok);
}

bool userConfirmsExit(UserDialogs& dialogs)
{
    return dialogs.ask(kExitQuestion, DialogButtons::OkCancelDefaultCancel) == DialogAnswer::Ok;
}

void showAbout(HWND owner)
{
    CAboutDlg about(owner);
    about.DoModal();
}

void startOrRaiseWalkingHistory()
{
    if (isRecorderRunning()) {
        EnumWindows(raiseRecorderWindow, 0);
        return;
    }
    const auto recorder = platform::joinToFolder(platform::programFolder(), kRecorderName);
    ShellExecuteW(nullptr, nullptr, recorder.c_str(), L"", nullptr, SW_SHOWNORMAL);
}

}  // namespace vantora
