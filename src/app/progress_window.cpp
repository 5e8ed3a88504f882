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
    // Moving the bar repaints it, which under Wine costs milliseconds: ten
    // times a second keep it moving without that cost on each of thousands
    // of photos. Hearing the window (a press on Cancel, a repaint) costs a
    // tenth of a millisecond under Wine, a fifth of reading a small photo:
    // forty times a second is enough for a press on Cancel to feel heard at
    // once. The first and the last step always do both.
    const ULONGLONG now = GetTickCount64();
    const bool edge = lastUpdate_ == 0 || position >= total;
    if (edge || now - lastUpdate_ >= kUpdateIntervalMs) {
        lastUpdate_ = now;
        ProgressSetPosition(1, progressPercent(position, total), 100);
    }
    if (!cancelled_ && (edge || now - lastHeard_ >= kHearingIntervalMs)) {
        lastHeard_ = now;
        cancelled_ = ProgressContinue() == 0;
    }
    return cancelled_ ? 1 : 0;
}

}  // namespace vantora
