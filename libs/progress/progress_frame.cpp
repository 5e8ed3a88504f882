#include "progress_frame.h"

#include <commctrl.h>

#include "ui/dpi.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace vantora::progress {
namespace {

const wchar_t kClassName[] = L"VantoraProgressWindow";
const wchar_t kCancelText[] = L"キャンセル";
constexpr int kCaptionId = 100;
constexpr int kBarId = 101;
// A pump that sees a window which never validates its paint area would
// otherwise never return; the rest waits for the next call.
constexpr int kMaxMessagesPerPump = 512;

// The layout at 96 dots per inch; scaled to the DPI of the window.
constexpr int kClientWidth = 360;
constexpr int kMargin = 12;
constexpr int kCaptionTop = 12;
constexpr int kCaptionHeight = 20;
constexpr int kBarTop = 38;
constexpr int kBarHeight = 18;
constexpr int kButtonTop = 68;
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 26;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

struct State {
    HWND window = nullptr;
    HWND caption = nullptr;
    HWND bar = nullptr;
    HWND cancelButton = nullptr;
    // The owner's top-level window, and whether this library disabled it
    // (an owner that was already disabled stays as its own caller left it).
    HWND owner = nullptr;
    bool ownerDisabled = false;
    HFONT font = nullptr;
    bool fontOwned = false;
    int dpi = 96;
    int openCount = 0;
    bool cancellable = false;
    bool cancelRequested = false;
};

State state;

HINSTANCE module()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

int scaled(int value)
{
    return ui::scaledForDpi(value, state.dpi);
}

// The message font is the one the user reads dialogs in, and on a Japanese
// system (or through font linking elsewhere) it has the Japanese glyphs.
// It is made for the window's DPI.
void createFont()
{
    const LOGFONTW message = ui::messageFontForDpi(state.dpi);
    state.font = message.lfFaceName[0] != L'\0' ? CreateFontIndirectW(&message) : nullptr;
    state.fontOwned = state.font != nullptr;
    if (state.font == nullptr)
        state.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void releaseFont()
{
    if (state.fontOwned)
        DeleteObject(state.font);
    state.font = nullptr;
    state.fontOwned = false;
}

void requestCancel()
{
    if (!state.cancellable || state.cancelRequested)
        return;
    state.cancelRequested = true;
    // The button stays visible but shows that the request was taken.
    if (state.cancelButton != nullptr)
        EnableWindow(state.cancelButton, FALSE);
}

void enableOwner()
{
    if (state.ownerDisabled && IsWindow(state.owner))
        EnableWindow(state.owner, TRUE);
    state.ownerDisabled = false;
}

// The last message a window gets, however it is destroyed: by ordinal 3,
// or with its owner while the work still runs.
void forgetWindow()
{
    if (state.cancellable)
        state.cancelRequested = true;
    enableOwner();
    releaseFont();
    state.window = state.caption = state.bar = state.cancelButton = nullptr;
}

void changeDpi(int dpi, const RECT* suggested);

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Only Win32 calls happen below, so nothing can throw out of here.
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED) {
            requestCancel();
            return 0;
        }
        break;
    case WM_CLOSE:
        // Only ordinal 3 destroys the window; the close box asks to cancel.
        requestCancel();
        return 0;
    case WM_NCDESTROY:
        if (window == state.window)
            forgetWindow();
        break;
    case WM_DPICHANGED:
        if (window == state.window)
            changeDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerWindowClass()
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = module();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

SIZE windowSize()
{
    const int bottom = state.cancellable ? kButtonTop + kButtonHeight : kBarTop + kBarHeight;
    RECT rect{0, 0, scaled(kClientWidth), scaled(bottom + kMargin)};
    ui::adjustWindowRectForDpi(rect, kStyle, kExStyle, state.dpi);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// Centred over the owner, or the screen without one, and kept inside the
// work area of that monitor.
POINT centredPosition(SIZE size)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    HMONITOR handle = state.owner != nullptr ? MonitorFromWindow(state.owner, MONITOR_DEFAULTTONEAREST)
                                             : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    GetMonitorInfoW(handle, &monitor);
    const RECT work = monitor.rcWork;
    RECT anchor = work;
    if (state.owner != nullptr)
        GetWindowRect(state.owner, &anchor);
    LONG x = anchor.left + (anchor.right - anchor.left - size.cx) / 2;
    LONG y = anchor.top + (anchor.bottom - anchor.top - size.cy) / 2;
    x = x + size.cx > work.right ? work.right - size.cx : x;
    y = y + size.cy > work.bottom ? work.bottom - size.cy : y;
    return POINT{x < work.left ? work.left : x, y < work.top ? work.top : y};
}

void placeWindow()
{
    const SIZE size = windowSize();
    const POINT position = centredPosition(size);
    SetWindowPos(state.window, nullptr, position.x, position.y, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// A control's place in the client area at 96 dots per inch.
struct Box {
    int x, y, width, height;
};

constexpr int kInnerWidth = kClientWidth - 2 * kMargin;
constexpr Box kCaptionBox{kMargin, kCaptionTop, kInnerWidth, kCaptionHeight};
constexpr Box kBarBox{kMargin, kBarTop, kInnerWidth, kBarHeight};
constexpr Box kButtonBox{(kClientWidth - kButtonWidth) / 2, kButtonTop, kButtonWidth, kButtonHeight};

HWND createControl(const wchar_t* className, const wchar_t* text, DWORD style, int id, Box box)
{
    HWND control = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style,
                                   scaled(box.x), scaled(box.y), scaled(box.width),
                                   scaled(box.height), state.window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module(),
                                   nullptr);
    if (control != nullptr)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
    return control;
}

bool createControls()
{
    state.caption = createControl(WC_STATICW, L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS,
                                  kCaptionId, kCaptionBox);
    state.bar = createControl(PROGRESS_CLASSW, L"", 0, kBarId, kBarBox);
    // Hidden until ordinal 6 asks for it.
    state.cancelButton = createControl(WC_BUTTONW, kCancelText, BS_PUSHBUTTON | WS_TABSTOP,
                                       IDCANCEL, kButtonBox);
    if (state.cancelButton != nullptr)
        ShowWindow(state.cancelButton, SW_HIDE);
    if (state.bar != nullptr)
        SendMessageW(state.bar, PBM_SETRANGE32, 0, 100);
    return state.caption != nullptr && state.bar != nullptr && state.cancelButton != nullptr;
}

// The owner's title names the program the work belongs to.
void copyOwnerTitle()
{
    wchar_t title[256] = {};
    if (state.owner != nullptr && GetWindowTextW(state.owner, title, 256) > 0)
        SetWindowTextW(state.window, title);
}

// The close box follows the Cancel button: without one the user cannot
// stop the work, so the box must not pretend otherwise.
void updateCloseBox()
{
    HMENU menu = GetSystemMenu(state.window, FALSE);
    if (menu != nullptr)
        EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (state.cancellable ? MF_ENABLED : MF_GRAYED));
}

bool createWindow(HWND owner)
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (!registerWindowClass())
        return false;
    state.owner = owner != nullptr && IsWindow(owner) ? GetAncestor(owner, GA_ROOT) : nullptr;
    state.cancellable = false;
    state.cancelRequested = false;
    state.window = CreateWindowExW(kExStyle, kClassName, L"", kStyle, 0, 0, 0, 0, state.owner,
                                   nullptr, module(), nullptr);
    // It opens over its owner, on the owner's screen.
    state.dpi = ui::dpiOf(state.owner != nullptr ? state.owner : state.window);
    createFont();
    if (state.window == nullptr || !createControls()) {
        if (state.window != nullptr)
            DestroyWindow(state.window);
        releaseFont();
        state.window = nullptr;
        return false;
    }
    copyOwnerTitle();
    updateCloseBox();
    placeWindow();
    return true;
}

