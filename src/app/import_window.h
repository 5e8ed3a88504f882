#pragma once
// The program's main window: the logs on the GPS unit on the left, the
// logs known to the PC on the right, and the commands between and above
// them. Its logic lives in src/unit; this class shows it and routes the
// buttons, device reports and painting to it.

#include <windows.h>

#include <functional>
#include <memory>

#include "controls/arrow_button.h"
#include "controls/skinned_drawing.h"
#include "platform/unit_drives.h"
#include "ui/dialog.h"
#include "ui/list_view.h"
#include "unit/import_window_state.h"

namespace vantora {

// Runs the photo window over the import window with the PC logs, the chosen
// photo folder and the time zone, which the photo window may hand back
// changed (the zone the user took for the photos' camera); 1 returns to the
// import window.
using PhotoWindowRunner =
    std::function<INT_PTR(HWND parent, LogList& pcLogs, const std::filesystem::path& folder, UtcOffset& offset)>;

class CVantoraGPSAppDlg : public ui::Dialog, private ImportWindowControls {
public:
    CVantoraGPSAppDlg(UserDialogs& dialogs, UnitDrives& drives, PhotoWindowRunner runPhotoWindow);
    ~CVantoraGPSAppDlg() override;

    // The heading painted over the header strip.
    static constexpr PaintedText kHeading{L"位置情報の取り込み", CaptionFont{-18, FW_BOLD}, RECT{0, 5, 190, 55},
                                          DT_CENTER | DT_VCENTER};

    // For the end-to-end tests, which drive the window through messages.
    const ImportWindowState& state() const { return m_state; }
    const ui::ListView& unitListView() const { return m_unitListView; }
    const ui::ListView& pcListView() const { return m_pcListView; }

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
    // What the logic changes on the window.
    void showLogRows(LogSide side, const std::vector<LogRow>& rows) override;
    void deleteLogRow(LogSide side, std::size_t row) override;
    void setUnitControlsEnabled(bool on) override;
    void setCapacityText(const std::wstring& text) override;

    ImportWindow logic() { return ImportWindow{m_state, *this, m_dialogs}; }
    ui::ListView& listView(LogSide side) { return side == LogSide::Unit ? m_unitListView : m_pcListView; }
    void placeControls();
    void makePictures();
    void paintTitlePictures(HDC dc);

    // The commands.
    void OnImportArrow();
    void OnDeleteSelectedUnitLogs();
    void OnDeleteAllUnitLogs();
    void OnAddLogFiles();
    void OnClearSelectedPcLogs();
    void OnClearAllPcLogs();
    void OnAdjustTimeZone();
    void OnShowInGoogleEarth();
    void OnGoToPhotos();

    void paintWindow(HDC dc);

    UserDialogs& m_dialogs;
    UnitDrives& m_drives;
    PhotoWindowRunner m_runPhotoWindow;
    ImportWindowState m_state;
    HICON m_hIcon = nullptr;
    ui::ListView m_unitListView;
    ui::ListView m_pcListView;
    UniqueBitmap m_unitIcon;
    UniqueBitmap m_pcIcon;
    HMODULE m_themeLibrary = nullptr;
    std::unique_ptr<ArrowImages> m_arrowImages;
    UINT m_autoPlayMessage = 0;
};

}  // namespace vantora
