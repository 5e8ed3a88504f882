// The exported entries of ProgressProc.dll. They check their arguments and
// hand over to the window code, each inside the one guard (guarded) that
// lets no exception out of them.
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

// The one guard at the export boundary, around the body of every export:
// no exception crosses into the caller. One that would (out of memory, in
// practice) makes the export return `failure`, the answer it gives when it
// could do nothing (none for an export without a result). Below it,
// outcomes travel as return values.
template <typename Body, typename... Failure>
auto guarded(Body&& body, Failure... failure) noexcept
{
    using Result = decltype(body());
    try {
        return body();
    } catch (...) {
        return Result(failure...);
    }
}

}  // namespace
}  // namespace vantora::progress

namespace progress = vantora::progress;

extern "C" {

int WINAPI ProgressOpen(int /*reserved*/, HWND owner)
{
    return progress::guarded([&] { return progress::openWindow(owner) ? 1 : 0; }, 0);
}

void WINAPI ProgressClose(void)
{
    progress::guarded([] { progress::closeWindow(); });
}

void WINAPI ProgressSetPosition(int /*reserved*/, int position, int maximum)
{
    progress::guarded([&] { progress::setPosition(position, maximum); });
}

// Failing, it answers as without a window: the work goes on.
int WINAPI ProgressContinue(void)
{
    return progress::guarded([] { return progress::mayContinue() ? 1 : 0; }, 1);
}

void WINAPI ProgressSetCancellable(int cancellable)
{
    progress::guarded([&] { progress::setCancellable(cancellable != 0); });
}

// Out of memory for one line of text: the caption stays as it was.
void WINAPI ProgressSetText(int /*reserved*/, const char* text)
{
    progress::guarded([&] {
        progress::setCaption(text != nullptr ? progress::fromCodePage932(text) : std::wstring{});
    });
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
