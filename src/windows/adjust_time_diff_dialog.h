#pragma once
// The time-zone dialog: the user's offset from UTC in whole hours, chosen
// from "+ 13" down to "- 13".

#include <string>

#include "tracklog/time_values.h"
#include "ui/dialog.h"

namespace vantora {

// The dialog's 27 entries, "+ 13" ... "+ 00", "- 01" ... "- 13".
std::wstring timeZoneEntryText(int index);
constexpr int kTimeZoneEntryCount = 27;
// The entry that shows the offset; a negative offset of 0 hours shows as "+ 00".
int timeZoneEntryIndex(int plus, int hours);

// Reads an entry's text as the import window does ("%c %02d"): the sign
// character and the hours, '+' and 9 where the text does not supply them.
// The offset that results; minutes are always 0.
UtcOffset offsetFromEntryText(const std::wstring& text);

class CAdjustTimeDiffDlg : public ui::Dialog {
public:
    explicit CAdjustTimeDiffDlg(HWND parent);

    int m_plus = 1;
    int m_hours = 9;
    int m_minutes = 0;
    std::wstring m_offsetText;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};

}  // namespace vantora
