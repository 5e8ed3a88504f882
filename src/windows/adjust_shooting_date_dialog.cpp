// The shooting-time shift dialog (template 133).

#include "windows/adjust_shooting_date_dialog.h"

#include <cstdio>

#include "controls/skinned_drawing.h"
#include "res/resource.h"
#include "ui/gdi_scopes.h"

namespace vantora {

namespace {

constexpr wchar_t kMessageCaption[] = L"Vantora GPS Utility";

void fillCombo(HWND box, int count)
{
    for (int value = 0; value < count; ++value)
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shiftEntryText(value).c_str()));
    SendMessageW(box, CB_SETCURSEL, 0, 0);
}

}  // namespace

std::wstring shiftEntryText(int value)
{
    wchar_t text[16] = {};
    std::swprintf(text, sizeof text / sizeof text[0], L"%02d", value);
    return text;
}

CAdjustShootingDateDlg::CAdjustShootingDateDlg(HWND parent) : ui::Dialog(IDD_ADJUST_SHOOTING_DATE, parent) {}

BOOL CAdjustShootingDateDlg::OnInitDialog()
{
    // The radio group shows the direction the caller left, "進める" for
    // anything but 1, so that one of the two is always chosen. The lists
    // always open at 00: they are filled only after this.
    checkRadioButton(IDC_SHIFT_FORWARD, IDC_SHIFT_BACK, m_direction == 1 ? IDC_SHIFT_BACK : IDC_SHIFT_FORWARD);
    setTitle(L"撮影時間調整");
    // The lists sort their entries; zero-padded texts keep numeric order, so
    // an entry's index is its value.
    fillCombo(item(IDC_SHIFT_HOURS), 24);
    fillCombo(item(IDC_SHIFT_MINUTES), 60);
    fillCombo(item(IDC_SHIFT_SECONDS), 60);
    return TRUE;
}

bool CAdjustShootingDateDlg::readSelection(int comboId, int last, int& value)
{
    const HWND box = item(comboId);
    const auto selected = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (selected >= 0 && selected <= last) {
        value = static_cast<int>(selected);
        return true;
    }
    // Only a list that could not be filled has no choice.
    wchar_t text[64] = {};
    std::swprintf(text, sizeof text / sizeof text[0], L"0から%dまでの数を選んでください。", last);
    MessageBoxW(hwnd(), text, kMessageCaption, MB_OK | MB_ICONEXCLAMATION);
    SetFocus(box);
    return false;
}

void CAdjustShootingDateDlg::OnOK()
{
    // Nothing is stored unless all three lists hold a valid choice.
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (!readSelection(IDC_SHIFT_HOURS, 23, hour) || !readSelection(IDC_SHIFT_MINUTES, 59, minute) ||
        !readSelection(IDC_SHIFT_SECONDS, 59, second))
        return;
    m_hour = hour;
    m_minute = minute;
    m_second = second;
    m_direction = isItemChecked(IDC_SHIFT_BACK) ? 1 : 0;
    EndDialog(IDOK);
}

bool CAdjustShootingDateDlg::OnPaint()
{
    ui::PaintDc paint(hwnd());
    DrawPaintedText(paint.get(), PaintedTextAt(kChangeNote, dpi()), RGB(255, 0, 0));
    return true;
}

}  // namespace vantora
