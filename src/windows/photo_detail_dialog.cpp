// The photo detail window (template 130).

#include "windows/photo_detail_dialog.h"

#include <utility>

#include "controls/skinned_drawing.h"
#include "platform/code_page.h"
#include "res/resource.h"
#include "ui/gdi_scopes.h"

namespace vantora {

namespace {

constexpr COLORREF kWarningRed = RGB(255, 0, 0);

const std::vector<ui::ListColumn> kTagColumns = {
    {L"項目", 100}, {L"既存の位置情報", 150}, {L"位置情報(マッチング結果)", 150}};

}  // namespace

CStillDetailDlg::CStillDetailDlg(HWND parent, PhotoRecord photo)
    : ui::Dialog(IDD_STILLDETAIL_DIALOG, parent), m_photo(std::move(photo))
{
}

CStillDetailDlg::~CStillDetailDlg() = default;

BOOL CStillDetailDlg::OnInitDialog()
{
    setTitle(L"画像データ詳細");
    m_list = ui::ListView(item(IDC_DETAIL_TAGS));
    m_list.addColumns(kTagColumns);
    fillLabels();
    m_previewFrame = scaled(kPreviewFrame);
    m_preview = decodePhotoPreview(m_photo.exif, m_previewFrame);  // stays empty when it fails
    fillTable();
    m_list.setFullRowSelect();
    return TRUE;
}

void CStillDetailDlg::fillLabels()
{
    const DetailLabels labels = detailLabels(m_photo);
    setItemText(IDC_DETAIL_FILE_NAME, platform::wideFromUtf8(labels.fileName));
    setItemText(IDC_DETAIL_FOLDER, platform::wideFromUtf8(labels.folder));
    setItemText(IDC_DETAIL_LOG_FILE, platform::wideFromUtf8(labels.logFile));
    setItemText(IDC_DETAIL_SHOOTING_TIME, platform::wideFromUtf8(labels.shootingTime));
    setItemText(IDC_DETAIL_REASON, platform::wideFromUtf8(labels.reason));
    if (!labels.kindAndSidecar.empty())
        showKindLine(platform::wideFromUtf8(labels.kindAndSidecar));
}

void CStillDetailDlg::showKindLine(const std::wstring& text)
{
    setItemText(IDC_DETAIL_KIND, text);
    // One more line of the dialog's font, at the window's foot.
    RECT line{0, 0, 0, kKindLineHeight};
    MapDialogRect(hwnd(), &line);
    RECT window{};
    GetWindowRect(hwnd(), &window);
    SetWindowPos(hwnd(), nullptr, 0, 0, window.right - window.left, window.bottom - window.top + line.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CStillDetailDlg::fillTable()
{
    const auto rows = detailRows(m_photo);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const DetailRow& row = rows[i];
        m_list.appendRow({platform::wideFromUtf8(row.name), platform::wideFromCp932(row.stored),
                          platform::wideFromCp932(row.matched)});
        m_differs[i] = row.differs ? 1 : 0;
    }
}

void CStillDetailDlg::OnDpiChanged(int previousDpi)
{
    m_list.rescaleColumns(kTagColumns, previousDpi, dpi());
    // Decoded again for the frame's new size, as sharp as at the start.
    m_previewFrame = scaled(kPreviewFrame);
    m_preview = decodePhotoPreview(m_photo.exif, m_previewFrame);
}

bool CStillDetailDlg::OnNotify(int id, NMHDR& header, LRESULT& result)
{
    if (id != IDC_DETAIL_TAGS || header.code != static_cast<UINT>(NM_CUSTOMDRAW))
        return false;
    result = colourTableCell(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    return true;
}

LRESULT CStillDetailDlg::colourTableCell(NMLVCUSTOMDRAW& draw) const
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const DWORD_PTR row = draw.nmcd.dwItemSpec;
        if (draw.iSubItem == 1 && row < m_differs.size() && m_differs[row] == 1) {
            draw.clrText = kWarningRed;
            return CDRF_NEWFONT;
        }
        draw.clrText = GetSysColor(COLOR_WINDOWTEXT);
        return CDRF_DODEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

bool CStillDetailDlg::OnPaint()
{
    ui::PaintDc paint(hwnd());
    paintPreview(paint.get());
    if (m_photo.doubtful)
        DrawPaintedText(paint.get(), PaintedTextAt(kDoubtfulWarning, dpi()), kWarningRed);
    return true;
}

void CStillDetailDlg::paintPreview(HDC dc) const
{
    if (!m_preview.bitmap)
        return;
    const RECT fitted = fitIntoFrame(m_previewFrame, m_preview.pictureSize.cx, m_preview.pictureSize.cy);
    const SIZE size = BitmapSize(m_preview.bitmap.get());
    UniqueMemoryDc source(CreateCompatibleDC(dc));
    if (!source)
        return;
    ui::SelectedObject selected(source.get(), m_preview.bitmap.get());
    // Opaque: the decoded picture's alpha bytes mean nothing here.
    const BLENDFUNCTION opaque{AC_SRC_OVER, 0, 255, 0};
    AlphaBlend(dc, fitted.left, fitted.top, fitted.right - fitted.left, fitted.bottom - fitted.top, source.get(), 0,
               0, size.cx, size.cy, opaque);
}

}  // namespace vantora