void moveControl(HWND control, Box box)
{
    MoveWindow(control, scaled(box.x), scaled(box.y), scaled(box.width), scaled(box.height), TRUE);
}

// On a screen of another DPI: a font of that DPI, the controls at their
// places scaled to it, and the window on the rectangle Windows suggests.
void changeDpi(int dpi, const RECT* suggested)
{
    // Laid out for the owner's screen already when it was moved there, so
    // the size Windows suggests would scale it twice.
    if (dpi <= 0 || dpi == state.dpi)
        return;
    state.dpi = dpi;
    const HFONT previous = state.fontOwned ? state.font : nullptr;
    createFont();
    for (HWND control : {state.caption, state.bar, state.cancelButton})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), TRUE);
    if (previous != nullptr)
        DeleteObject(previous);  // no control holds it any more
    moveControl(state.caption, kCaptionBox);
    moveControl(state.bar, kBarBox);
    moveControl(state.cancelButton, kButtonBox);
    if (suggested != nullptr)
        SetWindowPos(state.window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void showOverOwner()
{
    // EnableWindow answers whether the window was disabled before.
    if (state.owner != nullptr)
        state.ownerDisabled = EnableWindow(state.owner, FALSE) == FALSE;
    ShowWindow(state.window, SW_SHOW);
    UpdateWindow(state.window);
}

}  // namespace

