#include "export/google_earth_windows.h"

#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

#include <memory>
#include <new>

namespace vantora {

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// A registry key name is at most 255 characters, so this always fits.
constexpr DWORD kMaxKeyNameLength = 256;

struct RegistryKeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using RegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegistryKeyCloser>;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

RegistryKey openForReading(HKEY parent, const wchar_t* subkey, REGSAM view)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, subkey, 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return RegistryKey{};
    return RegistryKey{key};
}

std::optional<std::wstring> readText(HKEY key, const wchar_t* valueName)
{
    DWORD type = 0;
    DWORD byteCount = 0;
    if (RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &byteCount) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return std::nullopt;
    // The stored text need not end in a NUL, and an odd byte count is
    // rounded up, so the buffer is sized from the bytes, not assumed.
    std::wstring text((byteCount + 1) / sizeof(wchar_t), L'\0');
    if (RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                         &byteCount) != ERROR_SUCCESS)
        return std::nullopt;
    if (const auto end = text.find(L'\0'); end != std::wstring::npos)
        text.resize(end);
    return text;
}

bool equalIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::optional<std::wstring> installLocationOf(HKEY uninstall, const wchar_t* subkeyName,
                                              const std::wstring& displayName, REGSAM view)
{
    const RegistryKey entry = openForReading(uninstall, subkeyName, view);
    if (!entry)
        return std::nullopt;
    const auto entryName = readText(entry.get(), L"DisplayName");
    if (!entryName || !equalIgnoringCase(*entryName, displayName))
        return std::nullopt;
    auto location = readText(entry.get(), L"InstallLocation");
    if (!location || location->empty())
        return std::nullopt;
    return location;
}

std::optional<std::wstring> findInView(const std::wstring& displayName, REGSAM view)
{
    const RegistryKey uninstall = openForReading(HKEY_LOCAL_MACHINE, kUninstallKey, view);
    if (!uninstall)
        return std::nullopt;
    for (DWORD index = 0;; ++index) {
        std::wstring name(kMaxKeyNameLength, L'\0');
        DWORD length = kMaxKeyNameLength;
        const LONG status = RegEnumKeyExW(uninstall.get(), index, name.data(), &length, nullptr,
                                          nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return std::nullopt;
        if (status != ERROR_SUCCESS)
            continue;
        name.resize(length);
        // A match without a usable location does not end the search: the
        // program may be registered a second time with one.
        if (auto location = installLocationOf(uninstall.get(), name.c_str(), displayName, view))
            return location;
    }
}

// Quotes one argument so that the command-line parser of the started
// program gives it back unchanged, spaces and back-slashes included.
std::wstring quoted(const std::wstring& argument)
{
    std::wstring result = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Back-slashes count double only in front of a quotation mark.
        const std::size_t repeat = c == L'"' ? backslashes * 2 + 1 : backslashes;
        result.append(repeat, L'\\');
        result += c;
        backslashes = 0;
    }
    result.append(backslashes * 2, L'\\');
    result += L'"';
    return result;
}

bool startProcess(const std::wstring& executable, const std::wstring& kmlPath)
{
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::wstring commandLine = quoted(executable) + L' ' + quoted(kmlPath);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process))
        return false;
    const Handle processHandle{process.hProcess};
    const Handle threadHandle{process.hThread};
    return true;
}

// The folder with one back-slash at its end, for a name to follow.
std::wstring withSeparator(std::wstring folder)
{
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
        folder += L'\\';
    return folder;
}

}  // namespace

std::optional<std::wstring> findInstallLocation(const std::wstring& displayName)
{
    try {
        if (auto location = findInView(displayName, KEY_WOW64_64KEY))
            return location;
        // Google Earth registers as a 32-bit program on 64-bit Windows.
        return findInView(displayName, KEY_WOW64_32KEY);
    } catch (const std::bad_alloc&) {  // the only failure of the strings read
        return std::nullopt;
    }
}

std::wstring googleEarthExecutable(const std::wstring& installLocation)
{
    return withSeparator(installLocation) + L"googleearth.exe";
}

std::optional<std::wstring> findGoogleEarth()
{
    if (const auto location = findInstallLocation(L"Google Earth"))
        return googleEarthExecutable(*location);
    const auto pro = findInstallLocation(L"Google Earth Pro");
    if (!pro)
        return std::nullopt;
    const std::wstring inClient = googleEarthExecutable(withSeparator(*pro) + L"client");
    const DWORD attributes = GetFileAttributesW(inClient.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return inClient;
    return googleEarthExecutable(*pro);
}

bool kmlHasAssociation()
{
    wchar_t executable[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    return AssocQueryStringW(ASSOCF_INIT_IGNOREUNKNOWN, ASSOCSTR_EXECUTABLE, L".kml", L"open", executable,
                             &length) == S_OK &&
           executable[0] != L'\0';
}

bool openKmlByAssociation(const std::wstring& kmlPath)
{
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", kmlPath.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

bool launchWithKml(const std::wstring& executable, const std::wstring& kmlPath)
{
    try {
        if (startProcess(executable, kmlPath))
            return true;
        ShellExecuteW(nullptr, L"open", kmlPath.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return false;
    } catch (const std::bad_alloc&) {  // the command line could not be built
        return false;
    }
}

}  // namespace vantora
