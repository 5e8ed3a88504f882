#include "unit/unit_detection.h"

#include <optional>

#include "tracklog/text_writer.h"
#include "unit/log_registration.h"
#include "unit/unit_layout.h"

namespace vantora {

namespace {

constexpr int kDriveCount = 26;  // 'A' to 'Z'
constexpr std::uint64_t kLogBytesPerSecond = 315;

bool isAcceptedUnit(UnitDrives& drives, const ImportWindowState& state, char letter)
{
    return drives.isRemovable(letter) && drives.isUnit(letter, state.unitIdentifier);
}

char driveLetter(int index)
{
    return static_cast<char>('A' + index);
}

// The unit's logs into the unit list, never with messages; the unit
// controls come on when it has some.
void loadUnitLogs(ImportWindow& window, UnitDrives& drives, char letter, bool showProgress)
{
    const auto logs = ListUnitLogs(drives.root(letter));
    RegisterLogFiles(window, logs, LogSide::Unit, false, showProgress);
    if (!logs.empty())
        window.controls.setUnitControlsEnabled(true);
}

void becomeUnit(ImportWindow& window, UnitDrives& drives, char letter)
{
    window.state.unitPresent = true;
    window.state.unitDrive = letter;
    ShowLogCapacity(window, drives);
}

std::optional<char> lowestDrive(std::uint32_t unitMask)
{
    for (int i = 0; i < kDriveCount; ++i) {
        if (unitMask & (1u << i))
            return driveLetter(i);
    }
    return std::nullopt;
}

char upper(char letter)
{
    return (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
}

void onArrival(ImportWindow& window, UnitDrives& drives, std::uint32_t unitMask)
{
    if (window.state.unitPresent)
        return;
    for (int i = 0; i < kDriveCount; ++i) {
        const char letter = driveLetter(i);
        if (!(unitMask & (1u << i)) || !isAcceptedUnit(drives, window.state, letter))
            continue;
        loadUnitLogs(window, drives, letter, true);
        becomeUnit(window, drives, letter);
        return;
    }
}

void onRemoval(ImportWindow& window, std::uint32_t unitMask)
{
    const auto letter = lowestDrive(unitMask);
    if (!window.state.unitPresent || !letter || *letter != upper(window.state.unitDrive))
        return;
    emptyUnitList(window);
    window.controls.setUnitControlsEnabled(false);
    window.state.unitPresent = false;
}

}  // namespace

std::int32_t loggingHoursLeft(std::uint64_t freeBytes)
{
    return static_cast<std::int32_t>(freeBytes / 3600 / kLogBytesPerSecond);
}

std::wstring capacityText(std::int32_t hours)
{
    char digits[16];
    TextWriter(digits).number(hours);
    std::wstring text = L"ログ取得可能時間: 約 ";
    for (const char* c = digits; *c; ++c)
        text += static_cast<wchar_t>(*c);
    return text + L" 時間";
}

void ShowLogCapacity(ImportWindow& window, UnitDrives& drives)
{
    if (const auto freeBytes = drives.freeBytes(window.state.unitDrive))
        window.controls.setCapacityText(capacityText(loggingHoursLeft(*freeBytes)));
}

void scanForUnitAtStart(ImportWindow& window, UnitDrives& drives)
{
    for (int i = 0; i < kDriveCount; ++i) {
        const char letter = driveLetter(i);
        if (!isAcceptedUnit(drives, window.state, letter))
            continue;
        loadUnitLogs(window, drives, letter, false);
        becomeUnit(window, drives, letter);
        return;
    }
}

void onVolumeChange(ImportWindow& window, UnitDrives& drives, const VolumeChange& change)
{
    if (change.kind == VolumeChange::Arrival)
        onArrival(window, drives, change.unitMask);
    else
        onRemoval(window, change.unitMask);
}

void emptyUnitList(ImportWindow& window)
{
    removeAll(window.state.unitLogs);
    window.controls.showLogRows(LogSide::Unit, {});
}

}  // namespace vantora
