#pragma once
// Stands in for the photo window until it is built: returns to the import
// window at once.

#include <windows.h>

#include <filesystem>

#include "tracklog/log_list.h"
#include "tracklog/time_values.h"

namespace vantora {

INT_PTR runPhotoWindowStandIn(HWND parent, LogList& pcLogs, const std::filesystem::path& folder, UtcOffset offset);

}  // namespace vantora
