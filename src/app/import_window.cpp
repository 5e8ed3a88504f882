#include "app/import_window.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>

#include "app/shared_commands.h"
#include "controls/skin_images.h"
#include "controls/skinned_drawing.h"
#include "export/show_in_google_earth.h"
#include "platform/device_change.h"
#include "platform/program_folder.h"
#include "platform/store_files.h"
#include "res/resource.h"
#include "ui/gdi_scopes.h"
#include "ui/layout.h"
#include "unit/log_list_view.h"
#include "unit/log_registration.h"
#include "unit/log_store.h"
#include "unit/unit_detection.h"
#include "unit/unit_logs.h"
#include "windows/adjust_time_diff_dialog.h"

namespace vantora {

namespace {

inline constexpr char kAlreadyListedMessage[] = "登録済みのファイルを追加しようとしました。";
inline constexpr char kPhotoFolderTitle[] = "画像フォルダ選択";

constexpr int kClientWidth = 885;
constexpr int kClientHeight = 600;

// Every control at its pixel position in the client area. The two list
// titles and the time-zone button are as wide as their captions in glyphs of
// a full em (12 px at 9 points): narrower, they wrapped or cut their last
// glyph under some Japanese fonts.
constexpr ui::ControlPlacement kPlacements[] = {
    {IDC_UNIT_LIST, 14, 88, 372, 461},      {IDC_PC_LIST, 503, 88, 372, 461},
    {IDC_UNIT_TITLE, 33, 42, 84, 18},       {IDC_PC_TITLE, 523, 42, 50, 18},
    {IDC_CAPACITY_TEXT, 20, 68, 242, 20},        {IDC_DELETE_UNIT_LOGS, 266, 65, 44, 18},
    {IDC_DELETE_ALL_UNIT_LOGS, 316, 65, 64, 18}, {IDC_IMPORT_ARROW, 397, 257, 95, 95},
    {IDC_TIME_ZONE, 509, 65, 112, 18}, {IDC_ADD_LOGS, 706, 65, 41, 18},
    {IDC_CLEAR_PC_ROWS, 753, 65, 44, 18},   {IDC_CLEAR_PC_LIST, 803, 65, 64, 18},
    {IDC_ABOUT, 719, 6, 80, 18},            {IDC_OPEN_MANUAL, 809, 6, 65, 18},
    {IDC_GO_TO_PHOTOS, 554, 560, 183, 30},  {IDC_SHOW_IN_GOOGLE_EARTH, 748, 560, 125, 30},
    {IDC_WALKING_HISTORY, 270, 560, 118, 30},
};

constexpr int kUnitControls[] = {IDC_DELETE_UNIT_LOGS, IDC_DELETE_ALL_UNIT_LOGS, IDC_COPY_SELECTED_TO_PC,
                                 IDC_COPY_ALL_TO_PC,        IDC_IMPORT_ARROW,         IDC_CAPACITY_TEXT,
                                 IDC_UNIT_LIST};

const std::vector<ui::ListColumn> kLogColumns = {
    {L"ファイル名", 128}, {L"開始日時", 118}, {L"終了日時", 118}};

std::filesystem::path documentsOrProgramFolder()
{
    // Without a documents folder the store goes beside the program, which
    // at least keeps the copies somewhere the user can find them.
    return platform::documentsFolder().value_or(platform::programFolder());
}

std::filesystem::path picturesFolder()
{
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_MYPICTURES | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                folder)))
        return {};
    return folder;
}

std::filesystem::path withTrailingBackslash(const std::filesystem::path& folder)
{
    std::wstring text = folder.native();
    if (!text.empty() && text.back() != L'\\')
        text += L'\\';
    return text;
}

// The open frame above a list, from (left, 89) up, across and down to
// (right, 89), at the window's DPI.
void drawOpenFrame(HDC dc, int left, int right, int dpi)
{
    const auto at = [dpi](int x, int y) { return POINT{ui::scaledForDpi(x, dpi), ui::scaledForDpi(y, dpi)}; };
    POINT points[] = {at(left, 89), at(left, 60), at(right, 60), at(right, 89)};
    Polyline(dc, points, 4);
}

}  // namespace

