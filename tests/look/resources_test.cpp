// The compiled resources: pictures of the right size and depth, the icon's
// sizes, the manifest in effect, and dialog templates whose controls,
// states and texts the windows rely on.

#include "look_support.h"
#include "res/resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

namespace vantora::look {
namespace {

TEST(ProgramResources, BitmapsLoadWithTheirSizesIn24BitColour)
{
    const struct {
        int id, width, height;
    } bitmaps[] = {{IDB_ABOUT, 600, 300},         {IDB_PC, 16, 16},           {IDB_UNIT, 16, 16},
                   {IDB_ARROW_NORMAL, 76, 32},    {IDB_ARROW_DISABLED, 76, 32}, {IDB_HEADER, 884, 28},
                   {IDB_ARROW_PRESSED, 76, 32}};
    for (const auto& b : bitmaps) {
        UniqueBitmap bitmap = LoadProgramBitmap(b.id);
        ASSERT_TRUE(bitmap) << b.id;
        DIBSECTION section{};
        GetObjectW(bitmap.get(), sizeof section, &section);
        EXPECT_EQ(section.dsBm.bmWidth, b.width) << b.id;
        EXPECT_EQ(std::abs(section.dsBm.bmHeight), b.height) << b.id;
        EXPECT_EQ(section.dsBm.bmBitsPixel, 24) << b.id;
    }
}

TEST(ProgramResources, IconHolds16And32And48PixelImages)
{
    HMODULE module = ui::resourceModule();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_MAINFRAME), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(found, nullptr);
    // The group directory: 6 bytes of header, then 14-byte entries whose
    // first byte is the width.
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    const DWORD size = SizeofResource(module, found);
    std::set<int> widths;
    for (DWORD entry = 6; entry + 14 <= size; entry += 14)
        widths.insert(bytes[entry]);
    EXPECT_EQ(widths, (std::set<int>{16, 32, 48}));
}

// A windows setting of the program's manifest as Windows reads it
// (QueryActCtxSettingsW), empty when the manifest has none there.
std::wstring ManifestSetting(const wchar_t* schema, const wchar_t* name)
{
    wchar_t value[64] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, nullptr, schema, name, value, 64, &written))
        return {};
    return value;
}

TEST(ProgramResources, ManifestBringsCommonControls6AndPerMonitorDpiAwareness)
{
    // Under the schemas Windows reads them from: per-monitor v2 (Windows 10
    // 1703 on), per-monitor (8.1 and early 10).
    EXPECT_EQ(ManifestSetting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              L"PerMonitorV2, PerMonitor");
    EXPECT_EQ(ManifestSetting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true/pm");

    HMODULE module = ui::resourceModule();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                               SizeofResource(module, found));
    EXPECT_NE(manifest.find("asInvoker"), std::string::npos);
    // In effect: the activation context sends "comctl32.dll" to the side-by-
    // side version 6. (Wine 8's copy of it still reports 5.81 from
    // DllGetVersion, so IsCommonControls6 cannot show this there.)
    ACTCTX_SECTION_KEYED_DATA redirect{};
    redirect.cbSize = sizeof redirect;
    EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll",
                                         &redirect));
}

// --- Dialog templates ----------------------------------------------------

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// A template created modelessly with no code of its own behind it.
class Template {
public:
    explicit Template(int id)
        : hwnd_(CreateDialogParamW(ui::resourceModule(), MAKEINTRESOURCEW(id), nullptr, PlainDialogProc, 0))
    {
    }
    ~Template() { DestroyWindow(hwnd_); }
    HWND hwnd() const { return hwnd_; }
    LONG_PTR style(int id) const { return GetWindowLongPtrW(GetDlgItem(hwnd_, id), GWL_STYLE); }
    static std::wstring text(HWND window)
    {
        wchar_t buffer[128] = {};
        GetWindowTextW(window, buffer, 128);
        return buffer;
    }
    std::wstring text(int id) const { return text(GetDlgItem(hwnd_, id)); }
    std::set<std::wstring> childTexts() const
    {
        std::set<std::wstring> texts;
        for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            texts.insert(text(child));
        return texts;
    }

private:
    HWND hwnd_;
};

class DialogTemplates : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
    }
};

