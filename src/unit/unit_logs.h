#pragma once
// The logs on the GPS unit: copying them into the PC store, and deleting
// them on the unit, never one whose copy in the store is not verified.

#include <cstddef>
#include <filesystem>
#include <vector>

#include "unit/import_window_state.h"

namespace vantora {

inline constexpr char kDeleteUnitLogsQuestion[] = "GPSユニット内のログファイルを削除しますか？";
inline constexpr char kUnverifiedKeptMessage[] =
    "パソコンへのコピーを確認できなかったログファイルは削除しませんでした。";

// Where the store keeps the copy of a unit log: the store's log folder and
// the log's store name.
std::filesystem::path storeCopyOf(const ImportWindowState& state, const std::filesystem::path& unitLog);

// The unit log is safe on the PC: its store copy holds exactly its bytes and
// is in the PC list, or a log of the PC list holds exactly its bytes.
bool hasVerifiedStoreCopy(const ImportWindowState& state, const std::filesystem::path& unitLog);

// Copies every unit log into the store's log folder (created hidden and
// read-only when missing) without overwriting anything there, then
// registers the copies in the PC list with messages and progress. Paths of
// copies that failed are offered all the same: an earlier copy of the same
// name registers, a missing file drops out silently.
void CopyUnitLogsToPC(ImportWindow& window);

// Deletes the unit logs at the given rows (ascending) on the unit, removes
// their records and rows, and then removes their date folders when they
// became empty. Deletion failures are not reported.
void DeleteUnitLogs(ImportWindow& window, const std::vector<std::size_t>& rows);

// The import arrow: copies the unit's logs into the store, asks whether to
// delete them on the unit, and on Yes deletes those whose store copy is
// verified, telling the user once when others were kept. The unit controls
// are disabled afterwards, whatever the answer.
void importUnitLogs(ImportWindow& window);

}  // namespace vantora