CVantoraGPSAppDlg::CVantoraGPSAppDlg(UserDialogs& dialogs, UnitDrives& drives, PhotoWindowRunner runPhotoWindow)
    : ui::Dialog(IDD_VANTORAGPSAPP_DIALOG, nullptr),
      m_dialogs(dialogs),
      m_drives(drives),
      m_runPhotoWindow(std::move(runPhotoWindow))
{
}

CVantoraGPSAppDlg::~CVantoraGPSAppDlg() = default;

BOOL CVantoraGPSAppDlg::OnInitDialog()
{
    m_hIcon = ui::showProgramIcon(hwnd(), IDR_MAINFRAME);
    setTitle(L"Vantora GPS Utility");

    m_state.appFolder = chooseAppFolder(documentsOrProgramFolder(), platform::programFolder());
    m_unitListView = ui::ListView(item(IDC_UNIT_LIST));
    m_pcListView = ui::ListView(item(IDC_PC_LIST));
    m_unitListView.addColumns(kLogColumns);
    m_pcListView.addColumns(kLogColumns);
    auto window = logic();
    checkStoreFolder(window);
    LoadPcList(window);
    setUnitControlsEnabled(false);
    m_unitListView.setFullRowSelect();
    m_pcListView.setFullRowSelect();

    m_state.unitIdentifier = readUnitIdentifier(platform::programFolder());
    scanForUnitAtStart(window, m_drives);

    placeControls();
    ui::centreOver(hwnd(), nullptr);  // the import window opens in the middle of the screen
    makePictures();
    m_themeLibrary = LoadLibraryW(L"uxtheme.dll");
    m_autoPlayMessage = RegisterWindowMessageW(L"QueryCancelAutoPlay");
    return TRUE;
}

void CVantoraGPSAppDlg::placeControls()
{
    ui::setClientSize(hwnd(), kClientWidth, kClientHeight, dpi());
    ui::placeControls(hwnd(), kPlacements, dpi());
}

void CVantoraGPSAppDlg::makePictures()
{
    m_unitIcon = MakeTitlePicture(hwnd(), IDB_UNIT, dpi());
    m_pcIcon = MakeTitlePicture(hwnd(), IDB_PC, dpi());
    m_arrowImages = std::make_unique<ArrowImages>(ArrowImages::Load(ui::resourceModule(), dpi()));
}

void CVantoraGPSAppDlg::OnDpiChanged(int previousDpi)
{
    placeControls();  // where Windows put the window, not centred again
    m_unitListView.rescaleColumns(kLogColumns, previousDpi, dpi());
    m_pcListView.rescaleColumns(kLogColumns, previousDpi, dpi());
    makePictures();
}

bool CVantoraGPSAppDlg::OnCommand(int id, int code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_IMPORT_ARROW: OnImportArrow(); return true;
    case IDC_DELETE_UNIT_LOGS: OnDeleteSelectedUnitLogs(); return true;
    case IDC_DELETE_ALL_UNIT_LOGS: OnDeleteAllUnitLogs(); return true;
    case IDC_COPY_ALL_TO_PC: {
        auto window = logic();
        CopyUnitLogsToPC(window);
        return true;
    }
    case IDC_ADD_LOGS: OnAddLogFiles(); return true;
    case IDC_CLEAR_PC_ROWS: OnClearSelectedPcLogs(); return true;
    case IDC_CLEAR_PC_LIST: OnClearAllPcLogs(); return true;
    case IDC_TIME_ZONE: OnAdjustTimeZone(); return true;
    case IDC_SHOW_IN_GOOGLE_EARTH: OnShowInGoogleEarth(); return true;
    case IDC_GO_TO_PHOTOS: OnGoToPhotos(); return true;
    case IDC_ABOUT: showAbout(hwnd()); return true;
    case IDC_OPEN_MANUAL: openManual(m_dialogs); return true;
    case IDC_WALKING_HISTORY: startOrRaiseWalkingHistory(); return true;
    case IDC_COPY_SELECTED_TO_PC:
    case IDC_NEXT:
        return true;
    default:
        return false;
    }
}

