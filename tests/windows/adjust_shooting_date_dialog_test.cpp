// The shooting-time shift dialog: its lists, what OK and Cancel leave in
// its members, and the note it paints.

#include "windows/adjust_shooting_date_dialog.h"

#include "look/look_support.h"
#include "res/resource.h"
#include "window_pixels.h"

#include <gtest/gtest.h>

namespace vantora {
namespace {

std::wstring entryText(HWND box, int index)
{
    wchar_t text[16] = {};
    if (SendMessageW(box, CB_GETLBTEXTLEN, index, 0) >= 16)
        return L"(too long)";
    SendMessageW(box, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

TEST(ShootingTimeShiftDialog, OffersEveryValueAtTheIndexOfItsValueStartingAtZero)
{
    CAdjustShootingDateDlg dialog(nullptr);
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(windowText(dialog.hwnd()), L"撮影時間調整");
    for (auto [id, count] : {std::pair{IDC_SHIFT_HOURS, 24}, {IDC_SHIFT_MINUTES, 60}, {IDC_SHIFT_SECONDS, 60}}) {
        const HWND box = dialog.item(id);
        ASSERT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), count) << id;
        EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), 0) << id;
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(entryText(box, i), shiftEntryText(i)) << id;
        EXPECT_EQ(entryText(box, count - 1), count == 24 ? L"23" : L"59");
    }
    EXPECT_EQ(IsDlgButtonChecked(dialog.hwnd(), IDC_SHIFT_FORWARD), BST_CHECKED);
}

struct Shift {
    int hour, minute, second, direction;
    bool operator==(const Shift&) const = default;
};

// Ends a new dialog with `command` after choosing `choice` unless it is null.
Shift runShift(WPARAM command, const Shift* choice)
{
    CAdjustShootingDateDlg dialog(nullptr);
    EXPECT_TRUE(dialog.Create());
    ShowWindow(dialog.hwnd(), SW_SHOW);
    if (choice) {
        SendMessageW(dialog.item(IDC_SHIFT_HOURS), CB_SETCURSEL, choice->hour, 0);
        SendMessageW(dialog.item(IDC_SHIFT_MINUTES), CB_SETCURSEL, choice->minute, 0);
        SendMessageW(dialog.item(IDC_SHIFT_SECONDS), CB_SETCURSEL, choice->second, 0);
        // As a click, so that the group takes the other button's check away.
        SendMessageW(dialog.item(choice->direction ? IDC_SHIFT_BACK : IDC_SHIFT_FORWARD), BM_CLICK, 0, 0);
    }
    SendMessageW(dialog.hwnd(), WM_COMMAND, command, 0);
    EXPECT_EQ(dialog.hwnd(), nullptr);  // ended
    return Shift{dialog.m_hour, dialog.m_minute, dialog.m_second, dialog.m_direction};
}

TEST(ShootingTimeShiftDialog, OkGivesTheChoiceAndCancelLeavesTheMembers)
{
    const Shift latest{23, 59, 59, 1};
    const Shift none{0, 0, 0, 0};
    EXPECT_EQ(runShift(IDOK, nullptr), none);
    EXPECT_EQ(runShift(IDOK, &latest), latest);
    EXPECT_EQ(runShift(IDCANCEL, &latest), none);
}

TEST(ShootingTimeShiftDialog, PaintsTheRedNoteInItsRectangleOnly)
{
    CAdjustShootingDateDlg dialog(nullptr);
    ASSERT_TRUE(dialog.Create());
    showOnTop(dialog.hwnd());
    RECT client{};
    GetClientRect(dialog.hwnd(), &client);
    const int inside = countPixels(dialog.hwnd(), CAdjustShootingDateDlg::kChangeNote.area, isRed);
    EXPECT_GT(inside, 30);
    EXPECT_EQ(countPixels(dialog.hwnd(), client, isRed), inside);
    EXPECT_TRUE(look::LeavesNoGdiObjects(
        [&] { RedrawWindow(dialog.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }));
}

}  // namespace
}  // namespace vantora
