#pragma once
// The progress window of the long operations, shown by ProgressProc.dll for
// as long as the object lives. The window disables its owner meanwhile.

#include "ui/user_dialogs.h"

#include <windows.h>

#include <string>

namespace vantora {

class ProgressWindow : public ProgressDisplay {
public:
    // Opens the window over `owner` with a Cancel button when `cancellable`
    // and the caption line given in UTF-8. Throws only std::bad_alloc, and
    // then before the window opens.
    ProgressWindow(HWND owner, bool cancellable, const std::string& captionUtf8);
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // Shows position of total as a percentage (0 for a total of 0, at most
    // 100) and keeps the window responsive. Returns 0 to go on, 1 once the
    // user asked to cancel (heard within kHearingIntervalMs of the press).
    int step(int position, int total) override;

private:
    static constexpr ULONGLONG kUpdateIntervalMs = 100;
    static constexpr ULONGLONG kHearingIntervalMs = 25;

    std::string caption932_;
    ULONGLONG lastUpdate_ = 0;
    ULONGLONG lastHeard_ = 0;
    bool cancelled_ = false;
};

// The percentage the bar shows for `position` of `total`.
int progressPercent(int position, int total);

}  // namespace vantora
