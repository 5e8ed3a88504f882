#pragma once
// The photo detail window: everything known about one photo of the photo
// list, its preview, and its stored GPS tags beside the matched values.
// It only displays: the texts come from photo/detail_table.h, the preview
// from controls/preview_picture.h.

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>

#include "controls/preview_picture.h"
#include "controls/skinned_drawing.h"
#include "photo/detail_table.h"
#include "photo/photo_record.h"
#include "ui/dialog.h"
#include "ui/list_view.h"

namespace vantora {

class CStillDetailDlg : public ui::Dialog {
public:
    // `photo` is the window's own deep copy of the record (copyRecord).
    CStillDetailDlg(HWND parent, PhotoRecord photo);
    ~CStillDetailDlg() override;

    // The red line painted above the table when the match is doubtful:
    // right under the preview, clear of the table even where the dialog
    // font's line is 11 px (table top 105); wide enough for 20 glyphs of
    // a full em.
    static constexpr PaintedText kDoubtfulWarning{L"マッチングが正しくない可能性があります。", CaptionFont{-12, 0},
                                                  RECT{215, 91, 455, 111}, DT_CENTER | DT_VCENTER};
    // The frame the preview is fitted into, at 96 dpi.
    static constexpr RECT kPreviewFrame{350, 20, 450, 90};
    // How much the window of a raw or HEIF photo grows (dialog units) to
    // show its kind line.
    static constexpr int kKindLineHeight = 12;

protected:
    BOOL OnInitDialog() override;
    bool OnNotify(int id, NMHDR& header, LRESULT& result) override;
    bool OnPaint() override;
    void OnDpiChanged(int previousDpi) override;

private:
    void fillLabels();
    void showKindLine(const std::wstring& text);
    void fillTable();
    LRESULT colourTableCell(NMLVCUSTOMDRAW& draw) const;
    void paintPreview(HDC dc) const;

    ui::ListView m_list;
    PhotoRecord m_photo;
    PreviewPicture m_preview;
    RECT m_previewFrame = kPreviewFrame;  // at the window's DPI
    std::array<int, kDetailRowCount> m_differs{};
};

}  // namespace vantora
