#include "windows/photo_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "app/shared_commands.h"
#include "controls/skin_images.h"
#include "controls/skinned_drawing.h"
#include "export/show_in_google_earth.h"
#include "photo/clock_question.h"
#include "photo/matching.h"
#include "photo/photo_batch.h"
#include "photo/photo_list.h"
#include "photo/photo_sources.h"
#include "photo/photo_writing.h"
#include "photo/reason_wording.h"
#include "photo/write_report.h"
#include "res/resource.h"
#include "ui/gdi_scopes.h"
#include "ui/layout.h"
#include "ui/list_view.h"
#include "windows/adjust_shooting_date_dialog.h"

namespace vantora {

namespace {

inline constexpr char kWriteQuestion[] = "すべての画像データに位置情報を付加しますか？";
inline constexpr char kWriteDoubtfulQuestion[] =
    "マッチングの有効性に疑問のあるファイルが含まれています。\nすべての画像データに位置情報を付加しますか？";
inline constexpr char kNoLogsMessage[] = "ログファイルが登録されていません。";
inline constexpr char kWrittenMessage[] = "位置情報を付加しました。";
inline constexpr char kStartAgainQuestion[] = "リストをクリアして取り込み画面に戻ります。\nよろしいですか？";
inline constexpr char kWritingCaption[] = "位置情報付加中...";
inline constexpr char kShiftingCaption[] = "撮影時間変更中...";

// The system menu's command that opens the about box: an id below 0xF000,
// so Windows sends it with WM_SYSCOMMAND, whose low four bits it keeps for
// itself.
constexpr WPARAM kSystemMenuAbout = 0x10;
constexpr WPARAM kSystemCommandMask = 0xFFF0;

// The list's latitude and longitude columns, grey until the positions are
// written.
constexpr int kLatitudeColumn = 4;
constexpr int kLongitudeColumn = 5;

constexpr int kClientWidth = 885;
constexpr int kClientHeight = 600;

struct Placement {
    ui::ControlPlacement place;
    bool shownBefore;  // before positions are written
    bool shownAfter;   // after
};

constexpr Placement kPlacements[] = {
    {{IDC_PHOTO_LIST, 14, 70, 859, 483}, true, true},
    {{IDC_PHOTO_DETAIL, 20, 45, 72, 20}, true, true},
    {{IDC_ADJUST_SHOOTING_TIME, 103, 45, 93, 20}, true, false},
    {{IDC_ADD_PHOTOS, 537, 45, 141, 20}, true, false},
    {{IDC_CLEAR_PHOTO_ROWS, 684, 45, 183, 20}, true, true},
    {{IDC_WRITE_POSITIONS, 587, 564, 203, 26}, true, false},
    {{IDC_START_AGAIN_CANCEL, 801, 564, 72, 26}, true, false},
    {{IDC_PHOTOS_IN_GOOGLE_EARTH, 620, 564, 124, 26}, false, true},
    {{IDC_START_AGAIN, 755, 564, 118, 26}, false, true},
    {{IDC_ABOUT, 719, 6, 80, 18}, true, true},
    {{IDC_PHOTO_OPEN_MANUAL, 809, 6, 65, 18}, true, true},
    {{IDC_PHOTO_WALKING_HISTORY, 492, 564, 118, 26}, false, false},
};

const std::vector<ui::ListColumn> kPhotoColumns = {
    {L"位置情報", 60},  {L"有効性", 60}, {L"ファイル名", 90}, {L"撮影日時", 120},
    {L"緯度(マッチング結果)", 130}, {L"経度(マッチング結果)", 130}, {L"備考", 250}};

// Runs an operation over the photos with the progress window when there
// are many of them; it always runs to its end.
template <typename Operation>
void withProgress(UserDialogs& dialogs, std::size_t count, const char* caption, Operation operation)
{
    if (count <= kProgressThreshold) {
        operation(StepCallback{});
        return;
    }
    const auto progress = dialogs.openProgress(false, caption);
    operation(StepCallback([&](int position, int total) { return progress->step(position, total); }));
}

}  // namespace

CStillListDlg::CStillListDlg(HWND parent, UserDialogs& dialogs)
    : ui::Dialog(IDD_STILLLIST_DIALOG, parent), m_dialogs(dialogs), m_listCtrl(dialogs)
{
}

CStillListDlg::~CStillListDlg() = default;

BOOL CStillListDlg::OnInitDialog()
{
    m_hIcon = ui::showProgramIcon(hwnd(), IDR_MAINFRAME);
    setTitle(L"Vantora GPS Utility");

    static LogList noLogs;
    m_photos = std::make_unique<PhotoList>(m_pcLogList ? *m_pcLogList : noLogs, m_offset);
    m_listCtrl.Attach(item(IDC_PHOTO_LIST));
    ui::ListView(item(IDC_PHOTO_LIST)).addColumns(kPhotoColumns);
    showButtons(false);
    loadFolder();

    m_listCtrl.m_photoList = m_photos.get();
    m_listCtrl.m_offsetHours = m_offset.hours;
    m_listCtrl.m_offsetMinutes = m_offset.minutes;
    m_listCtrl.m_offsetPlus = m_offset.east;
    ui::ListView(item(IDC_PHOTO_LIST)).setFullRowSelect();
    placeControls();
    ui::centreOver(hwnd(), parent());  // over the import window it was opened from
    return TRUE;
}

void CStillListDlg::loadFolder()
{
    if (m_folder.empty())
        return;
    addPhotoBatch(m_dialogs, hwnd(), item(IDC_PHOTO_LIST), folderPhotoBatch(m_folder), false, *m_photos,
                  m_offset);
}

void CStillListDlg::placeControls()
{
    ui::setClientSize(hwnd(), kClientWidth, kClientHeight, dpi());
    for (const Placement& placement : kPlacements)
        ui::placeControls(hwnd(), {&placement.place, 1}, dpi());
}

void CStillListDlg::OnDpiChanged(int previousDpi)
{
    placeControls();  // where Windows put the window, not centred again
    ui::ListView(item(IDC_PHOTO_LIST)).rescaleColumns(kPhotoColumns, previousDpi, dpi());
}

void CStillListDlg::showButtons(bool afterWriting)
{
    for (const Placement& place : kPlacements) {
        const bool shown = afterWriting ? place.shownAfter : place.shownBefore;
        showItem(place.place.id, shown);
    }
}

void CStillListDlg::refill()
{
    FillPhotoListView(item(IDC_PHOTO_LIST), *m_photos);
}

bool CStillListDlg::OnCommand(int id, int code, HWND)
{
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_PHOTO_DETAIL: m_listCtrl.OpenPhotoDetail(); return true;
    case IDC_ADJUST_SHOOTING_TIME: OnAdjustShootingTime(); return true;
    case IDC_ADD_PHOTOS: OnAddPhotos(); return true;
    case IDC_CLEAR_PHOTO_ROWS: OnClearSelectedRows(); return true;
    case IDC_WRITE_POSITIONS: OnWritePositions(); return true;
    case IDC_START_AGAIN_CANCEL:
    case IDC_START_AGAIN: OnStartAgain(); return true;
    case IDC_PHOTOS_IN_GOOGLE_EARTH:
        if (m_pcLogList)
            showInGoogleEarth(m_dialogs, *m_pcLogList, m_photos->records);
        return true;
    case IDC_ABOUT: showAbout(hwnd()); return true;
    case IDC_PHOTO_OPEN_MANUAL: openManual(m_dialogs); return true;
    case IDC_PHOTO_WALKING_HISTORY: startOrRaiseWalkingHistory(); return true;
    default: return false;
    }
}

