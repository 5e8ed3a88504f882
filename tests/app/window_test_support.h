#pragma once
// What the window tests share: Google Earth registered as the stand-in
// program for one test, and waiting for a file another process writes.

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vantora::test {

// A "Google Earth" uninstall entry pointing at the folder of the stand-in
// googleearth.exe, removed again with the object.
class GoogleEarthEntry {
public:
    explicit GoogleEarthEntry(const std::filesystem::path& folder)
    {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, path().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
        set(key, L"DisplayName", L"Google Earth");
        set(key, L"InstallLocation", folder.wstring());
        RegCloseKey(key);
    }
    ~GoogleEarthEntry() { RegDeleteKeyW(HKEY_LOCAL_MACHINE, path().c_str()); }
    GoogleEarthEntry(const GoogleEarthEntry&) = delete;
    GoogleEarthEntry& operator=(const GoogleEarthEntry&) = delete;

private:
    static std::wstring path()
    {
        return L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VantoraWindowTest" +
               std::to_wstring(GetCurrentProcessId());
    }
    static void set(HKEY key, const wchar_t* name, const std::wstring& value)
    {
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
};

// The file's bytes once it exists (at most ten seconds' wait).
inline std::string readWhenWritten(const std::filesystem::path& file)
{
    for (int waited = 0; waited < 10000 && !std::filesystem::exists(file); waited += 50)
        Sleep(50);
    Sleep(100);
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace vantora::test
