// Drives the installed program as a user would, for the setup test
// (installer_test.sh):
//
//   installed_program_probe press-help PROGRAM_FOLDER REPORT
//       makes this probe the PDF viewer, starts PROGRAM_FOLDER\VantoraGPS.exe,
//       presses "ヘルプ" and checks that the viewer was asked to open the
//       installed manual; then checks that the uninstaller refuses to run
//       while the program runs, and ends the program.
//   installed_program_probe record-open REPORT FILE
//       the stand-in PDF viewer: writes FILE into REPORT.
//
// Exit status 0 when every check held; each failure is printed.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

namespace {

constexpr int kHelpButton = 1039;
constexpr wchar_t kManualName[] = L"Vantora GPS Utility 取扱説明書.pdf";
constexpr wchar_t kViewerClass[] = L"VantoraTest.PdfViewer";

std::string utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

bool failed = false;

void check(bool condition, const std::string& what)
{
    std::printf("%s: %s\n", condition ? "ok" : "FAIL", what.c_str());
    std::fflush(stdout);
    failed = failed || !condition;
}

bool waitFor(const std::function<bool()>& condition, std::chrono::seconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return condition();
}

bool setDefaultValue(const std::wstring& keyPath, const std::wstring& value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG result = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

std::wstring ownPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// This probe becomes the program that opens PDF files, reporting to REPORT.
bool becomePdfViewer(const std::wstring& report)
{
    const std::wstring classes = L"Software\\Classes\\";
    const std::wstring command = L"\"" + ownPath() + L"\" record-open \"" + report + L"\" \"%1\"";
    return setDefaultValue(classes + L".pdf", kViewerClass) &&
           setDefaultValue(classes + kViewerClass + L"\\shell\\open\\command", command);
}

std::wstring readReport(const std::wstring& report)
{
    std::ifstream in(std::filesystem::path(report), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

// The program's main window: a visible top-level window of its process
// that has the "ヘルプ" button.
HWND mainWindowOf(DWORD processId)
{
    WindowSearch search{processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& search = *reinterpret_cast<WindowSearch*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == search.processId && IsWindowVisible(window) && GetDlgItem(window, kHelpButton)) {
                search.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Runs the uninstaller in place (so that its exit status is its own) and
// returns that status, or -1 when it could not be started.
long runUninstallerInPlace(const std::wstring& folder)
{
    std::wstring commandLine = L"\"" + folder + L"\\uninstall.exe\" /S _?=" + folder;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    WaitForSingleObject(process.hProcess, 60000);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<long>(status);
}

int pressHelp(const std::wstring& folder, const std::wstring& report)
{
    DeleteFileW(report.c_str());
    check(becomePdfViewer(report), "the probe is registered as the PDF viewer");

    const std::wstring program = folder + L"\\VantoraGPS.exe";
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Started from elsewhere, so the program has to find its own folder.
    const bool started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        L"C:\\", &startup, &process);
    check(started, "the installed program starts");
    if (!started)
        return 1;

    // The first window in a fresh Wine prefix waits for Wine's font cache.
    const auto start = std::chrono::steady_clock::now();
    HWND window = nullptr;
    waitFor([&] { return (window = mainWindowOf(process.dwProcessId)) != nullptr; }, std::chrono::seconds(180));
    const auto waited = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
    check(window != nullptr,
          "the installed program shows its import window (after " + std::to_string(waited.count()) + " s)");
    if (window) {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(kHelpButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, kHelpButton)));
        std::wstring opened;
        waitFor([&] { return !(opened = readReport(report)).empty(); }, std::chrono::seconds(30));
        const std::wstring expected = folder + L"\\" + kManualName;
        check(lstrcmpiW(opened.c_str(), expected.c_str()) == 0,
              "\"ヘルプ\" opens the installed manual (the viewer got \"" + utf8(opened) + "\")");

        const long refused = runUninstallerInPlace(folder);
        check(refused == 2, "the uninstaller refuses while the program runs (exit status " +
                                std::to_string(refused) + ")");
        check(GetFileAttributesW(program.c_str()) != INVALID_FILE_ATTRIBUTES,
              "the program stays installed after the refusal");
    }

    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return failed ? 1 : 0;
}

int recordOpen(const std::wstring& report, const std::wstring& file)
{
    std::ofstream out(std::filesystem::path(report), std::ios::binary);
    out << utf8(file);
    return out ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"press-help" && argc == 4)
        return pressHelp(argv[2], argv[3]);
    if (mode == L"record-open" && argc == 4)
        return recordOpen(argv[2], argv[3]);
    std::fprintf(stderr, "usage: installed_program_probe press-help PROGRAM_FOLDER REPORT\n"
                         "       installed_program_probe record-open REPORT FILE\n");
    return 2;
}