void CStillListDlg::OnAddPhotos()
{
    const auto chosen = m_dialogs.choosePhotoFiles();
    if (chosen.empty())
        return;
    const PhotoBatch batch = newPhotoBatch(chosen, *m_photos);
    addPhotoBatch(m_dialogs, hwnd(), item(IDC_PHOTO_LIST), batch.paths, !batch.duplicates.empty(), *m_photos,
                  m_offset);
}

void CStillListDlg::OnClearSelectedRows()
{
    ui::ListView view(item(IDC_PHOTO_LIST));
    const auto rows = view.selectedRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        removeAt(*m_photos, *it);
        view.deleteRow(*it);
    }
}

void CStillListDlg::OnAdjustShootingTime()
{
    if (m_photos->records.empty())
        return;
    CAdjustShootingDateDlg dialog(hwnd());
    if (dialog.DoModal() != IDOK)
        return;
    if (dialog.m_hour == 0 && dialog.m_minute == 0 && dialog.m_second == 0)
        return;
    withProgress(m_dialogs, m_photos->records.size(), kShiftingCaption, [&](const StepCallback& progress) {
        shiftShootingTimes(*m_photos, dialog.m_direction == 0, dialog.m_hour, dialog.m_minute, dialog.m_second,
                           progress);
    });
    clearMatches(*m_photos);
    matchAll(*m_photos, m_offset);
    offerCameraClocks(m_dialogs, *m_photos, m_offset);
    refill();
}

