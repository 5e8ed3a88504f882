#pragma once
// The log store on the PC: a folder below the user's documents folder with
// the copies of the unit's logs in "log" and the list file "appData" that
// remembers the PC list between runs.

#include <filesystem>

#include "unit/import_window_state.h"

namespace vantora {

inline constexpr char kStoreNameFileName[] = "korvel.dat";
inline constexpr char kPcListFileName[] = "appData";
// Beside the list file: the spans of its logs, so that a start lists them
// without reading every one (see LogSpanIndex).
inline constexpr char kLogSpanIndexFileName[] = "appData.spans";
inline constexpr char kStoreLogFolderName[] = "log";
// The longest line of the list file that is read; a longer one ends it.
inline constexpr std::size_t kMaxPcListLineBytes = 519;

// Creates every missing folder of the path, from the deepest existing one
// down; a creation that fails on the way is not an error here. False for an
// empty path, or when no existing folder is found above the path.
bool CreateFolderPath(const std::filesystem::path& path);

// Creates a store folder that does not exist yet and marks it hidden and
// read-only; an existing folder is left as it is.
void ensureStoreFolder(const std::filesystem::path& folder);

// The store: documents folder, "Korvel", then the first line of
// "korvel.dat" in the program folder, or "GPSApp" when that line is empty
// or the file cannot be read. The file is created empty when missing and
// never truncated.
std::filesystem::path chooseAppFolder(const std::filesystem::path& documentsFolder,
                                      const std::filesystem::path& programFolder);

std::filesystem::path pcListFile(const ImportWindowState& state);
std::filesystem::path storeLogFolder(const ImportWindowState& state);

// Registers the logs the list file names, once each, that still exist;
// silently, without progress. Logs whose files are unchanged since their
// spans were kept are listed from the spans; the kept spans are then
// brought up to date.
void LoadPcList(ImportWindow& window);

// Keeps the spans of the PC list's logs beside the list file, replacing the
// old ones in one step (a kill while writing leaves the old or the new).
bool saveLogSpans(const ImportWindowState& state);


// Writes the PC list into the list file, one ANSI path per line, by
// writing a new file beside the old one and swapping it in only when it is
// complete: a failure leaves the old file as it was. An empty list removes
// the file. When some path does not convert exactly into the ANSI code
// page, the whole file is UTF-8 behind a byte-order mark, so that no path is
// left out. Returns whether the file now holds the list. The logs' spans
// are kept too (saveLogSpans).
bool SavePcList(const ImportWindowState& state);

inline constexpr char kStoreUnwritableMessage[] =
    "ログの保存先フォルダーに書き込めません。\nパソコンに取り込んだログは保存されません。";

// Once at the start: when the store folder cannot be created or written
// (no documents folder, and the program's folder is closed to the user),
// says so, since every copy and every save of the list would fail. Returns
// whether the store can be written.
bool checkStoreFolder(ImportWindow& window);

}  // namespace vantora
