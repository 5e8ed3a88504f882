#pragma once
// The import window as its logic sees it, for tests: the state, controls
// that remember what was shown, scripted dialogs and drives made of folders.

#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/unit_drives.h"
#include "support/nmea_text.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "support/time_zone.h"
#include "unit/import_window_state.h"

namespace vantora::test {

class RecordingControls : public ImportWindowControls {
public:
    void showLogRows(LogSide side, const std::vector<LogRow>& newRows) override
    {
        rows[side] = newRows;
        ++fills[side];
    }
    void deleteLogRow(LogSide side, std::size_t row) override
    {
        auto& shown = rows[side];
        if (row < shown.size())
            shown.erase(shown.begin() + static_cast<std::ptrdiff_t>(row));
    }
    void setUnitControlsEnabled(bool on) override { unitControlsEnabled = on; }
    void setCapacityText(const std::wstring& text) override { capacityText = text; }

    std::vector<std::wstring> names(LogSide side)
    {
        std::vector<std::wstring> result;
        for (const auto& row : rows[side])
            result.push_back(row.name);
        return result;
    }

    std::map<LogSide, std::vector<LogRow>> rows;
    std::map<LogSide, int> fills;
    bool unitControlsEnabled = false;
    std::wstring capacityText = L"ログ取得可能時間:";
};

// Drives whose roots are folders of the test.
class FolderDrives : public UnitDrives {
public:
    struct Drive {
        std::filesystem::path root;
        bool removable = true;
        std::string label;
        std::optional<std::uint64_t> freeBytes = 50'000'000;
    };

    bool isRemovable(char letter) override { return find(letter) && find(letter)->removable; }
    bool isUnit(char letter, const std::string& identifier) override
    {
        ++checks;
        return find(letter) && !identifier.empty() && find(letter)->label == identifier;
    }
    std::filesystem::path root(char letter) override { return find(letter) ? find(letter)->root : ""; }
    std::optional<std::uint64_t> freeBytes(char letter) override
    {
        return find(letter) ? find(letter)->freeBytes : std::nullopt;
    }

    std::map<char, Drive> drives;
    int checks = 0;

private:
    Drive* find(char letter)
    {
        const auto it = drives.find(letter);
        return it == drives.end() ? nullptr : &it->second;
    }
};

class ImportWindowTest : public ::testing::Test {
protected:
    ImportWindowTest() { state.appFolder = temp.path() / "Documents" / "Korvel" / "GPSApp"; }

    // A unit drive made of a folder of the test, with the default label.
    FolderDrives::Drive& addUnitDrive(char letter)
    {
        auto& drive = drives.drives[letter];
        drive.root = temp.path() / (std::string("drive-") + letter);
        std::filesystem::create_directories(drive.root);
        drive.label = kDefaultUnitIdentifier;
        return drive;
    }

    std::filesystem::path writeUnitLog(char letter, const std::string& relative, const std::string& text)
    {
        const auto path = drives.drives.at(letter).root / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    ScopedTimeZone zone{"JST-9"};
    TempDir temp;
    ImportWindowState state;
    RecordingControls controls;
    ScriptedDialogs dialogs;
    FolderDrives drives;
    ImportWindow window{state, controls, dialogs};
};

}  // namespace vantora::test
