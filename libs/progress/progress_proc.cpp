// The exported entries of ProgressProc.dll. They check their arguments and
// hand over to the window code; nothing may throw out of them.
#include "progress_proc.h"

#include "progress_frame.h"

#include <cstring>
#include <string>

namespace vantora::progress {
namespace {

// A caption is one short line; a pointer to text without an end is read
// no further than this.
constexpr std::size_t kMaxCaptionBytes = 1024;

std::wstring fromCodePage932(const char* text)
{
    const int length = static_cast<int>(strnlen(text, kMaxCaptionBytes));
    if (length == 0)
        return {};
    // Code page 932 by name, not the ANSI code page: the texts are
    // Japanese on every system.
    const int wideLength = MultiByteToWideChar(932, 0, text, length, nullptr, 0);
    if (wideLength <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(932, 0, text, length, wide.data(), wideLength);
    return wide;
}

}  // namespace
}  // namespace vantora::progress

namespace progress = vantora::progress;

extern "C" {

int WINAPI ProgressOpen(int /*reserved*/, HWND owner)
{
    return progress::openWindow(owner) ? 1 : 0;
}

void WINAPI ProgressClose(void)
{
    progress::closeWindow();
}

void WINAPI ProgressSetPosition(int /*reserved*/, int position, int maximum)
{
    progress::setPosition(position, maximum);
}

int WINAPI ProgressContinue(void)
{
    return progress::mayContinue() ? 1 : 0;
}

void WINAPI ProgressSetCancellable(int cancellable)
{
    progress::setCancellable(cancellable != 0);
}

void WINAPI ProgressSetText(int /*reserved*/, const char* text)
{
    try {
        progress::setCaption(text != nullptr ? progress::fromCodePage932(text) : std::wstring{});
    } catch (...) {
        // Out of memory for one line of text: the caption stays as it was.
    }
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved)
{
    // Windows keeps a DLL's window classes after FreeLibrary; a class left
    // behind would point into code that is gone when the library is loaded
    // again. At process exit (reserved set) nothing needs undoing.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr)
        progress::unregisterWindowClass(module);
    return TRUE;
}
}
