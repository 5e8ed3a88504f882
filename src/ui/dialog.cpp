#include "ui/dialog.h"

#include "ui/exception_boundary.h"

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

// The window is gone: the object lets go of it, and a modal loop ends.
void Dialog::forget()
{
    modalDialogs.erase(std::remove(modalDialogs.begin(), modalDialogs.end(), hwnd_), modalDialogs.end());
    SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
    hwnd_ = nullptr;
    ending_ = true;
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
    default: {
        // The handler fills `result`: it is read only after the call.
        const bool handled = OnMessage(message, wParam, lParam, result);
        return withMessageResult(handled, result);
    }
    }
}

}  // namespace vantora::ui
