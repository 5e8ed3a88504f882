#include "controls/photo_list_control.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "photo/clock_question.h"
#include "photo/photo_batch.h"
#include "photo/photo_list.h"
#include "photo/reason_wording.h"
#include "platform/code_page.h"
#include "tracklog/text_writer.h"
#include "ui/dpi.h"
#include "ui/exception_boundary.h"
#include "ui/list_view.h"
#include "windows/photo_detail_dialog.h"

namespace vantora {

namespace {

namespace fs = std::filesystem;

constexpr wchar_t kDoubtfulRemark[] = L"マッチングが正しくない可能性があります。";

// The shell hands dropped paths over in a buffer of this many characters.
constexpr UINT kDropPathLength = 260;
constexpr UINT_PTR kSubclassId = 1;

// The row shows the name as the user knows it from Explorer: the text after
// the last backslash.
std::wstring fileNamePart(const fs::path& path)
{
    const std::wstring& whole = path.native();
    const std::size_t slash = whole.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring{} : whole.substr(slash + 1);
}

enum PhotoColumn { kGpsTagsColumn, kValidityColumn, kNameColumn, kShotColumn, kLatitudeColumn, kLongitudeColumn,
                   kRemarkColumn };

// The text of one cell: the list view asks for the cells it is about to
// draw, so a row costs nothing until it is seen.
std::wstring cellText(const PhotoRecord& record, int column)
{
    const bool good = record.match.has_value() && record.doubtful == 0;
    switch (column) {
    case kGpsTagsColumn: return record.exif.hasGpsTags ? L"有" : L"無";
    case kValidityColumn: return good ? L"OK" : L"?";
    case kNameColumn: return fileNamePart(record.exif.path);
    case kShotColumn: return platform::wideFromAnsi(fieldText(record.exif.shootingTime.dateTimeText));
    // Position texts are code page 932 whatever the system's code page is.
    case kLatitudeColumn:
        return record.match ? platform::wideFromCp932(fieldText(record.match->point.latitudeText)) : L"";
    case kLongitudeColumn:
        return record.match ? platform::wideFromCp932(fieldText(record.match->point.longitudeText)) : L"";
    case kRemarkColumn: return good ? L"" : kDoubtfulRemark;
    default: return L"";
    }
}

// Copies a cell's text into the list view's buffer, cut to its size.
void giveCellText(const PhotoList& photos, NMLVDISPINFOW& request)
{
    LVITEMW& item = request.item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0)
        return;
    item.pszText[0] = L'\0';
    if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= photos.records.size())
        return;  // a row the list still counts while its photo is being removed
    const std::wstring text = cellText(photos.records[static_cast<std::size_t>(item.iItem)], item.iSubItem);
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
    text.copy(item.pszText, length);
    item.pszText[length] = L'\0';
}

// The list view's parent hears the list's requests for cell texts; this
// answers them for the one list view it was installed for (its id).
LRESULT CALLBACK cellTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR listView,
                              DWORD_PTR photos)
{
    if (message == WM_NOTIFY && lParam) {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.hwndFrom == reinterpret_cast<HWND>(listView) && header.code == LVN_GETDISPINFOW) {
            ui::resultOrFallbackOnException(false, [&] {
                giveCellText(*reinterpret_cast<const PhotoList*>(photos), *reinterpret_cast<NMLVDISPINFOW*>(lParam));
                return true;
            });
            return 0;
        }
    }
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(window, cellTextProc, listView);
    return DefSubclassProc(window, message, wParam, lParam);
}

// Releases the shell's drop handle however the handler is left.
class DropHandle {
public:
    explicit DropHandle(HDROP drop) : drop_(drop) {}
    ~DropHandle()
    {
        if (drop_)
            DragFinish(drop_);
    }
    DropHandle(const DropHandle&) = delete;
    DropHandle& operator=(const DropHandle&) = delete;

    HDROP get() const { return drop_; }

private:
    HDROP drop_;
};

// The dropped files, in drop order. The handle is released on return.
std::vector<fs::path> droppedPaths(HDROP drop)
{
    const DropHandle handle(drop);
    std::vector<fs::path> paths;
    const UINT count = DragQueryFileW(handle.get(), 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // A path that does not fit is left out: cut short it could name
        // another photo, which would later be written to.
        if (DragQueryFileW(handle.get(), i, nullptr, 0) >= kDropPathLength)
            continue;
        wchar_t buffer[kDropPathLength] = {};
        if (DragQueryFileW(handle.get(), i, buffer, kDropPathLength) == 0)
            continue;
        paths.emplace_back(buffer);
    }
    return paths;
}

