#pragma once
// Recognising the GPS unit among the removable drives: once when the
// import window opens, and whenever Windows reports a volume arriving or
// leaving. For the recognised unit its logs are listed and loaded into the
// unit list, the unit controls are enabled and the remaining logging time
// is shown.

#include <cstdint>
#include <string>

#include "platform/device_change.h"
#include "platform/unit_drives.h"
#include "unit/import_window_state.h"

namespace vantora {

// Whole hours of logging that fit into the free bytes, at 315 bytes of log
// a second.
std::int32_t loggingHoursLeft(std::uint64_t freeBytes);

// "ログ取得可能時間: 約 12 時間"
std::wstring capacityText(std::int32_t hours);

// Shows the logging time left on the unit's drive; when the free space
// cannot be read, the label keeps its text.
void ShowLogCapacity(ImportWindow& window, UnitDrives& drives);

// At the window's start: the first removable drive, A to Z, that the
// recognition library accepts becomes the unit; its logs load directly,
// with no progress window and no messages.
void scanForUnitAtStart(ImportWindow& window, UnitDrives& drives);

// A volume arrived or left. An arrival is ignored while a unit is present;
// otherwise the first accepted drive of its mask becomes the unit and its
// logs register with the progress window for long lists. A removal empties
// the unit list (touching no file) when the lowest drive of its mask is the
// unit's.
void onVolumeChange(ImportWindow& window, UnitDrives& drives, const VolumeChange& change);

// Takes every log off the unit list and its view; no file is touched.
void emptyUnitList(ImportWindow& window);

}  // namespace vantora
