#pragma once
// The drives as the GPS unit's recognition sees them. On Windows the real
// drives answer (drive type, the recognition library, free space); tests of
// the logic can answer with folders of their own.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace vantora {

class UnitDrives {
public:
    virtual ~UnitDrives() = default;

    // The system reports the removable drive type for the drive 'A' to 'Z'.
    virtual bool isRemovable(char letter) = 0;
    // The recognition library accepts the drive as the unit named by the
    // identifier (UTF-8).
    virtual bool isUnit(char letter, const std::string& identifier) = 0;
    // The root folder of the drive ("R:\" on Windows).
    virtual std::filesystem::path root(char letter) = 0;
    // The free bytes of the whole volume (not only those the user may use);
    // nullopt when the system cannot tell.
    virtual std::optional<std::uint64_t> freeBytes(char letter) = 0;
};

#ifdef _WIN32
// Loads checkDeviceDll.dll by name, calls its DllCheckDevice with the
// letter's character code and a copy of the identifier, and frees the
// library again, around every single check. A missing library or entry, or
// an empty identifier: false without a call.
bool CheckUnitDrive(char letter, const std::wstring& identifier);

// The drives of this PC.
std::unique_ptr<UnitDrives> systemUnitDrives();
#endif

}  // namespace vantora
