#pragma once
// What the window tests share: Google Earth as the stand-in program for one
// test, and waiting for a file another process writes.

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vantora::test {

// The file's bytes once it exists (at most ten seconds' wait).
inline std::string readWhenWritten(const std::filesystem::path& file)
{
    for (int waited = 0; waited < 10000 && !std::filesystem::exists(file); waited += 50)
        Sleep(50);
    Sleep(100);
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Google Earth as the stand-in googleearth.exe for one test: copied into a
// folder of the test, registered as "Google Earth", reporting its command
// line there, with the temporary folder (where the KML goes) there too.
class GoogleEarthStandIn {
public:
    explicit GoogleEarthStandIn(const std::filesystem::path& folder) : folder_(folder)
    {
        std::filesystem::create_directories(folder / L"Google Earth");
        std::filesystem::copy_file(FAKE_GOOGLE_EARTH_PATH, folder / L"Google Earth" / L"googleearth.exe");
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, entryPath().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
        set(key, L"DisplayName", L"Google Earth");
        set(key, L"InstallLocation", (folder / L"Google Earth").wstring());
        RegCloseKey(key);
        SetEnvironmentVariableW(L"VANTORA_FAKE_GE_OUT", report().c_str());
        SetEnvironmentVariableW(L"TMP", folder.c_str());
    }
    ~GoogleEarthStandIn()
    {
        SetEnvironmentVariableW(L"VANTORA_FAKE_GE_OUT", nullptr);
        SetEnvironmentVariableW(L"TMP", nullptr);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, entryPath().c_str());
    }
    GoogleEarthStandIn(const GoogleEarthStandIn&) = delete;
    GoogleEarthStandIn& operator=(const GoogleEarthStandIn&) = delete;

    // The KML file Google Earth was started with, as one argument; empty
    // when it was not started so.
    std::string kmlHandedOver() const
    {
        const std::string line = readWhenWritten(report());
        if (line.rfind("2\n", 0) != 0)
            return {};
        return readWhenWritten(std::filesystem::u8path(line.substr(2)));
    }

private:
    std::filesystem::path report() const { return folder_ / L"report.txt"; }
    static std::wstring entryPath()
    {
        return L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VantoraWindowTest" +
               std::to_wstring(GetCurrentProcessId());
    }
    static void set(HKEY key, const wchar_t* name, const std::wstring& value)
    {
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    std::filesystem::path folder_;
};

// How often the part stands in the text.
template <typename Text>
std::size_t countOfText(const Text& text, const Text& part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != Text::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}
inline std::size_t countOf(const std::string& text, const std::string& part) { return countOfText(text, part); }
inline std::size_t countOf(const std::wstring& text, const std::wstring& part) { return countOfText(text, part); }

}  // namespace vantora::test