TEST_F(DialogTemplates, ImportWindowHoldsItsControlsInTheirStartStates)
{
    Template dialog(IDD_VANTORAGPSAPP_DIALOG);
    ASSERT_NE(dialog.hwnd(), nullptr);
    const struct {
        int id;
        const wchar_t* caption;
        bool visible, enabled;
    } controls[] = {
        {IDC_PC_LIST, L"", true, true},
        {IDC_UNIT_LIST, L"", true, false},
        {IDC_DELETE_UNIT_LOGS, L"削除", true, false},
        {IDC_DELETE_ALL_UNIT_LOGS, L"全て削除", true, false},
        {IDC_COPY_ALL_TO_PC, L"位置情報を全てパソコンに追加", false, false},
        {IDC_COPY_SELECTED_TO_PC, L"選択した位置情報をパソコンに追加", false, false},
        {IDC_UNIT_TITLE, L"GPSユニット", true, true},
        {IDC_PC_TITLE, L"パソコン", true, true},
        {IDC_CLEAR_PC_ROWS, L"クリア", true, true},
        {IDC_CLEAR_PC_LIST, L"全てクリア", true, true},
        {IDC_TIME_ZONE, L"タイムゾーンの調整", true, true},
        {IDC_ADD_LOGS, L"追加", true, true},
        {IDC_SHOW_IN_GOOGLE_EARTH, L"Google Earthで確認", true, true},
        {IDC_GO_TO_PHOTOS, L"位置情報を画像データに追加する", true, true},
        {IDC_NEXT, L"次", false, true},
        {IDC_IMPORT_ARROW, L"⇒", true, false},
        {IDC_WALKING_HISTORY, L"歩行履歴を記録する", false, true},
        {IDC_OPEN_MANUAL, L"ヘルプ", true, true},
        {IDC_CAPACITY_TEXT, L"ログ取得可能時間:", true, false},
        {IDC_ABOUT, L"バージョン情報", true, true},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.id);
        ASSERT_NE(GetDlgItem(dialog.hwnd(), c.id), nullptr);
        EXPECT_EQ(dialog.text(c.id), c.caption);
        EXPECT_EQ((dialog.style(c.id) & WS_VISIBLE) != 0, c.visible);
        EXPECT_EQ((dialog.style(c.id) & WS_DISABLED) == 0, c.enabled);
    }
    EXPECT_EQ(dialog.style(IDC_IMPORT_ARROW) & BS_TYPEMASK, BS_OWNERDRAW);
    for (int id : {IDC_UNIT_LIST, IDC_PC_LIST}) {
        EXPECT_EQ(dialog.style(id) & LVS_TYPEMASK, LVS_REPORT);
        EXPECT_EQ(dialog.style(id) & (LVS_SHOWSELALWAYS | LVS_SINGLESEL), LVS_SHOWSELALWAYS);
    }
    EXPECT_FALSE(GetWindowLongPtrW(dialog.hwnd(), GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
}

TEST_F(DialogTemplates, AboutBoxHasAnEmptyTitleAndNoVisibleControl)
{
    Template dialog(IDD_ABOUTBOX);
    ASSERT_NE(dialog.hwnd(), nullptr);
    EXPECT_EQ(Template::text(dialog.hwnd()), L"");
    int controls = 0;
    for (HWND child = GetWindow(dialog.hwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++controls)
        EXPECT_FALSE(GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(controls, 4);  // icon, two lines of text, OK
    RECT client{}, units{0, 0, 235, 55};
    GetClientRect(dialog.hwnd(), &client);
    MapDialogRect(dialog.hwnd(), &units);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
}

TEST_F(DialogTemplates, TimeDialogsHaveTheirListsAndTexts)
{
    Template zone(IDD_ADJUST_TIME_DIFF);
    ASSERT_NE(zone.hwnd(), nullptr);
    EXPECT_EQ(zone.style(IDC_UTC_OFFSET) & (CBS_DROPDOWNLIST | CBS_SORT), CBS_DROPDOWNLIST);
    const std::set<std::wstring> texts = zone.childTexts();
    for (const wchar_t* expected : {L"世界標準時(UTC)より", L"時間ずらす", L"例 日本 +09 時間", L" アメリカ東部 -05 時間",
                                    L"OK", L"キャンセル"})
        EXPECT_EQ(texts.count(expected), 1u) << expected;

    Template shift(IDD_ADJUST_SHOOTING_DATE);
    ASSERT_NE(shift.hwnd(), nullptr);
    for (int id : {IDC_SHIFT_HOURS, IDC_SHIFT_MINUTES, IDC_SHIFT_SECONDS})
        EXPECT_EQ(shift.style(id) & (CBS_DROPDOWNLIST | CBS_SORT), CBS_DROPDOWNLIST | CBS_SORT) << id;
    // "進める" and "戻す" form one group of their own.
    HWND forward = GetDlgItem(shift.hwnd(), IDC_SHIFT_FORWARD);
    EXPECT_EQ(Template::text(forward), L"進める");
    EXPECT_EQ(GetNextDlgGroupItem(shift.hwnd(), forward, FALSE), GetDlgItem(shift.hwnd(), IDC_SHIFT_BACK));
    EXPECT_EQ(GetNextDlgGroupItem(shift.hwnd(), GetDlgItem(shift.hwnd(), IDC_SHIFT_BACK), FALSE), forward);
}

}  // namespace
}  // namespace vantora::look
