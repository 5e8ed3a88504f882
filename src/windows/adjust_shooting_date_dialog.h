#pragma once
// The shooting-time shift dialog: by how many hours, minutes and seconds,
// and in which direction, every photo's shooting time is to be shifted.
// It changes no photo itself; the photo window reads the members after OK.

#include <string>

#include "controls/skinned_drawing.h"
#include "ui/dialog.h"

namespace vantora {

// The text of entry `value` of the three lists, "%02d".
std::wstring shiftEntryText(int value);

class CAdjustShootingDateDlg : public ui::Dialog {
public:
    explicit CAdjustShootingDateDlg(HWND parent);

    // The red note painted between the radio buttons and OK, clear of both
    // whether the dialog font's line is 11 px or 13 px, and wide enough
    // for 17 glyphs of a full em.
    static constexpr PaintedText kChangeNote{L"※画像データの情報が変更されます。", CaptionFont{-12, 0},
                                             RECT{2, 80, 208, 110}, DT_CENTER | DT_VCENTER};

    int m_hour = 0;       // 0..23
    int m_minute = 0;     // 0..59
    int m_second = 0;     // 0..59
    int m_direction = 0;  // 0: "進める" (add), 1: "戻す" (subtract)

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnPaint() override;

private:
    bool readSelection(int comboId, int last, int& value);
};

}  // namespace vantora
