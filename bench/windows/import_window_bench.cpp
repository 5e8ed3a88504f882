// The import window opened on a PC list of a year of logs, under Wine: the
// first start reads every log and keeps their spans, the next lists them
// from the spans. Prints one line of times.
//
// Usage: import_window_bench.exe LOG_FOLDER

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/import_window.h"
#include "platform/program_folder.h"
#include "platform/store_files.h"
#include "platform/unit_drives.h"
#include "res/resource.h"
#include "support/scripted_dialogs.h"
#include "support/time_zone.h"
#include "ui/list_view.h"

namespace fs = std::filesystem;
using namespace vantora;

namespace {

class NoUnit : public UnitDrives {
public:
    bool isRemovable(char) override { return false; }
    bool isUnit(char, const std::string&) override { return false; }
    fs::path root(char) override { return {}; }
    std::optional<std::uint64_t> freeBytes(char) override { return std::nullopt; }
};

void paintEverything()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

struct Start {
    double seconds = 0;
    std::size_t rows = 0;
};

// From the window's creation until its PC list is painted; then it closes,
// saving the list and the spans as at every end.
Start startTheWindow()
{
    test::ScriptedDialogs dialogs;
    NoUnit drives;
    Start start;
    const auto begin = std::chrono::steady_clock::now();
    {
        CVantoraGPSAppDlg window(dialogs, drives, [](HWND, LogList&, const fs::path&, UtcOffset) { return INT_PTR{1}; });
        window.Create();
        ShowWindow(window.hwnd(), SW_SHOW);
        RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        paintEverything();
        start.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        start.rows = window.pcListView().rowCount();
        DestroyWindow(window.hwnd());
        paintEverything();
    }
    return start;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: import_window_bench.exe LOG_FOLDER\n");
        return 2;
    }
    const test::ScopedTimeZone zone("JST-9");
    InitCommonControls();
    std::vector<fs::path> logs;
    for (const auto& entry : fs::directory_iterator(argv[1]))
        logs.push_back(entry.path());
    std::sort(logs.begin(), logs.end());

    const std::wstring storeName = L"VantoraBench-" + std::to_wstring(GetCurrentProcessId());
    const fs::path nameFile = platform::joinToFolder(platform::programFolder(), "korvel.dat");
    std::ofstream(nameFile, std::ios::binary) << fs::path(storeName).string() << "\r\n";
    const fs::path store = platform::documentsFolder().value() / L"Korvel" / storeName;
    fs::create_directories(store);
    {
        std::ofstream list(store / L"appData", std::ios::binary);
        for (const auto& log : logs)
            list << log.string() << "\r\n";
    }
    const Start first = startTheWindow();
    const Start next = startTheWindow();
    std::printf("import window with %zu logs in its PC list: %zu rows shown in %.2f s at the first start "
                "(every log read), %.2f s at the next (their kept spans)\n",
                logs.size(), next.rows, first.seconds, next.seconds);
    std::error_code ignored;
    fs::remove(nameFile, ignored);
    SetFileAttributesW(store.c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(store, ignored);
    return first.rows == logs.size() && next.rows == logs.size() ? 0 : 1;
}
