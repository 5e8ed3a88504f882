#include "controls/photo_list_control.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

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

std::vector<std::wstring> rowTexts(const PhotoRecord& record)
{
    const bool good = record.match.has_value() && record.doubtful == 0;
    // Position texts are code page 932 whatever the system's code page is.
    std::wstring latitude;
    std::wstring longitude;
    if (record.match) {
        latitude = platform::wideFromCp932(fieldText(record.match->point.latitudeText));
        longitude = platform::wideFromCp932(fieldText(record.match->point.longitudeText));
    }
    return {
        record.exif.hasGpsTags ? L"有" : L"無",
        good ? L"OK" : L"?",
        fileNamePart(record.exif.path),
        platform::wideFromAnsi(fieldText(record.exif.shootingTime.dateTimeText)),
        std::move(latitude),
        std::move(longitude),
        good ? L"" : kDoubtfulRemark,
    };
}

// One repaint for the whole list rather than one per row; drawing comes
// back however the filling ends.
class RedrawPause {
public:
    explicit RedrawPause(HWND window) : window_(window) { SendMessageW(window_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawPause()
    {
        SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window_, nullptr, TRUE);
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

private:
    HWND window_;
};

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
    const RedrawPause pause(listView);
    ui::ListView view(listView);
    view.deleteAllRows();
    for (const PhotoRecord& record : photos.records)
        view.appendRow(rowTexts(record));
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