bool openWindow(HWND owner)
{
    if (state.window != nullptr) {
        ++state.openCount;
        return true;
    }
    if (!createWindow(owner))
        return false;
    state.openCount = 1;
    showOverOwner();
    return true;
}

void closeWindow()
{
    if (state.openCount > 0 && --state.openCount > 0)
        return;
    state.openCount = 0;
    if (state.window != nullptr) {
        HWND owner = state.owner;
        const bool wasActive = GetActiveWindow() == state.window;
        // Enabled first, so that Windows hands the activation back to it.
        enableOwner();
        DestroyWindow(state.window);
        if (wasActive && owner != nullptr && IsWindow(owner))
            SetActiveWindow(owner);
    }
    state.owner = nullptr;
    state.cancellable = false;
    state.cancelRequested = false;
}

void setCancellable(bool cancellable)
{
    if (state.window == nullptr)
        return;
    state.cancellable = cancellable;
    ShowWindow(state.cancelButton, cancellable ? SW_SHOW : SW_HIDE);
    EnableWindow(state.cancelButton, cancellable && !state.cancelRequested);
    updateCloseBox();
    placeWindow();
}

void setCaption(const std::wstring& text)
{
    if (state.window == nullptr)
        return;
    SetWindowTextW(state.caption, text.c_str());
    UpdateWindow(state.window);
}

void setPosition(int position, int maximum)
{
    if (state.window == nullptr)
        return;
    if (maximum <= 0)
        maximum = 100;
    position = position < 0 ? 0 : (position > maximum ? maximum : position);
    SendMessageW(state.bar, PBM_SETRANGE32, 0, maximum);
    SendMessageW(state.bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    pumpMessages();
}

void pumpMessages()
{
    MSG message;
    for (int handled = 0; handled < kMaxMessagesPerPump && state.window != nullptr; ++handled) {
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            return;
        if (message.message == WM_QUIT) {
            // The loop that the quit is meant for is further out: give it
            // back, and stop what can be stopped.
            PostQuitMessage(static_cast<int>(message.wParam));
            requestCancel();
            return;
        }
        // Tab, Enter and Esc work in the window as in a dialog.
        if (state.window != nullptr && IsDialogMessageW(state.window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool mayContinue()
{
    pumpMessages();
    return !state.cancelRequested;
}

void unregisterWindowClass(HINSTANCE instance)
{
    UnregisterClassW(kClassName, instance);
}

}  // namespace vantora::progress
