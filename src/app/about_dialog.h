#pragma once
// The about box: one picture with the version painted on it, opened by the
// "バージョン情報" button of the main windows. Esc and the close box close it.

#include "ui/dialog.h"

#include <windows.h>

namespace vantora {

class CAboutDlg : public ui::Dialog {
public:
    // Without a parent the box is owned by the thread's active window (the
    // main window whose button opened it).
    explicit CAboutDlg(HWND parent = nullptr);

    static constexpr int kClientWidth = 600;
    static constexpr int kClientHeight = 300;

protected:
    BOOL OnInitDialog() override;
    bool OnPaint() override;
};

}  // namespace vantora
