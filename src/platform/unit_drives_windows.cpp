#include "platform/unit_drives.h"

#include <windows.h>

#include "platform/code_page.h"

#include <memory>
#include <type_traits>

namespace vantora {

namespace {

using CheckDeviceFunction = int(WINAPI*)(int driveLetter, wchar_t* identifier);

struct LibraryFreer {
    void operator()(HMODULE library) const { FreeLibrary(library); }
};
using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

CheckDeviceFunction findCheckDevice(HMODULE library)
{
    const FARPROC entry = GetProcAddress(library, "DllCheckDevice");
    // Through void(*)() so that the compiler accepts the change of type.
    return reinterpret_cast<CheckDeviceFunction>(reinterpret_cast<void (*)()>(entry));
}

char upperLetter(char letter)
{
    return letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
}

bool isDriveLetter(char letter)
{
    const char upper = upperLetter(letter);
    return upper >= 'A' && upper <= 'Z';
}

// A fixed buffer, so that asking the system about a drive cannot throw.
struct DriveRoot {
    wchar_t text[4];
};

DriveRoot rootOf(char letter)
{
    return DriveRoot{{static_cast<wchar_t>(upperLetter(letter)), L':', L'\\', L'\0'}};
}

class SystemUnitDrives : public UnitDrives {
public:
    bool isRemovable(char letter) override
    {
        return isDriveLetter(letter) && GetDriveTypeW(rootOf(letter).text) == DRIVE_REMOVABLE;
    }

    bool isUnit(char letter, const std::string& identifier) override
    {
        // Invalid UTF-8 names no unit rather than one that happens to match.
        const auto wide = platform::wideFromValidUtf8(identifier);
        return wide && CheckUnitDrive(letter, *wide);
    }

    std::filesystem::path root(char letter) override
    {
        return rootOf(letter).text;
    }

    std::optional<std::uint64_t> freeBytes(char letter) override
    {
        if (!isDriveLetter(letter))
            return std::nullopt;
        // An empty card reader must not ask the user for a disk.
        DWORD previousMode = 0;
        const bool modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previousMode) != FALSE;
        ULARGE_INTEGER totalFree{};
        const BOOL known = GetDiskFreeSpaceExW(rootOf(letter).text, nullptr, nullptr, &totalFree);
        if (modeSet)
            SetThreadErrorMode(previousMode, nullptr);
        if (!known)
            return std::nullopt;
        return totalFree.QuadPart;
    }
};

}  // namespace

bool CheckUnitDrive(char letter, const std::wstring& identifier)
{
    // The library reads up to the first NUL: an identifier with one inside
    // would be taken for its shorter beginning.
    if (identifier.empty() || identifier.find(L'\0') != std::wstring::npos)
        return false;
    // Copied first: the library takes a writable text, and the copy is the
    // one thing here that can throw, before the library is loaded.
    std::wstring copy = identifier;
    // Loaded by its bare name, so that the copy beside the program is the
    // one found first.
    const Library library{LoadLibraryW(L"checkDeviceDll.dll")};
    if (!library)
        return false;
    const CheckDeviceFunction checkDevice = findCheckDevice(library.get());
    if (checkDevice == nullptr)
        return false;
    return checkDevice(static_cast<unsigned char>(letter), copy.data()) != 0;
}

std::unique_ptr<UnitDrives> systemUnitDrives()
{
    return std::make_unique<SystemUnitDrives>();
}

}  // namespace vantora
