#include "check_device.h"

#include <cwchar>

namespace vantora {
namespace {

// A volume label is at most 32 characters; a longer identifier can never
// match, so the identifier is never read further than this.
constexpr std::size_t kMaxIdentifierLength = MAX_PATH;
constexpr DWORD kLabelBufferLength = MAX_PATH + 1;

struct DriveRoot {
    wchar_t text[4];
};

bool driveRootOf(int driveLetter, DriveRoot& root)
{
    if (driveLetter >= 'a' && driveLetter <= 'z')
        driveLetter -= 'a' - 'A';
    if (driveLetter < 'A' || driveLetter > 'Z')
        return false;
    root = DriveRoot{{static_cast<wchar_t>(driveLetter), L':', L'\\', L'\0'}};
    return true;
}

// Asking an empty floppy or card reader for its label must not bring up
// the system's "insert a disk" box: this runs behind the user's back.
bool readVolumeLabel(const DriveRoot& root, wchar_t (&label)[kLabelBufferLength])
{
    DWORD previousMode = 0;
    const bool modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previousMode) != FALSE;
    const BOOL read = GetVolumeInformationW(root.text, label, kLabelBufferLength, nullptr,
                                            nullptr, nullptr, nullptr, 0);
    if (modeSet)
        SetThreadErrorMode(previousMode, nullptr);
    return read != FALSE;
}

bool checkDevice(int driveLetter, const wchar_t* identifier)
{
    if (identifier == nullptr)
        return false;
    const std::size_t identifierLength = wcsnlen(identifier, kMaxIdentifierLength + 1);
    if (identifierLength == 0 || identifierLength > kMaxIdentifierLength)
        return false;
    DriveRoot root{};
    if (!driveRootOf(driveLetter, root) || GetDriveTypeW(root.text) != DRIVE_REMOVABLE)
        return false;
    wchar_t label[kLabelBufferLength] = {};
    if (!readVolumeLabel(root, label))
        return false;
    label[kLabelBufferLength - 1] = L'\0';
    return CompareStringOrdinal(label, -1, identifier, static_cast<int>(identifierLength),
                                TRUE) == CSTR_EQUAL;
}

}  // namespace
}  // namespace vantora

// Only C calls happen below this entry, so nothing can throw out of it.
extern "C" int WINAPI DllCheckDevice(int driveLetter, wchar_t* identifier)
{
    return vantora::checkDevice(driveLetter, identifier) ? 1 : 0;
}
