#include "windows/adjust_time_diff_dialog.h"

#include <string>

#include "res/resource.h"

namespace vantora {

namespace {

constexpr int kLastEastEntry = 13;  // "+ 00"

std::wstring twoDigits(int value)
{
    return std::wstring{static_cast<wchar_t>(L'0' + value / 10), static_cast<wchar_t>(L'0' + value % 10)};
}

}  // namespace

std::wstring timeZoneEntryText(int index)
{
    if (index <= kLastEastEntry)
        return L"+ " + twoDigits(kLastEastEntry - index);
    return L"- " + twoDigits(index - kLastEastEntry);
}

int timeZoneEntryIndex(int plus, int hours)
{
    return plus ? kLastEastEntry - hours : kLastEastEntry + hours;
}

UtcOffset offsetFromEntryText(const std::wstring& text)
{
    wchar_t sign = L'+';
    int hours = 9;
    std::size_t at = 0;
    if (at < text.size())
        sign = text[at++];
    while (at < text.size() && (text[at] == L' ' || text[at] == L'\t'))
        ++at;
    // At most two characters, as "%02d" reads them.
    const std::size_t end = std::min(text.size(), at + 2);
    int value = 0;
    bool any = false;
    for (; at < end && text[at] >= L'0' && text[at] <= L'9'; ++at) {
        value = value * 10 + (text[at] - L'0');
        any = true;
    }
    if (any)
        hours = value;
    UtcOffset offset;
    offset.east = sign == L'+' ? 1 : 0;
    offset.hours = hours;
    offset.minutes = 0;
    return offset;
}

CAdjustTimeDiffDlg::CAdjustTimeDiffDlg(HWND parent) : ui::Dialog(IDD_ADJUST_TIME_DIFF, parent) {}

BOOL CAdjustTimeDiffDlg::OnInitDialog()
{
    setTitle(L"タイムゾーン設定");
    const HWND box = item(IDC_UTC_OFFSET);
    if (box) {
        for (int i = 0; i < kTimeZoneEntryCount; ++i)
            SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(timeZoneEntryText(i).c_str()));
        SendMessageW(box, CB_SETCURSEL, timeZoneEntryIndex(m_plus, m_hours), 0);
    }
    return TRUE;
}

void CAdjustTimeDiffDlg::OnOK()
{
    // At most 15 characters, as this dialog has always kept of the entry;
    // offsetFromEntryText reads only the first few.
    m_offsetText = itemText(IDC_UTC_OFFSET).substr(0, 15);
    EndDialog(IDOK);
}

}  // namespace vantora
