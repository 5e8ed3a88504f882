#include "app/application.h"

#include <windows.h>
#include <commctrl.h>
#include <versionhelpers.h>

#include <memory>

#include "app/import_window.h"
#include "app/user_dialogs_windows.h"
#include "controls/skin_images.h"
#include "windows/photo_window.h"

namespace vantora {

namespace {

const wchar_t kInstanceMutexName[] = L"1E261715-68EA-4799-B655-B7190945A356";
const wchar_t kSecondMutexName[] = L"046293C9-45DA-4dda-BB1F-34AC3D990778";

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// A named mutex that only marks that the program runs; empty when it
// cannot be made or another process made it first.
Handle createMarker(const wchar_t* name)
{
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    Handle marker{mutex};
    if (!mutex || existed)
        return Handle{};
    return marker;
}

}  // namespace

bool CVantoraGPSAppApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    const Handle instanceMarker = createMarker(kInstanceMutexName);
    if (!instanceMarker)
        return false;
    Handle secondMarker;
    if (IsWindowsXPOrGreater()) {
        secondMarker = createMarker(kSecondMutexName);
        if (!secondMarker)
            return false;
    }

    const SkinImagesInstallation skins;

    WindowsUserDialogs dialogs;
    const auto drives = systemUnitDrives();
    CVantoraGPSAppDlg importWindow(dialogs, *drives,
                                   [&dialogs](HWND parent, LogList& pcLogs, const std::filesystem::path& folder,
                                              UtcOffset& offset) {
                                       return runPhotoWindow(dialogs, parent, pcLogs, folder, offset);
                                   });
    importWindow.DoModal();
    return false;
}

}  // namespace vantora
