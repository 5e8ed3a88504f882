#pragma once
// Removable test drives under Wine. tools/wine-run.sh maps R:, S: and T: to
// folders beside the Wine prefix, as drives of type "floppy". A TestDrive
// prepares one of them for a test: an empty root, the volume label asked
// for (or none), and the files the test writes; it empties the drive again
// when it goes.
//
// Wine's mount manager reads a drive's label (the file .windows-label in
// its root) only when the drive is defined, not on every query, so the
// drive is defined anew after each label change. That also resets its type
// in Wine's registry, which heals a drive a crashed test left fixed.

#include <windows.h>
#include <winioctl.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vantora::test {

namespace wine_drives_detail {

// Wine's own mount manager requests, as its ddk/mountmgr.h defines them.
constexpr DWORD kDefineUnixDrive =
    CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
constexpr DWORD kQueryUnixDrive = CTL_CODE('m', 33, METHOD_BUFFERED, FILE_READ_ACCESS);

struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

inline Handle openMountManager()
{
    const HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       0, nullptr);
    if (manager == INVALID_HANDLE_VALUE)
        throw std::runtime_error("Wine's mount manager cannot be opened");
    return Handle{manager};
}

// The Unix folder the drive letter is mapped to.
inline std::string mountPointOf(HANDLE manager, wchar_t letter)
{
    UnixDrive query{};
    query.letter = letter;
    std::vector<char> answer(4096, '\0');
    DWORD received = 0;
    if (!DeviceIoControl(manager, kQueryUnixDrive, &query, sizeof(query), answer.data(),
                         static_cast<DWORD>(answer.size()), &received, nullptr))
        throw std::runtime_error("Wine does not know the test drive");
    UnixDrive drive{};
    std::memcpy(&drive, answer.data(), sizeof(drive));
    if (drive.mountPointOffset == 0 || drive.mountPointOffset >= received)
        throw std::runtime_error("the test drive is not mapped to a folder");
    const char* mountPoint = answer.data() + drive.mountPointOffset;
    return {mountPoint, strnlen(mountPoint, received - drive.mountPointOffset)};
}

// Defines the drive again on the same folder; the mount manager then reads
// its label anew.
inline void defineDrive(wchar_t letter, UINT driveType)
{
    const Handle manager = openMountManager();
    const std::string mountPoint = mountPointOf(manager.get(), letter);
    std::vector<char> request(sizeof(UnixDrive) + mountPoint.size() + 1, '\0');
    UnixDrive drive{};
    drive.size = static_cast<ULONG>(request.size());
    drive.type = driveType;
    drive.letter = letter;
    drive.mountPointOffset = sizeof(UnixDrive);
    std::memcpy(request.data(), &drive, sizeof(drive));
    std::memcpy(request.data() + sizeof(drive), mountPoint.c_str(), mountPoint.size() + 1);
    DWORD received = 0;
    if (!DeviceIoControl(manager.get(), kDefineUnixDrive, request.data(),
                         static_cast<DWORD>(request.size()), nullptr, 0, &received, nullptr))
        throw std::runtime_error("Wine refused to define the test drive");
}

inline std::string utf8Of(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                        length, nullptr, nullptr);
    return bytes;
}

}  // namespace wine_drives_detail

class TestDrive {
public:
    enum class Type { Removable, Fixed };

    // letter: 'R', 'S' or 'T'. Throws when the drive cannot be prepared, so
    // that the test fails rather than checks a drive in an unknown state.
    explicit TestDrive(wchar_t letter, std::optional<std::wstring> label = std::nullopt,
                       Type type = Type::Removable)
        : letter_(letter), root_(std::wstring{letter, L':', L'\\'})
    {
        empty();
        setLabel(label, type);
    }

    ~TestDrive()
    {
        try {
            empty();
            wine_drives_detail::defineDrive(letter_, DRIVE_REMOVABLE);
        } catch (...) {
            // The next TestDrive on this letter empties and defines it again.
        }
    }

    TestDrive(const TestDrive&) = delete;
    TestDrive& operator=(const TestDrive&) = delete;

    char letter() const { return static_cast<char>(letter_); }
    const std::filesystem::path& root() const { return root_; }

    // No label: the drive has none.
    void setLabel(const std::optional<std::wstring>& label, Type type = Type::Removable)
    {
        std::error_code ignored;
        std::filesystem::remove(root_ / L".windows-label", ignored);
        if (label)
            write(L".windows-label", wine_drives_detail::utf8Of(*label));
        wine_drives_detail::defineDrive(letter_, type == Type::Fixed ? DRIVE_FIXED : DRIVE_REMOVABLE);
    }

    // A file relative to the drive's root; missing folders are made.
    void write(const std::filesystem::path& relativePath, std::string_view bytes)
    {
        const std::filesystem::path file = root_ / relativePath;
        std::filesystem::create_directories(file.parent_path());
        const HANDLE created = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE)
            throw std::runtime_error("cannot create a file on the test drive");
        const wine_drives_detail::Handle handle{created};
        DWORD written = 0;
        if (!WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) ||
            written != bytes.size())
            throw std::runtime_error("cannot write a file on the test drive");
    }

    void makeFolder(const std::filesystem::path& relativePath)
    {
        std::filesystem::create_directories(root_ / relativePath);
    }

private:
    void empty()
    {
        // The root of an empty drive has no entries at all, not even "." and
        // "..", and listing it fails: that is an empty drive, not a fault.
        std::error_code listingFailed;
        std::filesystem::directory_iterator entries(root_, listingFailed);
        if (listingFailed) {
            if (!std::filesystem::is_directory(root_))
                throw std::runtime_error("the test drive is not mapped");
            return;
        }
        std::vector<std::filesystem::path> found;
        for (const auto& entry : entries)
            found.push_back(entry.path());
        for (const auto& path : found)
            std::filesystem::remove_all(path);
    }

    wchar_t letter_;
    std::filesystem::path root_;
};

}  // namespace vantora::test