bool CVantoraGPSAppDlg::OnNotify(int id, NMHDR& header, LRESULT& result)
{
    if (id == IDC_PC_LIST && header.code == LVN_ITEMCHANGED) {
        result = 0;
        return true;
    }
    return false;
}

void CVantoraGPSAppDlg::OnImportArrow()
{
    auto window = logic();
    importUnitLogs(window);
}

void CVantoraGPSAppDlg::OnDeleteSelectedUnitLogs()
{
    const auto rows = m_unitListView.selectedRows();
    if (rows.empty())
        return;
    if (m_dialogs.ask(kDeleteUnitLogsQuestion, DialogButtons::YesNo) != DialogAnswer::Yes)
        return;
    auto window = logic();
    DeleteUnitLogs(window, rows);
}

void CVantoraGPSAppDlg::OnDeleteAllUnitLogs()
{
    if (m_dialogs.ask(kDeleteUnitLogsQuestion, DialogButtons::YesNo) != DialogAnswer::Yes)
        return;
    std::vector<std::size_t> all(m_state.unitLogs.size());
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = i;
    auto window = logic();
    DeleteUnitLogs(window, all);
    setUnitControlsEnabled(false);
}

void CVantoraGPSAppDlg::OnAddLogFiles()
{
    const auto logFolder = storeLogFolder(m_state);
    ensureStoreFolder(logFolder);
    const auto chosen = m_dialogs.chooseLogFiles(logFolder);
    if (chosen.empty())
        return;
    std::vector<std::filesystem::path> fresh;
    bool alreadyListed = false;
    for (const auto& path : chosen) {
        if (containsPath(m_state.pcLogs, path))
            alreadyListed = true;
        else
            fresh.push_back(path);
    }
    auto window = logic();
    RegisterLogFiles(window, fresh, LogSide::Pc, true, true);
    if (alreadyListed)
        m_dialogs.ask(kAlreadyListedMessage, DialogButtons::Ok);
}

void CVantoraGPSAppDlg::OnClearSelectedPcLogs()
{
    const auto rows = m_pcListView.selectedRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        m_pcListView.deleteRow(*it);
        removeAt(m_state.pcLogs, *it);
    }
}

void CVantoraGPSAppDlg::OnClearAllPcLogs()
{
    for (std::size_t i = m_state.pcLogs.size(); i-- > 0;) {
        m_pcListView.deleteRow(i);
        removeAt(m_state.pcLogs, i);
    }
}

void CVantoraGPSAppDlg::OnAdjustTimeZone()
{
    CAdjustTimeDiffDlg dialog(hwnd());
    dialog.m_plus = m_state.offset.east;
    dialog.m_hours = m_state.offset.hours;
    dialog.m_minutes = m_state.offset.minutes;
    if (dialog.DoModal() != IDOK)
        return;
    const UtcOffset chosen = offsetFromEntryText(dialog.m_offsetText);
    const UtcOffset& current = m_state.offset;
    if (chosen.east == (current.east ? 1 : 0) && chosen.hours == current.hours && current.minutes == 0)
        return;
    m_state.offset = chosen;
    auto window = logic();
    FillLogListView(window, LogSide::Unit);
    FillLogListView(window, LogSide::Pc);
}

void CVantoraGPSAppDlg::OnShowInGoogleEarth()
{
    showInGoogleEarth(m_dialogs, m_state.pcLogs, m_pcListView.selectedRows());
}

void CVantoraGPSAppDlg::OnGoToPhotos()
{
    if (m_state.pcLogs.empty())
        return;
    const auto folder = m_dialogs.chooseFolder(kPhotoFolderTitle, picturesFolder());
    if (!folder)
        return;
    show(false);
    const UtcOffset before = m_state.offset;
    const INT_PTR result = m_runPhotoWindow(hwnd(), m_state.pcLogs, withTrailingBackslash(*folder), m_state.offset);
    const UtcOffset& after = m_state.offset;
    if (after.east != before.east || after.hours != before.hours || after.minutes != before.minutes) {
        // The zone the user took for the camera in the photo window.
        auto window = logic();
        FillLogListView(window, LogSide::Unit);
        FillLogListView(window, LogSide::Pc);
    }
    if (result == 1)
        show(true);
    else
        EndDialog(0);
}

