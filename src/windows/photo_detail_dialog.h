#pragma once
// The photo detail window: everything known about one photo of the photo
// list, its preview, and its stored GPS tags beside the matched values.
// It only displays.

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "controls/skinned_drawing.h"
#include "photo/photo_record.h"
#include "ui/dialog.h"
#include "ui/list_view.h"

namespace vantora {

constexpr int kDetailRowCount = 6;

// One row of the tag table. The texts are narrow (code page 932) as the
// records keep them; `stored` is empty when the photo carries no GPS tags,
// `matched` when it has no match.
struct DetailRow {
    const wchar_t* name;
    std::string stored;
    std::string matched;
    bool differs;  // red in the table
};

// The table of a photo. A row differs only when the photo carries tags and
// is matched, and its two texts differ ignoring the case of single-byte
// letters (see narrowTextsDiffer).
std::array<DetailRow, kDetailRowCount> detailRows(const PhotoRecord& photo);

// Whether two code page 932 texts differ when the case of single-byte
// letters is ignored. The second byte of a double-byte character is never
// folded: it may look like an ASCII letter without being one.
bool narrowTextsDiffer(std::string_view stored, std::string_view matched);

// The four bytes of a GPS tag version as "%d.%d.%d.%d", in stored order.
std::string formatGpsVersion(const std::array<std::uint8_t, 4>& version);

// The four label lines of the window.
struct DetailLabels {
    std::wstring fileName;
    std::wstring folder;
    std::wstring logFile;
    std::wstring shootingTime;
};
DetailLabels detailLabels(const PhotoRecord& photo);

// A photo path split at its last backslash; without one, both are empty.
struct PathParts {
    std::wstring name;
    std::wstring folder;
};
PathParts splitPhotoPath(const std::filesystem::path& path);

// Code page 932 text (at most `capacity` bytes, up to the first zero) as
// UTF-16, for display on any Windows whatever its ANSI code page.
std::wstring fromCodePage932(const char* text, std::size_t capacity);

// The rectangle a width x height picture takes when fitted into `frame`
// keeping its proportions, centred. Empty for an empty picture.
RECT fitIntoFrame(const RECT& frame, int width, int height);

// A decoded photo for the preview: the picture's own size, and a bitmap of
// it already scaled to the size it takes in the frame, so that a large photo
// does not stay decoded at full size while the window is open.
struct PreviewPicture {
    UniqueBitmap bitmap;
    SIZE pictureSize{0, 0};
};
// Decodes `file` with GDI+; an empty picture when it cannot be decoded.
PreviewPicture decodePreview(const std::filesystem::path& file, const RECT& frame);

class CStillDetailDlg : public ui::Dialog {
public:
    // `photo` is the window's own deep copy of the record (copyRecord).
    CStillDetailDlg(HWND parent, PhotoRecord photo);
    ~CStillDetailDlg() override;

protected:
    BOOL OnInitDialog() override;
    bool OnNotify(int id, NMHDR& header, LRESULT& result) override;
    bool OnPaint() override;

private:
    void fillLabels();
    void fillTable();
    LRESULT colourTableCell(NMLVCUSTOMDRAW& draw) const;
    void paintPreview(HDC dc) const;

    ui::ListView m_list;
    PhotoRecord m_photo;
    PreviewPicture m_preview;
    RECT m_previewFrame{350, 20, 450, 90};
    std::array<int, kDetailRowCount> m_differs{};
};

}  // namespace vantora
