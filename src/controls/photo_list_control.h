#pragma once
// The photo window's list of photos (control 1009): shows a PhotoList row
// by row, takes JPEG files dropped from the shell, opens the detail window
// for the selected row, and is the one way a batch of photo paths enters the
// photo list.

#include <windows.h>
#include <shellapi.h>

#include <commctrl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "photo/photo_record.h"
#include "tracklog/time_values.h"
#include "ui/user_dialogs.h"

namespace vantora {

// The one routine that shows a PhotoList in a list view: every row anew.
// The list view is a virtual one (LVS_OWNERDATA): row i is always photo i,
// and its parent answers the list's requests for the texts of the cells it
// draws from `photos`, which must outlive the list view or be taken back
// with StopShowingPhotoList.
void FillPhotoListView(HWND listView, const PhotoList& photos);
// The list view empty, and its parent no longer reading the PhotoList.
void StopShowingPhotoList(HWND listView);

// A batch of photo paths entering the photo list shown in the list view
// (the folder at start, the file dialog, a drop): the core's addPhotoBatch,
// refilling the view when some were added; then, when a camera's clock
// looks set to another zone, the question whether to match its photos by
// that zone.
void addPhotoBatch(UserDialogs& dialogs, HWND owner, HWND listView,
                   const std::vector<std::filesystem::path>& batch, bool duplicatesMet, PhotoList& photos,
                   const UtcOffset& offset);

class CCustomListCtrl {
public:
    explicit CCustomListCtrl(UserDialogs& dialogs);
    ~CCustomListCtrl();
    CCustomListCtrl(const CCustomListCtrl&) = delete;
    CCustomListCtrl& operator=(const CCustomListCtrl&) = delete;

    // Takes over the list view control (dropped files reach OnDropFiles)
    // until Detach or destruction.
    void Attach(HWND listView);
    void Detach();
    HWND hwnd() const { return m_hWnd; }

    // The detail window for the one selected row; nothing otherwise. The
    // photo window calls it for its button and for the list's double-click.
    void OpenPhotoDetail();
    // A WM_DROPFILES that reached the control.
    void OnDropFiles(HDROP drop);
    // The mouse over the list: the tip follows the row under it.
    void OnMouseMove(LPARAM position);
    // The tip's text: why the photo of the row under the mouse got its match.
    void OnTipText(NMTTDISPINFOW& tip);
    HWND tipWindow() const { return m_tip; }

    PhotoList* m_photoList = nullptr;
    int m_offsetHours = 9;
    int m_offsetMinutes = 0;
    int m_offsetPlus = 1;

private:
    void createTip();

    UserDialogs& m_dialogs;
    HWND m_hWnd = nullptr;
    HWND m_tip = nullptr;      // the list's tooltip, one tool for the whole list
    int m_tipRow = -1;         // the row the tip speaks of
    std::wstring m_tipText;    // kept while the tip shows it
};

}  // namespace vantora
