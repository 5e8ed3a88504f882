#pragma once
// An owner window for the progress window, and ways to find that window and
// its controls as a user sees them (by owner, control class and text), so
// the tests do not depend on the library's own ids or class names.

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace vantora::test {

// A plain visible top-level window, destroyed with the object.
class OwnerWindow {
public:
    OwnerWindow()
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.lpszClassName = L"ProgressTestOwner";
        RegisterClassExW(&windowClass);
        window_ = CreateWindowExW(0, L"ProgressTestOwner", L"VantoraGPS",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 640, 480, nullptr,
                                  nullptr, nullptr, nullptr);
    }
    ~OwnerWindow() { DestroyWindow(window_); }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;

    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
};

inline std::wstring textOf(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// The visible window of this thread owned by `owner`, or null.
inline HWND progressWindowOver(HWND owner)
{
    HWND found = nullptr;
    for (HWND window = GetTopWindow(nullptr); window != nullptr && found == nullptr;
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (GetWindow(window, GW_OWNER) == owner && IsWindowVisible(window) &&
            GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
            found = window;
    }
    return found;
}

// The first visible child of `parent` of the window class ("Static",
// PROGRESS_CLASSW, "Button"), or null.
inline HWND visibleControl(HWND parent, const wchar_t* className)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        if (lstrcmpiW(name, className) == 0 && IsWindowVisible(child))
            return child;
    }
    return nullptr;
}

inline std::wstring captionText(HWND progress)
{
    return textOf(visibleControl(progress, WC_STATICW));
}

inline int barPosition(HWND progress)
{
    return static_cast<int>(
        SendMessageW(visibleControl(progress, PROGRESS_CLASSW), PBM_GETPOS, 0, 0));
}

}  // namespace vantora::test
