#include "app/progress_window.h"

#include <string_view>

// ProgressProc.dll, imported by ordinal: these names exist only in its
// import library, which maps each to its ordinal.
extern "C" {
int WINAPI ProgressOpen(int reserved, HWND owner);        // ordinal 2
void WINAPI ProgressClose(void);                          // ordinal 3
void WINAPI ProgressSetPosition(int reserved, int percent, int maximum);  // ordinal 4
int WINAPI ProgressContinue(void);                        // ordinal 5
void WINAPI ProgressSetCancellable(int cancellable);      // ordinal 6
void WINAPI ProgressSetText(int reserved, const char* text);  // ordinal 7
}

namespace vantora {
namespace {

std::wstring wideFromUtf8(std::string_view text)
{
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

// The library shows code page 932 text, whatever the system's code page.
std::string codePage932FromUtf8(std::string_view text)
{
    const std::wstring wide = wideFromUtf8(text);
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(932, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(932, 0, wide.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

}  // namespace

int progressPercent(int position, int total)
{
    if (total == 0)
        return 0;
    // In 64 bits: position * 100 overflows an int from 21,474,837 items on.
    const long long percent = static_cast<long long>(position) * 100 / total;
    return percent < 0 ? 0 : (percent > 100 ? 100 : static_cast<int>(percent));
}

ProgressWindow::ProgressWindow(HWND owner, bool cancellable, const std::string& captionUtf8)
{
    ProgressOpen(0, owner);
    ProgressSetCancellable(cancellable ? 1 : 0);
    std::string caption;
    try {
        caption = codePage932FromUtf8(captionUtf8);
    } catch (...) {
        // Without memory for the text the window still shows the progress.
    }
    ProgressSetText(1, caption.c_str());
}

ProgressWindow::~ProgressWindow()
{
    ProgressClose();
}

int ProgressWindow::step(int position, int total)
{
    ProgressSetPosition(1, progressPercent(position, total), 100);
    return ProgressContinue() != 0 ? 0 : 1;
}

}  // namespace vantora