void CVantoraGPSAppDlg::OnCancel()
{
    if (userConfirmsExit(m_dialogs))
        EndDialog(IDCANCEL);
}

void CVantoraGPSAppDlg::OnDestroy()
{
    SavePcList(m_state);
    removeAll(m_state.pcLogs);
    removeAll(m_state.unitLogs);
    m_arrowImages.reset();
    if (m_themeLibrary)
        FreeLibrary(m_themeLibrary);
    m_themeLibrary = nullptr;
    m_unitIcon.reset();
    m_pcIcon.reset();
}

bool CVantoraGPSAppDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (m_autoPlayMessage != 0 && message == m_autoPlayMessage) {
        result = 1;  // cancels AutoPlay for the medium just inserted
        return true;
    }
    switch (message) {
    case WM_DEVICECHANGE:
        if (const auto change = readVolumeChange(wParam, lParam)) {
            auto window = logic();
            onVolumeChange(window, m_drives, *change);
        }
        result = TRUE;
        return true;
    case WM_DRAWITEM:
        if (!m_arrowImages)
            return false;
        result = TRUE;
        return DrawArrowButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), *m_arrowImages, m_themeLibrary,
                               dpi());
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<LRESULT>(m_hIcon);
        return true;
    default:
        return false;
    }
}

bool CVantoraGPSAppDlg::PreTranslateMessage(MSG& message)
{
    return ui::isEnterOrEscapeKey(message);
}

bool CVantoraGPSAppDlg::OnPaint()
{
    const ui::PaintDc paint(hwnd());
    if (!ui::drawMinimisedIcon(hwnd(), paint.get(), m_hIcon))
        paintWindow(paint.get());
    return true;
}

void CVantoraGPSAppDlg::paintWindow(HDC dc)
{
    DrawSkinImage(IDB_HEADER, dc, dpi());
    DrawPaintedText(dc, PaintedTextAt(kHeading, dpi()), RGB(0, 0, 0));
    const UniquePen pen(CreatePen(PS_SOLID, scaled(1), GetSysColor(COLOR_BTNSHADOW)));
    {
        const ui::SelectedObject selected(dc, pen.get());
        drawOpenFrame(dc, 14, 385, dpi());
        drawOpenFrame(dc, 503, 874, dpi());
    }
    paintTitlePictures(dc);
}

// The 16 x 16 pictures beside the list titles, made at the window's DPI.
void CVantoraGPSAppDlg::paintTitlePictures(HDC dc)
{
    const UniqueMemoryDc memory(CreateCompatibleDC(dc));
    for (const auto& [picture, x] : {std::pair{m_unitIcon.get(), 14}, std::pair{m_pcIcon.get(), 503}}) {
        if (!picture)
            continue;
        const SIZE size = BitmapSize(picture);
        const ui::SelectedObject selected(memory.get(), picture);
        BitBlt(dc, scaled(x), scaled(40), size.cx, size.cy, memory.get(), 0, 0, SRCCOPY);
    }
}

void CVantoraGPSAppDlg::showLogRows(LogSide side, const std::vector<LogRow>& rows)
{
    ui::ListView& view = listView(side);
    view.deleteAllRows();
    for (const LogRow& row : rows)
        view.appendRow({row.name, row.start, row.end});
}

void CVantoraGPSAppDlg::deleteLogRow(LogSide side, std::size_t row)
{
    listView(side).deleteRow(row);
}

void CVantoraGPSAppDlg::setUnitControlsEnabled(bool on)
{
    for (const int id : kUnitControls)
        enableItem(id, on);
}

void CVantoraGPSAppDlg::setCapacityText(const std::wstring& text)
{
    setItemText(IDC_CAPACITY_TEXT, text);
}

}  // namespace vantora
