#include "app/user_dialogs_windows.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include "app/progress_window.h"

#include <cwchar>
#include "ui/dialog.h"
#include "platform/code_page.h"

namespace vantora {

// What tells the log and the photo file dialogs apart.
struct FileDialogSettings {
    const wchar_t* filter;
    const wchar_t* defaultExtension;
    const wchar_t* initialName;
    std::size_t bufferLength;
    const wchar_t* startFolder;
};

namespace {

const wchar_t kMessageCaption[] = L"Vantora GPS Utility";
// Room for a few hundred chosen log names, and a thousand photos, with their
// folder.
constexpr std::size_t kLogNamesBufferLength = 261001;
constexpr std::size_t kPhotoNamesBufferLength = 522001;
// The logger's own logs first, as the dialog has always opened; then the
// tracks of phones, other receivers and dashcams, and all of them at once.
constexpr wchar_t kLogFileFilter[] =
    L"log Files(*.log)\0*.log\0"
    L"GPX Files(*.gpx)\0*.gpx\0"
    L"NMEA Files(*.nmea;*.nma;*.txt)\0*.nmea;*.nma;*.txt\0"
    L"All track Files(*.log;*.gpx;*.nmea;*.nma;*.txt)\0*.log;*.gpx;*.nmea;*.nma;*.txt\0\0";


UINT messageBoxType(DialogButtons buttons)
{
    switch (buttons) {
    // The icons the framework's message boxes have always shown.
    case DialogButtons::YesNo:
        return MB_YESNO | MB_ICONQUESTION;
    case DialogButtons::OkCancel:
        return MB_OKCANCEL | MB_ICONEXCLAMATION;
    case DialogButtons::OkCancelDefaultCancel:
        return MB_OKCANCEL | MB_DEFBUTTON2 | MB_ICONEXCLAMATION;
    case DialogButtons::Ok:
        break;
    }
    return MB_OK | MB_ICONEXCLAMATION;
}

DialogAnswer answerOf(int pressed)
{
    switch (pressed) {
    case IDYES:
        return DialogAnswer::Yes;
    case IDNO:
        return DialogAnswer::No;
    case IDOK:
        return DialogAnswer::Ok;
    default:
        return DialogAnswer::Cancel;
    }
}

// The buffer holds either one full path, or the folder followed by the
// names, each ended by a NUL, the list by a second NUL.
std::vector<std::filesystem::path> chosenFiles(const std::wstring& buffer)
{
    std::vector<std::wstring> parts;
    for (std::size_t at = 0; at < buffer.size() && buffer[at] != L'\0';) {
        const std::size_t end = buffer.find(L'\0', at);
        parts.push_back(buffer.substr(at, end - at));
        at = end + 1;
    }
    if (parts.size() == 1)
        return {std::filesystem::path(parts[0])};
    std::vector<std::filesystem::path> files;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        std::wstring path = parts[0];
        if (!path.empty() && path.back() != L'\\')
            path += L'\\';
        files.emplace_back(path + parts[i]);
    }
    return files;
}

int CALLBACK browseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data)
{
    if (message == BFFM_INITIALIZED) {
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    } else if (message == BFFM_SELCHANGED) {
        // OK only for items that are folders of the file system.
        wchar_t path[MAX_PATH] = {};
        const BOOL isFolder = SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path);
        SendMessageW(window, BFFM_ENABLEOK, 0, isFolder);
    }
    return 0;
}

// The component library for the browser's lifetime only.
class ComApartment {
public:
    ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment()
    {
        if (ok_)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool ok_;
};

}  // namespace

HWND WindowsUserDialogs::owner() const
{
    if (owner_)
        return owner_;
    const HWND dialog = ui::innermostModalDialog();
    return dialog ? dialog : GetActiveWindow();
}

DialogAnswer WindowsUserDialogs::ask(const std::string& text, DialogButtons buttons)
{
    return answerOf(MessageBoxW(owner(), platform::wideFromUtf8(text).c_str(), kMessageCaption, messageBoxType(buttons)));
}

std::unique_ptr<ProgressDisplay> WindowsUserDialogs::openProgress(bool cancellable, const std::string& caption)
{
    return std::make_unique<ProgressWindow>(owner(), cancellable, caption);
}

std::vector<std::filesystem::path> WindowsUserDialogs::chooseFiles(const FileDialogSettings& settings)
{
    std::wstring names(settings.bufferLength, L'\0');
    names.replace(0, std::wcslen(settings.initialName), settings.initialName);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner();
    dialog.lpstrFilter = settings.filter;
    dialog.lpstrFile = names.data();
    dialog.nMaxFile = static_cast<DWORD>(names.size());
    dialog.lpstrInitialDir = settings.startFolder;
    dialog.lpstrDefExt = settings.defaultExtension;
    dialog.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&dialog))
        return {};
    return chosenFiles(names);
}

std::vector<std::filesystem::path> WindowsUserDialogs::chooseLogFiles(const std::filesystem::path& startFolder)
{
    const std::wstring folder = startFolder.native();
    return chooseFiles({kLogFileFilter, L"log", L"*.log", kLogNamesBufferLength, folder.c_str()});
}

std::vector<std::filesystem::path> WindowsUserDialogs::choosePhotoFiles()
{
    // The second filter: the raw and HEIF photos, whose positions go into
    // sidecars (the extensions fileKindOf takes for them).
    return chooseFiles({L"Jpeg Files(*.jpg; *.jpeg; *jpe)\0*.jpg;*.jpeg;*.jpe\0"
                        L"RAW / HEIC Files(*.cr2; *.cr3; *.nef; *.arw; *.dng; *.orf; *.rw2; *.raf; *.heic...)\0"
                        L"*.cr2;*.cr3;*.nef;*.nrw;*.arw;*.sr2;*.srf;*.dng;*.orf;*.rw2;*.rwl;*.pef;*.srw;*.erf;*.3fr;"
                        L"*.iiq;*.raf;*.heic;*.heif;*.hif;*.avif\0\0",
                        L"jpg", L"*.jpg", kPhotoNamesBufferLength, nullptr});
}

std::optional<std::filesystem::path> WindowsUserDialogs::chooseFolder(const std::string& title,
                                                                     const std::filesystem::path& startFolder)
{
    const ComApartment apartment;
    std::wstring start = startFolder.native();
    if (start.size() > 3 && start.back() == L'\\')
        start.pop_back();
    const std::wstring wideTitle = platform::wideFromUtf8(title);
    BROWSEINFOW browse{};
    browse.hwndOwner = owner();
    browse.lpszTitle = wideTitle.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = browseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (!chosen)
        return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    const BOOL isFolder = SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    if (!isFolder)
        return std::nullopt;
    return std::filesystem::path(path);
}

}  // namespace vantora
