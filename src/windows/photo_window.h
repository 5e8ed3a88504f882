#pragma once
// The photo window: the photos of the chosen folder matched to the PC's
// logs, for review, shooting-time shifts and writing the positions; after
// writing, the check in Google Earth. It returns 1 to go back to the import
// window and 0 to end the program.

#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <memory>
#include <optional>

#include "controls/photo_list_control.h"
#include "controls/skinned_drawing.h"
#include "photo/photo_record.h"
#include "tracklog/log_list.h"
#include "ui/dialog.h"
#include "ui/user_dialogs.h"

namespace vantora {

class CStillListDlg : public ui::Dialog {
public:
    CStillListDlg(HWND parent, UserDialogs& dialogs);
    ~CStillListDlg() override;

    // Set by the import window before the window runs.
    LogList* m_pcLogList = nullptr;
    std::filesystem::path m_folder;
    UtcOffset m_offset;

    // The zone the user took for the photos' camera, to hand back to the
    // import window (see zoneTakenForWholeList); set when the window closes.
    std::optional<UtcOffset> m_zoneTaken;

    // The heading over the header strip, before and after writing.
    static constexpr PaintedText kHeadingBeforeWriting{L"位置情報を画像データに追加", CaptionFont{-18, FW_BOLD},
                                                       RECT{12, 5, 262, 55}, DT_VCENTER};
    static constexpr PaintedText kHeadingAfterWriting{L"位置情報が追加された写真", CaptionFont{-18, FW_BOLD},
                                                      RECT{12, 5, 262, 55}, DT_VCENTER};

    // For the end-to-end tests.
    const PhotoList* photos() const { return m_photos.get(); }
    bool positionsWritten() const { return m_positionsWritten != 0; }
    CCustomListCtrl& listControl() { return m_listCtrl; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(int id, NMHDR& header, LRESULT& result) override;
    bool OnPaint() override;
    void OnCancel() override;
    void OnOK() override {}
    void OnDestroy() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool PreTranslateMessage(MSG& message) override;
    void OnDpiChanged(int previousDpi) override;

private:
    void placeControls();
    void showButtons(bool afterWriting);
    void refill();
    void loadFolder();

    void OnAddPhotos();
    void OnClearSelectedRows();
    void OnAdjustShootingTime();
    void OnWritePositions();
    void OnStartAgain();
    LRESULT OnListCustomDraw(NMLVCUSTOMDRAW& draw);
    void paintWindow(HDC dc);

    UserDialogs& m_dialogs;
    HICON m_hIcon = nullptr;
    CCustomListCtrl m_listCtrl;
    std::unique_ptr<PhotoList> m_photos;
    int m_positionsWritten = 0;
};

// Runs the photo window modally over the import window; `offset` becomes
// the zone the user took for the photos' camera, when there is one.
INT_PTR runPhotoWindow(UserDialogs& dialogs, HWND parent, LogList& pcLogs, const std::filesystem::path& folder,
                       UtcOffset& offset);

}  // namespace vantora