LRESULT CALLBACK listSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR reference)
{
    auto* control = reinterpret_cast<CCustomListCtrl*>(reference);
    // A drop that fails part-way has already released the shell's handle.
    ui::resultOrFallbackOnException(false, [&] {
        if (message == WM_DROPFILES)
            control->OnDropFiles(reinterpret_cast<HDROP>(wParam));
        else if (message == WM_MOUSEMOVE)
            control->OnMouseMove(lParam);
        else if (message == WM_NOTIFY && lParam &&
                 reinterpret_cast<const NMHDR*>(lParam)->hwndFrom == control->tipWindow() &&
                 reinterpret_cast<const NMHDR*>(lParam)->code == TTN_GETDISPINFOW)
            control->OnTipText(*reinterpret_cast<NMTTDISPINFOW*>(lParam));
        else if (message == WM_NCDESTROY)
            control->Detach();  // the window goes; the control must not keep its handle
        return true;
    });
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

void FillPhotoListView(HWND listView, const PhotoList& photos)
{
    // Installing the answer again only changes the list it answers from.
    SetWindowSubclass(GetParent(listView), cellTextProc, reinterpret_cast<UINT_PTR>(listView),
                      reinterpret_cast<DWORD_PTR>(&photos));
    ui::ListView view(listView);
    view.deleteAllRows();
    view.setRowCount(photos.records.size());
}

void StopShowingPhotoList(HWND listView)
{
    ui::ListView(listView).deleteAllRows();
    RemoveWindowSubclass(GetParent(listView), cellTextProc, reinterpret_cast<UINT_PTR>(listView));
}

void addPhotoBatch(UserDialogs& dialogs, HWND /*owner: the dialog seam places its windows*/, HWND listView,
                   const std::vector<fs::path>& batch, bool duplicatesMet, PhotoList& photos,
                   const UtcOffset& offset)
{
    addPhotoBatch(dialogs, batch, duplicatesMet, photos, offset,
                  [listView](const PhotoList& shown) { FillPhotoListView(listView, shown); });
    if (offerCameraClocks(dialogs, photos, offset))
        FillPhotoListView(listView, photos);
}

CCustomListCtrl::CCustomListCtrl(UserDialogs& dialogs) : m_dialogs(dialogs) {}

CCustomListCtrl::~CCustomListCtrl()
{
    Detach();
}

void CCustomListCtrl::Attach(HWND listView)
{
    Detach();
    if (listView && SetWindowSubclass(listView, listSubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        m_hWnd = listView;
        createTip();
    }
}

// A tooltip of our own rather than the list view's info tip, which Wine's
// list view never shows: the same on every system.
void CCustomListCtrl::createTip()
{
    m_tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, nullptr,
                            nullptr);
    if (!m_tip)
        return;
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_hWnd;  // receives TTN_GETDISPINFO
    tool.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(m_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // Long reasons wrap.
    SendMessageW(m_tip, TTM_SETMAXTIPWIDTH, 0, ui::scaledForDpi(480, ui::dpiOf(m_hWnd)));
}

void CCustomListCtrl::OnMouseMove(LPARAM position)
{
    LVHITTESTINFO hit{};
    hit.pt = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    const int row = static_cast<int>(SendMessageW(m_hWnd, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row == m_tipRow || !m_tip)
        return;
    // Another row: the tip goes, and asks for its new text when it comes back.
    m_tipRow = row;
    SendMessageW(m_tip, TTM_POP, 0, 0);
    SendMessageW(m_tip, TTM_ACTIVATE, row >= 0, 0);
}

void CCustomListCtrl::OnTipText(NMTTDISPINFOW& tip)
{
    m_tipText.clear();
    if (m_photoList && m_tipRow >= 0 && static_cast<std::size_t>(m_tipRow) < m_photoList->records.size())
        m_tipText = platform::wideFromUtf8(reasonJapanese(m_photoList->records[static_cast<std::size_t>(m_tipRow)].reason));
    tip.lpszText = m_tipText.data();
    tip.szText[0] = L'\0';
    tip.hinst = nullptr;
}

void CCustomListCtrl::Detach()
{
    if (!m_hWnd)
        return;
    RemoveWindowSubclass(m_hWnd, listSubclassProc, kSubclassId);
    if (m_tip)
        DestroyWindow(m_tip);
    m_tip = nullptr;
    m_tipRow = -1;
    m_hWnd = nullptr;
}

void CCustomListCtrl::OpenPhotoDetail()
{
    if (!m_hWnd || !m_photoList)
        return;
    if (SendMessageW(m_hWnd, LVM_GETSELECTEDCOUNT, 0, 0) != 1)
        return;
    const LRESULT row = SendMessageW(m_hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (row < 0 || static_cast<std::size_t>(row) >= m_photoList->records.size())
        return;
    // The window works on its own copy; the copy goes with the window.
    CStillDetailDlg dialog(GetParent(m_hWnd), copyRecord(m_photoList->records[static_cast<std::size_t>(row)]));
    dialog.DoModal();
}

void CCustomListCtrl::OnDropFiles(HDROP drop)
{
    if (!m_photoList) {
        DragFinish(drop);  // not yet given a list: nothing to add to
        return;
    }
    // Files of other kinds are passed over silently.
    const PhotoBatch batch = newPhotoBatch(droppedPaths(drop), *m_photoList);
    const UtcOffset offset{m_offsetPlus, m_offsetHours, m_offsetMinutes};
    addPhotoBatch(m_dialogs, m_hWnd, m_hWnd, batch.paths, !batch.duplicates.empty(), *m_photoList, offset);
}

}  // namespace vantora