void CStillListDlg::OnWritePositions()
{
    if (m_photos->records.empty())
        return;
    // The doubtful question ends with how many photos are doubtful for which reason.
    const std::string doubtful = doubtfulCountsJapanese(countDoubtfulByKind(*m_photos));
    const std::string question = countDoubtful(*m_photos) > 0
                                     ? kWriteDoubtfulQuestion + (doubtful.empty() ? "" : "\n\n" + doubtful)
                                     : std::string(kWriteQuestion);
    if (m_dialogs.ask(question, DialogButtons::OkCancel) != DialogAnswer::Ok)
        return;
    if (!m_pcLogList || m_pcLogList->empty()) {
        m_dialogs.ask(kNoLogsMessage, DialogButtons::Ok);
        return;
    }
    showButtons(true);
    WriteSummary summary;
    withProgress(m_dialogs, m_photos->records.size(), kWritingCaption,
                 [&](const StepCallback& progress) { summary = writePositions(*m_photos, progress); });
    refill();
    // The plain message only when every matched photo took its position.
    m_dialogs.ask(summary.failures.empty() ? std::string(kWrittenMessage) : writeFailureMessage(summary),
                  DialogButtons::Ok);
    m_positionsWritten = 1;
    DragAcceptFiles(item(IDC_PHOTO_LIST), FALSE);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void CStillListDlg::OnStartAgain()
{
    if (m_photos->records.empty()) {
        EndDialog(1);
        return;
    }
    if (m_dialogs.ask(kStartAgainQuestion, DialogButtons::OkCancelDefaultCancel) == DialogAnswer::Ok)
        EndDialog(1);
}

void CStillListDlg::OnCancel()
{
    if (userConfirmsExit(m_dialogs))
        EndDialog(0);
}

void CStillListDlg::OnDestroy()
{
    m_zoneTaken = zoneTakenForWholeList(*m_photos);
    m_listCtrl.m_photoList = nullptr;
    m_listCtrl.Detach();
    StopShowingPhotoList(item(IDC_PHOTO_LIST));
    m_photos.reset();
}

bool CStillListDlg::OnNotify(int id, NMHDR& header, LRESULT& result)
{
    if (id != IDC_PHOTO_LIST)
        return false;
    if (header.code == NM_DBLCLK) {
        m_listCtrl.OpenPhotoDetail();
        result = 0;
        return true;
    }
    if (header.code == NM_CUSTOMDRAW) {
        result = OnListCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
        return true;
    }
    return false;
}

LRESULT CStillListDlg::OnListCustomDraw(NMLVCUSTOMDRAW& draw)
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        if (draw.iSubItem == 0) {
            if (m_positionsWritten)
                draw.clrText = RGB(0, 255, 0);
            return CDRF_NEWFONT;
        }
        if (draw.iSubItem == kLatitudeColumn || draw.iSubItem == kLongitudeColumn) {
            draw.clrText = m_positionsWritten ? RGB(0, 0, 0) : RGB(153, 153, 153);
            return CDRF_NEWFONT;
        }
        draw.clrText = GetSysColor(COLOR_WINDOWTEXT);
        return CDRF_DODEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

bool CStillListDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message == WM_QUERYDRAGICON) {
        result = reinterpret_cast<LRESULT>(m_hIcon);
        return true;
    }
    if (message == WM_SYSCOMMAND && (wParam & kSystemCommandMask) == kSystemMenuAbout) {
        showAbout(hwnd());
        result = 0;
        return true;
    }
    return false;
}

bool CStillListDlg::PreTranslateMessage(MSG& message)
{
    return ui::isEnterOrEscapeKey(message);
}

bool CStillListDlg::OnPaint()
{
    const ui::PaintDc paint(hwnd());
    if (!ui::drawMinimisedIcon(hwnd(), paint.get(), m_hIcon))
        paintWindow(paint.get());
    return true;
}

void CStillListDlg::paintWindow(HDC dc)
{
    DrawSkinImage(IDB_HEADER, dc, dpi());
    DrawPaintedText(dc, PaintedTextAt(m_positionsWritten ? kHeadingAfterWriting : kHeadingBeforeWriting, dpi()),
                    RGB(0, 0, 0));
    const UniquePen pen(CreatePen(PS_SOLID, scaled(1), GetSysColor(COLOR_BTNSHADOW)));
    const ui::SelectedObject selected(dc, pen.get());
    const auto at = [this](int x, int y) { return POINT{scaled(x), scaled(y)}; };
    POINT frame[] = {at(14, 71), at(14, 40), at(872, 40), at(872, 71)};
    Polyline(dc, frame, 4);
}

INT_PTR runPhotoWindow(UserDialogs& dialogs, HWND parent, LogList& pcLogs, const std::filesystem::path& folder,
                       UtcOffset& offset)
{
    CStillListDlg window(parent, dialogs);
    window.m_pcLogList = &pcLogs;
    window.m_folder = folder;
    window.m_offset = offset;
    const INT_PTR result = window.DoModal();
    if (window.m_zoneTaken)
        offset = *window.m_zoneTaken;
    return result;
}

}  // namespace vantora
