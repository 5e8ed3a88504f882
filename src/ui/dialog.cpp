#include "ui/dialog.h"

#include "ui/exception_boundary.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace vantora::ui {

HINSTANCE resourceModule()
{
    return GetModuleHandleW(nullptr);
}

namespace {

// The modal dialogs of this thread, outermost first.
thread_local std::vector<HWND> modalDialogs;

bool isOfClass(HWND window, const wchar_t* className)
{
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    return _wcsicmp(name, className) == 0;
}

// A control where it stood, scaled from one DPI to another, as the dialog
// manager of Windows would move it.
void moveInProportion(HWND dialog, HWND control, int from, int to)
{
    RECT place{};
    GetWindowRect(control, &place);
    // A drop-down list's height reaches down to the bottom of its open list.
    RECT open{};
    if (isOfClass(control, WC_COMBOBOXW) && SendMessageW(control, CB_GETDROPPEDCONTROLRECT, 0,
                                                         reinterpret_cast<LPARAM>(&open)))
        place.bottom = std::max(place.bottom, open.bottom);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    const auto scale = [&](LONG value) { return MulDiv(value, to, from); };
    MoveWindow(control, scale(place.left), scale(place.top), scale(place.right - place.left),
               scale(place.bottom - place.top), FALSE);
}

}  // namespace

HWND innermostModalDialog()
{
    return modalDialogs.empty() ? nullptr : modalDialogs.back();
}

Dialog::Dialog(int templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

Dialog::~Dialog()
{
    if (hwnd_)
        DestroyWindow(hwnd_);
}

bool Dialog::Create()
{
    modal_ = false;
    return createWindow();
}

bool Dialog::createWindow()
{
    hwnd_ = CreateDialogParamW(resourceModule(), MAKEINTRESOURCEW(templateId_), parent_, DialogProc,
                               reinterpret_cast<LPARAM>(this));
    return hwnd_ != nullptr;
}

INT_PTR Dialog::DoModal()
{
    // Modal from the start: what the dialog does while it initialises
    // (loading a folder of photos, say) already has it as its owner.
    modal_ = true;
    ending_ = false;
    if (!createWindow()) {
        modal_ = false;
        return -1;
    }
    const bool ownerWasEnabled = parent_ && IsWindowEnabled(parent_);
    if (ownerWasEnabled)
        EnableWindow(parent_, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    runModalLoop();
    // The owner comes back before the dialog goes, so that Windows does not
    // activate another program's window in between.
    if (ownerWasEnabled) {
        EnableWindow(parent_, TRUE);
        SetActiveWindow(parent_);
    }
    if (hwnd_)
        DestroyWindow(hwnd_);
    modal_ = false;
    return result_;
}

void Dialog::centreOverOwner()
{
    RECT area{};
    const HWND owner = GetWindow(hwnd_, GW_OWNER);
    if (!owner || !IsWindowVisible(owner) || !GetWindowRect(owner, &area))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT own{};
    GetWindowRect(hwnd_, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    SetWindowPos(hwnd_, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Dialog::runModalLoop()
{
    MSG message;
    while (!ending_ && hwnd_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside
            return;
        }
        if (got == -1)
            return;
        if (PreTranslateMessage(message))
            continue;
        if (!IsDialogMessageW(hwnd_, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

void Dialog::EndDialog(INT_PTR result)
{
    result_ = result;
    ending_ = true;
    if (!modal_ && hwnd_)
        DestroyWindow(hwnd_);
    else if (hwnd_)
        PostMessageW(hwnd_, WM_NULL, 0, 0);  // wakes the loop
}

std::wstring Dialog::itemText(int id) const
{
    const HWND control = item(id);
    const int length = GetWindowTextLengthW(control);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied < 0 ? 0 : copied));
    return text;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        dialog->hwnd_ = hwnd;
    }
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!dialog)
        return FALSE;
    return resultOrFallbackOnException<INT_PTR>(FALSE, [&] { return dialog->dispatch(message, wParam, lParam); });
}

BOOL Dialog::initialise()
{
    if (modal_)
        modalDialogs.push_back(hwnd_);
    dpi_ = dpiOf(hwnd_);
    keepDialogManagerFromScaling(hwnd_);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    if (font && GetObjectW(font, sizeof templateFont_, &templateFont_) == sizeof templateFont_)
        templateFontDpi_ = dpi_;
    RECT before{};
    GetWindowRect(hwnd_, &before);
    const BOOL result = OnInitDialog();
    RECT after{};
    GetWindowRect(hwnd_, &after);
    // A dialog that did not place itself opens centred over its owner,
    // not in the corner of the screen.
    if (hwnd_ && before.left == after.left && before.top == after.top)
        centreOverOwner();
    return result;
}

bool Dialog::command(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    if (OnCommand(id, HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
        return true;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

INT_PTR Dialog::withMessageResult(bool handled, LRESULT result)
{
    if (!handled)
        return FALSE;
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
}

void Dialog::changeDpi(int dpi, const RECT* suggested)
{
    const int before = dpi_;
    if (dpi <= 0 || dpi == before)
        return;
    dpi_ = dpi;
    giveControlsFontFor(dpi);
    for (HWND control = GetWindow(hwnd_, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT))
        moveInProportion(hwnd_, control, before, dpi);
    if (suggested)
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    OnDpiChanged(before);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

// The template's font at `dpi`: the dialog's own at the DPI it opened at,
// one made from it otherwise.
void Dialog::giveControlsFontFor(int dpi)
{
    if (templateFontDpi_ == 0)
        return;
    UniqueFont made;
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    if (dpi != templateFontDpi_) {
        LOGFONTW record = templateFont_;
        record.lfHeight = MulDiv(record.lfHeight, dpi, templateFontDpi_);
        made.reset(CreateFontIndirectW(&record));
        if (!made)
            return;
        font = made.get();
    }
    for (HWND control = GetWindow(hwnd_, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT))
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    controlFont_ = std::move(made);  // the one before is no control's font any more
}

// The window is gone: the object lets go of it, and a modal loop ends.
void Dialog::forget()
{
    modalDialogs.erase(std::remove(modalDialogs.begin(), modalDialogs.end(), hwnd_), modalDialogs.end());
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    hwnd_ = nullptr;
    ending_ = true;
    controlFont_.reset();  // its controls are gone before the dialog
}

INT_PTR Dialog::dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    switch (message) {
    case WM_INITDIALOG:
        return initialise();
    case WM_COMMAND:
        return command(wParam, lParam) ? TRUE : FALSE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        const bool handled = header && OnNotify(static_cast<int>(header->idFrom), *header, result);
        return withMessageResult(handled, result);
    }
    case WM_PAINT:
        return OnPaint() ? TRUE : FALSE;
    case WM_CLOSE:
        // The close box and Alt+F4 cancel the dialog at once, rather than
        // through a posted Cancel command that Esc would also send.
        OnCancel();
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    case WM_NCDESTROY:
        forget();
        return FALSE;
    case WM_DPICHANGED:
        changeDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return withMessageResult(true, 0);
    default: {
        // The handler fills `result`: it is read only after the call.
        const bool handled = OnMessage(message, wParam, lParam, result);
        return withMessageResult(handled, result);
    }
    }
}

}  // namespace vantora::ui
