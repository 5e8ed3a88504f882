#include "app/progress_window.h"

#include "platform/code_page.h"

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

int progressPercent(int position, int total)
{
    if (total == 0)
        return 0;
    // In 64 bits: position * 100 overflows an int from 21,474,837 items on.
    const long long percent = static_cast<long long>(position) * 100 / total;
    return percent < 0 ? 0 : (percent > 100 ? 100 : static_cast<int>(percent));
}

ProgressWindow::ProgressWindow(HWND owner, bool cancellable, const std::string& captionUtf8)
    // The library shows code page 932 text, whatever the system's code page.
    // Converted first: should it fail for want of memory, no window is open
    // yet that would keep its owner disabled.
    : caption932_(platform::cp932FromUtf8(captionUtf8))
{
    ProgressOpen(0, owner);
    ProgressSetCancellable(cancellable ? 1 : 0);
    ProgressSetText(1, caption932_.c_str());
}

ProgressWindow::~ProgressWindow()
{
    ProgressClose();
}

int ProgressWindow::step(int position, int total)
{
    // The bar shows whole percents: setting it again, or pumping messages
    // more often than a click on Cancel needs, only costs time over the
    // thousands of steps of a large batch.
    const int percent = progressPercent(position, total);
    const ULONGLONG now = GetTickCount64();
    if (percent == shownPercent_ && now - lastPump_ < kPumpIntervalMs)
        return cancelled_ ? 1 : 0;
    shownPercent_ = percent;
    lastPump_ = now;
    ProgressSetPosition(1, percent, 100);
    cancelled_ = ProgressContinue() == 0;
    return cancelled_ ? 1 : 0;
}

}  // namespace vantora
