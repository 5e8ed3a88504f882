#pragma once
// Reading the volume reports of WM_DEVICECHANGE into a plain value the
// unit logic can take.

#include <cstdint>
#include <optional>

namespace vantora {

struct VolumeChange {
    enum Kind { Arrival, Removal } kind;
    std::uint32_t unitMask;  // bit 0 is drive A
};

#ifdef _WIN32
// The event and data of a WM_DEVICECHANGE message (as integers, so that
// callers need no Windows header here). A volume arrival or complete
// removal gives its unit mask; every other event, another device type or a
// missing header gives nullopt.
std::optional<VolumeChange> readVolumeChange(std::uintptr_t event, std::intptr_t data);
#endif

}  // namespace vantora
