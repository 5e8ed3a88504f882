#include "platform/device_change.h"

#include <windows.h>

#include <dbt.h>

namespace vantora {

std::optional<VolumeChange> readVolumeChange(std::uintptr_t event, std::intptr_t data)
{
    VolumeChange::Kind kind;
    if (event == DBT_DEVICEARRIVAL)
        kind = VolumeChange::Arrival;
    else if (event == DBT_DEVICEREMOVECOMPLETE)
        kind = VolumeChange::Removal;
    else
        return std::nullopt;
    if (data == 0)
        return std::nullopt;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    // The size is checked too, so that a short report is never read past
    // its end.
    if (header->dbch_devicetype != DBT_DEVTYP_VOLUME ||
        header->dbch_size < sizeof(DEV_BROADCAST_VOLUME))
        return std::nullopt;
    const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(header);
    return VolumeChange{kind, volume->dbcv_unitmask};
}

}  // namespace vantora
