#pragma once
// The about box: one picture with the version painted on it, opened by the
// "バージョン情報" button of the main windows. Esc and the close box close it.

#include "controls/skinned_drawing.h"
#include "ui/dialog.h"

#include <windows.h>

namespace vantora {

class CAboutDlg : public ui::Dialog {
public:
    // Without a parent the box is owned by the thread's active window (the
    // main window whose button opened it).
    explicit CAboutDlg(HWND parent = nullptr);

    // Client area and version text at 96 dpi, scaled to the box's DPI.
    static constexpr int kClientWidth = 600;
    static constexpr int kClientHeight = 300;
    static constexpr PaintedText kVersion{L"ver 1.0", CaptionFont{-16, FW_BOLD}, RECT{255, 140, 355, 170},
                                          DT_VCENTER};

protected:
    BOOL OnInitDialog() override;
    bool OnPaint() override;
    void OnDpiChanged(int previousDpi) override;
};

}  // namespace vantora
