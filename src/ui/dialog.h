#pragma once
// The small dialog framework the windows are built on: a Dialog runs a
// dialog template from the program's resources, modally with a message loop
// of its own (so that PreTranslateMessage sees every message first) or
// modelessly (as the end-to-end tests drive the windows), and hands the
// messages to virtual handlers. One class per window derives from it.

#include <windows.h>

#include <string>

#include "ui/dpi.h"
#include "ui/gdi_scopes.h"

namespace vantora::ui {

// The innermost dialog of this thread that runs modally - the window the
// user works in - or null. Message boxes and progress windows that its
// handlers open belong to it, even when another program (Explorer, after
// a drop) is in front and this thread has no active window.
HWND innermostModalDialog();

class Dialog {
public:
    Dialog(int templateId, HWND parent);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Shows the dialog with its owner disabled and returns the result given
    // to EndDialog, or -1 when the template cannot be created.
    INT_PTR DoModal();
    // Creates the dialog without a loop of its own; false on failure. The
    // window is destroyed with the object, or by EndDialog.
    bool Create();
    // Ends the modal loop with the result (or destroys a modeless dialog).
    void EndDialog(INT_PTR result);

    HWND hwnd() const { return hwnd_; }
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }
    HWND parent() const { return parent_; }

    // The DPI the window is laid out for: the one it opened at, then the
    // one of each WM_DPICHANGED. Every fixed pixel value of a window (given
    // for 96 dpi) is scaled by it.
    int dpi() const { return dpi_; }
    int scaled(int pixels) const { return scaledForDpi(pixels, dpi_); }
    RECT scaled(const RECT& rect) const { return scaledForDpi(rect, dpi_); }

    // What every window does to itself and its controls.
    void setTitle(const std::wstring& text) { SetWindowTextW(hwnd_, text.c_str()); }
    void show(bool shown) { ShowWindow(hwnd_, shown ? SW_SHOW : SW_HIDE); }
    void setItemText(int id, const std::wstring& text) { SetDlgItemTextW(hwnd_, id, text.c_str()); }
    std::wstring itemText(int id) const;
    void enableItem(int id, bool enabled) { EnableWindow(item(id), enabled ? TRUE : FALSE); }
    void showItem(int id, bool shown) { ShowWindow(item(id), shown ? SW_SHOW : SW_HIDE); }
    bool isItemChecked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    void checkRadioButton(int first, int last, int checked) { CheckRadioButton(hwnd_, first, last, checked); }

protected:
    // The handlers. Each returns whether it handled the message; an
    // exception that leaves one ends at the dialog procedure, which then
    // reports the message as not handled.
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    virtual bool OnNotify(int /*id*/, NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
    virtual bool OnPaint() { return false; }
    // The close box, Alt+F4 and (unless swallowed) Esc.
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual void OnOK() { EndDialog(IDOK); }
    // Called while the window still exists, however the dialog ends.
    virtual void OnDestroy() {}
    // Every other message; `result` becomes the dialog's message result.
    virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/)
    {
        return false;
    }
    // Sees each message of the modal loop before the dialog does; true
    // swallows it.
    virtual bool PreTranslateMessage(MSG& /*message*/) { return false; }
    // After the window moved from a screen of `previousDpi` to one of
    // another DPI (WM_DPICHANGED, dpi() is the new one): it stands on the
    // rectangle Windows suggested, and its controls have a font of the new
    // DPI and stand where they stood, scaled in proportion. A window that
    // places controls, sets list columns or keeps pictures of its own does
    // that again here; it is repainted afterwards.
    virtual void OnDpiChanged(int /*previousDpi*/) {}

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL initialise();
    bool command(WPARAM wParam, LPARAM lParam);
    INT_PTR withMessageResult(bool handled, LRESULT result);
    void forget();
    void runModalLoop();
    void centreOverOwner();
    bool createWindow();
    void changeDpi(int dpi, const RECT* suggested);
    void giveControlsFontFor(int dpi);

    int templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    bool ending_ = false;
    INT_PTR result_ = -1;
    int dpi_ = kBaseDpi;
    // The font the dialog made from its template, at the DPI it opened at,
    // and the one made from it for the controls after a DPI change.
    LOGFONTW templateFont_{};
    int templateFontDpi_ = 0;
    UniqueFont controlFont_;
};

// The module whose resources hold the templates, bitmaps and icon.
HINSTANCE resourceModule();

}  // namespace vantora::ui
